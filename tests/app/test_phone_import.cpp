// The import command in the main window: the question for the file and what it offers, the failure
// message and the question again, the save flow before the import and the contacts shown after it.
#include "PhoneFixture.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace {

const QString Prompt
    = QStringLiteral("Inserire nome e percorso del file di testo Numbo.txt per importare i dati "
                     "dalla versione 1 o 1.xx, ad esempio inserire:  C:\\NUMBO\\NUMBO.TXT ");
const QString FailureText = QStringLiteral("File non trovato o errore di accesso!");
const QString LastPathKey = QStringLiteral("import/lastPath");

QString writeNumbo(const QString &dir, const QByteArray &bytes)
{
    const QString path = QDir(dir).filePath(QStringLiteral("numbo.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the test file");
    return path;
}

const QByteArray TwoContacts = QByteArray("Verdi Luca Via Po 3").leftJustified(54, ' ') + "011 556677\r\n"
    + QByteArray("Nicol\xF2 Anna").leftJustified(54, ' ') + "\r\n";

} // namespace

class TestPhoneImport : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void questionOffersHomeThenLastFile();
    void failureAsksAgainWithTheTypedPath();
    void importedContactsShowAtOnce_data();
    void importedContactsShowAtOnce();
    void pendingChangesGoThroughTheSaveFlow();
    void nameToCorrectKeepsTheImportOut();

private:
    std::unique_ptr<PhoneFixture> f;
    QByteArray m_home;
};

void TestPhoneImport::init()
{
    f = std::make_unique<PhoneFixture>();
    m_home = qgetenv("HOME");
    // The last file is remembered across runs: each test starts without one.
    QSettings().remove(LastPathKey);
}

void TestPhoneImport::cleanup()
{
    f.reset();
    qputenv("HOME", m_home);
    QSettings().remove(LastPathKey);
}

void TestPhoneImport::questionOffersHomeThenLastFile()
{
    // A home of its own, away from the folder the test runs in.
    const QString home = QDir(f->test.directory()).filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(home));
    qputenv("HOME", QFile::encodeName(home));
    writeNumbo(home, TwoContacts);
    f->load();
    f->platform.inputs.clear();
    f->platform.inputAnswers.enqueue(QStringLiteral("~/numbo.txt"));
    f->trigger(QStringLiteral("FileImporta"));
    QCOMPARE(f->platform.inputs.size(), 1);
    QCOMPARE(f->platform.inputs[0].prompt, Prompt);
    QCOMPARE(f->platform.inputs[0].title, QStringLiteral("Rubrello"));
    QCOMPARE(f->platform.inputs[0].defaultText, home + QLatin1Char('/'));
    QVERIFY(f->platform.inputs[0].fileFilter.contains(QStringLiteral("*.txt")));
    QCOMPARE(f->test.store().count(), 2);

    // The file just read is offered next; a name typed over it is looked for at home too, not in
    // the folder the program runs in.
    f->platform.inputAnswers.enqueue(QStringLiteral("numbo.txt"));
    f->trigger(QStringLiteral("FileImporta"));
    QCOMPARE(f->platform.inputs.size(), 2);
    QCOMPARE(f->platform.inputs[1].defaultText, QDir(home).filePath(QStringLiteral("numbo.txt")));
    QCOMPARE(f->test.store().count(), 4);
}

void TestPhoneImport::failureAsksAgainWithTheTypedPath()
{
    f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    f->load();
    f->platform.inputs.clear();
    const QString missing = QDir(f->test.directory()).filePath(QStringLiteral("manca.txt"));
    f->platform.inputAnswers.enqueue(missing);
    f->trigger(QStringLiteral("FileImporta"));
    QCOMPARE(f->platform.messages.size(), 1);
    QCOMPARE(f->platform.messages[0].text, FailureText);
    QCOMPARE(f->platform.messages[0].title, QString());
    QCOMPARE(f->platform.messages[0].buttons, MessageButtons::Ok);
    QCOMPARE(f->platform.messages[0].icon, MessageIcon::None);
    QCOMPARE(f->platform.inputs.size(), 2);
    QCOMPARE(f->platform.inputs[1].defaultText, missing);
    QCOMPARE(f->test.store().count(), 1);
    // A file that could not be read is not offered next time.
    QVERIFY(!QSettings().contains(LastPathKey));
}

void TestPhoneImport::importedContactsShowAtOnce_data()
{
    QTest::addColumn<bool>("empty");
    QTest::newRow("a contact shown") << false;
    QTest::newRow("empty table") << true; // nothing typed, nothing checked: the table is read again
}

void TestPhoneImport::importedContactsShowAtOnce()
{
    QFETCH(bool, empty);
    if (!empty)
        f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    f->load();
    f->platform.inputAnswers.enqueue(writeNumbo(f->test.directory(), TwoContacts));
    f->trigger(QStringLiteral("FileImporta"));
    QCOMPARE(f->test.store().count(), empty ? 2 : 3);
    QCOMPARE(f->platform.messages.size(), 1);
    QCOMPARE(f->platform.messages[0].text, QStringLiteral("Importati 2 contatti."));
    QCOMPARE(f->platform.messages[0].icon, MessageIcon::Information);
    QVERIFY(f->tree().findLine(QStringLiteral("Verdi, Luca")) > 0);
    QVERIFY(f->tree().findLine(QString::fromUtf8("Nicolò, Anna")) > 0);
    // The contact shown before the import stays shown.
    if (!empty)
        QCOMPARE(f->caption(), QStringLiteral("Rossi, Mario"));
    QVERIFY(!f->phone->hasPendingEdit());
}

void TestPhoneImport::pendingChangesGoThroughTheSaveFlow()
{
    const qint64 rossi = f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    f->load();
    f->type(QStringLiteral("tCity_0"), QStringLiteral("Forlì"));
    f->platform.inputAnswers.enqueue(writeNumbo(f->test.directory(), TwoContacts));
    f->trigger(QStringLiteral("FileImporta"));
    // The save question comes first (answered yes by default), the import after it.
    QCOMPARE(f->platform.messages.size(), 2);
    QCOMPARE(f->platform.messages[0].text, QStringLiteral("Vuoi salvare le modifiche apportate?"));
    QCOMPARE(f->test.store().read(rossi)->text(Field::WorkCity), QStringLiteral("Forlì"));
    QCOMPARE(f->test.store().count(), 3);
    QCOMPARE(f->text(QStringLiteral("tCity_0")), QStringLiteral("Forlì"));
}

void TestPhoneImport::nameToCorrectKeepsTheImportOut()
{
    const qint64 rossi = f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    f->load();
    f->box(QStringLiteral("tLName"))->selectAll();
    typeInto(f->box(QStringLiteral("tLName")), QStringLiteral("3"));
    f->platform.inputAnswers.enqueue(writeNumbo(f->test.directory(), TwoContacts));
    f->trigger(QStringLiteral("FileImporta"));
    // The name check stops the save, and the import with it: nothing is asked, nothing written.
    QCOMPARE(f->platform.messages.size(), 1);
    QCOMPARE(f->platform.messages[0].text, QStringLiteral("Primo carattere del cognome non Ammesso"));
    QVERIFY(f->platform.inputs.isEmpty());
    QCOMPARE(f->test.store().count(), 1);
    QCOMPARE(f->test.store().read(rossi)->text(Field::LastName), QStringLiteral("Rossi"));
    QCOMPARE(f->text(QStringLiteral("tLName")), QStringLiteral("3"));
    QVERIFY(f->phone->hasPendingEdit());
}

QTEST_MAIN(TestPhoneImport)
#include "test_phone_import.moc"
