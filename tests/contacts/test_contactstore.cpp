// The store file: created when missing, refused untouched when it is not a usable contact store, never
// rolled forward with another file's log, never written once damaged, keeping what other programs
// wrote; and the order of the records and of the cursors over them.
#include "contacts/ContactOrder.h"
#include "contacts/Recordset.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestStore.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtEndian>

#include <sqlite3.h>

namespace {

// Another program on the file, through the sqlite3 library itself.
class OtherProgram
{
public:
    explicit OtherProgram(const QString &path)
    {
        sqlite3_open(path.toUtf8().constData(), &m_db);
        // A crash is played by leaving the files behind, not by a power cut: no need to wait for the disk.
        sqlite3_exec(m_db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    }
    ~OtherProgram() { sqlite3_close(m_db); }

    bool run(const QStringList &statements)
    {
        for (const QString &sql : statements) {
            if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
                return qWarning("%s: %s", qPrintable(sql), sqlite3_errmsg(m_db)), false;
        }
        return true;
    }
    // Binds bytes as text taken byte for byte and the id, and gives the first row's first two columns.
    QByteArrayList query(const QByteArray &sql, const QByteArray &bytes = {}, qint64 id = 0)
    {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr);
        sqlite3_bind_text(statement, 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(statement, 2, id);
        QByteArrayList row;
        if (sqlite3_step(statement) == SQLITE_ROW) {
            for (int i = 0; i < 2; ++i)
                row << QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, i)),
                    sqlite3_column_bytes(statement, i));
        }
        sqlite3_finalize(statement);
        return row;
    }
    // Goes away as a crash would: the log stays as it is, not folded into the file.
    void crash()
    {
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_close(m_db);
        m_db = nullptr;
    }

private:
    sqlite3 *m_db = nullptr;
};

QString phoneListSql()
{
    QStringList columns{QStringLiteral("ID INTEGER PRIMARY KEY AUTOINCREMENT")};
    for (const FieldInfo &info : Fields)
        columns.append(QString::fromLatin1(info.name) + QStringLiteral(" TEXT"));
    columns.removeAt(1);
    return QStringLiteral("CREATE TABLE PhoneList (") + columns.join(QStringLiteral(", ")) + u')';
}

// One statement, so one transaction, per contact "<prefix> <n>", with a note that fills the pages.
QStringList contacts(const QString &prefix, int first, int last, QStringList *names = nullptr)
{
    QStringList statements;
    for (int i = first; i <= last; ++i) {
        statements << QStringLiteral("INSERT INTO PhoneList (LastName, Note) VALUES ('%1 %2', '%3')")
                          .arg(prefix)
                          .arg(i)
                          .arg(QString(300, u'n'));
        if (names)
            names->append(prefix + u' ' + QString::number(i));
    }
    return statements;
}

QStringList storedLastNames(const ContactStore &store)
{
    QStringList names;
    for (const ContactRecord &record : store.readAll())
        names.append(record.text(Field::LastName));
    names.sort();
    return names;
}

// Names built to meet every turn of the comparison: long common stems, case and accent variants,
// NUL, characters either side of the surrogates, characters outside the basic plane.
FieldValue randomName(QRandomGenerator &random)
{
    static const QStringList stems
        = {QString(), "Bianchi", "bianchini", "Bianchinetti", "DAngelo", "Nicolò", "NICOLO", "Èrcole"};
    static const QStringList tails = {QString(), "a", "A", "à", QString(QChar(0)), QString(QChar(0xFFFD)),
        QString(QChar(0xE000)), QString::fromUcs4(U"\U0001F600"), "z", "ß"};
    if (random.bounded(20) == 0)
        return std::nullopt;
    QString name = stems[random.bounded(stems.size())];
    for (int i = int(random.bounded(4)); i > 0; --i)
        name += tails[random.bounded(tails.size())];
    return name;
}

} // namespace

