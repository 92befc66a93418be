// The sync between agendas and a phone through a real Radicale started for the test: changes and
// deletions both ways, conflicts kept on both sides, a sync killed midway and one whose server goes
// away, resumed without doubles, and a wrong password.
#include "carddav/CardDavSync.h"
#include "contacts/ContactStore.h"
#include "history/HistoryRecording.h"
#include "history/Trash.h"
#include "tests/support/RadicaleServer.h"
#include "tests/support/TestStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString User = u"mario"_s;
const QString Password = u"segreto"_s;

// An agenda with the server's address book as its account.
class Agenda
{
public:
    explicit Agenda(const RadicaleServer &server)
    {
        QString error;
        if (!writeAccount(m_file.store().connection(), {User, server.addressBook(User), 0, {}, {}}, &error))
            qFatal("account: %s", qPrintable(error));
    }
    ContactStore &store() { return m_file.store(); }
    TestStore &file() { return m_file; }
    SyncSummary sync(
        const QString &password = Password, const std::function<void(const SyncProgress &)> &progress = {})
    {
        QString error;
        const CardDavAccount account = *readAccount(store().connection(), &error);
        DavClient client({User, password, {}});
        return syncAddressBook(store(), client, account, progress);
    }
    // "LastName, FirstName" of every contact, in the agenda's order.
    QStringList names()
    {
        QStringList lines;
        const ContactStore::IndexRows rows = store().readIndexInOrder();
        for (qsizetype i = 0; i < qsizetype(rows->size()); ++i)
            lines << rows->at(i).line();
        return lines;
    }
    qint64 idOf(const QString &line)
    {
        const ContactStore::IndexRows rows = store().readIndexInOrder();
        for (qsizetype i = 0; i < qsizetype(rows->size()); ++i)
            if (rows->at(i).line() == line)
                return rows->at(i).id;
        return 0;
    }
    void set(const QString &line, Field field, const QString &value)
    {
        ContactRecord record = *store().read(idOf(line));
        record.setValue(field, value);
        QVERIFY(store().update(record));
    }
    // As the window deletes: to the trash, one step of the history.
    void remove(const QString &line)
    {
        const HistoryRecording recording(store(), deletionLabel(line), HistoryRecording::Removal::ToTrash);
        QVERIFY(store().remove(idOf(line)));
    }

private:
    TestStore m_file;
};

// The phone: plain HTTP on the address book, as a phone's CardDAV account writes it.
class Phone
{
public:
    explicit Phone(const RadicaleServer &server)
        : m_book(server.addressBook(User))
        , m_client({User, Password, {}})
    {
    }
    // A card from a fixture, with the UID every CardDAV client gives a new card.
    int put(const QString &fixture, const QString &file)
    {
        QFile in(QStringLiteral(RUBRELLO_TEST_DATA "/vcard/") + fixture);
        if (!in.open(QIODevice::ReadOnly))
            return -1;
        QByteArray card = in.readAll();
        const qsizetype version = card.indexOf("VERSION:");
        card.insert(card.indexOf('\n', version) + 1, "UID:" + file.toUtf8() + "\r\n");
        return put(card, file);
    }
    int put(const QByteArray &card, const QString &file)
    {
        return m_client.send({"PUT", m_book.resolved(QUrl(file)), card, {}}).status;
    }
    QByteArray get(const QString &file)
    {
        return m_client.send({"GET", m_book.resolved(QUrl(file)), {}, {}}).body;
    }
    int remove(const QString &file)
    {
        return m_client.send({"DELETE", m_book.resolved(QUrl(file)), {}, {}}).status;
    }

private:
    QUrl m_book;
    DavClient m_client;
};

// The UIDs of the cards the server keeps, one per card file.
QStringList serverUids(const RadicaleServer &server)
{
    QStringList uids;
    const QDir folder(server.bookFolder(User));
    for (const QString &name : folder.entryList({u"*.vcf"_s}, QDir::Files)) {
        QFile card(folder.filePath(name));
        if (!card.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : card.readAll().split('\n'))
            if (line.startsWith("UID:"))
                uids << QString::fromUtf8(line.mid(4).trimmed());
    }
    uids.sort();
    return uids;
}

