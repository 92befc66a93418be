#include "ui/phone/Phone.h"

#include "ui/controls/WindowPlacement.h"

#include "carddav/SyncWorker.h"
#include "contacts/ContactStore.h"
#include "platform/Platform.h"
#include "search/SearchState.h"
#include "search/SearchText.h"
#include "ui/controls/BoundBox.h"
#include "ui/controls/ClickLabel.h"
#include "ui/controls/DataControl.h"
#include "ui/controls/Outline.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QSettings>
#include <QStandardPaths>
#include <QTextDocument>
#include <QToolButton>

Phone::Phone(Platform &platform, ContactStore &store, QString programDir, QWidget *parent)
    : QMainWindow(parent)
    , m_platform(platform)
    , m_store(store)
    , m_programDir(std::move(programDir))
{
    setObjectName(QStringLiteral("Phone"));
    setWindowTitle(QStringLiteral("Rubrello"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/rubrello.svg")));
    buildControls();
    buildMenus();
    connectHandlers();
    resize(sizeHint());
    qApp->installEventFilter(this);
    // The search's snapshot is kept between runs in the user's cache folder.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (!cache.isEmpty())
        m_search.keepSnapshotIn(QDir(cache).filePath(QStringLiteral("ricerca")));
}

Phone::~Phone()
{
    qApp->removeEventFilter(this);
}

void Phone::connectHandlers()
{
    connect(ui.cNew, &QToolButton::clicked, this, &Phone::cNew_Click);
    connect(ui.cDelete, &QToolButton::clicked, this, &Phone::cDelete_Click);
    connect(ui.cUpdate, &QToolButton::clicked, this, &Phone::cUpdate_Click);
    connect(ui.BtnCerca, &QToolButton::clicked, this, &Phone::BtnCerca_Click);
    connect(ui.CmdCopia, &QToolButton::clicked, this, &Phone::CmdCopia_Click);
    connect(ui.BtnChiama, &QToolButton::clicked, this, &Phone::BtnChiama_Click);
    connect(ui.BtnFine, &QToolButton::clicked, this, &Phone::BtnFine_Click);
    connect(ui.Command3d1, &QToolButton::clicked, this, &Phone::Command3d1_Click);
    connect(ui.Command3d2, &QToolButton::clicked, this, &Phone::Command3d2_Click);
    connect(ui.Command3d3, &QToolButton::clicked, this, &Phone::Command3d3_Click);
    connect(ui.Label1, &ClickLabel::clicked, this, &Phone::Label1_Click);
    connect(ui.Label2, &ClickLabel::clicked, this, &Phone::Label2_Click);
    connect(ui.lblAltriDati, &ClickLabel::clicked, this, &Phone::lblAltriDati_Click);
    connect(ui.Command1, &QToolButton::clicked, this, &Phone::Command1_Click);
    connect(ui.Command2, &QToolButton::clicked, this, &Phone::Command2_Click);

    connect(ui.Outline1, &Outline::lineClicked, this, &Phone::Outline1_Click);
    connect(ui.Outline1, &Outline::lineDoubleClicked, this, &Phone::Outline1_DblClick);
    connect(ui.Outline1, &Outline::keyPressed, this, &Phone::Outline1_KeyPress);
    connect(ui.Outline1, &Outline::lineCollapsed, this, &Phone::Outline1_Collapse);
    connect(ui.Outline1, &Outline::lineExpanded, this, &Phone::Outline1_Expand);

    connect(ui.Data1, &DataControl::Reposition, this, &Phone::Data1_Reposition);
    connect(ui.Data1, &DataControl::Reposition, this, &Phone::fillOtherData);
    ui.Data1->setValidateHandler([this](int &action, bool &save) { Data1_Validate(action, save); });

    for (const CardField &entry : CardFields)
        watchEdits(ui.box(entry));

    connect(ui.FileStampaMaschera, &QAction::triggered, this, &Phone::FileStampaMaschera_Click);
    connect(ui.FileStampaAgenda, &QAction::triggered, this, &Phone::FileStampaAgenda_Click);
    connect(ui.FileEtichette, &QAction::triggered, this, &Phone::FileEtichette_Click);
    connect(ui.FileBusta, &QAction::triggered, this, &Phone::FileBusta_Click);
    connect(ui.FileAgendaTascabile, &QAction::triggered, this, &Phone::FileAgendaTascabile_Click);
    connect(ui.FileImporta, &QAction::triggered, this, &Phone::FileImporta_Click);
    connect(ui.FileImportaContatti, &QAction::triggered, this, &Phone::FileImportaContatti_Click);
    connect(ui.FileEsportaContatti, &QAction::triggered, this, &Phone::FileEsportaContatti_Click);
    connect(ui.FileEsci, &QAction::triggered, this, &Phone::FileEsci_Click);
    connect(ui.FileNuovo, &QAction::triggered, this, &Phone::FileNuovo_Click);
    connect(ui.FileCancella, &QAction::triggered, this, &Phone::FileCancella_Click);
    connect(ui.FileAggiorna, &QAction::triggered, this, &Phone::FileAggiorna_Click);
    connect(ui.FileCerca, &QAction::triggered, this, &Phone::FileCerca_Click);
    connect(ui.FileCopia, &QAction::triggered, this, &Phone::FileCopia_Click);
    connect(ui.FileChiama, &QAction::triggered, this, &Phone::FileChiama_Click);
    connect(ui.FileAnnulla, &QAction::triggered, this, &Phone::FileAnnulla_Click);
    connect(ui.FileRipeti, &QAction::triggered, this, &Phone::FileRipeti_Click);
    connect(ui.FileCestino, &QAction::triggered, this, &Phone::FileCestino_Click);
    connect(ui.FileDuplicati, &QAction::triggered, this, &Phone::FileDuplicati_Click);
    connect(ui.FileSalvaCopia, &QAction::triggered, this, &Phone::FileSalvaCopia_Click);
    connect(ui.FileRipristina, &QAction::triggered, this, &Phone::FileRipristina_Click);
    connect(ui.FileSincronizza, &QAction::triggered, this, &Phone::FileSincronizza_Click);
    connect(ui.FileAccount, &QAction::triggered, this, &Phone::FileAccount_Click);
    // Another program may have written meanwhile: the menu tells what an undo would take back now.
    connect(ui.FileEdit, &QMenu::aboutToShow, this, &Phone::updateUndoActions);
    connect(ui.FileAiuto, &QAction::triggered, this, &Phone::FileAiuto_Click);
    connect(ui.MenuHomeAutore, &QAction::triggered, this, &Phone::MenuHomeAutore_Click);
    connect(ui.MenuMail, &QAction::triggered, this, &Phone::MenuMail_Click);
    connect(ui.FileAbout, &QAction::triggered, this, &Phone::FileAbout_Click);
}

void Phone::watchEdits(BoundBox *box)
{
    if (auto *line = dynamic_cast<BoundLineEdit *>(box))
        connect(line, &BoundLineEdit::userEdited, this, &Phone::markChanged);
    else if (auto *text = dynamic_cast<BoundTextEdit *>(box))
        connect(text, &BoundTextEdit::userEdited, this, &Phone::markChanged);
}

void Phone::rememberIn(QSettings *settings)
{
    m_memory = settings;
    if (!m_memory)
        return;
    m_placeRemembered = restoreGeometry(m_memory->value(QStringLiteral("window/geometry")).toByteArray());
    m_rememberedContact = m_memory->value(QStringLiteral("window/contact")).toLongLong();
}

void Phone::rememberWindow()
{
    if (!m_memory)
        return;
    m_memory->setValue(QStringLiteral("window/geometry"), saveGeometry());
    m_memory->setValue(QStringLiteral("window/contact"), ui.Data1->currentId());
    m_memory->sync();
}

void Phone::showRememberedContact()
{
    // Only when the start-up search left the whole agenda: its hits come first.
    if (m_rememberedContact != 0 && windowTitle() == wholeAgendaCaption())
        ui.Data1->FindFirst(ById{m_rememberedContact});
}

void Phone::centreWindow()
{
    // A window the user can place and size is not moved under them: once it is on the screen (or
    // stands where the last run left it), reloading the agenda leaves it where it is.
    if (m_placeRemembered || isVisible())
        return;
    centreOnScreen(*this, m_platform.screenSize());
}

void Phone::Form_Load()
{
    // The window is not redrawn while the agenda is rebuilt.
    setUpdatesEnabled(false);
    searchState().reset();
    centreWindow();
    FirstShow = true;
    if (ui.Data1->store() != &m_store)
        ui.Data1->setStore(&m_store);

    if (!FormLoaded)
        createCasaInstances();

    ui.cUpdate->setEnabled(false);
    RefreshAgenda();
    setBrowsingState();
    setUpdatesEnabled(true);

    if (!FormLoaded) {
        FormLoaded = true;
        BtnCerca_Click();
        showRememberedContact();
        scheduleSync();
    }
}

void Phone::BtnFine_Click()
{
    // A refused save (a name to correct) keeps the program open with the card as typed.
    if (!saveBeforeLeaving())
        return;
    endRun();
}

void Phone::endRun()
{
    m_ending = true;
    stopSync();
    rememberWindow();
    m_platform.endProgram();
}

void Phone::FileEsci_Click()
{
    BtnFine_Click();
}

void Phone::closeEvent(QCloseEvent *event)
{
    if (!m_ending) {
        // The title bar's close box: the data control has its closing validation, then the
        // program ends with every window of it, unless a refused save keeps the card as typed.
        if (!ui.Data1->closeValidation() || hasPendingEdit()) {
            event->ignore();
            return;
        }
        endRun();
    }
    event->accept();
}

void Phone::FileNuovo_Click()
{
    cNew_Click();
}

void Phone::FileAggiorna_Click()
{
    cUpdate_Click();
}

void Phone::FileCerca_Click()
{
    BtnCerca_Click();
}

void Phone::FileCopia_Click()
{
    CmdCopia_Click();
}

bool Phone::boxUndoes(QObject *watched, const QKeySequence &pressed) const
{
    const bool undo = pressed == ui.FileAnnulla->shortcut();
    if (!undo && pressed != ui.FileRipeti->shortcut())
        return false;
    if (const auto *line = qobject_cast<QLineEdit *>(watched))
        return undo ? line->isUndoAvailable() : line->isRedoAvailable();
    if (const auto *text = qobject_cast<QPlainTextEdit *>(watched))
        return undo ? text->document()->isUndoAvailable() : text->document()->isRedoAvailable();
    return false;
}

bool Phone::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == centralWidget())
        layOutClient(static_cast<QResizeEvent *>(event)->size());
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this) {
        // A box would take Ctrl+C, Ctrl+A and the like for itself; the menu's shortcuts come first,
        // but for Ctrl+Z and Ctrl+Shift+Z while the box has typing of its own to take back.
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        if (boxUndoes(watched, pressed))
            return QMainWindow::eventFilter(watched, event);
        for (const QAction *action : findChildren<QAction *>()) {
            if (!action->shortcut().isEmpty() && action->shortcut() == pressed)
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
