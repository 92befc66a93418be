#include "ui/forms/SyncAccountDialog.h"

#include "carddav/AccountPassword.h"
#include "carddav/DavDiscovery.h"
#include "contacts/ContactStore.h"
#include "platform/Platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>

namespace {

const QString SearchCaption = QStringLiteral("Cerca rubriche");

} // namespace

SyncAccountDialog::SyncAccountDialog(ContactStore &store, Platform &platform,
    const std::optional<CardDavAccount> &stored, const QString &password, QWidget *parent)
    : QDialog(parent)
    , m_store(store)
    , m_platform(platform)
    , m_stored(stored)
{
    setObjectName(QStringLiteral("SyncAccountDialog"));
    setWindowTitle(QStringLiteral("Account di sincronizzazione"));

    txtServer = new QLineEdit(this);
    txtServer->setObjectName(QStringLiteral("txtServer"));
    txtServer->setPlaceholderText(QStringLiteral("dav.esempio.it"));
    txtUtente = new QLineEdit(this);
    txtUtente->setObjectName(QStringLiteral("txtUtente"));
    txtPassword = new QLineEdit(password, this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    cmdCerca = new QPushButton(SearchCaption, this);
    cmdCerca->setObjectName(QStringLiteral("cmdCerca"));
    // Enter in a box saves; the search is asked for by its own button.
    cmdCerca->setAutoDefault(false);
    cboRubrica = new QComboBox(this);
    cboRubrica->setObjectName(QStringLiteral("cboRubrica"));
    spnIntervallo = new QSpinBox(this);
    spnIntervallo->setObjectName(QStringLiteral("spnIntervallo"));
    spnIntervallo->setRange(0, 24 * 60);
    spnIntervallo->setSuffix(QStringLiteral(" minuti"));
    spnIntervallo->setSpecialValueText(QStringLiteral("solo a richiesta"));
    lblStato = new QLabel(this);
    lblStato->setObjectName(QStringLiteral("lblStato"));
    lblStato->setWordWrap(true);
    lblStato->setTextInteractionFlags(Qt::TextSelectableByMouse);
    chkFidati = new QCheckBox(this);
    chkFidati->setObjectName(QStringLiteral("chkFidati"));
    chkFidati->hide();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *cmdSalva = buttons->button(QDialogButtonBox::Ok);
    cmdSalva->setText(QStringLiteral("Salva"));
    cmdSalva->setObjectName(QStringLiteral("cmdSalva"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    if (m_stored) {
        cmdTogli = buttons->addButton(QStringLiteral("Togli account"), QDialogButtonBox::DestructiveRole);
        cmdTogli->setObjectName(QStringLiteral("cmdTogli"));
        cmdTogli->setAutoDefault(false);
        connect(cmdTogli, &QPushButton::clicked, this, &SyncAccountDialog::forgetAccount);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &SyncAccountDialog::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cmdCerca, &QPushButton::clicked, this, &SyncAccountDialog::searchBooks);
    connect(chkFidati, &QCheckBox::toggled, this, &SyncAccountDialog::trustChanged);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Server o indirizzo della rubrica:"), txtServer);
    form->addRow(QStringLiteral("Nome utente:"), txtUtente);
    form->addRow(QStringLiteral("Password:"), txtPassword);
    form->addRow(QString(), cmdCerca);
    form->addRow(QStringLiteral("Rubrica:"), cboRubrica);
    form->addRow(QStringLiteral("Sincronizza ogni:"), spnIntervallo);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblStato);
    layout->addWidget(chkFidati);
    layout->addStretch();
    layout->addWidget(buttons);
    // Room for a book's whole address and a certificate's fingerprint.
    setMinimumWidth(560);

    if (m_stored) {
        // The book's own address finds the book again, whatever server address found it first.
        txtServer->setText(m_stored->book.toString());
        txtUtente->setText(m_stored->user);
        cboRubrica->addItem(m_stored->book.toString(), m_stored->book);
        spnIntervallo->setValue(m_stored->intervalMinutes);
        if (!m_stored->trustedCertificate.isEmpty()) {
            m_trusted = m_refused = m_stored->trustedCertificate;
            const QSignalBlocker quiet(chkFidati);
            chkFidati->setText(QStringLiteral("Mi fido di questo certificato (impronta %1)").arg(m_refused));
            chkFidati->setChecked(true);
            chkFidati->show();
        }
    }
}

SyncAccountDialog::~SyncAccountDialog()
{
    waitForSearch();
}

QString SyncAccountDialog::password() const
{
    return txtPassword->text();
}

void SyncAccountDialog::setStatus(const QString &text)
{
    lblStato->setText(text);
}

void SyncAccountDialog::searchBooks()
{
    // While a search runs the button stops it.
    if (m_search) {
        m_cancel->store(true);
        setStatus(QStringLiteral("Interruzione della ricerca…"));
        return;
    }
    const QString server = txtServer->text().trimmed();
    const QString user = txtUtente->text().trimmed();
    if (server.isEmpty()) {
        setStatus(QStringLiteral("Scrivere l'indirizzo del server o della rubrica."));
        return;
    }
    if (user.isEmpty()) {
        setStatus(QStringLiteral("Scrivere il nome utente."));
        return;
    }
    const QUrl start = serverUrlFromText(server);
    if (!start.isValid() || start.host().isEmpty()) {
        setStatus(QStringLiteral("\"%1\" non è l'indirizzo di un server.").arg(server));
        return;
    }
    // The client blocks the thread it lives on until its answers are in: not this one.
    const DavCredentials credentials{user, txtPassword->text(), m_trusted};
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_found = std::make_shared<DiscoveryResult>();
    m_search.reset(QThread::create([credentials, start, found = m_found, cancel = m_cancel] {
        DavClient client(credentials, cancel.get());
        *found = discoverAddressBooks(client, start);
    }));
    connect(m_search.get(), &QThread::finished, this, &SyncAccountDialog::searchEnded, Qt::QueuedConnection);
    m_search->start();
    cmdCerca->setText(QStringLiteral("Annulla ricerca"));
    setStatus(QStringLiteral("Ricerca delle rubriche su %1…").arg(start.host()));
}

void SyncAccountDialog::waitForSearch()
{
    if (!m_search)
        return;
    m_cancel->store(true);
    m_search->wait();
    m_search.reset();
    cmdCerca->setText(SearchCaption);
}

void SyncAccountDialog::searchEnded()
{
    if (!m_search)
        return;
    m_search->wait();
    m_search.reset();
    cmdCerca->setText(SearchCaption);
    if (m_cancel->load())
        setStatus(QStringLiteral("Ricerca interrotta."));
    else
        showResult(*m_found);
}

void SyncAccountDialog::showResult(const DiscoveryResult &result)
{
    if (!result.refusedCertificate.isEmpty()) {
        // The box now speaks of this certificate, not trusted until the user says so.
        m_refused = result.refusedCertificate;
        m_trusted.clear();
        const QSignalBlocker quiet(chkFidati);
        chkFidati->setChecked(false);
        chkFidati->setText(QStringLiteral("Mi fido di questo certificato (impronta %1)").arg(m_refused));
        chkFidati->show();
        // A check box does not wrap: the dialog widens to show the whole fingerprint.
        adjustSize();
        setStatus(result.failure
            + QStringLiteral(" Se è il certificato del proprio server, spuntare la casella qui sotto e "
                             "cercare di nuovo."));
        return;
    }
    if (!result.failure.isEmpty()) {
        setStatus(result.failure);
        return;
    }
    const QUrl chosen = cboRubrica->currentData().toUrl();
    cboRubrica->clear();
    for (const AddressBookPlace &book : result.books)
        cboRubrica->addItem(QStringLiteral("%1 — %2").arg(book.name, book.url.toString()), book.url);
    if (const int again = cboRubrica->findData(chosen); again >= 0)
        cboRubrica->setCurrentIndex(again);
    setStatus(result.books.size() == 1
            ? QStringLiteral("Trovata la rubrica \"%1\".").arg(result.books.front().name)
            : QStringLiteral("Trovate %1 rubriche: scegliere quella da sincronizzare.")
                  .arg(result.books.size()));
}

void SyncAccountDialog::trustChanged()
{
    m_trusted = chkFidati->isChecked() ? m_refused : QString();
    if (chkFidati->isChecked())
        setStatus(QStringLiteral("Premere \"Cerca rubriche\" per cercare di nuovo con questo certificato."));
}

void SyncAccountDialog::save()
{
    waitForSearch();
    const QString user = txtUtente->text().trimmed();
    if (user.isEmpty()) {
        setStatus(QStringLiteral("Scrivere il nome utente."));
        return;
    }
    if (cboRubrica->currentIndex() < 0) {
        setStatus(QStringLiteral("Cercare le rubriche sul server e sceglierne una."));
        return;
    }
    CardDavAccount account;
    account.user = user;
    account.book = cboRubrica->currentData().toUrl();
    account.intervalMinutes = spnIntervallo->value();
    account.trustedCertificate = m_trusted;
    QString error;
    if (!writeAccount(m_store.connection(), account, &error)) {
        setStatus(QStringLiteral("Impossibile salvare l'account: %1").arg(error));
        return;
    }
    // The password of another user or book is of no use any more.
    const QString key = keyringKey(account);
    if (m_stored && keyringKey(*m_stored) != key)
        deletePassword(keyringKey(*m_stored));
    QString unavailable;
    if (password().isEmpty())
        deletePassword(key);
    else if (!writePassword(key, password(), &unavailable))
        m_platform.showMessage(unavailable
                + QStringLiteral("\n\nLa password resta in memoria solo finché Rubrello è aperto: dopo una "
                                 "nuova apertura verrà chiesta alla prima sincronizzazione."),
            MessageIcon::Information, windowTitle());
    m_saved = account;
    accept();
}

void SyncAccountDialog::forgetAccount()
{
    if (!m_platform.askOkCancel(
            QStringLiteral("Togliere l'account di sincronizzazione?\n\nI contatti restano "
                           "nell'agenda come sono, e la rubrica sul server non cambia."),
            windowTitle()))
        return;
    waitForSearch();
    QString error;
    if (!removeAccount(m_store.connection(), &error)) {
        setStatus(QStringLiteral("Impossibile togliere l'account: %1").arg(error));
        return;
    }
    deletePassword(keyringKey(*m_stored));
    m_removed = true;
    accept();
}

SyncPasswordDialog::SyncPasswordDialog(const CardDavAccount &account, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("SyncPasswordDialog"));
    setWindowTitle(QStringLiteral("Sincronizza"));
    auto *prompt = new QLabel(
        QStringLiteral("Password di %1 per la rubrica su %2:").arg(account.user, account.book.host()), this);
    prompt->setWordWrap(true);
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(txtPassword);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

QString SyncPasswordDialog::password() const
{
    return txtPassword->text();
}
