// The import of the first version's text file: the question for the file, the import itself and
// the save flow that brings the new contacts into the index tree.
#include "app/Phone.h"

#include "import/FirstVersionImport.h"
#include "platform/Platform.h"

#include <QGuiApplication>

namespace {

const QString ImportPrompt = QStringLiteral(
    "Inserire nome e percorso del file di testo Numbo.txt per importare i dati dalla versione 1 "
    "o 1.xx, ad esempio inserire:  C:\\NUMBO\\NUMBO.TXT ");
const QString ImportTitle = QStringLiteral("Rubrello");
const QString DefaultImportPath = QStringLiteral("C:\\NUMBO\\NUMBO.TXT");

// A long import runs without returning to the event loop: the cursor says the program is busy.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// The first record the import adds is a move of the data control: what the user typed into the
// shown contact is written into it first, as on any move. Beginning a new record does exactly
// that; finding the shown contact again gives the empty new record up.
bool writeChangesOfShownContact(DataControl &data)
{
    // A new record still being typed is left to the save flow after the import, which checks its
    // names before it writes; without a current record typed text has nowhere to go.
    if (data.editMode() == EditMode::Adding || !data.hasCurrent() || !data.anyBoxChanged())
        return true;
    const qint64 shown = data.currentId();
    if (!data.AddNew())
        return false; // the data control has told the user why
    data.FindFirst(ById {shown});
    return true;
}

} // namespace

void Phone::FileImporta_Click()
{
    for (;;) {
        const QString path = m_platform.inputBox({ImportPrompt, ImportTitle, DefaultImportPath});
        if (path.isEmpty())
            return;

        QString shownCaption;
        bool adding = false;
        ImportOutcome outcome;
        {
            const BusyCursor busy;
            outcome = importFirstVersionFile(path, m_store, [&] {
                if (!writeChangesOfShownContact(*Data1))
                    return false;
                shownCaption = Data1->Caption();
                Data1->setCaption(QStringLiteral("Nuovo Record"));
                adding = true;
                return true;
            });
        }
        // After each added record the shown contact is current again, and so is its caption.
        if (adding)
            Data1->setCaption(shownCaption);

        if (outcome.ok()) {
            if (FileNuovo->isEnabled()) {
                // Nothing of the user's is pending: re-read the table so the new contacts show,
                // without a name check on a card the user has not touched (an empty table
                // would otherwise answer the import with "fill in the names").
                const qint64 shown = Data1->currentId();
                Data1->Refresh();
                FillOutline();
                OutlineCollapseAll();
                if (shown != 0)
                    Data1->FindFirst(ById{shown});
            } else {
                cUpdate_Click();
            }
            return;
        }
        if (outcome.failure == ImportOutcome::Failure::Stopped)
            return;
        m_platform.showMessage(importFailureMessage(outcome));
    }
}
