// An old Jet "Rubrello.MDB": real Jet files read through libmdb, and the move into the program's store
// (copy, check, renames, an interrupted move finished at the next start) through a list-fed reader.
#include "contacts/ContactStore.h"
#include "contacts/JetReader.h"
#include "contacts/StoreMigration.h"
#include "app/StoreOpening.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

Q_DECLARE_METATYPE(QList<ContactRecord>)
Q_DECLARE_METATYPE(MigrationStage)
Q_DECLARE_METATYPE(JetVersion)
Q_DECLARE_METATYPE(FieldValue)

namespace {

const QString Fixtures = QStringLiteral(RUBRELLO_JET_FIXTURES);

// Enough of a Jet file for the program to take it for one; only the list-fed reader reads it.
QByteArray fakeJetBytes()
{
    return QByteArray("\x00\x01\x00\x00", 4) + QByteArray("Standard Jet DB") + QByteArray(2029, 'j');
}

ContactRecord contact(qint64 id, std::initializer_list<std::pair<Field, QString>> values)
{
    ContactRecord record = makeRecord(values);
    record.id = id;
    return record;
}

class ListReader : public PhoneListReader
{
public:
    explicit ListReader(QList<ContactRecord> rows)
        : rows(std::move(rows))
    { }

    qint64 rowCount() const override { return rows.size(); }

    bool readRows(const RecordSink &take, QString *error) override
    {
        ++passes;
        const QList<ContactRecord> &pass = passes > 1 && !secondPass.isEmpty() ? secondPass : rows;
        for (qsizetype i = 0; i < pass.size(); ++i) {
            if (i == failAt) {
                *error = QStringLiteral("Lettura non riuscita.");
                return false;
            }
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

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every file of the directory with a hash of its bytes.
QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    const QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : names)
        files.insert(
            name, QCryptographicHash::hash(fileBytes(QDir(dir).filePath(name)), QCryptographicHash::Sha256));
    return files;
}

QList<ContactRecord> byId(QList<ContactRecord> rows)
{
    std::sort(
        rows.begin(), rows.end(), [](const ContactRecord &a, const ContactRecord &b) { return a.id < b.id; });
    return rows;
}

QList<ContactRecord> storedRows(const QString &path)
{
    QString error;
    std::unique_ptr<ContactStore> store = ContactStore::open(path, &error);
    if (!store) {
        qWarning("%s", qPrintable(error));
        return {};
    }
    const std::vector<ContactRecord> rows = store->readAll();
    return byId(QList<ContactRecord>(rows.begin(), rows.end()));
}

QList<ContactRecord> sampleRows()
{
    return {contact(4,
                {{Field::LastName, QStringLiteral("Rossi")}, {Field::FirstName, QStringLiteral("Mario")},
                    {Field::WorkCity, QStringLiteral("Forlì")}}),
        contact(
            9, {{Field::LastName, QStringLiteral("Bianchi")}, {Field::Note, QStringLiteral("due\r\nrighe")}}),
        contact(31, {{Field::LastName, QStringLiteral("Verdi")}, {Field::FirstName, QString()}})};
}

bool hasFixtures()
{
    return QFileInfo::exists(QDir(Fixtures).filePath(QStringLiteral("nwind.mdb")))
        && QFileInfo::exists(QDir(Fixtures).filePath(QStringLiteral("DateTestDatabase.mdb")));
}

QList<QList<FieldValue>> tableRows(const JetDatabase &db, const QString &table)
{
    QList<QList<FieldValue>> rows;
    QString error;
    const bool ok = db.readRows(
        table,
        [&](const QList<FieldValue> &row) {
            rows.append(row);
            return true;
        },
        &error);
    if (!ok)
        qWarning("%s", qPrintable(error));
    return rows;
}

qsizetype columnIndex(const JetDatabase &db, const QString &table, const QString &name)
{
    QString error;
    const std::optional<std::vector<JetColumn>> columns = db.columns(table, &error);
    if (!columns)
        return -1;
    for (size_t i = 0; i < columns->size(); ++i) {
        if ((*columns)[i].name == name)
            return qsizetype(i);
    }
    return -1;
}

std::vector<JetColumn> phoneListColumns()
{
    std::vector<JetColumn> columns;
    for (const FieldInfo &info : Fields) {
        const bool id = info.field == Field::ID;
        const JetColumnKind kind = id   ? JetColumnKind::Integer
            : info.field == Field::Note ? JetColumnKind::Memo
                                        : JetColumnKind::Text;
        columns.push_back({QString::fromLatin1(info.name), kind,
            id ? QStringLiteral("Intero lungo") : QStringLiteral("Testo")});
    }
    return columns;
}

} // namespace

class TestJetMigration : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void fixturesOfBothVersionsOpen_data();
    void fixturesOfBothVersionsOpen();
    void accentedTextAndNullsAreDecoded();
    void jetFileWithoutPhoneListIsRefusedUntouched_data();
    void jetFileWithoutPhoneListIsRefusedUntouched();
    void rowTheLibrarySkipsIsReported();

