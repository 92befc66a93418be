// The main window's controls at their fixed places, the menus and the tab order.
#include "ui/controls/ClickLabel.h"
#include "ui/phone/Phone.h"
#include "links/AuthorLinks.h"
#include "ui/controls/Outline.h"

#include <QAction>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

namespace {

const QColor WindowGrey(192, 192, 192);
const QColor BoxYellow(255, 255, 192);
const QColor NotesGrey(224, 224, 224);
const QColor ShadowColour(64, 64, 64);

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

template<typename W>
W *place(W *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QToolButton *pictureButton(QWidget *parent, const char *name, const QString &caption, const QString &icon,
                           QRect geometry, const QString &tip = {})
{
    auto *button = place(new QToolButton(parent), name, geometry.x(), geometry.y(), geometry.width(),
                         geometry.height());
    button->setText(caption);
    button->setIcon(QIcon(QStringLiteral(":/icons/") + icon + QStringLiteral(".svg")));
    button->setIconSize(QSize(28, 28));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    if (!tip.isEmpty())
        button->setToolTip(tip);
    return button;
}

// The dark rectangle that lies behind a box, a few pixels right and down, as its shadow.
void shadow(QWidget *parent, QRect box)
{
    auto *frame = new QFrame(parent);
    frame->setGeometry(box.translated(4, 4));
    setBackground(frame, ShadowColour);
    frame->lower();
}

QFrame *line(QWidget *parent, QRect geometry)
{
    auto *frame = new QFrame(parent);
    frame->setGeometry(geometry);
    frame->setFrameShape(geometry.height() <= 2 ? QFrame::HLine : QFrame::VLine);
    frame->setFrameShadow(QFrame::Sunken);
    return frame;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    auto *l = place(new QLabel(caption, parent), name, geometry.x(), geometry.y(), geometry.width(),
                    geometry.height());
    l->setAlignment(Qt::AlignRight | Qt::AlignTop);
    return l;
}

} // namespace

void Phone::buildControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("PhoneClient"));
    // The design's size is the first and smallest one; the index tree takes whatever is added.
    client->setMinimumSize(DesignClientSize);
    client->resize(DesignClientSize);
    setBackground(client, WindowGrey);
    setCentralWidget(client);

    cNew = pictureButton(client, "cNew", QStringLiteral("Nuovo"), QStringLiteral("new"), {0, 8, 77, 55},
                         QStringLiteral("Nuovo record"));
    cDelete = pictureButton(client, "cDelete", QStringLiteral("Cancella"), QStringLiteral("delete"),
                            {77, 8, 77, 55}, QStringLiteral("Cancella record"));
    cUpdate = pictureButton(client, "cUpdate", QStringLiteral("Aggiorna"), QStringLiteral("save"),
                            {154, 8, 77, 55});
    BtnCerca = pictureButton(client, "BtnCerca", QStringLiteral("&Cerca"), QStringLiteral("search"),
                             {231, 8, 77, 55}, QStringLiteral("Nuova ricerca"));
    CmdCopia = pictureButton(client, "CmdCopia", QStringLiteral("C&opia"), QStringLiteral("copy"),
                             {308, 8, 77, 55}, QStringLiteral("Copia nella clipboard"));
    BtnChiama = pictureButton(client, "BtnChiama", QStringLiteral("&Dial"), QStringLiteral("dial"),
                              {385, 8, 77, 55}, QStringLiteral("Chiama col modem "));
    BtnFine = pictureButton(client, "BtnFine", QStringLiteral("&Uscita"), QStringLiteral("exit"),
                            {462, 8, 77, 55}, QStringLiteral("Va be' se proprio devi ..."));

    line(client, {0, 64, 591, 2});
    line(client, {195, 69, 381, 2});
    line(client, {195, 69, 2, 243});
    line(client, {576, 69, 2, 243});

    Outline1 = place(new Outline(client), "Outline1", 3, 69, 191, 360);

    Picture1 = place(new QFrame(client), "Picture1", 208, 72, 370, 238);
    setBackground(Picture1, WindowGrey);
    // The card's labels were laid out for a small sans-serif font: keep them that size so they fit.
    QFont cardFont = Picture1->font();
    cardFont.setPixelSize(11);
    Picture1->setFont(cardFont);

    tNotes = place(new BoundTextEdit(client), "tNotes", 208, 80, 366, 231);
    setBackground(tNotes, NotesGrey);
    tNotes->hide();

    Data1 = place(new DataControl(m_platform, client), "Data1", 195, 312, 382, 21);

    Image1 = place(new QLabel(client), "Image1", 248, 328, 33, 32);
    Image1->setPixmap(QIcon(QStringLiteral(":/icons/marker.svg")).pixmap(33, 32));

    Command3d2 = pictureButton(client, "Command3d2", QStringLiteral("&Lavoro"), QStringLiteral("work"),
                               {200, 360, 120, 65});
    Command3d1 = pictureButton(client, "Command3d1", QStringLiteral("&Casa"), QStringLiteral("home"),
                               {320, 360, 128, 65});
    Command3d3 = pictureButton(client, "Command3d3", QStringLiteral("No&te"), QStringLiteral("notes"),
                               {448, 360, 136, 65});

    // The card, with coordinates relative to Picture1.
    QWidget *card = Picture1;
    auto box = [&](const char *name, QRect geometry, const QColor &colour) {
        auto *edit = place(new BoundLineEdit(card), name, geometry.x(), geometry.y(), geometry.width(),
                           geometry.height());
        setBackground(edit, colour);
        shadow(card, geometry);
        return edit;
    };
    QLabel *Label4 = label(card, "Label4", QStringLiteral("Cogno&me:"), {3, 3, 59, 17});
    tLName = box("tLName", {60, 0, 143, 19}, BoxYellow);
    Label4->setBuddy(tLName);
    label(card, "Label8", QStringLiteral("Nome:"), {213, 3, 37, 17});
    tFName = box("tFName", {249, 0, 115, 19}, BoxYellow);
    label(card, "Label10", QStringLiteral("Azienda:"), {9, 30, 49, 16});
    tCountry = box("tCountry", {60, 27, 305, 19}, BoxYellow);
    label(card, "Label6", QStringLiteral("Indirizzo:"), {9, 52, 49, 17});
    tAddress[0] = place(new BoundTextEdit(card), "tAddress_0", 60, 55, 304, 39);
    setBackground(tAddress[0], Qt::white);
    tAddress[0]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tAddress[0]->setTabChangesFocus(true);
    shadow(card, {60, 55, 304, 39});
    label(card, "Label9", QStringLiteral("Città:"), {27, 103, 32, 16});
    tCity[0] = box("tCity_0", {60, 100, 199, 19}, Qt::white);
    label(card, "Label7", QStringLiteral("Provincia:"), {270, 103, 57, 17});
    tProv[0] = box("tProv_0", {330, 100, 34, 19}, Qt::white);
    label(card, "Label11", QStringLiteral("CAP:"), {30, 130, 28, 16});
    tPost[0] = box("tPost_0", {60, 127, 79, 19}, Qt::white);
    label(card, "Label5", QStringLiteral("Telefono:"), {183, 130, 54, 17});
    tPhone[0] = box("tPhone_0", {240, 127, 124, 19}, Qt::white);
    label(card, "Label12", QStringLiteral("Fax:"), {33, 157, 32, 13});
    tFax[0] = box("tFax_0", {60, 154, 116, 19}, Qt::white);
    Label1 = place(new ClickLabel(QStringLiteral("Cellulare:"), card), "Label1", 186, 157, 54, 17);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Text1 = box("Text1", {240, 154, 124, 19}, BoxYellow);
    Label2 = place(new ClickLabel(QStringLiteral("E-Mail Internet:"), card), "Label2", 12, 178, 49, 28);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label2->setWordWrap(true);
    tInternet = box("tInternet", {60, 181, 273, 19}, BoxYellow);
    Command1 = place(new QToolButton(card), "Command1", 344, 184, 25, 17);
    Command1->setText(QStringLiteral(">"));
    Command1->setToolTip(QStringLiteral("Manda una mail"));
    Command1->setFocusPolicy(Qt::StrongFocus);
    label(card, "Label3", QStringLiteral("Home Page"), {0, 208, 65, 20})->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    tHomepage = box("tHomepage", {60, 208, 273, 19}, BoxYellow);
    Command2 = place(new QToolButton(card), "Command2", 344, 211, 25, 17);
    Command2->setText(QStringLiteral(">"));
    Command2->setToolTip(QStringLiteral("Visita Home page"));
    Command2->setFocusPolicy(Qt::StrongFocus);

    for (const auto &[edit, field] : {std::pair{tLName, Field::LastName}, {tFName, Field::FirstName},
                                      {tCountry, Field::Azienda}, {Text1, Field::Cellulare},
                                      {tInternet, Field::Internet}, {tHomepage, Field::www}}) {
        edit->setLongestInput(longestInput(field));
        Data1->bind(edit, field);
    }
    tAddress[0]->setLongestInput(longestInput(Field::WorkAddress));
    tCity[0]->setLongestInput(longestInput(Field::WorkCity));
    tProv[0]->setLongestInput(longestInput(Field::WorkProv));
    tPost[0]->setLongestInput(longestInput(Field::WorkPostalCode));
    tPhone[0]->setLongestInput(longestInput(Field::WorkPhone));
    tFax[0]->setLongestInput(longestInput(Field::WorkFax));
    Data1->bind(tNotes, Field::Note);

    Picture1->setFocusPolicy(Qt::NoFocus);
    Picture1->raise();
    tNotes->raise();
    Image1->raise();

    // The design's tab positions; the Casa instances join at the end when they are created.
    QWidget *order[] = {tLName,   tFName,   tCountry,  tAddress[0], tCity[0], tProv[0],  tPost[0],
                        tPhone[0], tFax[0], Text1,     tInternet,   cNew,     cDelete,   cUpdate,
                        BtnCerca, CmdCopia, BtnChiama, BtnFine,     Outline1, tNotes,    Command3d2,
                        Command3d1, Command3d3, tHomepage, Command1, Command2};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (QWidget *child : client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        m_designGeometry.push_back({child, child->geometry()});
}

