#include "ui/forms/FrmCerca.h"

#include "ui/controls/WindowPlacement.h"

#include "contacts/StoreMigration.h"
#include "platform/Platform.h"
#include "search/SearchState.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QToolButton>

#include <limits>

namespace {

const QColor FormGrey(192, 192, 192);

constexpr int KeyEnter = 13;
constexpr int KeyEscape = 27;

// The form was laid out in twips, fifteen to a pixel.
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

template<typename W>
W *place(W *widget, const char *name, QRect geometry)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

QToolButton *pictureButton(
    QWidget *parent, const char *name, const QString &caption, const QString &icon, QRect geometry)
{
    auto *button = place(new QToolButton(parent), name, geometry);
    button->setText(caption);
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(40, 40));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

// The key as the text box's KeyPress sees it: the character code, 0 for keys that type nothing.
int keyAscii(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyEnter;
    case Qt::Key_Escape:
        return KeyEscape;
    default:
        return event.text().isEmpty() ? 0 : event.text().at(0).unicode();
    }
}

} // namespace

FrmCerca::FrmCerca(Platform &platform, QWidget *parent)
    : QDialog(parent)
    , m_platform(platform)
    , m_background(QStringLiteral(":/pictures/search-background.svg"))
{
    setObjectName(QStringLiteral("FrmCerca"));
    setWindowTitle(QStringLiteral("Rubrello - Argomento"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/frmcerca.svg")));
    setFixedSize(6150 / 15, 4575 / 15);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, FormGrey);
    grey.setColor(QPalette::Button, FormGrey);
    setPalette(grey);
    setAutoFillBackground(true);

    Frame3D1 = place(
        new QGroupBox(QStringLiteral("Argomento di ricerca:"), this), "Frame3D1", twips(1080, 0, 4785, 4410));
    // The frame is opaque: the background picture shows only around it.
    Frame3D1->setAutoFillBackground(true);

    Panel3D1 = place(new QFrame(Frame3D1), "Panel3D1", twips(135, 585, 4515, 465));
    Panel3D1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel3D1->setLineWidth(2);

    Text1 = place(new QLineEdit(Panel3D1), "Text1", twips(45, 45, 4425, 375));
    Text1->setMaxLength(std::numeric_limits<int>::max());
    Text1->installEventFilter(this);

    Command3D1 = pictureButton(Frame3D1, "Command3D1", QStringLiteral("&Cerca"),
        QStringLiteral(":/icons/search-go.svg"), twips(135, 2790, 2355, 1005));
    Command3D2 = pictureButton(Frame3D1, "Command3D2", QStringLiteral("&Tutta l'agenda"),
        QStringLiteral(":/icons/agenda-all.svg"), twips(2520, 2790, 2130, 1005));

    Check3D2 = place(new QCheckBox(QStringLiteral("&Ignora  MAIUSCOLO/minuscolo"), Frame3D1), "Check3D2",
        twips(225, 2385, 3165, 195));

    const std::array<QString, 4> captions = {
        QStringLiteral("C&erca su tutti i campi"),
        QStringLiteral("&Non cercare nel campo delle note"),
        QStringLiteral("Cerca solo nei campi della scheda &Lavoro"),
        QStringLiteral("Cerca solo nei campi della scheda &Casa"),
    };
    const std::array<int, 4> widths = {2535, 3975, 4035, 3990};
    for (int i = 0; i < 4; ++i) {
        Option3D1[i] = new QRadioButton(captions[i], Frame3D1);
        Option3D1[i]->setObjectName(QStringLiteral("Option3D1_%1").arg(i));
        Option3D1[i]->setGeometry(twips(240, 1320 + 240 * i, widths[i], 195));
    }

    lblTrovati = place(new QLabel(Frame3D1), "lblTrovati", twips(135, 3870, 4515, 255));

    setTabOrder(Text1, Command3D1);
    setTabOrder(Command3D1, Command3D2);
    setTabOrder(Command3D2, Check3D2);
    setTabOrder(Check3D2, Option3D1[0]);
    for (int i = 1; i < 4; ++i)
        setTabOrder(Option3D1[i - 1], Option3D1[i]);

    connect(Command3D1, &QToolButton::clicked, this, &FrmCerca::Command3D1_Click);
    connect(Command3D2, &QToolButton::clicked, this, &FrmCerca::Command3D2_Click);
}

void FrmCerca::Form_Load()
{
    centreOnScreen(*this, m_platform.screenSize());

    const SearchState &state = searchState();
    Text1->setText(state.SearchText);
    Check3D2->setChecked(state.IgnoreCase);
    if (state.SearchScope >= 0 && state.SearchScope < 4)
        Option3D1[state.SearchScope]->setChecked(true);
    Text1->setFocus();
}

SearchState FrmCerca::typedState() const
{
    SearchState state = searchState();
    state.SearchText = Text1->text().isEmpty() ? QStringLiteral("*") : Text1->text();
    state.IgnoreCase = Check3D2->isChecked();
    for (int i = 0; i < 4; ++i) {
        if (Option3D1[i]->isChecked()) {
            state.SearchScope = static_cast<qint16>(i);
            break;
        }
    }
    return state;
}

void FrmCerca::setLiveSearch(LiveSearch search)
{
    m_liveSearch = std::move(search);
    connect(Text1, &QLineEdit::textChanged, this, &FrmCerca::searchAsTyped);
    connect(Check3D2, &QCheckBox::toggled, this, &FrmCerca::searchAsTyped);
    for (QRadioButton *option : Option3D1) {
        // Each change of scope unchecks one option and checks another: the checked one searches.
        connect(option, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                searchAsTyped();
        });
    }
}