    void phoneListColumnsAreChecked_data();
    void phoneListColumnsAreChecked();
    void rowWithoutValidIdIsRefused_data();
    void rowWithoutValidIdIsRefused();

    void everyRowIsCopiedWhole_data();
    void everyRowIsCopiedWhole();
    void verificationFindsEveryDifference_data();
    void verificationFindsEveryDifference();
    void failureHalfWayTouchesNothing_data();
    void failureHalfWayTouchesNothing();
    void interruptionAtAnyStageLosesNothing_data();
    void interruptionAtAnyStageLosesNothing();
    void existingBackupIsNeverOverwritten_data();
    void existingBackupIsNeverOverwritten();
    void declinedQuestionTouchesNothing();
    void movedStoreOpensWithoutAskingAgain();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_store;
    std::unique_ptr<ScriptedPlatform> m_platform;
    int m_opened = 0;

    PhoneListOpener listOpener(const QList<ContactRecord> &rows)
    {
        return [this, rows](const QString &, QString *) {
            ++m_opened;
            return std::make_unique<ListReader>(rows);
        };
    }
    QString copyFixture(const QString &name);
};

void TestJetMigration::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = m_dir->filePath(QStringLiteral("Rubrello.MDB"));
    m_platform = std::make_unique<ScriptedPlatform>();
    m_opened = 0;
}

