#include "ui/phone/Phone.h"

#include "ui/controls/ClickLabel.h"
#include "contacts/ContactStore.h"
#include "ui/controls/Outline.h"
#include "platform/Platform.h"
#include "search/SearchState.h"
#include "search/SearchText.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QSettings>
#include <QMenu>
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
}

Phone::~Phone()
{
    qApp->removeEventFilter(this);
}

void Phone::connectHandlers()
{
    connect(cNew, &QToolButton::clicked, this, &Phone::cNew_Click);
    connect(cDelete, &QToolButton::clicked, this, &Phone::cDelete_Click);
    connect(cUpdate, &QToolButton::clicked, this, &Phone::cUpdate_Click);
    connect(BtnCerca, &QToolButton::clicked, this, &Phone::BtnCerca_Click);
    connect(CmdCopia, &QToolButton::clicked, this, &Phone::CmdCopia_Click);
    connect(BtnChiama, &QToolButton::clicked, this, &Phone::BtnChiama_Click);
    connect(BtnFine, &QToolButton::clicked, this, &Phone::BtnFine_Click);
    connect(Command3d1, &QToolButton::clicked, this, &Phone::Command3d1_Click);
    connect(Command3d2, &QToolButton::clicked, this, &Phone::Command3d2_Click);
    connect(Command3d3, &QToolButton::clicked, this, &Phone::Command3d3_Click);
    connect(Label1, &ClickLabel::clicked, this, &Phone::Label1_Click);
    connect(Label2, &ClickLabel::clicked, this, &Phone::Label2_Click);
    connect(Command1, &QToolButton::clicked, this, &Phone::Command1_Click);
    connect(Command2, &QToolButton::clicked, this, &Phone::Command2_Click);

    connect(Outline1, &Outline::lineClicked, this, &Phone::Outline1_Click);
    connect(Outline1, &Outline::lineDoubleClicked, this, &Phone::Outline1_DblClick);
    connect(Outline1, &Outline::keyPressed, this, &Phone::Outline1_KeyPress);
    connect(Outline1, &Outline::lineCollapsed, this, &Phone::Outline1_Collapse);
    connect(Outline1, &Outline::lineExpanded, this, &Phone::Outline1_Expand);

    connect(Data1, &DataControl::Reposition, this, &Phone::Data1_Reposition);
    Data1->setValidateHandler([this](int &action, bool &save) { Data1_Validate(action, save); });

    for (BoundLineEdit *edit : {tLName, tFName, tCountry, Text1, tInternet, tHomepage, tCity[0], tProv[0],
                                tPost[0], tPhone[0], tFax[0]})
        connect(edit, &BoundLineEdit::userEdited, this, &Phone::markChanged);
    for (BoundTextEdit *edit : {tAddress[0], tNotes})
        connect(edit, &BoundTextEdit::userEdited, this, &Phone::markChanged);

    connect(FileStampaMaschera, &QAction::triggered, this, &Phone::FileStampaMaschera_Click);
    connect(FileStampaAgenda, &QAction::triggered, this, &Phone::FileStampaAgenda_Click);
    connect(FileImporta, &QAction::triggered, this, &Phone::FileImporta_Click);
    connect(FileEsci, &QAction::triggered, this, &Phone::FileEsci_Click);
    connect(FileNuovo, &QAction::triggered, this, &Phone::FileNuovo_Click);
    connect(FileCancella, &QAction::triggered, this, &Phone::FileCancella_Click);
    connect(FileAggiorna, &QAction::triggered, this, &Phone::FileAggiorna_Click);
    connect(FileCerca, &QAction::triggered, this, &Phone::FileCerca_Click);
    connect(FileCopia, &QAction::triggered, this, &Phone::FileCopia_Click);
    connect(FileChiama, &QAction::triggered, this, &Phone::FileChiama_Click);
    connect(FileAiuto, &QAction::triggered, this, &Phone::FileAiuto_Click);
    connect(MenuHomeAutore, &QAction::triggered, this, &Phone::MenuHomeAutore_Click);
    connect(MenuMail, &QAction::triggered, this, &Phone::MenuMail_Click);
    connect(FileAbout, &QAction::triggered, this, &Phone::FileAbout_Click);
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
    m_memory->setValue(QStringLiteral("window/contact"), Data1->currentId());
    m_memory->sync();
}

void Phone::showRememberedContact()
{
    // Only when the start-up search left the whole agenda: its hits come first.
    if (m_rememberedContact != 0 && windowTitle() == wholeAgendaCaption())
        Data1->FindFirst(ById{m_rememberedContact});
}

void Phone::centreWindow()
{
    // A window the user can place and size is not moved under them: once it is on the screen (or
    // stands where the last run left it), reloading the agenda leaves it where it is.
    if (m_placeRemembered || isVisible())
        return;
    const QSize screen = m_platform.screenSize();
    const QSize outer = frameGeometry().size();
    move(static_cast<int>((screen.width() - outer.width()) / 2.0),
         static_cast<int>((screen.height() - outer.height()) / 2.0));
}

void Phone::Form_Load()
{
    // The window is not redrawn while the agenda is rebuilt.
    setUpdatesEnabled(false);
    searchState().reset();
    centreWindow();
    QDir::setCurrent(m_programDir);
    DbName = QStringLiteral("Rubrello.MDB");
    FirstShow = true;
    if (Data1->store() != &m_store)
        Data1->setStore(&m_store);

    if (!FormLoaded)
        createCasaInstances();
    QWidget *previous = Command2;
    for (const auto &[casa, lavoro] : {std::pair<BoundBox *, BoundBox *>{tAddress[1], tAddress[0]},
                                       {tCity[1], tCity[0]}, {tProv[1], tProv[0]}, {tPost[1], tPost[0]},
                                       {tPhone[1], tPhone[0]}, {tFax[1], tFax[0]}}) {
        setTabOrder(previous, casa->widget());
        previous = casa->widget();
        casa->setLongestInput(lavoro->longestInput());
    }

    cUpdate->setEnabled(false);
    RefreshAgenda();
    setBrowsingState();
    setUpdatesEnabled(true);

    if (!FormLoaded) {
        FormLoaded = true;
        BtnCerca_Click();
        showRememberedContact();
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
        if (!Data1->closeValidation() || hasPendingEdit()) {
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

bool Phone::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == centralWidget())
        layOutClient(static_cast<QResizeEvent *>(event)->size());
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this) {
        // A box would take Ctrl+C, Ctrl+A and the like for itself; the menu's shortcuts come first.
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction *action : findChildren<QAction *>()) {
            if (!action->shortcut().isEmpty() && action->shortcut() == pressed)
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
