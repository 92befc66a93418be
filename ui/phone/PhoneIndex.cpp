// The index tree: building it from the records, choosing a contact in it, and keeping its
// selection and the navigation bar's caption in step with the current record.
#include "ui/phone/Phone.h"

#include "index/SplitField.h"
#include "platform/Platform.h"
#include "search/SearchText.h"
#include "ui/controls/Outline.h"

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
    ui.Data1->Refresh();
    for (const CardField &entry : CardFields) {
        if (entry.isPageBox()) {
            ui.Data1->bind(ui.box(entry, 0), entry.field);
            ui.Data1->bind(ui.box(entry, 1), *entry.homeField);
        }
    }
    // Showing the whole agenda again when neither the table nor the tree changed since it was
    // filled (the start-up search left empty does so at once) keeps the tree's lines as they are.
    const bool treeIsCurrent = m_outlineRows && ui.Data1->recordset()->sharedRows() == m_outlineRows
        && ui.Outline1->revision() == m_outlineRevision;
    if (treeIsCurrent) {
        IndexRs = ui.Data1->Clone();
        ui.Outline1->deselect();
        ui.Outline1->scrollToTop();
        setWindowTitle(wholeAgendaCaption());
    } else {
        FillOutline();
    }
    OutlineCollapseAll();
    if (FirstShow) {
        Label1_Click();
        // Where a keystroke went to whatever window was active, the first line is selected directly.
        ui.Outline1->setListIndex(0);
        FirstShow = false;
    }
}

void Phone::FillOutline()
{
    IndexRs = ui.Data1->Clone();
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
        Outline::Batch batch(*ui.Outline1);
        ui.Outline1->Clear();
        for (int letter = 0; letter < 26; ++letter) {
            ui.Outline1->AddItem(QString(QChar(u'A' + letter)));
            ui.Outline1->setIndent(ui.Outline1->ListCount() - 1, 1);
            for (size_t row : byLetter[letter]) {
                ui.Outline1->AddItem(rows[row].line());
                ui.Outline1->setIndent(ui.Outline1->ListCount() - 1, 2);
            }
        }
    }
    m_outlineRows = IndexRs->sharedRows();
    m_outlineRevision = ui.Outline1->revision();
    // The title names what the tree shows: from here on, the whole agenda.
    setWindowTitle(wholeAgendaCaption());
}

void Phone::reloadAgendaShowing(qint64 id)
{
    ui.Data1->Refresh();
    FillOutline();
    OutlineCollapseAll();
    if (id != 0)
        ui.Data1->FindFirst(ById{id});
}

void Phone::OutlineCollapseAll()
{
    for (int i = 0; i < ui.Outline1->ListCount(); ++i) {
        if (ui.Outline1->HasSubItems(i))
            ui.Outline1->setExpand(i, false);
    }
}

void Phone::Outline1_Click()
{
    if (hasPendingEdit()) {
        // The save rebuilds the tree: find the chosen line again afterwards.
        const int chosen = ui.Outline1->ListIndex();
        const QString chosenText = chosen >= 0 ? ui.Outline1->List(chosen) : QString();
        // A save that was refused (a name to correct) keeps the card and its typed values.
        if (!saveBeforeLeaving())
            return;
        const int again = ui.Outline1->findLine(chosenText);
        if (again >= 0)
            ui.Outline1->setListIndex(again);
    }
    const int line = ui.Outline1->ListIndex();
    if (line < 0 || ui.Outline1->Indent(line) != 2)
        return;
    QString rest = ui.Outline1->List(line);
    const QString lastName = SplitField(rest, QStringLiteral(","));
    const QString firstName = rest.mid(1);
    ui.Data1->FindFirst(ByName{lastName, firstName});
}

void Phone::Outline1_DblClick()
{
    const int line = ui.Outline1->ListIndex();
    if (line < 0)
        return;
    ui.Outline1->setExpand(line, !ui.Outline1->Expand(line));
}

void Phone::Outline1_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        Outline1_DblClick();
}

void Phone::Outline1_Collapse(int line)
{
    ui.Outline1->setListIndex(line);
}

void Phone::Outline1_Expand(int line)
{
    if (ui.Outline1->setListIndex(line))
        return;
    m_platform.messageBox(
        {QStringLiteral("Non trovato record nella ricerca: Verrà visualizzata tutta l'agenda!"), {},
            MessageButtons::Ok, MessageIcon::Question, MessageAnswer::Ok});
    Form_Load();
    setWindowTitle(QStringLiteral("Rubrello - Tutta l'agenda"));
}

void Phone::Data1_Reposition()
{
    if (ui.Data1->isEOF()) {
        ui.Data1->setCaption(QStringLiteral("Nessun record trovato!"));
        return;
    }
    const FieldValue lastName = ui.Data1->field(Field::LastName);
    const FieldValue firstName = ui.Data1->field(Field::FirstName);
    if (!lastName || !firstName) {
        ui.Data1->setCaption(QString());
        ui.Outline1->deselect();
        return;
    }
    const QString name = nameLine(*lastName, *firstName);
    ui.Data1->setCaption(name);

    const int line = ui.Outline1->findLine(name);
    if (line < 0) {
        // The contact is not among the lines (a search shows only its hits): another contact's
        // line must not stay selected, or a delete would take that line away.
        ui.Outline1->deselect();
        return;
    }
    ui.Outline1->setListIndex(line);
    if (!ui.Outline1->IsItemVisible(line)) {
        const QString letter = ui.Outline1->FullPath(line).left(1);
        int index = line;
        while (index > 0 && ui.Outline1->List(index) != letter)
            --index;
        ui.Outline1->setListIndex(index);
    }
}