class TestContactStore : public QObject
{
    Q_OBJECT
private slots:
    // An empty file, as some tools leave, gets the table; Null and empty text stay apart.
    void emptyFileBecomesAStore()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
        writeBytes(path, {});
        QString error;
        QVERIFY2(ContactStore::open(path, &error), qPrintable(error));
        QVERIFY(ContactStore::open(path, &error)
                    ->insert(makeRecord({{Field::LastName, "Rossi"}, {Field::WorkPhone, ""}})));
        const std::vector<ContactRecord> records = ContactStore::open(path, &error)->readAll();
        QVERIFY(records.size() == 1 && records[0].isNull(Field::FirstName)
            && !records[0].isNull(Field::WorkPhone));
    }

    void unusableFileIsRefusedUntouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("reason");
        QTest::newRow("text file") << QByteArray("Rossi Mario 051 123456\r\n") << QString()
                                   << "non è un archivio";
        QTest::newRow("missing fields")
            << QByteArray() << "CREATE TABLE PhoneList (ID INTEGER, LastName TEXT)"
            << "mancano i campi: FirstName";
    }

    void unusableFileIsRefusedUntouched()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, sql);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
        if (sql.isEmpty())
            writeBytes(path, content);
        OtherProgram other(path);
        if (!sql.isEmpty())
            QVERIFY(other.run({sql}));
        const QByteArray before = fileBytes(path);
        QString error;
        QVERIFY(!ContactStore::open(path, &error));
        QVERIFY2(error.contains(reason) && error.contains(QStringLiteral("Rubrello.MDB")), qPrintable(error));
        QCOMPARE(fileBytes(path), before);
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
    }

    void logLeftByACrash_data()
    {
        QTest::addColumn<QString>("other"); // a file put in the store's place after the crash
        QTest::newRow("own log, copied halfway before the crash") << "";
        QTest::newRow("an older copy restored by hand, its date kept") << "backup";
        QTest::newRow("another store further along, log touched after") << "history";
    }

    // A crash leaves the store's log beside it. Its own store takes it back whole; a file put in the
    // store's place afterwards is opened as it is, and the log is kept aside unchanged.
    void logLeftByACrash()
    {
        QFETCH(QString, other);
        const bool foreign = !other.isEmpty();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
        const QString copy = dir.filePath(QStringLiteral("copia.MDB"));
        QStringList expected;
        QVERIFY(OtherProgram(path).run(
            QStringList{"PRAGMA journal_mode=WAL", phoneListSql()} + contacts("Prima", 1, 50, &expected)));
        QVERIFY(QFile::copy(path, copy));
        const QStringList before = expected;
        {
            OtherProgram writer(path);
            QVERIFY(
                writer.run(QStringList{"PRAGMA wal_autocheckpoint=0"} + contacts("Dopo", 1, 20, &expected)));
            if (!foreign) {
                // The reader holds the checkpoint back to what it sees; writing goes on after it.
                OtherProgram reader(path);
                QVERIFY(reader.run({"BEGIN", "SELECT count(*) FROM PhoneList"}));
                QVERIFY(writer.run(contacts("Dopo", 21, 40, &expected) << "PRAGMA wal_checkpoint(PASSIVE)"));
                QVERIFY(reader.run({"COMMIT"}));
                QVERIFY(writer.run(contacts("Dopo", 41, 45, &expected)));
            }
            writer.crash();
        }
        const QByteArray log = fileBytes(path + QStringLiteral("-wal"));
        QVERIFY(!log.isEmpty());
        if (other == QLatin1String("backup")) {
            // The copy keeps its old date; the log was last written a minute ago, at the crash.
            expected = before;
            const QDateTime copied = QFileInfo(copy).lastModified();
            QVERIFY(QFile::remove(path) && QFile::copy(copy, path));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite)
                && file.setFileTime(copied, QFileDevice::FileModificationTime));
        } else if (foreign) {
            // Written in the older journal and moved to a log later; the log touched an hour after the
            // crash, only what the files hold can tell.
            const QString source = dir.filePath(QStringLiteral("altro.MDB"));
            expected.clear();
            {
                OtherProgram program(source);
                QVERIFY(program.run(QStringList{phoneListSql()} + contacts("Altro", 1, 30, &expected)));
                QVERIFY(program.run({"PRAGMA journal_mode=WAL"}));
            }
            QVERIFY(QFile::remove(path) && QFile::copy(source, path));
        }
        if (foreign) {
            QFile logFile(path + QStringLiteral("-wal"));
            QVERIFY(logFile.open(QIODevice::ReadWrite)
                && logFile.setFileTime(
                    QDateTime::currentDateTime().addSecs(other == QLatin1String("backup") ? -60 : 3600),
                    QFileDevice::FileModificationTime));
        }

        QString error;
        const auto store = ContactStore::open(path, &error);
        QVERIFY2(store, qPrintable(error));
        const QStringList kept
            = QDir(dir.path()).entryList({QStringLiteral("Rubrello.MDB-wal.non-applicato-*")});
        QCOMPARE(kept.size(), foreign ? 1 : 0);
        QCOMPARE(store->notices().size(), kept.size());
        if (!kept.isEmpty()) {
            QCOMPARE(fileBytes(dir.filePath(kept.first())), log);
            QVERIFY2(store->notices().first().contains(kept.first()), qPrintable(store->notices().first()));
        }
        expected.sort();
        QCOMPARE(storedLastNames(*store), expected);
    }

    // Damage inside a record page passes a read of the table's tree; the check of every page finds it,
    // and neither the file nor its log is written from then on.
    void damagedStoreIsNeverWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
        QVERIFY(OtherProgram(path).run(
            QStringList{"PRAGMA journal_mode=WAL", phoneListSql()} + contacts("Prima", 1, 300)));
        // Overwrites bytes in the middle of the records of the table's first leaf page.
        QByteArray bytes = fileBytes(path);
        const int pageSize = qFromBigEndian<quint16>(bytes.constData() + 16);
        const int rootPage = OtherProgram(path)
                                 .query("SELECT rootpage, 0 FROM sqlite_master WHERE name = 'PhoneList'")
                                 .value(0)
                                 .toInt();
        const char *root = bytes.constData() + qsizetype(rootPage - 1) * pageSize;
        QCOMPARE(root[0], '\x05');
        const qint64 leaf
            = qint64(qFromBigEndian<quint32>(root + qFromBigEndian<quint16>(root + 12)) - 1) * pageSize;
        bytes.replace(leaf + (qFromBigEndian<quint16>(bytes.constData() + leaf + 5) + pageSize) / 2, 64,
            QByteArray(64, '\xff'));
        writeBytes(path, bytes);
        OtherProgram other(path);
        QVERIFY(other.run(contacts("Dopo", 1, 3)));
        other.crash();
        const QByteArray file = fileBytes(path);
        const QByteArray log = fileBytes(path + QStringLiteral("-wal"));

        QString message, error;
        {
            const auto store = ContactStore::open(path, &error);
            QVERIFY2(store, qPrintable(error));
            store->setDamageHandler([&](const QString &text) { message = text; });
            QVERIFY(!store->insert(makeRecord({{Field::LastName, "Nuovo"}})));
            QTRY_VERIFY(!message.isEmpty());
        }
        QVERIFY2(message.contains(QStringLiteral("Rubrello.MDB")), qPrintable(message));
        QCOMPARE(fileBytes(path), file);
        QCOMPARE(fileBytes(path + QStringLiteral("-wal")), log);

        // The way out: a good copy takes the place of the damaged contents, and the store is
        // written again.
        TestStore good;
        good.add("Copia", "Buona");
        good.close();
        const auto store = ContactStore::open(path, &error);
        QVERIFY2(store->replaceWith(good.path(), &error), qPrintable(error));
        QVERIFY(store->insert(makeRecord({{Field::LastName, "Nuovo"}})));
        QCOMPARE(store->count(), 2);
        QCOMPARE(store->readIndex().front().lastName(), QStringLiteral("Copia"));
    }

    // Other programs leave notes that are not UTF-8, so do not read back as the same text. A save of other
    // fields goes through and keeps them; a change another program makes to them is still seen.
    void otherProgramsBytesSurviveASave()
    {
        const QByteArray bytes("Caff\xe8 \xc3( \xff");
        TestStore test;
        const qint64 id = test.add("Rossi", "Anna", {{Field::Note, "nota"}});
        OtherProgram other(test.path());
        const QByteArray write = "UPDATE PhoneList SET Note = ?1 WHERE ID = ?2";
        other.query(write, bytes, id);
        Recordset recordset(test.store());
        QVERIFY(recordset.requery());
        const QByteArray read = "SELECT typeof(Note), CAST(Note AS BLOB) FROM PhoneList WHERE ID = ?2";
        for (const QString phone : {"06 111", "06 222", "06 333"}) {
            if (phone.endsWith(u'3')) {
                QCOMPARE(other.query(read, {}, id), (QByteArrayList{"text", bytes}));
                other.query(write, bytes + '!', id);
            }
            ContactRecord shown = recordset.current();
            QVERIFY(recordset.edit());
            shown.setValue(Field::WorkPhone, phone);
            QCOMPARE(recordset.update(shown), !phone.endsWith(u'3'));
        }
        QVERIFY2(recordset.lastError().contains(QStringLiteral("modificato da un altro programma")),
            qPrintable(recordset.lastError()));
        QCOMPARE(other.query("SELECT WorkPhone, 0 FROM PhoneList WHERE ID = ?2", {}, id).value(0), "06 222");
    }

    // The keys ignore case and accents; the sort agrees with the rule written out plainly: keys, then
    // exact spelling (Null first), then id.
    void sortAgreesWithThePlainRule()
    {
        QCOMPARE(nameSortKey(QStringLiteral("ROSSI")), nameSortKey(QStringLiteral("rossi")));
        QVERIFY(nameSortKey(QStringLiteral("Eolo")) < nameSortKey(QStringLiteral("Èrcole"))
            && nameSortKey(QStringLiteral("Èrcole")) < nameSortKey(QStringLiteral("Esposito"))
            && nameSortKey(QStringLiteral("Nicolò")) < nameSortKey(QStringLiteral("Nicolz")));
        const auto exact = [](const FieldValue &x, const FieldValue &y) {
            return x.has_value() != y.has_value() ? (x.has_value() ? 1 : -1)
                : x                               ? QString::compare(*x, *y)
                                                  : 0;
        };
        const auto precedes = [&](const ContactName *x, const ContactName *y) {
            const ContactName &a = *x;
            const ContactName &b = *y;
            for (const int c : {QString::compare(nameSortKey(a.lastName), nameSortKey(b.lastName)),
                     QString::compare(nameSortKey(a.firstName), nameSortKey(b.firstName)),
                     exact(a.lastName, b.lastName), exact(a.firstName, b.firstName)}) {
                if (c != 0)
                    return c < 0;
            }
            return a.id < b.id;
        };
        QRandomGenerator random(7);
        for (int round = 0; round < 20; ++round) {
            std::vector<ContactName> names;
            IndexTable sorted;
            for (int i = 0; i < 500; ++i) {
                names.push_back({qint64(random.bounded(1000)), randomName(random), randomName(random)});
                sorted.append(names.back().id, names.back().lastName, names.back().firstName);
            }
            sortByName(sorted);
            // Written again into one block in this order, the rows keep their names.
            IndexTable compacted = sorted;
            compacted.compact();
            QCOMPARE(compacted.blocks().size(), size_t(1));
            for (size_t i = 0; i < sorted.size(); ++i) {
                QCOMPARE(compacted[i].lastName(), sorted[i].lastName());
                QCOMPARE(compacted[i].firstName(), sorted[i].firstName());
            }
            std::vector<const ContactName *> expected;
            for (const ContactName &name : names)
                expected.push_back(&name);
            std::sort(expected.begin(), expected.end(), precedes);
            for (size_t i = 0; i < sorted.size(); ++i) {
                QCOMPARE(sorted[i].id, expected[i]->id);
                QCOMPARE(sorted[i].lastName(), expected[i]->lastName);
                QCOMPARE(sorted[i].firstName(), expected[i]->firstName);
                // A row put in its place in the sorted rows lands where the sort puts it.
                QCOMPARE(
                    std::lower_bound(sorted.begin(), sorted.end(), sorted[i], namePrecedes) - sorted.begin(),
                    qsizetype(i));
            }
        }
        // A long index is sorted on two threads: still in order, every row once.
        IndexTable many;
        for (int i = 0; i < 120000; ++i)
            many.append(i, randomName(random), randomName(random));
        sortByName(many);
        QVERIFY(std::is_sorted(many.begin(), many.end(), namePrecedes));
        std::vector<qint64> ids;
        for (const IndexEntry &entry : many)
            ids.push_back(entry.id);
        std::sort(ids.begin(), ids.end());
        QCOMPARE(std::adjacent_find(ids.begin(), ids.end()), ids.end());
        QCOMPARE(ids.size(), size_t(120000));
    }
};

QTEST_GUILESS_MAIN(TestContactStore)
#include "test_contactstore.moc"
