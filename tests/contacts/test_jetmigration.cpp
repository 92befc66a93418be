// An old Jet "Rubrello.MDB": real Jet files read through libmdb, and the move into the program's store
// (copy, check, renames, an interrupted move finished at the next start) through a list-fed reader.
#include "contacts/StoreMigration.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestStore.h"

#include <QDir>

Q_DECLARE_METATYPE(QList<ContactRecord>)

Q_DECLARE_METATYPE(MigrationStage)

namespace {

const QString Fixtures = QStringLiteral(RUBRELLO_TEST_DATA "/contacts/jet/");

// Enough of a Jet file for the program to take it for one; only the list-fed reader reads it.
const QByteArray FakeJet = QByteArray("\x00\x01\x00\x00Standard Jet DB", 19) + QByteArray(2029, 'j');

ContactRecord contact(qint64 id, std::initializer_list<std::pair<Field, QString>> values)
{
    ContactRecord record = makeRecord(values);
    record.id = id;
    return record;
}

const QList<ContactRecord> Sample
    = {contact(4, {{Field::LastName, "Rossi"}, {Field::FirstName, "Mario"}, {Field::WorkCity, "Forlì"}}),
        contact(9, {{Field::LastName, "Bianchi"}, {Field::Note, "due\r\nrighe"}}),
        contact(31, {{Field::LastName, "Verdi"}, {Field::FirstName, ""}})};

class ListReader : public PhoneListReader
{
public:
    explicit ListReader(QList<ContactRecord> rows)
        : rows(std::move(rows))
    {
    }
    qint64 rowCount() const override { return rows.size(); }
    bool readRows(const RecordSink &take, QString *error) override
    {
        const QList<ContactRecord> &pass = ++passes > 1 && !secondPass.isEmpty() ? secondPass : rows;
        for (qsizetype i = 0; i < pass.size(); ++i) {
            if (i == failAt)
                return *error = QStringLiteral("Lettura non riuscita."), false;
            if (!take(pass[i]))
                return false;
        }
        return true;
    }

    QList<ContactRecord> rows;
    QList<ContactRecord> secondPass; // what a later reading gives, when not empty
    qsizetype failAt = -1;
    int passes = 0;
};

// Every file of the directory with its bytes.
QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, fileBytes(QDir(dir).filePath(name)));
    return files;
}

// The store's rows in the order of their ids.
QList<ContactRecord> storedRows(const QString &path)
{
    QString error;
    const std::unique_ptr<ContactStore> store = ContactStore::open(path, &error);
    QList<ContactRecord> rows;
    for (const ContactRecord &row : store ? store->readAll() : std::vector<ContactRecord>())
        rows.append(row);
    std::sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.id < b.id; });
    return rows;
}

// Every row of a table, read through libmdb.
QList<QList<FieldValue>> tableRows(const JetDatabase &db, const QString &table)
{
    QString error;
    QList<QList<FieldValue>> rows;
    db.readRows(
        table,
        [&](const QList<FieldValue> &row) {
            rows.append(row);
            return true;
        },
        &error);
    return rows;
}

} // namespace