QString TestJetMigration::copyFixture(const QString &name)
{
    const QString path = m_dir->filePath(name);
    QFile::copy(QDir(Fixtures).filePath(name), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

void TestJetMigration::fixturesOfBothVersionsOpen_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<JetVersion>("version");
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("rows");
    QTest::newRow("Jet 3") << "nwind.mdb" << JetVersion::Jet3 << "Umsätze" << -1;
    QTest::newRow("Jet 4") << "DateTestDatabase.mdb" << JetVersion::Jet4 << "DateTest" << 6;
}

void TestJetMigration::fixturesOfBothVersionsOpen()
{
    if (!hasFixtures())
        QSKIP("the Jet test files are not there");
    QFETCH(QString, file);
    QFETCH(JetVersion, version);
    QFETCH(QString, table);
    QFETCH(int, rows);
    QString error;
    std::unique_ptr<JetDatabase> db = JetDatabase::open(QDir(Fixtures).filePath(file), &error);
    QVERIFY2(db, qPrintable(error));
    QCOMPARE(db->version(), version);
    QVERIFY2(db->tableNames().contains(table), qPrintable(db->tableNames().join(u',')));
    QCOMPARE(db->findTable(table.toUpper()), table);
    QVERIFY(db->findTable(QStringLiteral("PhoneList")).isEmpty());
    if (rows >= 0) {
        QCOMPARE(tableRows(*db, table).size(), rows);
        QCOMPARE(db->declaredRowCount(table, &error), qint64(rows));
    }
}

void TestJetMigration::accentedTextAndNullsAreDecoded()
{
    if (!hasFixtures())
        QSKIP("the Jet test files are not there");
    QString error;
    std::unique_ptr<JetDatabase> db
        = JetDatabase::open(QDir(Fixtures).filePath(QStringLiteral("nwind.mdb")), &error);
    QVERIFY2(db, qPrintable(error));
    const QList<QList<FieldValue>> customers = tableRows(*db, QStringLiteral("Customers"));
    QCOMPARE(customers.size(), 91);
    const qsizetype address = columnIndex(*db, QStringLiteral("Customers"), QStringLiteral("Address"));
    const qsizetype city = columnIndex(*db, QStringLiteral("Customers"), QStringLiteral("City"));
    const qsizetype region = columnIndex(*db, QStringLiteral("Customers"), QStringLiteral("Region"));
    QVERIFY(address >= 0 && city >= 0 && region >= 0);
    const auto anaTrujillo
        = std::find_if(customers.begin(), customers.end(), [&](const QList<FieldValue> &row) {
              return row[address] == QStringLiteral("Avda. de la Constitución 2222");
          });
    QVERIFY(anaTrujillo != customers.end());
    QCOMPARE((*anaTrujillo)[city], FieldValue(QStringLiteral("México D.F.")));
    // A Null stays apart from an empty text.
    QCOMPARE((*anaTrujillo)[region], FieldValue());

    std::unique_ptr<JetDatabase> jet4
        = JetDatabase::open(QDir(Fixtures).filePath(QStringLiteral("DateTestDatabase.mdb")), &error);
    QVERIFY2(jet4, qPrintable(error));
    const qsizetype memo = columnIndex(*jet4, QStringLiteral("DateTest"), QStringLiteral("LongTextCol"));
    QVERIFY(memo >= 0);
    QCOMPARE(tableRows(*jet4, QStringLiteral("DateTest")).first()[memo], FieldValue(QStringLiteral("Hello")));
}

void TestJetMigration::jetFileWithoutPhoneListIsRefusedUntouched_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("keep"); // bytes kept from the start of the file; -1 all
    QTest::addColumn<qint64>("zeroFrom"); // a block of 2048 bytes wiped from here; -1 none
    QTest::addColumn<QString>("expected");
    QTest::newRow("Jet 3 without PhoneList") << "nwind.mdb" << qint64(-1) << qint64(-1) << "PhoneList";
    QTest::newRow("Jet 4 without PhoneList")
        << "DateTestDatabase.mdb" << qint64(-1) << qint64(-1) << "PhoneList";
    QTest::newRow("header page only") << "nwind.mdb" << qint64(4096) << qint64(-1) << "danneggiato";
    QTest::newRow("cut short") << "nwind.mdb" << qint64(20000) << qint64(-1) << "danneggiato";
    QTest::newRow("catalog wiped") << "nwind.mdb" << qint64(-1) << qint64(4096) << "danneggiato";
    QTest::newRow("Jet 4 cut short") << "DateTestDatabase.mdb" << qint64(8192) << qint64(-1) << "danneggiato";
}

void TestJetMigration::jetFileWithoutPhoneListIsRefusedUntouched()
{
    if (!hasFixtures())
        QSKIP("the Jet test files are not there");
    QFETCH(QString, file);
    QFETCH(qint64, keep);
    QFETCH(qint64, zeroFrom);
    QFETCH(QString, expected);
    QByteArray bytes = fileBytes(QDir(Fixtures).filePath(file));
    if (keep >= 0)
        bytes.truncate(keep);
    if (zeroFrom >= 0)
        bytes.replace(zeroFrom, 2048, QByteArray(2048, '\0'));
    writeFile(m_store, bytes);
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());

    QString error;
    QVERIFY(!openJetPhoneList(m_store, &error));
    QVERIFY2(error.contains(expected), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("non è stato modificato")), qPrintable(error));

    // At start-up the user is told, not asked, and the file is left as it was.
    const StorePreparation prepared = prepareStoreAsking(*m_platform, m_store);
    QCOMPARE(prepared.outcome, StorePreparation::Failed);
    QCOMPARE(prepared.error, error);
    QVERIFY(m_platform->messages.isEmpty());
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestJetMigration::rowTheLibrarySkipsIsReported()
{
    if (!hasFixtures())
        QSKIP("the Jet test files are not there");
    // Flag one row of Customers as deleted in its data page: libmdb then passes over it in silence.
    const QString path = copyFixture(QStringLiteral("nwind.mdb"));
    QByteArray bytes = fileBytes(path);
    // The name is in index pages too: take it where it stands in a data page.
    qsizetype at = bytes.indexOf("Alfreds Futterkiste");
    while (at > 0 && bytes[at / 2048 * 2048] != '\x01')
        at = bytes.indexOf("Alfreds Futterkiste", at + 1);
    QVERIFY(at > 0);
    const qsizetype page = at / 2048 * 2048;
    const int rows = quint8(bytes[page + 8]) | quint8(bytes[page + 9]) << 8;
    bool flagged = false;
    for (int row = 0; row < rows && !flagged; ++row) {
        const qsizetype entry = page + 10 + 2 * row;
        const int start = (quint8(bytes[entry]) | quint8(bytes[entry + 1]) << 8) & 0x1fff;
        const int end = row == 0 ? 2048 : (quint8(bytes[entry - 2]) | quint8(bytes[entry - 1]) << 8) & 0x1fff;
        if (at - page >= start && at - page < end) {
            bytes[entry + 1] = char(bytes[entry + 1] | 0x40);
            flagged = true;
        }
    }
    QVERIFY(flagged);
    writeFile(path, bytes);

    QString error;
    std::unique_ptr<JetDatabase> db = JetDatabase::open(path, &error);
    QVERIFY2(db, qPrintable(error));
    QVERIFY(!db->readRows(
        QStringLiteral("Customers"), [](const QList<FieldValue> &) { return true; }, &error));
    QVERIFY2(error.contains(QStringLiteral("solo 90 delle 91")), qPrintable(error));
}

