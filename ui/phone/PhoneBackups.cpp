// The backups of the agenda: a copy saved where the user chooses, the restore of an automatic one,
// and the offer of the newest good copy when the agenda is found damaged.
#include "ui/phone/Phone.h"

#include "backup/BackupRestore.h"
#include "backup/BackupShelf.h"
#include "backup/StoreCopy.h"
#include "contacts/StoreMigration.h"
#include "platform/DataLocation.h"
#include "platform/Platform.h"
#include "ui/controls/BusyCursor.h"
#include "ui/controls/DataControl.h"
#include "ui/forms/BackupDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString CopyPathKey = QStringLiteral("backup/lastCopy");

// "1.234 contatti"; said so when the count could not be read (a damaged agenda).
QString contactsText(qint64 count)
{
    return count < 0 ? QStringLiteral("contatti non leggibili") : contactCount(count);
}

} // namespace

void Phone::FileSalvaCopia_Click()
{
    if (!saveBeforeLeaving())
        return;
    QString offered = rememberedPath(CopyPathKey);
    if (QFileInfo(offered).isDir())
        offered = QDir(offered).filePath(
            QStringLiteral("Rubrello %1.MDB").arg(QDate::currentDate().toString(Qt::ISODate)));
    const QString answer = m_platform.inputBox({QStringLiteral("Nome e percorso del file in cui salvare una "
                                                               "copia dell'agenda:"),
        QStringLiteral("Salva una copia"), offered,
        QStringLiteral("Agenda di Rubrello (*.MDB *.mdb);;Tutti i file (*)"), true});
    if (answer.isEmpty())
        return;
    const QString path = resolveTypedPath(answer);
    if (QFileInfo(path).canonicalFilePath() == QFileInfo(m_store.path()).canonicalFilePath()) {
        m_platform.showMessage(QStringLiteral("Il file scelto è l'agenda stessa: sceglierne un altro."));
        return;
    }
    if (QFileInfo::exists(path)
        && !m_platform.askOkCancel(
            QStringLiteral("Il file \"%1\" esiste già: sostituirlo con la copia?").arg(shownPath(path))))
        return;
    QString error;
    bool copied = false;
    {
        const BusyCursor busy;
        copied = copyStore(m_store.path(), path, &error);
    }
    if (!copied) {
        m_platform.showMessage(error);
        return;
    }
    QSettings().setValue(CopyPathKey, QDir::toNativeSeparators(path));
    m_platform.showMessage(QStringLiteral("Copia dell'agenda salvata in \"%1\".").arg(shownPath(path)),
        MessageIcon::Information);
}

void Phone::FileRipristina_Click()
{
    if (!saveBeforeLeaving())
        return;
    std::vector<BackupEntry> entries;
    {
        const BusyCursor busy;
        entries = listBackups(backupFolderFor(m_store.path()), Thoroughness::Quick);
    }
    BackupDialog dialog(std::move(entries), this);
    m_platform.runModal(dialog);
    if (const std::optional<BackupEntry> chosen = dialog.chosen())
        restoreFromBackup(*chosen, QString());
}

void Phone::restoreFromBackup(const BackupEntry &entry, const QString &why)
{
    const QString question = why
        + QStringLiteral("Ripristinare la copia di sicurezza di %1, con %2?\n\n"
                         "L'agenda com'è adesso (%3) viene prima salvata in una copia di sicurezza, "
                         "che resterà nell'elenco.")
              .arg(backupDateText(entry), contactsText(entry.contacts), contactsText(m_store.count()));
    if (m_platform.messageBox({question, {}, MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::No})
        != MessageAnswer::Yes)
        return;
    QString error;
    bool restored = false;
    {
        const BusyCursor busy;
        restored = restoreBackup(m_store, entry, QDateTime::currentDateTime(), &error);
    }
    if (!restored) {
        m_platform.showMessage(error);
        return;
    }
    reloadAgendaShowing(0);
    updateUndoActions();
    m_platform.showMessage(QStringLiteral("Ripristinata la copia di sicurezza di %1: l'agenda ha %2.")
                               .arg(backupDateText(entry), contactsText(m_store.count())),
        MessageIcon::Information);
}

void Phone::storeDamaged(const QString &message)
{
    std::optional<BackupEntry> newest;
    {
        const BusyCursor busy;
        newest = newestGoodBackup(backupFolderFor(m_store.path()));
    }
    if (!newest) {
        m_platform.showMessage(message, MessageIcon::Exclamation);
        return;
    }
    restoreFromBackup(*newest, message + QStringLiteral("\n\n"));
}
