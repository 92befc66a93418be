// The sync from the main window: its items in the Edit menu, the account dialog, and syncs with a
// real Radicale started for the test, asked for by the user and by the timer, with the password
// asked for when none is kept.
#include "PhoneFixture.h"
#include "carddav/SyncState.h"
#include "tests/support/RadicaleServer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>

namespace {

const QString User = u"mario"_s;
const QString Password = u"segreto"_s;
// A sync against the local server ends in well under a second; the margin is for a loaded machine.
constexpr int SyncEnds = 30000;

// Writes the card on the server as a phone would, with plain HTTP; the status it answered.
int putCard(const QUrl &url, const QString &mobile)
{
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bianchi-anna\r\nN:Bianchi;Anna;;;\r\n"
                            "FN:Anna Bianchi\r\nTEL;TYPE=CELL:"
        + mobile.toUtf8() + "\r\nEND:VCARD\r\n";
    QNetworkAccessManager network;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Basic " + (User + u':' + Password).toUtf8().toBase64());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/vcard; charset=utf-8"));
    QNetworkReply *reply = network.put(request, card);
    // The test's own server, with the certificate made for it.
    QObject::connect(reply, &QNetworkReply::sslErrors, reply, [reply] { reply->ignoreSslErrors(); });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->deleteLater();
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

std::function<void(QDialog &)> typePassword(const QString &password)
{
    return [password](QDialog &dialog) {
        QCOMPARE(dialog.objectName(), u"SyncPasswordDialog"_s);
        dialog.findChild<QLineEdit *>(u"txtPassword"_s)->setText(password);
        dialog.accept();
    };
}

} // namespace

class TestPhoneSync : public PhoneTest
{
    Q_OBJECT
private slots:
    // The two items end the Edit menu. Without an account Sincronizza offers to make one; the
    // account dialog shows the stored one, and "Togli account" takes it away, contacts kept.
    void menuAndAccountDialog()
    {
        f->test.add(u"Rossi"_s, u"Mario"_s);
        f->load();
        const QList<QAction *> items = f->find<QMenu>(u"FileEdit"_s)->actions();
        QCOMPARE(items.at(items.size() - 3)->objectName(), u"FileDuplicati"_s);
        QCOMPARE(items.at(items.size() - 2)->objectName(), u"FileSincronizza"_s);
        QCOMPARE(items.last()->objectName(), u"FileAccount"_s);

        const qsizetype forms = f->platform.modalForms.size();
        f->platform.messageAnswers.enqueue(MessageAnswer::No);
        f->act(u"FileSincronizza"_s);
        QCOMPARE(f->platform.messages.size(), 1);
        QCOMPARE(f->platform.modalForms.size(), forms);

        const QUrl book(u"https://dav.esempio.it/mario/contatti/"_s);
        QString error;
        QVERIFY(writeAccount(f->test.store().connection(), {User, book, 30, {}, {}}, &error));
        f->platform.messageAnswers.enqueue(MessageAnswer::Ok);
        f->platform.dialogScripts.enqueue([&](QDialog &dialog) {
            QCOMPARE(dialog.findChild<QLineEdit *>(u"txtUtente"_s)->text(), User);
            QCOMPARE(dialog.findChild<QComboBox *>(u"cboRubrica"_s)->currentData().toUrl(), book);
            QCOMPARE(dialog.findChild<QSpinBox *>(u"spnIntervallo"_s)->value(), 30);
            dialog.findChild<QPushButton *>(u"cmdTogli"_s)->click();
        });
        f->act(u"FileAccount"_s);
        QVERIFY(!readAccount(f->test.store().connection(), &error));
        QVERIFY(error.isEmpty());
        QCOMPARE(f->test.store().count(), 1);
    }