void fill(Agenda &agenda, int count)
{
    ContactStore::Batch batch(agenda.store());
    for (int i = 0; i < count; ++i)
        agenda.file().add(u"Cognome%1"_s.arg(i, 4, 10, QChar(u'0')), u"Nome"_s,
            {{Field::Cellulare, u"345 %1"_s.arg(1000000 + i)}});
    QVERIFY(batch.commit());
}

} // namespace

class TestCardDavSync : public QObject
{
    Q_OBJECT
private slots:
    void changesAndDeletionsBothWays()
    {
        RadicaleServer server;
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        Agenda home(server);
        Agenda office(server);
        Phone phone(server);
        home.file().add(u"Rossi"_s, u"Mario"_s, {{Field::Cellulare, u"345 1234567"_s}});
        home.file().add(u"Bianchi"_s, u"Anna"_s);
        QCOMPARE(home.sync().sent, 2);
        QCOMPARE(phone.put(u"rfc6350-example.vcf"_s, u"perreault.vcf"_s), 201);
        // Already here before the first sync: one contact, the box only this side has kept and sent.
        office.file().add(
            u"Rossi"_s, u"Mario"_s, {{Field::Cellulare, u"+39 345 1234567"_s}, {Field::Azienda, u"ACME"_s}});

        SyncSummary summary = office.sync();
        QVERIFY2(summary.complete(), qPrintable(syncReportText(summary)));
        QCOMPARE(summary.received, 3);
        QCOMPARE(summary.sent, 1);
        QCOMPARE(office.names(), QStringList({u"Bianchi, Anna"_s, u"Perreault, Simon"_s, u"Rossi, Mario"_s}));
        QCOMPARE(home.sync().received, 2);
        QCOMPARE(home.store().read(home.idOf(u"Rossi, Mario"_s))->text(Field::Azienda), u"ACME"_s);
        // Nothing changed: nothing goes either way.
        summary = home.sync();
        QCOMPARE(summary.received + summary.sent + summary.conflicts, 0);

        // A box edited here changes only its own property: what the phone wrote stays on the server.
        office.set(u"Perreault, Simon"_s, Field::Cellulare, u"333 7654321"_s);
        QCOMPARE(office.sync().sent, 1);
        const QByteArray card = phone.get(u"perreault.vcf"_s);
        QVERIFY(card.contains("333 7654321"));
        QVERIFY(card.contains("ANNIVERSARY:20090808T1430-0500"));
        QCOMPARE(home.sync().received, 1);
        QCOMPARE(
            home.store().read(home.idOf(u"Perreault, Simon"_s))->text(Field::Cellulare), u"333 7654321"_s);

        // Deleted here, deleted there: to the trash of the other agenda.
        home.remove(u"Bianchi, Anna"_s);
        QCOMPARE(home.sync().deletedThere, 1);
        QCOMPARE(office.sync().deletedHere, 1);
        QString error;
        const std::vector<TrashEntry> trash = trashEntries(office.store(), &error);
        QCOMPARE(trash.size(), size_t(1));
        QCOMPARE(trash[0].name, u"Bianchi, Anna"_s);
        // Deleted on the phone.
        QCOMPARE(phone.remove(u"perreault.vcf"_s), 200);
        QCOMPARE(home.sync().deletedHere, 1);
        QCOMPARE(home.names(), QStringList({u"Rossi, Mario"_s}));

        // Taken back from the trash after its deletion reached the server: it goes there again.
        QVERIFY(restoreFromTrash(office.store(), std::vector<qint64>{trash[0].trashId}).failure.isEmpty());
        QCOMPARE(office.sync().sent, 1);
        QCOMPARE(home.sync().received, 1);
        QCOMPARE(home.names(), QStringList({u"Bianchi, Anna"_s, u"Rossi, Mario"_s}));
        QCOMPARE(serverUids(server).size(), 2);
    }

