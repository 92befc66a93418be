// The index tree: building it from the records, choosing a contact in it, and keeping its
// selection and the navigation bar's caption in step with the current record.
#include "ui/phone/Phone.h"

#include "index/IndexLetter.h"
#include "index/IndexOutline.h"
#include "index/SplitField.h"
#include "platform/Platform.h"
#include "search/SearchText.h"
#include "ui/controls/Outline.h"

#include <QAction>

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
    if (treeShowsDataRows()) {
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
    // The tree shows the index's own texts: no copy of a million names.
    const Recordset &rows = *ui.Data1->recordset();
    ui.Outline1->setLines(agendaOutline(rows.rows()), outlineBlocks(*rows.sharedRows()));
    rememberOutlineRows();
}

void Phone::rememberOutlineRows()
{
    IndexRs = ui.Data1->Clone();
    m_searchHits.clear();
    m_outlineRows = IndexRs->sharedRows();
    m_outlineRevision = ui.Outline1->revision();
    m_outlineGeneration = m_store.generation();
    m_outlineReads = m_store.orderedReads();
    // The title names what the tree shows: from here on, the whole agenda.
    setWindowTitle(wholeAgendaCaption());
}

bool Phone::treeShowsWholeAgenda() const
{
    return m_outlineRows && ui.Outline1->revision() == m_outlineRevision;
}

bool Phone::treeShowsDataRows() const
{
    return treeShowsWholeAgenda() && ui.Data1->recordset()->sharedRows() == m_outlineRows;
}

void Phone::reloadAgendaShowing(qint64 id)
{
    // A save or an undo changes a contact or a few: their lines move, the others stay. What the
    // user sees is what a tree filled afresh would show, at a cost that does not grow with the agenda.
    // The lines go before the table is read again: with no one else holding the rows the tree
    // showed, the store brings its own up to date in place.
    std::vector<qint64> changed;
    bool linesGone = false;
    if (treeShowsWholeAgenda()) {
        const ContactStore::IndexRows shown = std::exchange(m_outlineRows, nullptr);
        linesGone = changedSinceTheTree(&changed) && removeLinesOf(*shown, changed);
    }
    m_outlineRows.reset();
    IndexRs.reset();
    ui.Data1->Refresh();
    if (!linesGone || m_store.orderedReads() != m_outlineReads || !insertLinesOf(changed))
        FillOutline();
    OutlineCollapseAll();
    if (id != 0)
        ui.Data1->FindFirst(ById{id});
}

namespace {

// Where row lies among the rows with the same line, all of which stand in the tree: equal lines are
// equal names, next to each other in the record source's order.
qsizetype firstOfSameLine(
    const std::vector<ContactStore::IndexEntry> &rows, qsizetype row, const QString &line)
{
    while (row > 0 && rows[size_t(row - 1)].lineView() == line)
        --row;
    return row;
}

// The positions of the rows whose id is among ids (sorted).
std::vector<qsizetype> rowsWithIds(
    const std::vector<ContactStore::IndexEntry> &rows, const std::vector<qint64> &ids)
{
    std::vector<qsizetype> found;
    // A save changes one contact: a plain comparison beats a search of the list on every row.
    const auto holds = [&ids](qint64 id) {
        return ids.size() == 1 ? ids.front() == id : std::binary_search(ids.begin(), ids.end(), id);
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        if (holds(rows[i].id))
            found.push_back(qsizetype(i));
    }
    return found;
}

// "#" shows only while a contact is filed under it: a change there is left to a fresh fill.
bool anyUnderOther(const std::vector<ContactStore::IndexEntry> &rows, const std::vector<qsizetype> &at)
{
    return std::any_of(at.begin(), at.end(),
        [&rows](qsizetype i) { return indexLetterOf(rows[size_t(i)].lastNameView()) == OtherInitials; });
}

} // namespace