void Phone::layOutClient(QSize size)
{
    // The tree grows both ways; the card and everything beside it keep their layout and move
    // with the window's right edge; the toolbar stays where it is, its line runs the full width.
    const int wider = std::max(0, size.width() - DesignClientSize.width());
    const int taller = std::max(0, size.height() - DesignClientSize.height());
    constexpr int BelowToolbar = 66;
    constexpr int BesideTree = 195;
    for (const auto &[widget, design] : m_designGeometry) {
        if (widget == Outline1)
            widget->setGeometry(design.adjusted(0, 0, wider, taller));
        else if (design.top() < BelowToolbar && design.width() >= DesignClientSize.width())
            widget->setGeometry(design.adjusted(0, 0, wider, 0));
        else if (design.top() >= BelowToolbar && design.left() >= BesideTree)
            widget->setGeometry(design.translated(wider, 0));
    }
}

void Phone::createCasaInstances()
{
    // A copy of each Lavoro box, in the same place and look, hidden until the Casa page shows it.
    auto copyLine = [this](BoundLineEdit *lavoro, const char *name) {
        auto *casa = new BoundLineEdit(Picture1);
        casa->setObjectName(QString::fromLatin1(name));
        casa->setGeometry(lavoro->geometry());
        casa->setPalette(lavoro->palette());
        casa->setAutoFillBackground(true);
        casa->hide();
        return casa;
    };
    tPhone[1] = copyLine(tPhone[0], "tPhone_1");
    tAddress[1] = new BoundTextEdit(Picture1);
    tAddress[1]->setObjectName(QStringLiteral("tAddress_1"));
    tAddress[1]->setGeometry(tAddress[0]->geometry());
    tAddress[1]->setPalette(tAddress[0]->palette());
    tAddress[1]->setAutoFillBackground(true);
    tAddress[1]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tAddress[1]->setTabChangesFocus(true);
    tAddress[1]->hide();
    tCity[1] = copyLine(tCity[0], "tCity_1");
    tProv[1] = copyLine(tProv[0], "tProv_1");
    tPost[1] = copyLine(tPost[0], "tPost_1");
    tFax[1] = copyLine(tFax[0], "tFax_1");
    for (BoundLineEdit *casa : {tPhone[1], tCity[1], tProv[1], tPost[1], tFax[1]})
        connect(casa, &BoundLineEdit::userEdited, this, &Phone::markChanged);
    connect(tAddress[1], &BoundTextEdit::userEdited, this, &Phone::markChanged);
}

