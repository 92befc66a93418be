// The search: ask for the argument, showing the hits in the tree while it is typed, then show the
// whole agenda or only the contacts that hold it, with the first one's match on its card.
#include "ui/phone/Phone.h"

#include "exchange/CardProperties.h"
#include "platform/Platform.h"
#include "search/SearchMatch.h"
#include "search/SearchQuery.h"
#include "search/SearchState.h"
#include "search/SearchText.h"
#include "ui/controls/BoundBox.h"
#include "ui/controls/Outline.h"
#include "ui/forms/FrmCerca.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTreeWidget>

namespace {

bool sameSearch(const SearchState &a, const SearchState &b)
{
    return a.SearchText == b.SearchText && a.IgnoreCase == b.IgnoreCase && a.SearchScope == b.SearchScope;
}

} // namespace

void Phone::BtnCerca_Click()
{
    // A refused save keeps the card as typed: reloading the agenda now would throw it away.
    if (!saveBeforeLeaving())
        return;
    // The table is read for the search while the user types.
    m_search.prepare(*ui.Data1->recordset());
    // What imported contacts came with beyond the boxes is searched too.
    m_search.setOtherTextHits(otherTextHitsIn(m_store));
    m_treeSearch.reset();
    askSearchArgument(m_platform, this, [this](const SearchState &typed) { return showLiveHits(typed); });

    const SearchState &state = searchState();
    const QString argument = searchArgument(state);
    if (isWholeAgenda(argument)) {
        m_treeSearch.reset();
        setWindowTitle(wholeAgendaCaption());
        Form_Load();
        return;
    }
    // The tree already shows these hits when they were typed and nothing was written since.
    if (!m_treeSearch || !sameSearch(*m_treeSearch, state) || m_treeSearchGeneration != m_store.generation())
        showHits(state, false);
    m_treeSearch.reset();
    OutlineCollapseAll();
    show();
    ui.Outline1->setFocus();
    // Where keystrokes were once queued for the tree, the selections are made directly: the
    // first letter is opened and its first contact chosen. An empty tree falls back to the
    // whole agenda inside Outline1_Expand.
    Outline1_Expand(0);
    Outline1_KeyPress(13);
    ui.Outline1->setListIndex(1);
    Outline1_Click();
    // The line names the first hit, but a contact of the same name that is no hit may come before
    // it in the agenda: the card shows the hit itself.
    if (m_firstLineHit != 0 && ui.Data1->currentId() != m_firstLineHit)
        ui.Data1->FindFirst(ById{m_firstLineHit});
    if (!m_searchHits.empty())
        showMatchOnCard(searchQuery(state));
}

bool Phone::showHits(const SearchState &state, bool quiet)
{
    setWindowTitle(searchCaption(searchArgument(state)));
    IndexRs = ui.Data1->Clone();
    RememberedID = 0;
    const SearchResult result = m_search.search(*IndexRs, state);
    if (!result.failure.isEmpty() && !quiet)
        m_platform.showMessage(result.failure);
    ui.Outline1->setLines(result.lines, result.blocks);
    RememberedID = result.firstHitId;
    m_searchHits = result.hitIds;
    m_firstLineHit = result.firstLineId;
    return result.failure.isEmpty();
}

std::optional<int> Phone::showLiveHits(const SearchState &typed)
{
    if (isWholeAgenda(searchArgument(typed))) {
        // Back to the whole agenda only when the tree shows something else.
        if (m_treeSearch) {
            m_treeSearch.reset();
            FillOutline();
            OutlineCollapseAll();
        }
        return std::nullopt;
    }
    // A failure is told once the argument is given, not at every key.
    if (!showHits(typed, true)) {
        m_treeSearch.reset();
        return std::nullopt;
    }
    const int hits = static_cast<int>(m_searchHits.size());
    // A few hits show their names at once; many stay under their closed letters.
    constexpr int FewHits = 200;
    setLettersOpen(hits <= FewHits);
    m_treeSearch = typed;
    m_treeSearchGeneration = m_store.generation();
    return hits;
}

void Phone::showMatchOnCard(const SearchQuery &query)
{
    // The first field, in the search's order, that shows the match; one on a page of its own (an
    // address, the notes) before the names and boxes every page shows.
    BoundBox *found = nullptr;
    Field foundField = Field::LastName;
    TextSpan span;
    for (const SearchField &info : SearchFields) {
        if (!isGroupSearched(info.group, query.scope))
            continue;
        const CardField &entry = cardField(info.field);
        BoundBox *box = ui.box(entry, entry.homeField == info.field ? 1 : 0);
        const std::optional<TextSpan> here = box ? findInText(box->shownText(), query) : std::nullopt;
        if (!here)
            continue;
        const bool onPage = entry.isPageBox() || info.field == Field::Note;
        if (!found || onPage) {
            found = box;
            foundField = info.field;
            span = *here;
        }
        if (onPage)
            break;
    }
    if (!found) {
        showOtherDataMatch(query);
        return;
    }
    const CardField &entry = cardField(foundField);
    if (foundField == Field::Note)
        Command3d3_Click();
    else if (entry.homeField == foundField)
        Command3d1_Click();
    else if (entry.isPageBox() || !ui.tNotes->isHidden() || !ui.lstAltriDati->isHidden())
        Command3d2_Click();
    found->selectShown(span.start, span.length);
}

void Phone::showOtherDataMatch(const SearchQuery &query)
{
    if (!isOtherDataSearched(query.scope))
        return;
    for (int i = 0; i < ui.lstAltriDati->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = ui.lstAltriDati->topLevelItem(i);
        if (!findInText(item->text(1), query) && !findInText(item->text(0), query))
            continue;
        Command3d3_Click();
        if (ui.lstAltriDati->isHidden())
            lblAltriDati_Click();
        ui.lstAltriDati->setCurrentItem(item);
        ui.lstAltriDati->scrollToItem(item);
        return;
    }
}