bool Phone::changedSinceTheTree(std::vector<qint64> *changed) const
{
    constexpr size_t MostChanged = 500;
    if (m_store.orderedReads() != m_outlineReads || !m_store.changedSince(m_outlineGeneration, changed)
        || changed->size() > MostChanged)
        return false;
    std::sort(changed->begin(), changed->end());
    changed->erase(std::unique(changed->begin(), changed->end()), changed->end());
    return true;
}

bool Phone::removeLinesOf(
    const std::vector<ContactStore::IndexEntry> &shown, const std::vector<qint64> &changed)
{
    const std::vector<qsizetype> gone = rowsWithIds(shown, changed);
    if (anyUnderOther(shown, gone))
        return false;
    // From the last up, so the lines above a removed one keep their place.
    for (auto i = gone.rbegin(); i != gone.rend(); ++i) {
        const QString line = shown[size_t(*i)].line();
        const int first = ui.Outline1->findLine(line);
        if (first < 0)
            return false;
        ui.Outline1->RemoveItem(first + int(*i - firstOfSameLine(shown, *i, line)));
    }
    return true;
}

bool Phone::insertLinesOf(const std::vector<qint64> &changed)
{
    const std::vector<ContactStore::IndexEntry> &rows = ui.Data1->recordset()->rows();
    const std::vector<qsizetype> come = rowsWithIds(rows, changed);
    if (anyUnderOther(rows, come))
        return false;
    Outline &tree = *ui.Outline1;
    // From the first down: every row above the one placed stands in the tree already.
    for (qsizetype i : come) {
        const ContactStore::IndexEntry &row = rows[size_t(i)];
        const size_t letter = indexLetterOf(row.lastNameView());
        qsizetype above = i - 1;
        while (above >= 0 && indexLetterOf(rows[size_t(above)].lastNameView()) != letter)
            --above;
        int at = -1;
        if (above >= 0) {
            const QString aboveLine = rows[size_t(above)].line();
            const int first = tree.findLine(aboveLine);
            at = first < 0 ? -1 : first + int(above - firstOfSameLine(rows, above, aboveLine)) + 1;
        } else {
            const int letterLine = tree.findLine(QString(QChar(IndexLetters[letter])));
            at = letterLine < 0 ? -1 : letterLine + 1;
        }
        if (at < 0)
            return false;
        tree.InsertItem(at, row.line(), 2);
    }
    rememberOutlineRows();
    return true;
}

void Phone::OutlineCollapseAll()
{
    setLettersOpen(false);
}

void Phone::setLettersOpen(bool open)
{
    for (int line : ui.Outline1->linesWithSubItems())
        ui.Outline1->setExpand(line, open);
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
    const QString text = ui.Outline1->List(line);
    QString rest = text;
    const QString lastName = SplitField(rest, QStringLiteral(","));
    const QString firstName = rest.mid(1);
    if (ui.Data1->FindFirst(ByName{lastName, firstName}))
        return;
    // Cutting the line gives back no stored name where the surname is Null, holds a comma or begins
    // or ends with a quote or a blank: such a contact is found by its whole line.
    for (const ContactStore::IndexEntry &row : ui.Data1->recordset()->rows()) {
        if (row.lineView() == text) {
            ui.Data1->FindFirst(ById{row.id});
            return;
        }
    }
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
    // A new record has no line, and no other contact's line may stay selected for it.
    if (!ui.Data1->hasCurrent() || ui.Data1->editMode() == EditMode::Adding) {
        ui.Data1->setCaption(QString());
        ui.Outline1->deselect();
        return;
    }
    const FieldValue lastName = ui.Data1->field(Field::LastName);
    const FieldValue firstName = ui.Data1->field(Field::FirstName);
    const QString name = nameLine(lastName.value_or(QString()), firstName.value_or(QString()));
    // A Null name leaves the caption empty, but the contact has its line all the same (a Null
    // surname under "#").
    ui.Data1->setCaption(lastName && firstName ? name : QString());

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
