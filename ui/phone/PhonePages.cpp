// The card's three pages. The visible flags and the place of Image1 are the page state.
#include "ui/phone/Phone.h"

#include "ui/controls/BoundBox.h"

#include <QFrame>
#include <QLabel>
#include <QTreeWidget>

void Phone::showPageBoxes(int instance)
{
    for (const CardField &entry : CardFields) {
        if (!entry.isPageBox())
            continue;
        for (int shown = 0; shown < 2; ++shown) {
            if (BoundBox *box = ui.box(entry, shown))
                box->widget()->setVisible(shown == instance);
        }
    }
}

void Phone::Command3d1_Click()
{
    ui.Picture1->show();
    showPageBoxes(1);
    ui.tNotes->hide();
    ui.Image1->move(380, ui.Image1->y());
    hideOtherData();
}

void Phone::Command3d2_Click()
{
    ui.Picture1->show();
    showPageBoxes(0);
    ui.tNotes->hide();
    ui.Image1->move(248, ui.Image1->y());
    hideOtherData();
}

void Phone::Command3d3_Click()
{
    ui.Picture1->hide();
    ui.tNotes->show();
    ui.Image1->move(499, ui.Image1->y());
    // The page opens on the notes, whatever it showed when it was left.
    ui.lstAltriDati->hide();
    showOtherDataLabel();
}

void Phone::Label1_Click()
{
    showPageBoxes(0);
    ui.tNotes->hide();
    hideOtherData();
}

void Phone::Label2_Click()
{
    showPageBoxes(1);
    ui.tNotes->hide();
    hideOtherData();
}
