// Faults of the system while the main window saves: a full disk, a store made read-only, a store
// locked by another program. Each one gets a message, keeps what was typed and what was stored, and
// the next save after it goes through. A store that can only be read is shown all the same.
#include "StoreCheck.h"
#include "SystemFaults.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestStore.h"
#include "tests/support/Typing.h"

#include "ui/controls/BoundBox.h"
#include "ui/phone/Phone.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

enum Fault { DiskFull, ReadOnly, Locked, ReadOnlyAtStart, FolderShut };

// The main window over the store at path, the first contact shown.
struct Window
{
    explicit Window(const QString &path)
        : store(ContactStore::open(path, &error))
    {
        if (!store)
            return;
        phone = std::make_unique<Phone>(platform, *store, QFileInfo(path).path());
        phone->Form_Load();
        phone->show();
    }

    template<typename T = QWidget>
    T *find(const char *name) const
    {
        return phone->findChild<T *>(QString::fromLatin1(name));
    }

    // "Rossi Mario" typed in as a new contact; the note goes in whole after one typed character.
    void typeNewContact(const QString &note)
    {
        QTest::mouseClick(find("cNew"), Qt::LeftButton);
        typeInto(find("tLName"), u"Rossi"_s);
        typeInto(find("tFName"), u"Mario"_s);
        auto *notes = find<BoundTextEdit>("tNotes");
        typeInto(notes, u"n"_s);
        notes->setBoxText(note);
        notes->setDataChanged(true);
    }

    // Saves, answering the question; gives the message shown after it, empty when the save went through.
    QString save()
    {
        platform.messages.clear();
        platform.messageAnswers.enqueue(MessageAnswer::Yes);
        QTest::mouseClick(find("cUpdate"), Qt::LeftButton);
        return platform.messages.size() > 1 ? platform.messages.last().text : QString();
    }

    QString error;
    ScriptedUiPlatform platform;
    std::unique_ptr<ContactStore> store;
    std::unique_ptr<Phone> phone;
};

// A store file with a few contacts, closed again so its write-ahead log is gone.
std::vector<ContactRecord> seedStore(const QString &path)
{
    QString error;
    const auto store = ContactStore::open(path, &error);
    for (const char *name : {"Bianchi", "Verdi", "Neri"})
        store->insert(
            makeRecord({{Field::LastName, QString::fromLatin1(name)}, {Field::FirstName, u"Anna"_s}}));
    return store->readAll();
}

// The store holds the records as they were, and `added` more.
bool holds(const ContactStore &store, const std::vector<ContactRecord> &records, size_t added)
{
    for (const ContactRecord &record : records) {
        if (store.read(record.id) != record)
            return false;
    }
    return store.readAll().size() == records.size() + added;
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT
private slots:
    void faultDuringSave_data();
    void faultDuringSave();
};

void TestFaults::faultDuringSave_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("reason"); // what the message says, as a pattern
    QTest::newRow("disk full") << int(DiskFull) << "full|13";
    QTest::newRow("store made read-only") << int(ReadOnly) << ".";
    QTest::newRow("store locked by another program") << int(Locked) << "locked|codice 5";
    QTest::newRow("read-only from the start, older journal") << int(ReadOnlyAtStart) << "solo letto";
    QTest::newRow("store in a read-only folder") << int(FolderShut) << "solo letto";
}

// Reading goes on while writing is refused; once the fault is gone the same save goes through.
void TestFaults::faultDuringSave()
{
    QFETCH(int, fault);
    QFETCH(QString, reason);
    ScratchMount disk(u"2m"_s);
    QTemporaryDir dir;
    if (fault == DiskFull && !disk.mounted())
        QSKIP("mounting a small tmpfs needs root");
    const QString name = u"Rubrello.MDB"_s;
    const QString path = fault == DiskFull ? disk.filePath(name) : dir.filePath(name);
    const std::vector<ContactRecord> before = seedStore(path);
    if (fault == ReadOnlyAtStart)
        runSqlElsewhere(path, {u"PRAGMA journal_mode=DELETE"_s});
    std::optional<Immutable> readOnly;
    const auto shut = [&](const QStringList &paths) { return readOnly.emplace(paths).set(); };
    const bool atStart = fault == ReadOnlyAtStart || fault == FolderShut; // before the store is opened
    if (atStart && !shut({fault == FolderShut ? dir.path() : path}))
        QSKIP("this file system cannot mark files immutable");
    {
        Window w(path);
        QVERIFY2(w.store, qPrintable(w.error));
        QVERIFY(holds(*w.store, before, 0)); // the log and its index exist from here on
        QCOMPARE(w.find<BoundLineEdit>("tLName")->text(), u"Bianchi"_s);
        QCOMPARE(w.store->notices().join(u' ').contains(u"solo letto"_s), atStart);
        QSqlDatabase other; // another program on the store
        if (fault == DiskFull) {
            QVERIFY(fillUp(disk.filePath(u"filler"_s)));
        } else if (fault == ReadOnly && !shut({path, path + u"-wal"_s})) {
            QSKIP("this file system cannot mark files immutable");
        } else if (fault == Locked) {
            other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"locker"_s);
            other.setDatabaseName(path);
            QVERIFY(other.open() && QSqlQuery(u"BEGIN EXCLUSIVE"_s, other).isActive());
        }
        const QString note = u"Una nota lunga. "_s.repeated(20000);
        w.typeNewContact(note);
        const QString message = w.save(); // a lock is waited for as long as the store allows
        QVERIFY2(QRegularExpression(reason).match(message).hasMatch(), qPrintable(message));
        QVERIFY(w.phone->hasPendingEdit() && w.find<BoundTextEdit>("tNotes")->boxText() == note);
        QCOMPARE(w.find<BoundLineEdit>("tLName")->text() + w.find<BoundLineEdit>("tFName")->text(),
            u"RossiMario"_s);
        QVERIFY(holds(*w.store, before, 0));
        if (atStart)
            return;

        QFile::remove(disk.filePath(u"filler"_s));
        readOnly.reset();
        other.close(); // with its transaction, unwritten
        QCOMPARE(w.save(), QString());
        QVERIFY(holds(*w.store, before, 1));
        const auto rows = w.store->readAll();
        QVERIFY(std::any_of(
            rows.begin(), rows.end(), [&](const auto &row) { return row.text(Field::Note) == note; }));
    }
    QCOMPARE(integrityCheck(path), u"ok"_s);
}

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
