// The sync with the CardDAV account: its dialog, the password for the session, the sync in the
// background with its progress in the status bar, the agenda read again at its end, and the timer.
#include "ui/phone/Phone.h"

#include "carddav/AccountPassword.h"
#include "carddav/SyncWorker.h"
#include "platform/Platform.h"
#include "ui/controls/BusyCursor.h"
#include "ui/controls/DataControl.h"
#include "ui/forms/SyncAccountDialog.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTime>
#include <QTimer>

namespace {

const QString SyncTitle = QStringLiteral("Sincronizza");

} // namespace

void Phone::FileSincronizza_Click()
{
    startSync(true);
}

void Phone::FileAccount_Click()
{
    editSyncAccount();
}

bool Phone::editSyncAccount()
{
    QString error;
    const std::optional<CardDavAccount> stored = readAccount(m_store.connection(), &error);
    if (!error.isEmpty()) {
        m_platform.showMessage(
            QStringLiteral("Impossibile leggere l'account di sincronizzazione: %1").arg(error));
        return false;
    }
    SyncAccountDialog dialog(
        m_store, m_platform, stored, stored ? knownSyncPassword(*stored) : QString(), this);
    m_platform.runModal(dialog);
    if (dialog.removed()) {
        m_syncPassword.clear();
        m_syncPasswordKey.clear();
    } else if (dialog.saved()) {
        rememberSyncPassword(*dialog.saved(), dialog.password());
    }
    scheduleSync();
    return dialog.saved().has_value();
}

QString Phone::knownSyncPassword(const CardDavAccount &account)
{
    const QString key = keyringKey(account);
    if (key == m_syncPasswordKey)
        return m_syncPassword;
    const KeyringAnswer kept = readPassword(key);
    if (kept.found)
        rememberSyncPassword(account, kept.password);
    return kept.password;
}

void Phone::rememberSyncPassword(const CardDavAccount &account, const QString &password)
{
    m_syncPassword = password;
    m_syncPasswordKey = keyringKey(account);
}

void Phone::scheduleSync()
{
    if (!m_syncTimer) {
        m_syncTimer = new QTimer(this);
        m_syncTimer->setObjectName(QStringLiteral("tmrSincronizza"));
        connect(m_syncTimer, &QTimer::timeout, this, [this] { startSync(false); });
    }
    QString error;
    const std::optional<CardDavAccount> account = readAccount(m_store.connection(), &error);
    if (account && account->intervalMinutes > 0)
        m_syncTimer->start(std::chrono::minutes(account->intervalMinutes));
    else
        m_syncTimer->stop();
}

void Phone::startSync(bool onDemand)
{
    if (m_ending || (m_sync && m_sync->running()))
        return;
    // The timer never interrupts: the card's changes and an open dialog come first, and it comes
    // back at its next turn.
    if (!onDemand && (hasPendingEdit() || QApplication::activeModalWidget()))
        return;
    // The agenda is read again at the end: what the card holds is saved first, as for an import.
    if (onDemand && !saveBeforeLeaving())
        return;
    QString error;
    std::optional<CardDavAccount> account = readAccount(m_store.connection(), &error);
    if (!error.isEmpty()) {
        if (onDemand)
            m_platform.showMessage(
                QStringLiteral("Impossibile leggere l'account di sincronizzazione: %1").arg(error));
        return;
    }
    if (!account) {
        if (!onDemand
            || m_platform.messageBox({QStringLiteral("Non c'è ancora un account di sincronizzazione. "
                                                     "Impostarlo adesso?"),
                   SyncTitle, MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::Yes})
                != MessageAnswer::Yes
            || !editSyncAccount())
            return;
        account = readAccount(m_store.connection(), &error);
        if (!account)
            return;
    }
    QString password = knownSyncPassword(*account);
    if (password.isEmpty()) {
        if (!onDemand)
            return;
        SyncPasswordDialog asked(*account, this);
        m_platform.runModal(asked);
        if (asked.result() != QDialog::Accepted || asked.password().isEmpty())
            return;
        password = asked.password();
        rememberSyncPassword(*account, password);
    }
    if (!m_sync) {
        m_sync = std::make_unique<SyncWorker>();
        connect(m_sync.get(), &SyncWorker::progressed, this, &Phone::showSyncProgress);
        connect(m_sync.get(), &SyncWorker::finished, this, &Phone::syncFinished);
    }
    if (!m_sync->start(m_store.path(), *account, password))
        return;
    m_syncOnDemand = onDemand;
    showSyncRunning();
}

