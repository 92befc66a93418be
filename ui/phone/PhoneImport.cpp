// The import of the first version's text file: the question for the file, the import itself and
// the index tree that shows the new contacts at once.
#include "ui/phone/Phone.h"

#include "import/FirstVersionImport.h"
#include "platform/DataLocation.h"
#include "platform/Platform.h"
#include "ui/controls/BusyCursor.h"

#include <QDir>
#include <QSettings>

namespace {

const QString ImportPrompt = QStringLiteral(
    "Inserire nome e percorso del file di testo Numbo.txt per importare i dati dalla versione 1 "
    "o 1.xx, ad esempio inserire:  C:\\NUMBO\\NUMBO.TXT ");
const QString ImportTitle = QStringLiteral("Rubrello");
const QString ImportFileFilter = QStringLiteral("File di testo (*.txt *.TXT);;Tutti i file (*)");
const QString LastPathKey = QStringLiteral("import/lastPath");

} // namespace

void Phone::FileImporta_Click()
{
    // The tree is read again at the end: what the card holds goes through the save flow first,
    // with its question and its name checks, and a name still to correct keeps the import out.
    if (!saveBeforeLeaving())
        return;

    // The file imported last time: a path of this system rather than the first version's "C:\NUMBO".
    QString offered = rememberedPath(LastPathKey);
    for (;;) {
        const QString answer = m_platform.inputBox({ImportPrompt, ImportTitle, offered, ImportFileFilter});
        if (answer.isEmpty())
            return;
        const QString path = resolveTypedPath(answer);

        ImportOutcome outcome;
        {
            const BusyCursor busy;
            outcome = importFirstVersionFile(path, m_store);
        }
        // Contacts stored before a failure stay stored, so they show too.
        if (outcome.added > 0)
            reloadAgendaShowing(ui.Data1->currentId());
        if (outcome.ok()) {
            QSettings().setValue(LastPathKey, QDir::toNativeSeparators(path));
            m_platform.showMessage(importSummaryMessage(outcome.added), MessageIcon::Information);
            return;
        }
        m_platform.showMessage(importFailureMessage(outcome));
        // What the user typed comes back for correcting, not the path offered at first.
        offered = answer;
    }
}
