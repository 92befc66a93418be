// Faults of the system while the main window saves: a full disk, a store made read-only, a store
// locked by another program, an options file that cannot be written. Each one gets a message,
// keeps what was typed and what was stored, and the next save after it goes through. A store that
// can only be read is shown all the same.
#include "StoreCheck.h"
#include "SystemFaults.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestStore.h"
#include "tests/support/Typing.h"

#include "contacts/ContactStore.h"
#include "dial/DialOptions.h"
#include "ui/controls/BoundBox.h"
#include "ui/phone/Phone.h"

#include <QRegularExpression>
#include <QTest>

namespace {

QString failureMessage(const ScriptedUiPlatform &platform)
{
    for (const MessageRequest &message : platform.messages) {
        if (message.text.startsWith(QLatin1String("Impossibile salvare il record")))
            return message.text;
    }
    return QString();
}

// The main window over a store at a path of the test's choosing.
struct Window
{
    ScriptedUiPlatform platform;
    std::unique_ptr<ContactStore> store;
    std::unique_ptr<Phone> phone;

    bool open(const QString &path, const QString &programDir)
    {
        QString error;
        store = ContactStore::open(path, &error);
        if (!store) {
            qWarning("%s", qPrintable(error));
            return false;
        }
        phone = std::make_unique<Phone>(platform, *store, programDir);
        phone->Form_Load();
        phone->show();
        platform.messages.clear();
        return true;
    }

    template<typename T = QWidget>
    T *find(const char *name) const { return phone->findChild<T *>(QString::fromLatin1(name)); }

    // A new contact typed in; the note, if any, goes in whole after one typed character.
    void typeNewContact(const QString &lastName, const QString &firstName, const QString &note = {})
    {
        QTest::mouseClick(find("cNew"), Qt::LeftButton);
        typeInto(find("tLName"), lastName);
        typeInto(find("tFName"), firstName);
        if (!note.isEmpty()) {
            auto *notes = find<BoundTextEdit>("tNotes");
            typeInto(notes, QStringLiteral("n"));
            notes->setBoxText(note);
            notes->setDataChanged(true);
        }
    }

    void save()
    {
        platform.messageAnswers.enqueue(MessageAnswer::Yes);
        QTest::mouseClick(find("cUpdate"), Qt::LeftButton);
    }

