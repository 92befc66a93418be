// The index tree: building it from the records, choosing a contact in it, and keeping its
// selection and the navigation bar's caption in step with the current record.
#include "ui/phone/Phone.h"

#include "ui/controls/Outline.h"
#include "index/SplitField.h"
#include "platform/Platform.h"
#include "search/SearchText.h"

#include <QAction>

namespace {

// The letter line a surname belongs under, or 0 when it begins with anything but A to Z.
char16_t indexLetter(const FieldValue &lastName)
{
    if (!lastName || lastName->isEmpty())
        return 0;
    // The simple upper case of one unit: no letter whose full upper case is one of A to Z
    // has a different simple one (the special cases all lengthen the text).
    const char16_t first = lastName->front().toUpper().unicode();
    return first >= u'A' && first <= u'Z' ? first : 0;
}

} // namespace

void Phone::RefreshAgenda()
{
    Data1->Refresh();
    const std::pair<Field, Field> fields[] = {
        {Field::WorkPhone, Field::HomePhone},         {Field::WorkAddress, Field::HomeAddress},
        {Field::WorkCity, Field::HomeCity},           {Field::WorkProv, Field::HomeProv},
        {Field::WorkPostalCode, Field::HomePostalCode}, {Field::WorkFax, Field::HomeFax}};
    const std::array<std::array<BoundBox *, 6>, 2> boxes = {{
        {tPhone[0], tAddress[0], tCity[0], tProv[0], tPost[0], tFax[0]},
        {tPhone[1], tAddress[1], tCity[1], tProv[1], tPost[1], tFax[1]},
    }};
    for (int element = 0; element < 2; ++element) {
        for (size_t i = 0; i < std::size(fields); ++i)
            Data1->bind(boxes[element][i], element == 0 ? fields[i].first : fields[i].second);
    }
    // Showing the whole agenda again when neither the table nor the tree changed since it was
    // filled (the start-up search left empty does so at once) keeps the tree's lines as they are.
    const bool treeIsCurrent = m_outlineRows && Data1->recordset()->sharedRows() == m_outlineRows
        && Outline1->revision() == m_outlineRevision;
    if (treeIsCurrent) {
        IndexRs = Data1->Clone();
        Outline1->deselect();
        Outline1->scrollToTop();
        setWindowTitle(wholeAgendaCaption());
    } else {
        FillOutline();
    }
    OutlineCollapseAll();
    if (FirstShow) {
        Label1_Click();
        // Where a keystroke went to whatever window was active, the first line is selected directly.
        Outline1->setListIndex(0);
        FirstShow = false;
    }
}

void Phone::FillOutline()
{
    IndexRs = Data1->Clone();
    const std::vector<ContactStore::IndexEntry> &rows = IndexRs->rows();

    // One pass in the record source's order, each contact filed under its capital. A surname that
    // does not begin with A to Z (a digit, an accented letter, a Null) gets no line, and it no
    // longer hides the contacts sorted after it.
    std::array<std::vector<size_t>, 26> byLetter;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (const char16_t letter = indexLetter(rows[i].lastName))
            byLetter[letter - u'A'].push_back(i);
    }

    {
        Outline::Batch batch(*Outline1);
        Outline1->Clear();
        for (int letter = 0; letter < 26; ++letter) {
            Outline1->AddItem(QString(QChar(u'A' + letter)));
            Outline1->setIndent(Outline1->ListCount() - 1, 1);
            for (size_t row : byLetter[letter]) {
                Outline1->AddItem(rows[row].line());
                Outline1->setIndent(Outline1->ListCount() - 1, 2);
            }
        }
    }
    m_outlineRows = IndexRs->sharedRows();
    m_outlineRevision = Outline1->revision();
    // The title names what the tree shows: from here on, the whole agenda.
    setWindowTitle(wholeAgendaCaption());
}

void Phone::reloadAgendaShowing(qint64 id)
{
    Data1->Refresh();
    FillOutline();
    OutlineCollapseAll();
    if (id != 0)
        Data1->FindFirst(ById{id});
}

void Phone::OutlineCollapseAll()
{
    for (int i = 0; i < Outline1->ListCount(); ++i) {
        if (Outline1->HasSubItems(i))
            Outline1->setExpand(i, false);
    }
}

void Phone::Outline1_Click()
{
    if (hasPendingEdit()) {
        // The save rebuilds the tree: find the chosen line again afterwards.
        const int chosen = Outline1->ListIndex();
        const QString chosenText = chosen >= 0 ? Outline1->List(chosen) : QString();
        // A save that was refused (a name to correct) keeps the card and its typed values.
        if (!saveBeforeLeaving())
            return;
        const int again = Outline1->findLine(chosenText);
        if (again >= 0)
            Outline1->setListIndex(again);
    }
    const int line = Outline1->ListIndex();
    if (line < 0 || Outline1->Indent(line) != 2)
        return;
    QString rest = Outline1->List(line);
    const QString lastName = SplitField(rest, QStringLiteral(","));
    const QString firstName = rest.mid(1);
    Data1->FindFirst(ByName{lastName, firstName});
}

void Phone::Outline1_DblClick()
{
    const int line = Outline1->ListIndex();
    if (line < 0)
        return;
    Outline1->setExpand(line, !Outline1->Expand(line));
}

void Phone::Outline1_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        Outline1_DblClick();
}

void Phone::Outline1_Collapse(int line)
{
    Outline1->setListIndex(line);
}

void Phone::Outline1_Expand(int line)
{
    if (Outline1->setListIndex(line))
        return;
    m_platform.messageBox({QStringLiteral("Non trovato record nella ricerca: Verrà visualizzata tutta l'agenda!"),
                           {},
                           MessageButtons::Ok,
                           MessageIcon::Question,
                           MessageAnswer::Ok});
    Form_Load();
    setWindowTitle(QStringLiteral("Rubrello - Tutta l'agenda"));
}

void Phone::Data1_Reposition()
{
    if (Data1->isEOF()) {
        Data1->setCaption(QStringLiteral("Nessun record trovato!"));
        return;
    }
    const FieldValue lastName = Data1->field(Field::LastName);
    const FieldValue firstName = Data1->field(Field::FirstName);
    if (!lastName || !firstName) {
        Data1->setCaption(QString());
        Outline1->deselect();
        return;
    }
    const QString name = *lastName + QStringLiteral(", ") + *firstName;
    Data1->setCaption(name);

    const int line = Outline1->findLine(name);
    if (line < 0) {
        // The contact is not among the lines (a search shows only its hits): another contact's
        // line must not stay selected, or a delete would take that line away.
        Outline1->deselect();
        return;
    }
    Outline1->setListIndex(line);
    if (!Outline1->IsItemVisible(line)) {
        const QString letter = Outline1->FullPath(line).left(1);
        int index = line;
        while (index > 0 && Outline1->List(index) != letter)
            --index;
        Outline1->setListIndex(index);
    }
}