class TestJetMigration : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = m_dir->filePath(QStringLiteral("Rubrello.MDB"));
        m_asked.clear();
    }

    // Accented text and Nulls decoded, in files of both versions; a file without the phone list is refused
    // at start-up without asking and left as it was.
    void realJetFilesAreRead()
    {
        QString error;
        const std::unique_ptr<JetDatabase> jet3 = JetDatabase::open(Fixtures + "nwind.mdb", &error);
        QVERIFY2(jet3, qPrintable(error));
        QCOMPARE(jet3->findTable(QStringLiteral("CUSTOMERS")), QStringLiteral("Customers"));
        const QList<QList<FieldValue>> customers = tableRows(*jet3, "Customers");
        QCOMPARE(customers.size(), 91);
        QVERIFY(std::any_of(customers.begin(), customers.end(), [](const QList<FieldValue> &row) {
            return row.contains(QStringLiteral("México D.F.")) && row.contains(std::nullopt);
        }));
        const std::unique_ptr<JetDatabase> jet4
            = JetDatabase::open(Fixtures + "DateTestDatabase.mdb", &error);
        QVERIFY2(jet4, qPrintable(error));
        const QList<QList<FieldValue>> dates = tableRows(*jet4, "DateTest");
        QCOMPARE(jet4->declaredRowCount(QStringLiteral("DateTest"), &error), qint64(dates.size()));
        QVERIFY(dates.size() == 6 && dates.first().contains(QStringLiteral("Hello")));

        writeBytes(m_store, fileBytes(Fixtures + "nwind.mdb"));
        const QMap<QString, QByteArray> before = snapshot(m_dir->path());
        const StorePreparation prepared = prepareStoreFile(m_store, confirm());
        QCOMPARE(prepared.outcome, StorePreparation::Failed);
        QVERIFY2(prepared.error.contains("PhoneList"), qPrintable(prepared.error));
        QVERIFY(m_asked.isEmpty());
        QCOMPARE(snapshot(m_dir->path()), before);
    }

    void rowTheLibrarySkipsIsReported()
    {
        // Flag one row of Customers as deleted in its data page: libmdb then passes over it in silence.
        QByteArray bytes = fileBytes(Fixtures + "nwind.mdb");
        // The name is in index pages too: take it where it stands in a data page.
        qsizetype at = bytes.indexOf("Alfreds Futterkiste");
        while (at > 0 && bytes[at / 2048 * 2048] != '\x01')
            at = bytes.indexOf("Alfreds Futterkiste", at + 1);
        QVERIFY(at > 0);
        const qsizetype page = at / 2048 * 2048;
        const auto word
            = [&](qsizetype offset) { return quint8(bytes[offset]) | quint8(bytes[offset + 1]) << 8; };
        int row = 0;
        while (row < word(page + 8)
            && !(at - page >= (word(page + 10 + 2 * row) & 0x1fff)
                && at - page < (row == 0 ? 2048 : word(page + 8 + 2 * row) & 0x1fff)))
            ++row;
        QVERIFY(row < word(page + 8));
        bytes[page + 11 + 2 * row] = char(bytes[page + 11 + 2 * row] | 0x40);
        writeBytes(m_store, bytes);
        QString error;
        const std::unique_ptr<JetDatabase> db = JetDatabase::open(m_store, &error);
        QVERIFY2(db, qPrintable(error));
        QVERIFY(!db->readRows(
            QStringLiteral("Customers"), [](const QList<FieldValue> &) { return true; }, &error));
        QVERIFY2(error.contains(QStringLiteral("solo 90 delle 91")), qPrintable(error));
    }

    // Access does not care about the columns' order nor their case, nor does the mapping; a column that
    // would be lost is named.
    void phoneListColumnsAreChecked()
    {
        std::vector<JetColumn> columns;
        for (const FieldInfo &info : Fields) {
            const QString name = QString::fromLatin1(info.name);
            const JetColumnKind kind = info.field == Field::ID ? JetColumnKind::Integer
                : info.field == Field::Note                    ? JetColumnKind::Memo
                                                               : JetColumnKind::Text;
            columns.insert(columns.begin(), {columns.empty() ? name.toLower() : name, kind, "Testo"});
        }
        QString problem;
        const std::optional<PhoneListColumns> map = mapPhoneListColumns(columns, &problem);
        QVERIFY2(map, qPrintable(problem));
        for (int i = 0; i < FieldCount; ++i)
            QCOMPARE(
                columns[size_t((*map)[i])].name.toLower(), QString::fromLatin1(Fields[i].name).toLower());
        columns.push_back({QStringLiteral("Compleanno"), JetColumnKind::Text, QStringLiteral("Testo")});
        QVERIFY(!mapPhoneListColumns(columns, &problem));
        QVERIFY2(problem.contains("andrebbero persi: Compleanno"), qPrintable(problem));
    }

    void everyRowIsCopiedWhole()
    {
        QString longNote;
        for (int line = 0; line < 5000; ++line)
            longNote += QStringLiteral("Riga %1 della nota, con è, ò e €.\r\n").arg(line);
        const QList<ContactRecord> rows{contact(3, {{Field::LastName, "Niccolò"}, {Field::www, ""}}),
            contact(32767, {}), contact(40000, {{Field::LastName, "Blu"}, {Field::Note, longNote}})};
        writeBytes(m_store, FakeJet);
        QCOMPARE(prepareStoreFile(m_store, confirm(), opener(rows)).outcome, StorePreparation::Ready);
        QCOMPARE(m_asked, QStringList{QStringLiteral("3 Rubrello-jet.MDB")});
        QCOMPARE(storedRows(m_store), rows);
        QCOMPARE(fileBytes(m_dir->filePath(QStringLiteral("Rubrello-jet.MDB"))), FakeJet);
        // New contacts get ids past the copied ones, never one that an old reference could mean.
        QString error;
        const std::optional<qint64> id
            = ContactStore::open(m_store, &error)->insert(contact(0, {{Field::LastName, "Nuovo"}}));
        QVERIFY(id && *id > 40000);
    }

    void failureHalfWayTouchesNothing_data()
    {
        QTest::addColumn<int>("failAt");
        // 1: an id twice, 2: the second reading differs, 3: the backup name taken
        QTest::addColumn<int>("change");
        QTest::addColumn<QString>("expected");
        QTest::newRow("source fails half way") << 2 << 0 << "Lettura non riuscita.";
        QTest::newRow("an id twice") << -1 << 1 << "ID 9 compare due volte";
        QTest::newRow("the check finds a difference") << -1 << 2 << "La verifica della copia non è riuscita";
        QTest::newRow("the backup name is taken") << -1 << 3 << "Rubrello-jet.MDB";
    }

    // Nothing renamed, the old file as it was, the copy gone.
    void failureHalfWayTouchesNothing()
    {
        QFETCH(int, failAt);
        QFETCH(int, change);
        QFETCH(QString, expected);
        writeBytes(m_store, FakeJet);
        writeBytes(m_dir->filePath(QStringLiteral("Rubrello-jet.MDB")), "taken");
        const QMap<QString, QByteArray> before = snapshot(m_dir->path());
        ListReader source(Sample);
        source.failAt = failAt;
        if (change == 1)
            source.rows.append(contact(9, {{Field::LastName, "Doppio"}}));
        source.secondPass = source.rows;
        if (change == 2)
            source.secondPass[0].setValue(Field::FirstName, QStringLiteral("Maria"));
        const QString backup = m_dir->filePath(change == 3 ? "Rubrello-jet.MDB" : "Rubrello-jet-2.MDB");
        const MigrationResult result = migrateToStore(m_store, source, backup);
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(expected), qPrintable(result.error));
        QCOMPARE(snapshot(m_dir->path()), before);
    }

    void interruptionAtAnyStageLosesNothing_data()
    {
        QTest::addColumn<MigrationStage>("stage");
        QTest::newRow("rows copied") << MigrationStage::Copied;
        QTest::newRow("copy checked") << MigrationStage::Verified;
        QTest::newRow("copy closed") << MigrationStage::Ready;
        QTest::newRow("between the two renames") << MigrationStage::OldKept;
        QTest::newRow("copy in place") << MigrationStage::Installed;
    }

    // The next start finishes the move without asking once the old file has moved aside (no file
    // had the store's name), or asks again while it still stands.
    void interruptionAtAnyStageLosesNothing()
    {
        QFETCH(MigrationStage, stage);
        const bool movedAside = stage == MigrationStage::OldKept || stage == MigrationStage::Installed;
        writeBytes(m_store, FakeJet);
        ListReader source(Sample);
        const QString backup = freeBackupPath(m_store);
        QVERIFY(!migrateToStore(m_store, source, backup, [&](MigrationStage reached) {
            return reached != stage;
        }).ok);
        QCOMPARE(QFileInfo::exists(m_store), stage != MigrationStage::OldKept);

        const StorePreparation prepared = prepareStoreFile(m_store, confirm(), opener(Sample));
        QCOMPARE(prepared.outcome, StorePreparation::Ready);
        QCOMPARE(m_asked.size(), movedAside ? 0 : 1);
        QCOMPARE(prepared.interruptedMoveCompleted, stage == MigrationStage::OldKept);
        QCOMPARE(storedRows(m_store), Sample);
        QCOMPARE(fileBytes(backup), FakeJet);
        QCOMPARE(
            QDir(m_dir->path()).entryList(QDir::Files), (QStringList{"Rubrello-jet.MDB", "Rubrello.MDB"}));
    }

private:
    // Records each question as "<contacts> <backup name>", after checking it names the store.
    MoveConfirmation confirm()
    {
        return [this](const MoveProposal &proposal) {
            m_asked.append(QStringLiteral("%1 %2")
                               .arg(proposal.contacts)
                               .arg(QFileInfo(proposal.backupPath).fileName()));
            return proposal.storePath == m_store;
        };
    }
    PhoneListOpener opener(const QList<ContactRecord> &rows)
    {
        return [this, rows](const QString &, QString *) { return std::make_unique<ListReader>(rows); };
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_store;
    QStringList m_asked;
};

QTEST_GUILESS_MAIN(TestJetMigration)
#include "test_jetmigration.moc"
