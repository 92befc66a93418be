// The main window's controls at their fixed places, the menus and the tab order.
#include "links/AuthorLinks.h"
#include "ui/controls/ClickLabel.h"
#include "ui/controls/Outline.h"
#include "ui/phone/Phone.h"

#include <QAction>
#include <QFont>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>

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
    auto *button = place(
        new QToolButton(parent), name, geometry.x(), geometry.y(), geometry.width(), geometry.height());
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
    auto *l = place(
        new QLabel(caption, parent), name, geometry.x(), geometry.y(), geometry.width(), geometry.height());
    l->setAlignment(Qt::AlignRight | Qt::AlignTop);
    return l;
}

// A tree works out a row's height without its column's width, and keeps it when the column is
// resized: a value that wraps would lose its last lines. Only the last column wraps; the others
// keep the width their text asks for.
class WrappingDelegate : public QStyledItemDelegate
{
public:
    explicit WrappingDelegate(QTreeView *view)
        : QStyledItemDelegate(view)
        , m_view(view)
    {
        connect(view->header(), &QHeaderView::sectionResized, view, &QTreeView::doItemsLayout,
            Qt::QueuedConnection);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.column() != m_view->header()->count() - 1)
            return QStyledItemDelegate::sizeHint(option, index);
        QStyleOptionViewItem sized = option;
        sized.rect.setSize({m_view->columnWidth(index.column()), std::max(option.rect.height(), 1)});
        return QStyledItemDelegate::sizeHint(sized, index);
    }

private:
    QTreeView *m_view;
};

} // namespace

