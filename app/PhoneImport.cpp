// The import of the first version's text file: the question for the file, the import itself and
// the index tree that shows the new contacts at once.
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

} // namespace

void Phone::FileImporta_Click()
{
    // The tree is read again at the end: what the card holds goes through the save flow first,
    // with its question and its name checks, and a name still to correct keeps the import out.
    if (!saveBeforeLeaving())
        return;

    for (;;) {
        const QString path = m_platform.inputBox({ImportPrompt, ImportTitle, DefaultImportPath});
        if (path.isEmpty())
            return;

        ImportOutcome outcome;
        {
            const BusyCursor busy;
            outcome = importFirstVersionFile(path, m_store);
        }
        // Contacts stored before a failure stay stored, so they show too.
        if (outcome.added > 0) {
            const qint64 shown = Data1->currentId();
            Data1->Refresh();
            FillOutline();
            OutlineCollapseAll();
            if (shown != 0)
                Data1->FindFirst(ById {shown});
        }
        if (outcome.ok())
            return;
        m_platform.showMessage(importFailureMessage(outcome));
    }
}