    bool stillAsTyped(const QString &lastName, const QString &firstName) const
    {
        return find<BoundLineEdit>("tLName")->text() == lastName && find<BoundLineEdit>("tFName")->text() == firstName
            && phone->hasPendingEdit();
    }
};

// A store file with a few contacts, closed again so its write-ahead log is gone.
std::vector<ContactRecord> seedStore(const QString &path)
{
    QString error;
    auto store = ContactStore::open(path, &error);
    if (!store)
        return {};
    for (const char *name : {"Bianchi", "Verdi", "Neri"}) {
        ContactRecord record;
        record.setValue(Field::LastName, QString::fromLatin1(name));
        record.setValue(Field::FirstName, QStringLiteral("Anna"));
        record.setValue(Field::WorkPhone, QStringLiteral("06 123"));
        store->insert(record);
    }
    return store->readAll();
}

bool holds(const ContactStore &store, const std::vector<ContactRecord> &records, qint64 count)
{
    std::vector<ContactRecord> now = store.readAll();
    if (qint64(now.size()) != count)
        return false;
    for (const ContactRecord &record : records) {
        if (store.read(record.id) != record)
            return false;
    }
    return true;
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT
private slots:
    void diskFullDuringSave();
    void writesRefusedWhileRunning_data();
    void writesRefusedWhileRunning();
    void readOnlyStoreIsShown_data();
    void readOnlyStoreIsShown();
    void optionsFileUnwritable();
};

void TestFaults::diskFullDuringSave()
{
    ScratchMount disk(QStringLiteral("2m"));
    if (!disk.mounted())
        QSKIP("mounting a small tmpfs needs root");
    const QString path = disk.filePath(QStringLiteral("Rubrello.MDB"));
    const std::vector<ContactRecord> before = seedStore(path);
    QCOMPARE(before.size(), size_t(3));
    {
        Window w;
        QVERIFY(w.open(path, disk.filePath(QString())));
        QVERIFY(fillUp(disk.filePath(QStringLiteral("filler"))));

        const QString note = QStringLiteral("Una nota lunga. ").repeated(20000);
        w.typeNewContact(QStringLiteral("Rossi"), QStringLiteral("Mario"), note);
        w.save();
        const QString message = failureMessage(w.platform);
        QVERIFY2(!message.isEmpty(), "no message for the full disk");
        QVERIFY2(message.contains(QLatin1String("full")) || message.contains(QLatin1String("13")),
            qPrintable(message));
        QVERIFY(w.stillAsTyped(QStringLiteral("Rossi"), QStringLiteral("Mario")));
        QCOMPARE(w.find<BoundTextEdit>("tNotes")->boxText(), note);
        QVERIFY(holds(*w.store, before, 3));

        // Room again: the same save goes through, nothing typed was lost on the way.
        QVERIFY(QFile::remove(disk.filePath(QStringLiteral("filler"))));
        w.platform.messages.clear();
        w.save();
        QVERIFY2(failureMessage(w.platform).isEmpty(), qPrintable(failureMessage(w.platform)));
        QVERIFY(holds(*w.store, before, 4));
        bool found = false;
        for (const ContactRecord &record : w.store->readAll())
            found = found
                || (record.text(Field::LastName) == QLatin1String("Rossi")
                    && record.text(Field::Note) == note);
        QVERIFY(found);
    }
    QCOMPARE(integrityCheck(path), QStringLiteral("ok"));
}

void TestFaults::writesRefusedWhileRunning_data()
{
    QTest::addColumn<bool>("locked"); // else the store is made read-only
    QTest::addColumn<QString>("reason");
    QTest::newRow("store made read-only") << false << "";
    QTest::newRow("store locked by another program") << true << "locked|codice 5";
}

// Reading goes on while writing is refused; once the fault is gone the same save goes through.
void TestFaults::writesRefusedWhileRunning()
{
    QFETCH(bool, locked);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
    const std::vector<ContactRecord> before = seedStore(path);
    {
        Window w;
        QVERIFY(w.open(path, dir.path()));
        QVERIFY(w.store->count() == 3); // the log and its index exist from here on
        std::unique_ptr<LockingProcess> other;
        std::unique_ptr<Immutable> readOnly;
        if (locked) {
            other = std::make_unique<LockingProcess>(path);
            if (!other->locked())
                QSKIP("the sqlite3 shell is not installed");
        } else {
            readOnly = std::make_unique<Immutable>(QStringList{path, path + QStringLiteral("-wal")});
            if (!readOnly->set())
                QSKIP("this file system cannot mark files immutable");
        }
        w.typeNewContact(QStringLiteral("Rossi"), QStringLiteral("Mario"));
        w.save(); // a lock is waited for as long as the store allows
        const QString message = failureMessage(w.platform);
        QVERIFY2(!message.isEmpty() && QRegularExpression(reason).match(message).hasMatch(), qPrintable(message));
        QVERIFY(w.stillAsTyped(QStringLiteral("Rossi"), QStringLiteral("Mario")));
        QVERIFY(holds(*w.store, before, 3));

        other.reset();
        readOnly.reset();
        w.platform.messages.clear();
        w.save();
        QVERIFY2(failureMessage(w.platform).isEmpty(), qPrintable(failureMessage(w.platform)));
        QVERIFY(holds(*w.store, before, 4));
    }
    QCOMPARE(integrityCheck(path), QStringLiteral("ok"));
}

void TestFaults::readOnlyStoreIsShown_data()
{
    QTest::addColumn<bool>("olderJournal");
    QTest::addColumn<bool>("folderShut");
    QTest::newRow("older journal, file read-only") << true << false;
    QTest::newRow("store in a read-only folder") << false << true;
}

void TestFaults::readOnlyStoreIsShown()
{
    QFETCH(bool, olderJournal);
    QFETCH(bool, folderShut);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
    const std::vector<ContactRecord> before = seedStore(path);
    if (olderJournal)
        runSqlElsewhere(path, {QStringLiteral("PRAGMA journal_mode=DELETE")});
    Immutable readOnly({folderShut ? dir.path() : path});
    if (!readOnly.set())
        QSKIP("this file system cannot mark files immutable");

    Window w;
    QVERIFY(w.open(path, dir.path()));
    QVERIFY(holds(*w.store, before, 3));
    QCOMPARE(w.find<BoundLineEdit>("tLName")->text(), QStringLiteral("Bianchi"));
    QVERIFY2(w.store->notices().join(u' ').contains(QLatin1String("solo letto")),
        qPrintable(w.store->notices().join(u' ')));

    w.typeNewContact(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    w.save();
    QVERIFY2(failureMessage(w.platform).contains(QLatin1String("solo letto")),
        qPrintable(failureMessage(w.platform)));
    QVERIFY(w.stillAsTyped(QStringLiteral("Rossi"), QStringLiteral("Mario")));
    QVERIFY(holds(*w.store, before, 3));
}

void TestFaults::optionsFileUnwritable()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(optionsFileName());
    const QByteArray old = "[Rubrello]\r\nPrefissoLocale=06\r\nCentralino=0\r\n";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    // The file is replaced through a new file beside it: both the file and its folder are shut.
    Immutable shut({path, dir.path()});
    if (!shut.set())
        QSKIP("this file system cannot mark files immutable");
    int failures = 0;
    QVERIFY(!saveDialOptions(path, QStringLiteral("02"), QStringLiteral("9"), 3, [&] { ++failures; }));
    QCOMPARE(failures, 3);
    shut.release();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    file.close();

    QVERIFY(saveDialOptions(path, QStringLiteral("02"), QStringLiteral("9"), 3, [&] { ++failures; }));
    QCOMPARE(failures, 3);
    QCOMPARE(readDialOptions(readOptionsFile(path).text.lines).prefix, QStringLiteral("02"));
}

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