void TestJetMigration::phoneListColumnsAreChecked_data()
{
    QTest::addColumn<QStringList>("drop");
    QTest::addColumn<QStringList>("add");
    QTest::addColumn<QString>("retype"); // a field made of another kind
    QTest::addColumn<QString>("expected"); // empty: the columns fit
    QTest::newRow("the twenty fields") << QStringList() << QStringList() << QString() << QString();
    QTest::newRow("a field missing") << QStringList {"www", "HomeFax"} << QStringList() << QString()
                                     << "mancano i campi www, HomeFax";
    QTest::newRow("a field that would be lost")
        << QStringList() << QStringList {"Compleanno"} << QString() << "andrebbero persi: Compleanno";
    QTest::newRow("ID not a number") << QStringList() << QStringList() << "ID"
                                     << "ID (Oggetto OLE)";
    QTest::newRow("notes not text") << QStringList() << QStringList() << "Note"
                                    << "Note (Oggetto OLE)";
}

void TestJetMigration::phoneListColumnsAreChecked()
{
    QFETCH(QStringList, drop);
    QFETCH(QStringList, add);
    QFETCH(QString, retype);
    QFETCH(QString, expected);
    std::vector<JetColumn> columns = phoneListColumns();
    // Access does not care about case; neither does the mapping.
    std::reverse(columns.begin(), columns.end());
    columns.front().name = columns.front().name.toLower();
    std::erase_if(
        columns, [&](const JetColumn &column) { return drop.contains(column.name, Qt::CaseInsensitive); });
    for (const QString &name : add)
        columns.push_back({name, JetColumnKind::Text, QStringLiteral("Testo")});
    for (JetColumn &column : columns) {
        if (column.name == retype)
            column = {column.name, JetColumnKind::Other, QStringLiteral("Oggetto OLE")};
    }

    QString problem;
    const std::optional<PhoneListColumns> map = mapPhoneListColumns(columns, &problem);
    if (expected.isEmpty()) {
        QVERIFY2(map, qPrintable(problem));
        for (const FieldInfo &info : Fields)
            QCOMPARE(columns[size_t((*map)[fieldIndex(info.field)])].name.toLower(),
                QString::fromLatin1(info.name).toLower());
    } else {
        QVERIFY(!map);
        QVERIFY2(problem.contains(expected), qPrintable(problem));
    }
}

void TestJetMigration::rowWithoutValidIdIsRefused_data()
{
    QTest::addColumn<FieldValue>("id");
    QTest::addColumn<bool>("valid");
    QTest::newRow("counter") << FieldValue(QStringLiteral("32768")) << true;
    QTest::newRow("Null") << FieldValue() << false;
    QTest::newRow("zero") << FieldValue(QStringLiteral("0")) << false;
    QTest::newRow("not a number") << FieldValue(QStringLiteral("x1")) << false;
}