    // The account found from the server's root once its certificate is trusted by the fingerprint
    // shown, and saved; a sync asked for with its report, one by the timer that only the status bar
    // tells of and that the card shown follows; then a new run with no password kept: asked for, a
    // wrong one refused and asked for again. Closing the window in the middle of a sync waits for it.
    void syncWithARealServer()
    {
        RadicaleServer server(RadicaleServer::Transport::Tls);
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        const QString fingerprint = server.certificateFingerprint();
        QVERIFY(!fingerprint.isEmpty());
        const QUrl book = server.addressBook(User);
        const QUrl card = book.resolved(QUrl(u"bianchi.vcf"_s));
        QCOMPARE(putCard(card, u"333 1111111"_s), 201);
        f->test.add(u"Rossi"_s, u"Mario"_s);
        f->load();

        f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
        f->platform.dialogScripts.enqueue([&](QDialog &dialog) {
            dialog.findChild<QLineEdit *>(u"txtServer"_s)->setText(server.baseUrl().toString());
            dialog.findChild<QLineEdit *>(u"txtUtente"_s)->setText(User);
            dialog.findChild<QLineEdit *>(u"txtPassword"_s)->setText(Password);
            auto *search = dialog.findChild<QPushButton *>(u"cmdCerca"_s);
            search->click();
            auto *trust = dialog.findChild<QCheckBox *>(u"chkFidati"_s);
            QTRY_VERIFY_WITH_TIMEOUT(trust->isVisible(), SyncEnds);
            QVERIFY(dialog.findChild<QLabel *>(u"lblStato"_s)->text().contains(fingerprint));
            QVERIFY(trust->text().contains(fingerprint));
            trust->click();
            search->click();
            auto *books = dialog.findChild<QComboBox *>(u"cboRubrica"_s);
            QTRY_COMPARE_WITH_TIMEOUT(books->count(), 1, SyncEnds);
            QCOMPARE(books->currentData().toUrl(), book);
            dialog.findChild<QSpinBox *>(u"spnIntervallo"_s)->setValue(15);
            dialog.findChild<QPushButton *>(u"cmdSalva"_s)->click();
        });
        f->act(u"FileSincronizza"_s);
        QString error;
        const std::optional<CardDavAccount> account = readAccount(f->test.store().connection(), &error);
        QVERIFY(account);
        QCOMPARE(account->book, book);
        QCOMPARE(account->trustedCertificate, fingerprint);
        QVERIFY(!f->enabled(u"FileSincronizza"_s));
        QVERIFY(f->find(u"prgSincronizza"_s)->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(f->enabled(u"FileSincronizza"_s), SyncEnds);
        QVERIFY(f->tree().findLine(u"Bianchi, Anna"_s) >= 0);
        QVERIFY2(f->platform.messages.last().text.startsWith(
                     u"Sincronizzazione completata: 1 ricevuto, 1 inviato"_s),
            qPrintable(f->platform.messages.last().text));
        QCOMPARE(f->phone->findChild<QAction *>(u"FileAnnulla"_s)->text(),
            u"Ann&ulla la sincronizzazione con 127.0.0.1"_s);
        // The keyring of the tests keeps no password: the one typed serves the rest of the run.
        QVERIFY(std::any_of(f->platform.messages.begin(), f->platform.messages.end(),
            [](const MessageRequest &message) { return message.text.contains(u"resta in memoria"_s); }));
        QVERIFY(!f->platform.modalForms.contains(u"SyncPasswordDialog"_s));

        f->clickLine(u"Bianchi, Anna"_s);
        QCOMPARE(f->text(u"Text1"_s), u"333 1111111"_s);
        QVERIFY(putCard(card, u"333 2222222"_s) / 100 == 2);
        const qsizetype told = f->platform.messages.size();
        auto *timer = f->phone->findChild<QTimer *>(u"tmrSincronizza"_s);
        QCOMPARE(timer->interval(), 15 * 60 * 1000);
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QTRY_COMPARE_WITH_TIMEOUT(f->text(u"Text1"_s), u"333 2222222"_s, SyncEnds);
        QCOMPARE(f->platform.messages.size(), told);
        QVERIFY2(f->phone->statusBar()->currentMessage().contains(u"1 ricevuto"_s),
            qPrintable(f->phone->statusBar()->currentMessage()));

        // Another run of the program, which knows no password.
        f->phone.reset();
        f->load();
        f->platform.dialogScripts.enqueue(typePassword(u"sbagliata"_s));
        f->act(u"FileSincronizza"_s);
        QTRY_VERIFY_WITH_TIMEOUT(f->enabled(u"FileSincronizza"_s), SyncEnds);
        QVERIFY(f->platform.messages.last().text.contains(u"password non accettati"_s));
        f->platform.dialogScripts.enqueue(typePassword(Password));
        f->act(u"FileSincronizza"_s);
        QCOMPARE(f->platform.modalForms.count(u"SyncPasswordDialog"_s), 2);
        QTRY_VERIFY_WITH_TIMEOUT(f->enabled(u"FileSincronizza"_s), SyncEnds);
        QVERIFY(f->platform.messages.last().text.startsWith(u"Sincronizzazione completata"_s));

        f->act(u"FileSincronizza"_s);
        QVERIFY(!f->enabled(u"FileSincronizza"_s));
        QVERIFY(f->phone->close());
        QVERIFY(f->platform.programEnded);
    }
};

QTEST_MAIN(TestPhoneSync)
#include "test_phone_sync.moc"
