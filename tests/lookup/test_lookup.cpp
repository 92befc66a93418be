// The tables beside PhoneList: answers read through them are the answers of a whole read, whoever
// wrote the contacts last, and the window keeps them up to date without failing a save.
#include "contacts/SqliteRows.h"
#include "dial/NumberKey.h"
#include "lookup/ContactLookup.h"
#include "lookup/LookupBuilder.h"
#include "lookup/LookupKeeping.h"
#include "lookup/LookupTables.h"
#include "lookup/LookupUpdate.h"
#include "tests/reliability/SystemFaults.h"
#include "tests/support/TestStore.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every answer as one text: who has each number, and the hits of each search in order.
QString answers(const ContactStore &store)
{
    QString all;
    for (const char *number :
        {"02 1234567", "+39 347 1234567", "06-7654321", "0", "333 1111111", "+39 112"}) {
        const NumberAnswer answer = findByNumber(store, numberKey(QByteArrayView(number)));
        all += QString::fromLatin1(number) + u':' + answer.failure;
        for (const NumberMatch &match : answer.matches)
            all += u' ' + match.names.line() + u'/' + QLatin1String(match.label);
        all += u'\n';
    }
    for (const QString &text : {u"anna"_s, u"Anna"_s, u"an"_s, u"a"_s, u"strasse"_s, u"STRAßE"_s, u"nicolò"_s,
             u"i"_s, u"ı"_s, u"02 12"_s, u"\" OR \"x"_s, u"*"_s, u"NEAR(a b)"_s, u"via\nroma"_s}) {
        for (const bool ignoreCase : {true, false}) {
            for (const int scope : {0, 2, 3}) {
                const TextAnswer answer = findByText(store, text, ignoreCase, scope);
                all += text + u':' + answer.failure;
                for (const int row : answer.hits)
                    all += u' ' + QString::number(answer.rows.id(row));
                all += u'\n';
            }
        }
    }
    return all;
}

qint64 waiting(const ContactStore &store)
{
    SqliteRows logged(store.connection(), "SELECT count(*) FROM RubrelloChanged");
    return logged.next() ? logged.integer(0) : -1;
}

} // namespace

