// The agenda as a pocket book: A6 pages with a heading at each letter and the page number, printed
// four to an A4 sheet.
#pragma once

#include "contacts/ContactRecord.h"
#include "output/PrintedPage.h"

#include <vector>

// The A6 pages in reading order.
std::vector<PrintedPage> pocketAgendaPages(const std::vector<ContactRecord> &contacts);
// The A4 sheets, the A6 pages two by two on each, in the order cutting needs: the printed stack cut
// into quarters gives four piles, and the top-left pile, then the top-right, the bottom-left and the
// bottom-right one beneath it hold the pages in reading order.
std::vector<PrintedPage> fourToASheet(const std::vector<PrintedPage> &pages);