void Phone::buildMenus()
{
    auto action = [this](QMenu *menu, const char *name, const QString &caption, const QKeySequence &keys = {}) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        return a;
    };
    auto separator = [](QMenu *menu, const char *name) { menu->addSeparator()->setObjectName(QString::fromLatin1(name)); };

    MenuFile = menuBar()->addMenu(QStringLiteral("&File"));
    MenuFile->setObjectName(QStringLiteral("MenuFile"));
    FileStampe = MenuFile->addMenu(QStringLiteral("&Stampe"));
    FileStampe->setObjectName(QStringLiteral("FileStampe"));
    FileStampaMaschera = action(FileStampe, "FileStampaMaschera", QStringLiteral("&Stampa scheda"),
                                QKeySequence(Qt::CTRL | Qt::Key_H));
    FileStampaAgenda = action(FileStampe, "FileStampaAgenda", QStringLiteral("S&tampa Agenda"),
                              QKeySequence(Qt::CTRL | Qt::Key_S));
    separator(MenuFile, "FileMeno2");
    FileImporta = action(MenuFile, "FileImporta", QStringLiteral("&Importa ..."));
    separator(MenuFile, "FileMeno3");
    FileEsci = action(MenuFile, "FileEsci", QStringLiteral("&Esci"), QKeySequence(Qt::CTRL | Qt::Key_F4));

    FileEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    FileEdit->setObjectName(QStringLiteral("FileEdit"));
    FileNuovo = action(FileEdit, "FileNuovo", QStringLiteral("&Nuovo"), QKeySequence(Qt::CTRL | Qt::Key_N));
    FileCancella = action(FileEdit, "FileCancella", QStringLiteral("C&ancella record"),
                          QKeySequence(Qt::CTRL | Qt::Key_Y));
    FileAggiorna = action(FileEdit, "FileAggiorna", QStringLiteral("A&ggiorna record"),
                          QKeySequence(Qt::CTRL | Qt::Key_A));
    FileAggiorna->setEnabled(false);
    FileCerca = action(FileEdit, "FileCerca", QStringLiteral("&Cerca"), QKeySequence(Qt::Key_F3));
    FileCopia = action(FileEdit, "FileCopia", QStringLiteral("C&opia nella clipboard"),
                       QKeySequence(Qt::CTRL | Qt::Key_C));
    FileChiama = action(FileEdit, "FileChiama", QStringLiteral("C&hiama col modem"),
                        QKeySequence(Qt::CTRL | Qt::Key_D));

    FileHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    FileHelp->setObjectName(QStringLiteral("FileHelp"));
    FileAiuto = action(FileHelp, "FileAiuto", QStringLiteral("&Aiuto"), QKeySequence(Qt::Key_F1));
    separator(FileHelp, "FileMeno1");
    MenuHomeAutore = action(FileHelp, "MenuHomeAutore", authorHomeCaption());
    MenuMail = action(FileHelp, "MenuMail", QStringLiteral("&Manda una mail all'autore ..."));
    separator(FileHelp, "aaa");
    FileAbout = action(FileHelp, "FileAbout", QStringLiteral("A&bout"));
}
