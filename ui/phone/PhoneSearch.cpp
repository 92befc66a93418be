// The search: ask for the argument, then show the whole agenda or only the contacts that hold it.
#include "ui/phone/Phone.h"

#include "exchange/CardProperties.h"
#include "platform/Platform.h"
#include "search/SearchState.h"
#include "search/SearchText.h"
#include "ui/controls/Outline.h"
#include "ui/forms/FrmCerca.h"

#include <QAction>

void Phone::BtnCerca_Click()
{
    // A refused save keeps the card as typed: reloading the agenda now would throw it away.
    if (!saveBeforeLeaving())
        return;
    // The table is read for the search while the user types.
    m_search.prepare(*ui.Data1->recordset());
    askSearchArgument(m_platform, this);

    const QString argument = searchArgument(searchState());
    if (isWholeAgenda(argument)) {
        setWindowTitle(wholeAgendaCaption());
        Form_Load();
        return;
    }
    setWindowTitle(searchCaption(argument));

    IndexRs = ui.Data1->Clone();
    RememberedID = 0;
    // What imported contacts came with beyond the boxes is searched too.
    m_search.setOtherTextHits(otherTextHitsIn(m_store));
    const SearchResult result = m_search.search(*IndexRs, searchState());
    if (!result.failure.isEmpty())
        m_platform.showMessage(result.failure);
    {
        Outline::Batch batch(*ui.Outline1);
        ui.Outline1->Clear();
        for (const OutlineLine &line : result.lines) {
            ui.Outline1->AddItem(line.text);
            ui.Outline1->setIndent(ui.Outline1->ListCount() - 1, line.level);
        }
    }
    RememberedID = result.firstHitId;
    m_searchHits = result.hitIds;
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
}