void Phone::buildControls()
{
    auto *client = ui.client = new QWidget(this);
    client->setObjectName(QStringLiteral("PhoneClient"));
    // The design's size is the first and smallest one; the index tree takes whatever is added.
    client->setMinimumSize(DesignClientSize);
    client->resize(DesignClientSize);
    setBackground(client, WindowGrey);
    setCentralWidget(client);

    ui.cNew = pictureButton(client, "cNew", QStringLiteral("Nuovo"), QStringLiteral("new"), {0, 8, 77, 55},
        QStringLiteral("Nuovo record"));
    ui.cDelete = pictureButton(client, "cDelete", QStringLiteral("Cancella"), QStringLiteral("delete"),
        {77, 8, 77, 55}, QStringLiteral("Cancella record"));
    ui.cUpdate = pictureButton(
        client, "cUpdate", QStringLiteral("Aggiorna"), QStringLiteral("save"), {154, 8, 77, 55});
    ui.BtnCerca = pictureButton(client, "BtnCerca", QStringLiteral("&Cerca"), QStringLiteral("search"),
        {231, 8, 77, 55}, QStringLiteral("Nuova ricerca"));
    ui.CmdCopia = pictureButton(client, "CmdCopia", QStringLiteral("C&opia"), QStringLiteral("copy"),
        {308, 8, 77, 55}, QStringLiteral("Copia nella clipboard"));
    ui.BtnChiama = pictureButton(client, "BtnChiama", QStringLiteral("&Dial"), QStringLiteral("dial"),
        {385, 8, 77, 55}, QStringLiteral("Chiama col modem "));
    ui.BtnFine = pictureButton(client, "BtnFine", QStringLiteral("&Uscita"), QStringLiteral("exit"),
        {462, 8, 77, 55}, QStringLiteral("Va be' se proprio devi ..."));

    line(client, {0, 64, 591, 2});
    line(client, {195, 69, 381, 2});
    line(client, {195, 69, 2, 243});
    line(client, {576, 69, 2, 243});

    ui.Outline1 = place(new Outline(client), "Outline1", 3, 69, 191, 360);

    ui.Picture1 = place(new QFrame(client), "Picture1", 208, 72, 370, 238);
    setBackground(ui.Picture1, WindowGrey);
    // The card's labels were laid out for a small sans-serif font: keep them that size so they fit.
    QFont cardFont = ui.Picture1->font();
    cardFont.setPixelSize(11);
    ui.Picture1->setFont(cardFont);

    ui.tNotes = place(new BoundTextEdit(client), "tNotes", 208, 80, 366, 231);
    setBackground(ui.tNotes, NotesGrey);
    ui.tNotes->hide();

    // In the notes' place and with their look; what it lists came from a file and is only shown.
    ui.lstAltriDati = place(new QTreeWidget(client), "lstAltriDati", 208, 80, 366, 231);
    setBackground(ui.lstAltriDati, NotesGrey);
    ui.lstAltriDati->setHeaderLabels({QStringLiteral("Dato"), QStringLiteral("Valore")});
    ui.lstAltriDati->setRootIsDecorated(false);
    ui.lstAltriDati->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.lstAltriDati->setWordWrap(true);
    ui.lstAltriDati->setItemDelegate(new WrappingDelegate(ui.lstAltriDati));
    ui.lstAltriDati->hide();

    ui.Data1 = place(new DataControl(m_platform, client), "Data1", 195, 312, 382, 21);

    ui.Image1 = place(new QLabel(client), "Image1", 248, 328, 33, 32);
    ui.Image1->setPixmap(QIcon(QStringLiteral(":/icons/marker.svg")).pixmap(33, 32));

    ui.Command3d2 = pictureButton(
        client, "Command3d2", QStringLiteral("&Lavoro"), QStringLiteral("work"), {200, 360, 120, 65});
    ui.Command3d1 = pictureButton(
        client, "Command3d1", QStringLiteral("&Casa"), QStringLiteral("home"), {320, 360, 128, 65});
    ui.Command3d3 = pictureButton(
        client, "Command3d3", QStringLiteral("No&te"), QStringLiteral("notes"), {448, 360, 136, 65});

    // The band between the navigation bar and the page buttons is free left of the Note marker.
    ui.lblAltriDati = place(new ClickLabel(client), "lblAltriDati", 200, 338, 290, 18);
    QFont linkFont = ui.lblAltriDati->font();
    linkFont.setUnderline(true);
    ui.lblAltriDati->setFont(linkFont);
    ui.lblAltriDati->setCursor(Qt::PointingHandCursor);
    ui.lblAltriDati->hide();

    // The card, with coordinates relative to ui.Picture1.
    QWidget *card = ui.Picture1;
    auto box = [&](const char *name, QRect geometry, const QColor &colour) {
        auto *edit = place(
            new BoundLineEdit(card), name, geometry.x(), geometry.y(), geometry.width(), geometry.height());
        setBackground(edit, colour);
        shadow(card, geometry);
        return edit;
    };
    QLabel *Label4 = label(card, "Label4", QStringLiteral("Cogno&me:"), {3, 3, 59, 17});
    ui.tLName = box("tLName", {60, 0, 143, 19}, BoxYellow);
    Label4->setBuddy(ui.tLName);
    label(card, "Label8", QStringLiteral("Nome:"), {213, 3, 37, 17});
    ui.tFName = box("tFName", {249, 0, 115, 19}, BoxYellow);
    label(card, "Label10", QStringLiteral("Azienda:"), {9, 30, 49, 16});
    box("tCountry", {60, 27, 305, 19}, BoxYellow);
    label(card, "Label6", QStringLiteral("Indirizzo:"), {9, 52, 49, 17});
    auto *tAddress = place(new BoundTextEdit(card), "tAddress_0", 60, 55, 304, 39);
    setBackground(tAddress, Qt::white);
    tAddress->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tAddress->setTabChangesFocus(true);
    shadow(card, {60, 55, 304, 39});
    label(card, "Label9", QStringLiteral("Città:"), {27, 103, 32, 16});
    box("tCity_0", {60, 100, 199, 19}, Qt::white);
    label(card, "Label7", QStringLiteral("Provincia:"), {270, 103, 57, 17});
    box("tProv_0", {330, 100, 34, 19}, Qt::white);
    label(card, "Label11", QStringLiteral("CAP:"), {30, 130, 28, 16});
    box("tPost_0", {60, 127, 79, 19}, Qt::white);
    label(card, "Label5", QStringLiteral("Telefono:"), {183, 130, 54, 17});
    box("tPhone_0", {240, 127, 124, 19}, Qt::white);
    label(card, "Label12", QStringLiteral("Fax:"), {33, 157, 32, 13});
    box("tFax_0", {60, 154, 116, 19}, Qt::white);
    ui.Label1 = place(new ClickLabel(QStringLiteral("Cellulare:"), card), "Label1", 186, 157, 54, 17);
    ui.Label1->setAlignment(Qt::AlignRight | Qt::AlignTop);
    box("Text1", {240, 154, 124, 19}, BoxYellow);
    ui.Label2 = place(new ClickLabel(QStringLiteral("E-Mail Internet:"), card), "Label2", 12, 178, 49, 28);
    ui.Label2->setAlignment(Qt::AlignRight | Qt::AlignTop);
    ui.Label2->setWordWrap(true);
    box("tInternet", {60, 181, 273, 19}, BoxYellow);
    ui.Command1 = place(new QToolButton(card), "Command1", 344, 184, 25, 17);
    ui.Command1->setText(QStringLiteral(">"));
    ui.Command1->setToolTip(QStringLiteral("Manda una mail"));
    ui.Command1->setFocusPolicy(Qt::StrongFocus);
    label(card, "Label3", QStringLiteral("Home Page"), {0, 208, 65, 20})
        ->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    BoundLineEdit *tHomepage = box("tHomepage", {60, 208, 273, 19}, BoxYellow);
    ui.Command2 = place(new QToolButton(card), "Command2", 344, 211, 25, 17);
    ui.Command2->setText(QStringLiteral(">"));
    ui.Command2->setToolTip(QStringLiteral("Visita Home page"));
    ui.Command2->setFocusPolicy(Qt::StrongFocus);

    for (const CardField &entry : CardFields) {
        BoundBox *shown = ui.box(entry);
        shown->setLongestInput(longestInput(entry.field));
        ui.Data1->bind(shown, entry.field);
    }

    ui.Picture1->setFocusPolicy(Qt::NoFocus);
    ui.Picture1->raise();
    ui.tNotes->raise();
    ui.lstAltriDati->raise();
    ui.Image1->raise();

    // The design's tab positions: the card's boxes down to the e-mail, the toolbar, the tree, the
    // notes (or the list in their place), the page buttons, the home page and its button; the Casa
    // boxes join at the end when they are created.
    std::vector<QWidget *> order;
    for (const CardField &entry : CardFields) {
        if (entry.field != Field::Note && entry.field != Field::www)
            order.push_back(ui.box(entry)->widget());
    }
    order.insert(order.end(),
        {ui.cNew, ui.cDelete, ui.cUpdate, ui.BtnCerca, ui.CmdCopia, ui.BtnChiama, ui.BtnFine, ui.Outline1,
            ui.tNotes, ui.lstAltriDati, ui.Command3d2, ui.Command3d1, ui.Command3d3, tHomepage, ui.Command1,
            ui.Command2});
    for (size_t i = 1; i < order.size(); ++i)
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
        if (widget == ui.Outline1)
            widget->setGeometry(design.adjusted(0, 0, wider, taller));
        else if (design.top() < BelowToolbar && design.width() >= DesignClientSize.width())
            widget->setGeometry(design.adjusted(0, 0, wider, 0));
        else if (design.top() >= BelowToolbar && design.left() >= BesideTree)
            widget->setGeometry(design.translated(wider, 0));
    }
}