void FrmCerca::searchAsTyped()
{
    const std::optional<int> hits = m_liveSearch(typedState());
    lblTrovati->setText(hits ? hitCountText(*hits) : QString());
}

void FrmCerca::Command3D1_Click()
{
    if (Text1->text().isEmpty())
        Text1->setText(QStringLiteral("*"));
    searchState() = typedState();
    accept();
}

void FrmCerca::Command3D2_Click()
{
    SearchState &state = searchState();
    state.SearchText = QStringLiteral("*");
    state.IgnoreCase = true;
    state.SearchScope = 0;
    accept();
}

void FrmCerca::Text1_KeyPress(int keyAscii)
{
    if (keyAscii == KeyEnter)
        Command3D1_Click();
    else if (keyAscii == KeyEscape)
        Command3D2_Click();
}

bool FrmCerca::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const int key = keyAscii(*static_cast<QKeyEvent *>(event));
        if (key != 0)
            Text1_KeyPress(key);
        // Enter and Escape are answered here; left to the dialog, Escape would close it unanswered.
        return key == KeyEnter || key == KeyEscape;
    }
    return QDialog::eventFilter(watched, event);
}

void FrmCerca::keyPressEvent(QKeyEvent *event)
{
    // Enter presses the focused picture button, as Space does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto *button = qobject_cast<QToolButton *>(focusWidget())) {
            button->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void FrmCerca::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    if (m_background.isValid()) {
        QPainter painter(this);
        m_background.render(&painter, rect());
    }
}

void askSearchArgument(Platform &platform, QWidget *parent, LiveSearch live)
{
    FrmCerca dialog(platform, parent);
    dialog.Form_Load();
    // Only what the user changes is searched: the argument the dialog opens with is already shown.
    if (live)
        dialog.setLiveSearch(std::move(live));
    platform.runModal(dialog);
}

QString hitCountText(int hits)
{
    if (hits == 0)
        return QStringLiteral("Nessun contatto trovato");
    return contactCount(hits) + (hits == 1 ? QStringLiteral(" trovato") : QStringLiteral(" trovati"));
}
