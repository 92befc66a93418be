// The Note page's "Altri dati": what a contact brought from a vCard or CSV file beyond the card's
// boxes, listed in place of the notes at the click of a label.
#include "ui/phone/Phone.h"

#include "exchange/CardDescription.h"
#include "exchange/CardProperties.h"
#include "ui/controls/ClickLabel.h"

#include <QFrame>
#include <QTreeWidget>

namespace {

const QString OtherDataCaption = QStringLiteral("Altri dati (%1)");
const QString BackToNotesCaption = QStringLiteral("Torna alle note");

} // namespace

void Phone::fillOtherData()
{
    // A new record has nothing kept yet, whatever record the cursor stood on.
    const qint64 id = ui.Data1->editMode() == EditMode::Adding ? 0 : ui.Data1->currentId();
    // A store that has never imported has no table of kept properties; that, or a read that fails,
    // is a contact with nothing more to show, not something to tell the user about.
    const QList<OtherDataLine> lines
        = id != 0 ? otherDataLines(readCardProperties(m_store.connection(), id)) : QList<OtherDataLine>();

    ui.lstAltriDati->clear();
    for (const OtherDataLine &line : lines) {
        auto *item = new QTreeWidgetItem(ui.lstAltriDati, {line.label, line.value});
        item->setToolTip(0, line.label);
        item->setToolTip(1, line.value);
    }
    // The labels take what they need, up to half the list: a CSV column's header can be long.
    ui.lstAltriDati->resizeColumnToContents(0);
    const int half = ui.lstAltriDati->width() / 2;
    if (ui.lstAltriDati->columnWidth(0) > half)
        ui.lstAltriDati->setColumnWidth(0, half);

    if (lines.isEmpty() && !ui.lstAltriDati->isHidden()) {
        ui.lstAltriDati->hide();
        ui.tNotes->show();
    }
    showOtherDataLabel();
}

void Phone::showOtherDataLabel()
{
    // The Note page is the one that hides the card; it shows the notes or the list.
    const bool notesPage
        = ui.Picture1->isHidden() && (!ui.tNotes->isHidden() || !ui.lstAltriDati->isHidden());
    const int count = ui.lstAltriDati->topLevelItemCount();
    ui.lblAltriDati->setText(ui.lstAltriDati->isHidden() ? OtherDataCaption.arg(count) : BackToNotesCaption);
    ui.lblAltriDati->setVisible(notesPage && count > 0);
}

void Phone::hideOtherData()
{
    ui.lstAltriDati->hide();
    ui.lblAltriDati->hide();
}

void Phone::lblAltriDati_Click()
{
    const bool toList = ui.lstAltriDati->isHidden();
    ui.lstAltriDati->setVisible(toList);
    ui.tNotes->setVisible(!toList);
    showOtherDataLabel();
}