    void conflictsKeepBothVersions()
    {
        RadicaleServer server;
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        Agenda home(server);
        Agenda office(server);
        home.file().add(u"Verdi"_s, u"Luca"_s, {{Field::Cellulare, u"345 0000000"_s}});
        home.sync();
        office.sync();

        // Changed on both sides: the server's version is applied, the other kept as a contact.
        home.set(u"Verdi, Luca"_s, Field::Cellulare, u"345 1111111"_s);
        office.set(u"Verdi, Luca"_s, Field::Cellulare, u"345 2222222"_s);
        QCOMPARE(home.sync().sent, 1);
        SyncSummary summary = office.sync();
        QCOMPARE(summary.conflicts, 1);
        QCOMPARE(summary.conflictNames, QStringList({u"Verdi, Luca"_s}));
        QCOMPARE(summary.sent, 1); // the version of here, as a card of its own
        QCOMPARE(home.sync().received, 1);
        for (Agenda *agenda : {&home, &office}) {
            QStringList numbers;
            for (const ContactRecord &record : agenda->store().readAll())
                numbers << record.text(Field::Cellulare);
            numbers.sort();
            QCOMPARE(numbers, QStringList({u"345 1111111"_s, u"345 2222222"_s}));
        }

        // Deleted here while changed there: the change wins the contact back.
        const qint64 kept = home.idOf(u"Verdi, Luca"_s);
        ContactRecord record = *home.store().read(kept);
        const QString number = record.text(Field::Cellulare);
        {
            const HistoryRecording recording(home.store(), u"x"_s, HistoryRecording::Removal::ToTrash);
            QVERIFY(home.store().remove(kept));
        }
        for (const ContactRecord &other : office.store().readAll())
            if (other.text(Field::Cellulare) == number) {
                ContactRecord changed = other;
                changed.setValue(Field::Note, u"cambiato in ufficio"_s);
                QVERIFY(office.store().update(changed));
            }
        QCOMPARE(office.sync().sent, 1);
        summary = home.sync();
        QCOMPARE(summary.conflicts, 1);
        QCOMPARE(summary.deletedThere, 0);
        QCOMPARE(home.store().count(), 2);
        QCOMPARE(serverUids(server).size(), 2);
    }

    void killedMidwayResumesWithoutDoubles()
    {
        RadicaleServer server;
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        Agenda home(server);
        fill(home, 200);
        QProcess cli;
        cli.start(QStringLiteral(RUBRELLO_CLI),
            {u"--store"_s, home.file().path(), u"sync"_s, u"--password-stdin"_s});
        QVERIFY(cli.waitForStarted());
        cli.write("segreto\n");
        cli.closeWriteChannel();
        const QDir folder(server.bookFolder(User));
        QTRY_VERIFY_WITH_TIMEOUT(folder.entryList({u"*.vcf"_s}, QDir::Files).size() >= 30, 60000);
        cli.kill();
        cli.waitForFinished();
        QVERIFY(folder.entryList({u"*.vcf"_s}, QDir::Files).size() < 200);

        const SyncSummary summary = home.sync();
        QVERIFY2(summary.complete(), qPrintable(syncReportText(summary)));
        QCOMPARE(home.store().count(), 200);
        QStringList uids = serverUids(server);
        QCOMPARE(uids.size(), 200);
        uids.removeDuplicates();
        QCOMPARE(uids.size(), 200);
        Agenda office(server);
        QCOMPARE(office.sync().received, 200);
        QCOMPARE(office.store().count(), 200);
    }

    void serverGoneOrPasswordWrong()
    {
        RadicaleServer server;
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        Agenda home(server);
        fill(home, 150);
        SyncSummary summary = home.sync(u"sbagliata"_s);
        QVERIFY(!summary.complete());
        QCOMPARE(summary.failure, u"Nome utente o password non accettati dal server."_s);
        QVERIFY(summary.passwordRefused);
        QCOMPARE(summary.sent, 0);

        // The server goes away while the contacts are on their way.
        summary = home.sync(Password, [&server](const SyncProgress &progress) {
            if (progress.stage == u"Invio dei contatti" && progress.done > 0)
                server.stop();
        });
        QVERIFY(summary.failure.contains(u"non risponde"_s));
        QVERIFY(summary.sent > 0 && summary.sent < 150);
        server.start();
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        summary = home.sync();
        QVERIFY2(summary.complete(), qPrintable(syncReportText(summary)));
        QCOMPARE(home.store().count(), 150);
        QCOMPARE(serverUids(server).size(), 150);
    }
};

QTEST_GUILESS_MAIN(TestCardDavSync)
#include "test_carddavsync.moc"