void TestJetMigration::rowWithoutValidIdIsRefused()
{
    QFETCH(FieldValue, id);
    QFETCH(bool, valid);
    PhoneListColumns map;
    for (int i = 0; i < FieldCount; ++i)
        map[i] = i;
    QList<FieldValue> row(FieldCount);
    row[0] = id;
    row[fieldIndex(Field::LastName)] = QStringLiteral("Rossi");
    row[fieldIndex(Field::FirstName)] = QString();
    const std::optional<ContactRecord> record = phoneListRecord(row, map);
    QCOMPARE(record.has_value(), valid);
    if (valid) {
        QCOMPARE(record->id, qint64(32768));
        QCOMPARE(record->value(Field::LastName), FieldValue(QStringLiteral("Rossi")));
        QCOMPARE(record->value(Field::FirstName), FieldValue(QString()));
        QVERIFY(record->isNull(Field::Azienda));
    }
}

void TestJetMigration::everyRowIsCopiedWhole_data()
{
    QTest::addColumn<QList<ContactRecord>>("rows");
    QString longNote;
    for (int line = 0; line < 5000; ++line)
        longNote += QStringLiteral("Riga %1 della nota, con è, ò e €.\r\n").arg(line);
    QTest::newRow("ids kept with their gaps")
        << QList<ContactRecord> {contact(3, {{Field::LastName, QStringLiteral("Rossi")}}),
               contact(7, {{Field::LastName, QStringLiteral("Neri")}}),
               contact(32767, {{Field::LastName, QStringLiteral("Gialli")}}),
               contact(40000, {{Field::LastName, QStringLiteral("Blu")}})};
    QTest::newRow("Null apart from empty")
        << QList<ContactRecord> {contact(1,
                                     {{Field::LastName, QStringLiteral("Rossi")},
                                         {Field::FirstName, QString()}, {Field::www, QString()}}),
               contact(2, {})};
    QTest::newRow("long notes whole") << QList<ContactRecord> {
        contact(5, {{Field::LastName, QStringLiteral("Bianchi")}, {Field::Note, longNote}})};
    QTest::newRow("accented text") << QList<ContactRecord> {contact(8,
        {{Field::LastName, QStringLiteral("Niccolò")}, {Field::FirstName, QStringLiteral("Zoë")},
            {Field::HomeCity, QStringLiteral("Cefalù")},
            {Field::WorkAddress, QStringLiteral("Straße 1\r\nZürich")}})};
    QTest::newRow("empty table") << QList<ContactRecord>();
}

void TestJetMigration::everyRowIsCopiedWhole()
{
    QFETCH(QList<ContactRecord>, rows);
    writeFile(m_store, fakeJetBytes());
    ListReader source(rows);
    const QString backup = freeBackupPath(m_store);
    QCOMPARE(QFileInfo(backup).fileName(), QStringLiteral("Rubrello-jet.MDB"));

    const MigrationResult result = migrateToStore(m_store, source, backup);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.copied, qint64(rows.size()));
    QCOMPARE(storedRows(m_store), byId(rows));
    QCOMPARE(fileBytes(backup), fakeJetBytes());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
        QStringList({QStringLiteral("Rubrello-jet.MDB"), QStringLiteral("Rubrello.MDB")}));

    // New contacts get ids past the copied ones, never one that an old reference could mean.
    QString error;
    std::unique_ptr<ContactStore> store = ContactStore::open(m_store, &error);
    QVERIFY2(store, qPrintable(error));
    const std::optional<qint64> id = store->insert(contact(0, {{Field::LastName, QStringLiteral("Nuovo")}}));
    QVERIFY(id);
    for (const ContactRecord &row : rows)
        QVERIFY(*id > row.id);
}

void TestJetMigration::verificationFindsEveryDifference_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a text changed") << 0 << "ID 9 non si ritrova uguale";
    QTest::newRow("Null become empty") << 1 << "ID 4 non si ritrova uguale";
    QTest::newRow("a row missing") << 2 << "contiene 2 contatti invece di 3";
    QTest::newRow("a row more") << 3 << "contiene 4 contatti invece di 3";
    QTest::newRow("another id") << 4 << "ID 31 manca";
}