void Phone::showSyncRunning()
{
    ui.FileSincronizza->setEnabled(false);
    // A new account or book midway would leave the sync writing what the store no longer expects.
    ui.FileAccount->setEnabled(false);
    if (!ui.prgSincronizza) {
        ui.lblSincronizza = new QLabel(statusBar());
        ui.lblSincronizza->setObjectName(QStringLiteral("lblSincronizza"));
        ui.prgSincronizza = new QProgressBar(statusBar());
        ui.prgSincronizza->setObjectName(QStringLiteral("prgSincronizza"));
        ui.prgSincronizza->setFormat(QStringLiteral("%v/%m"));
        ui.prgSincronizza->setMaximumWidth(160);
        ui.cmdAnnullaSync = new QPushButton(QStringLiteral("Annulla"), statusBar());
        ui.cmdAnnullaSync->setObjectName(QStringLiteral("cmdAnnullaSync"));
        ui.cmdAnnullaSync->setToolTip(QStringLiteral("Interrompe la sincronizzazione"));
        connect(ui.cmdAnnullaSync, &QPushButton::clicked, this, [this] {
            if (!m_sync || !m_sync->running())
                return;
            m_sync->cancel();
            ui.cmdAnnullaSync->setEnabled(false);
            ui.lblSincronizza->setText(QStringLiteral("Interruzione della sincronizzazione…"));
        });
        statusBar()->addWidget(ui.lblSincronizza, 1);
        statusBar()->addPermanentWidget(ui.prgSincronizza);
        statusBar()->addPermanentWidget(ui.cmdAnnullaSync);
    }
    statusBar()->clearMessage();
    statusBar()->show();
    ui.lblSincronizza->setText(QStringLiteral("Sincronizzazione…"));
    ui.prgSincronizza->setRange(0, 0);
    ui.cmdAnnullaSync->setEnabled(true);
    for (QWidget *shown : {static_cast<QWidget *>(ui.lblSincronizza),
             static_cast<QWidget *>(ui.prgSincronizza), static_cast<QWidget *>(ui.cmdAnnullaSync)})
        shown->show();
}

void Phone::showSyncProgress(const SyncProgress &progress)
{
    if (!ui.cmdAnnullaSync->isEnabled())
        return;
    ui.lblSincronizza->setText(progress.stage);
    // A stage that cannot count its work shows the bar busy.
    ui.prgSincronizza->setRange(0, progress.total);
    ui.prgSincronizza->setValue(progress.done);
}

void Phone::syncFinished(const SyncSummary &summary)
{
    ui.lblSincronizza->hide();
    ui.prgSincronizza->hide();
    ui.cmdAnnullaSync->hide();
    ui.FileSincronizza->setEnabled(true);
    ui.FileAccount->setEnabled(true);
    // The next sync asks rather than being refused again with the same password, the keyring's
    // copy included.
    if (summary.passwordRefused)
        m_syncPassword.clear();
    // Only contacts written here move the tree; the sync's own tables do not.
    if (summary.received + summary.deletedHere + summary.conflicts > 0) {
        if (hasPendingEdit())
            m_syncedMeanwhile = true;
        else
            reloadAgendaShowing(ui.Data1->currentId());
        emit agendaSynced();
    }
    updateUndoActions();

    const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm"));
    statusBar()->showMessage(
        (summary.complete() ? QStringLiteral("Sincronizzazione delle %1: %2")
                            : QStringLiteral("Sincronizzazione delle %1 non completata: %2"))
            .arg(time, syncSummaryText(summary)));
    if (!m_syncOnDemand && summary.failure.isEmpty())
        return;
    QString report = syncReportText(summary);
    if (!summary.refusedCertificate.isEmpty())
        report += QStringLiteral("\n\nSe è il certificato del proprio server, lo si può accettare in Edit → "
                                 "Account di sincronizzazione…");
    m_platform.showMessage(
        report, summary.complete() ? MessageIcon::Information : MessageIcon::Exclamation, SyncTitle);
}

void Phone::stopSync()
{
    if (!m_sync || !m_sync->running())
        return;
    // Its destructor stops it and waits for its thread; what was written stays written.
    const BusyCursor busy;
    m_sync.reset();
}