class TestLookup : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        files = std::make_unique<TestStore>();
        files->add(
            "Rossi", "Mario", {{Field::WorkPhone, "02 1234567"}, {Field::Note, "amico di Anna\nvia Roma"}});
        files->add(
            "Bianchi", "Anna", {{Field::Cellulare, "+39 347-1234567"}, {Field::HomeFax, "0039 02/1234567"}});
        files->add("Straße", "Nicolò", {{Field::HomeAddress, "Via Roma 1"}, {Field::WorkCity, "Dıyarbakır"}});
        files->add("rossi", "", {{Field::Azienda, "\" OR \"x"}, {Field::WorkFax, ""}});
        files->add("", "Anna",
            {{Field::HomePhone, "06 7654321"}, {Field::Internet, "NEAR(a b)"}, {Field::WorkFax, "+39 112"}});
        files->store().insertKeepingId(
            makeRecord({{Field::ID, "900"}, {Field::LastName, "Rossi"}, {Field::FirstName, "Mario"}}));
    }

    // With the tables, and through every kind of write another program makes after them, the
    // answers are those of reading every contact.
    void answersAsAWholeRead()
    {
        const QString whole = answers(files->store());
        QVERIFY(!whole.contains(u"codice"_s));
        // A number no country holds valid is found by its digits as written, "+39" among them.
        QVERIFY2(whole.contains(u"+39 112: , Anna/Fax Lavoro"_s), qPrintable(whole));
        QString error;
        QVERIFY2(LookupBuilder::catchUp(files->path(), &error), qPrintable(error));
        QVERIFY(lookupTablesIntact(files->store().connection()));
        QCOMPARE(answers(files->store()), whole);

        runSqlElsewhere(files->path(),
            {u"UPDATE PhoneList SET Cellulare = '333 1111111', LastName = 'Anna' WHERE ID = 1"_s,
                u"UPDATE PhoneList SET ID = 901 WHERE ID = 2"_s, u"DELETE FROM PhoneList WHERE ID = 3"_s,
                u"INSERT INTO PhoneList (LastName, Note) VALUES ('Strasse', 'ANNA')"_s});
        QCOMPARE(waiting(files->store()), 5);
        const QString afterWrites = answers(files->store());
        QVERIFY(afterWrites != whole);
        QVERIFY2(LookupBuilder::catchUp(files->path(), &error), qPrintable(error));
        QCOMPARE(waiting(files->store()), 0);
        QCOMPARE(answers(files->store()), afterWrites);

        // Tables made by other rules are not trusted, and are made again.
        runSqlElsewhere(files->path(),
            {u"UPDATE RubrelloLookupState SET Format = Format + 1"_s, u"DELETE FROM RubrelloNumbers"_s});
        QVERIFY(!lookupTablesIntact(files->store().connection()));
        QCOMPARE(answers(files->store()), afterWrites);
        QVERIFY2(LookupBuilder::catchUp(files->path(), &error), qPrintable(error));
        QCOMPARE(answers(files->store()), afterWrites);
        // Damaged tables answer nothing rather than wrongly: every contact is read instead.
        runSqlElsewhere(files->path(), {u"DELETE FROM RubrelloSearchIndex_data"_s});
        QCOMPARE(answers(files->store()), afterWrites);
    }

    // The window's saves bring the tables up to date in their own commit; a large import is left
    // to the thread, which gets through it while the window goes on.
    // The builder makes entries before its write begins; a contact changed in between is made again.
    void entriesMadeAheadFollowLaterChanges()
    {
        QString error;
        QVERIFY2(LookupBuilder::catchUp(files->path(), &error), qPrintable(error));
        runSqlElsewhere(files->path(), {u"UPDATE PhoneList SET WorkPhone = '06 1111111' WHERE ID = 1"_s});
        sqlite3 *db = files->store().connection();
        const PreparedEntries ahead = prepareLoggedChanges(db, 100);
        QVERIFY(ahead.contains(1));
        runSqlElsewhere(files->path(), {u"UPDATE PhoneList SET WorkPhone = '06 2222222' WHERE ID = 1"_s});
        QVERIFY(runStatement(db, "BEGIN IMMEDIATE", &error));
        QCOMPARE(applyLoggedChanges(db, 100, &error, ahead), LookupProgress::Done);
        QVERIFY(runStatement(db, "COMMIT", &error));
        QCOMPARE(waiting(files->store()), 0);
        QVERIFY(findByNumber(files->store(), numberKey("06 1111111")).matches.empty());
        QCOMPARE(findByNumber(files->store(), numberKey("06 2222222")).matches.size(), size_t(1));
    }

    void keptByTheWindow()
    {
        LookupKeeping keeping(files->store());
        QTRY_VERIFY_WITH_TIMEOUT(waiting(files->store()) == 0, 20000);
        files->add("Verdi", "Luca", {{Field::Cellulare, "333 1111111"}});
        QCOMPARE(waiting(files->store()), 0);
        {
            ContactStore::Batch import(files->store());
            for (int i = 0; i < 600; ++i)
                files->add(u"Neri%1"_s.arg(i), u"Ugo"_s);
            QVERIFY(import.commit());
        }
        QTRY_VERIFY_WITH_TIMEOUT(waiting(files->store()) == 0, 20000);
        QCOMPARE(findByText(files->store(), u"neri59"_s, true, 0).hits.size(), 11u);
    }

    // A store in a folder that cannot be written is read as it is: nothing is made in it, and it
    // still answers.
    void readOnlyStore()
    {
        const QString whole = answers(files->store());
        files->close();
        Immutable shut({files->directory()});
        if (!shut.set())
            QSKIP("this file system cannot mark files immutable");
        QString error;
        QVERIFY(!LookupBuilder::catchUp(files->path(), &error) && !error.isEmpty());
        std::unique_ptr<ContactStore> store = ContactStore::open(files->path(), &error);
        QVERIFY2(store, qPrintable(error));
        QVERIFY(!lookupTablesIntact(store->connection()));
        QCOMPARE(answers(*store), whole);
    }

private:
    std::unique_ptr<TestStore> files;
};

QTEST_GUILESS_MAIN(TestLookup)
#include "test_lookup.moc"