void TestJetMigration::verificationFindsEveryDifference()
{
    QFETCH(int, change);
    QFETCH(QString, expected);
    const QList<ContactRecord> rows = sampleRows();
    QList<ContactRecord> copy = rows;
    switch (change) {
    case 0:
        copy[1].setValue(Field::Note, QStringLiteral("due\nrighe"));
        break;
    case 1:
        copy[0].setValue(Field::Azienda, QString());
        break;
    case 2:
        copy.removeLast();
        break;
    case 3:
        copy.append(contact(50, {}));
        break;
    case 4:
        copy[2].id = 32;
        break;
    }
    TestStore target;
    for (const ContactRecord &row : copy)
        QVERIFY(target.store().insertKeepingId(row));
    ListReader source(rows);
    QString error;
    QVERIFY(verifyCopy(source, target.path(), &error) == false);
    QVERIFY2(error.contains(expected), qPrintable(error));
}

void TestJetMigration::failureHalfWayTouchesNothing_data()
{
    QTest::addColumn<int>("failAt");
    QTest::addColumn<bool>("duplicateId");
    QTest::addColumn<bool>("changesOnSecondReading");
    QTest::addColumn<QString>("expected");
    QTest::newRow("source fails half way") << 2 << false << false << "Lettura non riuscita.";
    QTest::newRow("an id twice") << -1 << true << false << "ID 9 compare due volte";
    QTest::newRow("the check finds a difference")
        << -1 << false << true << "La verifica della copia non è riuscita";
}

void TestJetMigration::failureHalfWayTouchesNothing()
{
    QFETCH(int, failAt);
    QFETCH(bool, duplicateId);
    QFETCH(bool, changesOnSecondReading);
    QFETCH(QString, expected);
    writeFile(m_store, fakeJetBytes());
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());
    ListReader source(sampleRows());
    source.failAt = failAt;
    if (duplicateId)
        source.rows.append(contact(9, {{Field::LastName, QStringLiteral("Doppio")}}));
    if (changesOnSecondReading) {
        source.secondPass = source.rows;
        source.secondPass[0].setValue(Field::FirstName, QStringLiteral("Maria"));
    }

    const MigrationResult result = migrateToStore(m_store, source, freeBackupPath(m_store));
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(expected), qPrintable(result.error));
    QVERIFY2(result.error.contains(QStringLiteral("non è stato modificato")), qPrintable(result.error));
    // Nothing renamed, the old file as it was, the copy gone.
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestJetMigration::interruptionAtAnyStageLosesNothing_data()
{
    QTest::addColumn<MigrationStage>("stage");
    QTest::addColumn<bool>("askedAgain");
    QTest::newRow("rows copied") << MigrationStage::Copied << true;
    QTest::newRow("copy checked") << MigrationStage::Verified << true;
    QTest::newRow("copy closed") << MigrationStage::Ready << true;
    QTest::newRow("between the two renames") << MigrationStage::OldKept << false;
    QTest::newRow("copy in place") << MigrationStage::Installed << false;
}

void TestJetMigration::interruptionAtAnyStageLosesNothing()
{
    QFETCH(MigrationStage, stage);
    QFETCH(bool, askedAgain);
    writeFile(m_store, fakeJetBytes());
    const QList<ContactRecord> rows = sampleRows();
    ListReader source(rows);
    const QString backup = freeBackupPath(m_store);
    const MigrationResult killed
        = migrateToStore(m_store, source, backup, [&](MigrationStage reached) { return reached != stage; });
    QVERIFY(!killed.ok);
    if (stage == MigrationStage::OldKept) {
        QVERIFY(!QFileInfo::exists(m_store));
        QCOMPARE(fileBytes(backup), fakeJetBytes());
    }

    // The next start.
    m_platform->messageAnswers.enqueue(MessageAnswer::Yes);
    const StorePreparation prepared = prepareStoreAsking(*m_platform, m_store, listOpener(rows));
    QCOMPARE(prepared.outcome, StorePreparation::Ready);
    const bool asked
        = !m_platform->messages.isEmpty() && m_platform->messages.first().buttons == MessageButtons::YesNo;
    QCOMPARE(asked, askedAgain);
    if (stage == MigrationStage::OldKept)
        QCOMPARE(m_platform->messages.first().icon, MessageIcon::Information);

    QCOMPARE(storedRows(m_store), byId(rows));
    QCOMPARE(fileBytes(backup), fakeJetBytes());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
        QStringList({QStringLiteral("Rubrello-jet.MDB"), QStringLiteral("Rubrello.MDB")}));
}