void Phone::createCasaInstances()
{
    // A copy of each Lavoro page box, in the same place and look, hidden until the Casa page shows
    // it, bound to the home field, and reached with Tab after everything else.
    QWidget *previous = ui.Command2;
    for (const CardField &entry : CardFields) {
        if (!entry.isPageBox())
            continue;
        BoundBox *lavoro = ui.box(entry, 0);
        BoundBox *casa = nullptr;
        if (auto *text = dynamic_cast<BoundTextEdit *>(lavoro)) {
            auto *copy = new BoundTextEdit(ui.Picture1);
            copy->setVerticalScrollBarPolicy(text->verticalScrollBarPolicy());
            copy->setTabChangesFocus(true);
            casa = copy;
        } else {
            casa = new BoundLineEdit(ui.Picture1);
        }
        QWidget *widget = casa->widget();
        widget->setObjectName(QString::fromLatin1(entry.name) + QStringLiteral("_1"));
        widget->setGeometry(lavoro->widget()->geometry());
        widget->setPalette(lavoro->widget()->palette());
        widget->setAutoFillBackground(true);
        widget->hide();
        casa->setLongestInput(lavoro->longestInput());
        watchEdits(casa);
        setTabOrder(previous, widget);
        previous = widget;
    }
}

void Phone::buildMenus()
{
    auto action
        = [this](QMenu *menu, const char *name, const QString &caption, const QKeySequence &keys = {}) {
              QAction *a = menu->addAction(caption);
              a->setObjectName(QString::fromLatin1(name));
              a->setShortcut(keys);
              a->setShortcutContext(Qt::WindowShortcut);
              return a;
          };
    auto separator = [](QMenu *menu, const char *name) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    ui.MenuFile = menuBar()->addMenu(QStringLiteral("&File"));
    ui.MenuFile->setObjectName(QStringLiteral("MenuFile"));
    ui.FileStampe = ui.MenuFile->addMenu(QStringLiteral("&Stampe"));
    ui.FileStampe->setObjectName(QStringLiteral("FileStampe"));
    ui.FileStampaMaschera = action(ui.FileStampe, "FileStampaMaschera", QStringLiteral("&Stampa scheda"),
        QKeySequence(Qt::CTRL | Qt::Key_H));
    ui.FileStampaAgenda = action(ui.FileStampe, "FileStampaAgenda", QStringLiteral("S&tampa Agenda"),
        QKeySequence(Qt::CTRL | Qt::Key_S));
    // "S&tampa Agenda" has the T: the pocket agenda takes its A.
    ui.FileEtichette = action(ui.FileStampe, "FileEtichette", QStringLiteral("&Etichette indirizzi…"));
    ui.FileBusta = action(ui.FileStampe, "FileBusta", QStringLiteral("&Busta…"));
    ui.FileAgendaTascabile
        = action(ui.FileStampe, "FileAgendaTascabile", QStringLiteral("&Agenda tascabile…"));
    separator(ui.MenuFile, "FileMeno2");
    ui.FileImporta = action(ui.MenuFile, "FileImporta", QStringLiteral("&Importa ..."));
    ui.FileImportaContatti
        = action(ui.MenuFile, "FileImportaContatti", QStringLiteral("Importa &contatti (vCard, CSV) ..."));
    ui.FileEsportaContatti
        = action(ui.MenuFile, "FileEsportaContatti", QStringLiteral("Es&porta contatti ..."));
    ui.FileSalvaCopia = action(ui.MenuFile, "FileSalvaCopia", QStringLiteral("S&alva una copia…"));
    ui.FileRipristina
        = action(ui.MenuFile, "FileRipristina", QStringLiteral("&Ripristina da una copia di sicurezza…"));
    separator(ui.MenuFile, "FileMeno3");
    ui.FileEsci
        = action(ui.MenuFile, "FileEsci", QStringLiteral("&Esci"), QKeySequence(Qt::CTRL | Qt::Key_F4));

    ui.FileEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    ui.FileEdit->setObjectName(QStringLiteral("FileEdit"));
    ui.FileNuovo
        = action(ui.FileEdit, "FileNuovo", QStringLiteral("&Nuovo"), QKeySequence(Qt::CTRL | Qt::Key_N));
    ui.FileCancella = action(
        ui.FileEdit, "FileCancella", QStringLiteral("C&ancella record"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    ui.FileAggiorna = action(
        ui.FileEdit, "FileAggiorna", QStringLiteral("A&ggiorna record"), QKeySequence(Qt::CTRL | Qt::Key_A));
    ui.FileAggiorna->setEnabled(false);
    ui.FileCerca = action(ui.FileEdit, "FileCerca", QStringLiteral("&Cerca"), QKeySequence(Qt::Key_F3));
    ui.FileCopia = action(ui.FileEdit, "FileCopia", QStringLiteral("C&opia nella clipboard"),
        QKeySequence(Qt::CTRL | Qt::Key_C));
    ui.FileChiama = action(
        ui.FileEdit, "FileChiama", QStringLiteral("C&hiama col modem"), QKeySequence(Qt::CTRL | Qt::Key_D));
    // Ctrl+Y is the design's delete: the redo takes Ctrl+Shift+Z, as on most desktops. The mnemonics
    // are letters no other item of the menu has ("C&ancella record" has the A).
    separator(ui.FileEdit, "FileMeno4");
    ui.FileAnnulla
        = action(ui.FileEdit, "FileAnnulla", QStringLiteral("Ann&ulla"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    ui.FileRipeti = action(
        ui.FileEdit, "FileRipeti", QStringLiteral("&Ripeti"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    ui.FileCestino = action(ui.FileEdit, "FileCestino", QStringLiteral("Ces&tino…"));
    ui.FileDuplicati = action(ui.FileEdit, "FileDuplicati", QStringLiteral("Trova &duplicati…"));
    ui.FileSincronizza = action(ui.FileEdit, "FileSincronizza", QStringLiteral("&Sincronizza"));
    ui.FileAccount = action(ui.FileEdit, "FileAccount", QStringLiteral("Account di s&incronizzazione…"));

    ui.FileHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    ui.FileHelp->setObjectName(QStringLiteral("FileHelp"));
    ui.FileAiuto = action(ui.FileHelp, "FileAiuto", QStringLiteral("&Aiuto"), QKeySequence(Qt::Key_F1));
    separator(ui.FileHelp, "FileMeno1");
    ui.MenuHomeAutore = action(ui.FileHelp, "MenuHomeAutore", authorHomeCaption());
    ui.MenuMail = action(ui.FileHelp, "MenuMail", QStringLiteral("&Manda una mail all'autore ..."));
    separator(ui.FileHelp, "aaa");
    ui.FileAbout = action(ui.FileHelp, "FileAbout", QStringLiteral("A&bout"));
}
