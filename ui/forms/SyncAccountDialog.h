// "Account di sincronizzazione": the CardDAV server, the user and the password, the address book
// found on the server, how often to sync; and the small box that asks the password for one sync.
#pragma once

#include "carddav/SyncState.h"

#include <QDialog>

#include <atomic>
#include <memory>
#include <optional>

class ContactStore;
class Platform;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QThread;
struct DiscoveryResult;

class SyncAccountDialog : public QDialog
{
public:
    // stored is the store's account, if any, and password the one known for it.
    SyncAccountDialog(ContactStore &store, Platform &platform, const std::optional<CardDavAccount> &stored,
        const QString &password, QWidget *parent = nullptr);
    // A search still under way is stopped and waited for: its client lives on its thread.
    ~SyncAccountDialog() override;

    // The account as written to the store once "Salva" closed the dialog.
    const std::optional<CardDavAccount> &saved() const { return m_saved; }
    // The password typed for it, to be kept for the session whether the keyring took it or not.
    QString password() const;
    // "Togli account" took the account out of the store.
    bool removed() const { return m_removed; }

private:
    void searchBooks();
    // Stops the search under way, if any, and waits for its thread.
    void waitForSearch();
    void searchEnded();
    void showResult(const DiscoveryResult &result);
    void trustChanged();
    void save();
    void forgetAccount();
    void setStatus(const QString &text);

    ContactStore &m_store;
    Platform &m_platform;
    std::optional<CardDavAccount> m_stored;
    QLineEdit *txtServer;
    QLineEdit *txtUtente;
    QLineEdit *txtPassword;
    QPushButton *cmdCerca;
    QComboBox *cboRubrica;
    QSpinBox *spnIntervallo;
    QLabel *lblStato;
    QCheckBox *chkFidati;
    QPushButton *cmdTogli = nullptr;
    // The fingerprint the account trusts, and the one the check box offers (refused by the last
    // search, or the one trusted so far).
    QString m_trusted;
    QString m_refused;
    // The search under way, its result filled on its thread, and its cancel.
    std::unique_ptr<QThread> m_search;
    std::shared_ptr<DiscoveryResult> m_found;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::optional<CardDavAccount> m_saved;
    bool m_removed = false;
};

// The password of the account for one sync, when none is kept: typed unseen.
class SyncPasswordDialog : public QDialog
{
public:
    SyncPasswordDialog(const CardDavAccount &account, QWidget *parent = nullptr);

    QString password() const;

private:
    QLineEdit *txtPassword;
};