void TestJetMigration::existingBackupIsNeverOverwritten_data()
{
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first name taken") << QStringList {"Rubrello-jet.MDB"} << "Rubrello-jet-2.MDB";
    QTest::newRow("two names taken") << QStringList {"Rubrello-jet.MDB", "Rubrello-jet-2.MDB"}
                                     << "Rubrello-jet-3.MDB";
    QTest::newRow("only a side file left")
        << QStringList {"Rubrello-jet.MDB-journal"} << "Rubrello-jet-2.MDB";
}

void TestJetMigration::existingBackupIsNeverOverwritten()
{
    QFETCH(QStringList, taken);
    QFETCH(QString, expected);
    writeFile(m_store, fakeJetBytes());
    for (const QString &name : taken)
        writeFile(m_dir->filePath(name), name.toUtf8());

    // Asked to use a name that is taken, the move refuses and touches nothing.
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());
    ListReader source(sampleRows());
    const MigrationResult refused = migrateToStore(m_store, source, m_dir->filePath(taken.first()));
    QVERIFY(!refused.ok);
    QCOMPARE(snapshot(m_dir->path()), before);

    m_platform->messageAnswers.enqueue(MessageAnswer::Yes);
    QCOMPARE(
        prepareStoreAsking(*m_platform, m_store, listOpener(sampleRows())).outcome, StorePreparation::Ready);
    QVERIFY(m_platform->messages.first().text.contains(expected));
    QCOMPARE(fileBytes(m_dir->filePath(expected)), fakeJetBytes());
    for (const QString &name : taken)
        QCOMPARE(fileBytes(m_dir->filePath(name)), name.toUtf8());
    QCOMPARE(storedRows(m_store), byId(sampleRows()));
}

void TestJetMigration::declinedQuestionTouchesNothing()
{
    writeFile(m_store, fakeJetBytes());
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());
    m_platform->messageAnswers.enqueue(MessageAnswer::No);

    const StorePreparation prepared = prepareStoreAsking(*m_platform, m_store, listOpener(sampleRows()));
    QCOMPARE(prepared.outcome, StorePreparation::Declined);
    QCOMPARE(m_platform->messages.size(), 1);
    const MessageRequest &question = m_platform->messages.first();
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    // The question says what will happen: how many contacts, where they go, where the old file stays.
    QVERIFY2(question.text.contains(QStringLiteral("3 contatti")), qPrintable(question.text));
    QVERIFY(question.text.contains(QStringLiteral("\"Rubrello.MDB\"")));
    QVERIFY(question.text.contains(QStringLiteral("\"Rubrello-jet.MDB\"")));
    QVERIFY(question.text.contains(QStringLiteral("invariato")));
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestJetMigration::movedStoreOpensWithoutAskingAgain()
{
    writeFile(m_store, fakeJetBytes());
    m_platform->messageAnswers.enqueue(MessageAnswer::Yes);
    QCOMPARE(
        prepareStoreAsking(*m_platform, m_store, listOpener(sampleRows())).outcome, StorePreparation::Ready);
    QCOMPARE(m_platform->messages.size(), 1);

    QCOMPARE(
        prepareStoreAsking(*m_platform, m_store, listOpener(sampleRows())).outcome, StorePreparation::Ready);
    QCOMPARE(m_platform->messages.size(), 1);
    QCOMPARE(m_opened, 1);
    QString error;
    std::unique_ptr<ContactStore> store = ContactStore::open(m_store, &error);
    QVERIFY2(store, qPrintable(error));
    QCOMPARE(store->count(), 3);
}

QTEST_GUILESS_MAIN(TestJetMigration)
#include "test_jetmigration.moc"
