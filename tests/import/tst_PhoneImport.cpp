// The import command in the main window: the question for the file, the failure message and the
// question again, the save flow before the import and the contacts shown after it.
#include "tests/support/Typing.h"
#include "tests/app/PhoneFixture.h"

#include "index/Outline.h"

#include <QAction>
#include <QDir>
#include <QFile>

namespace {

const QString Prompt
    = QStringLiteral("Inserire nome e percorso del file di testo Numbo.txt per importare i dati "
                     "dalla versione 1 o 1.xx, ad esempio inserire:  C:\\NUMBO\\NUMBO.TXT ");
const QString DefaultPath = QStringLiteral("C:\\NUMBO\\NUMBO.TXT");
const QString FailureText = QStringLiteral("File non trovato o errore di accesso!");

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
    void init() { f = std::make_unique<PhoneFixture>(); }
    void cleanup() { f.reset(); }
    void cancelReadsNothing();
    void failureAsksAgain();
    void importedContactsShowAtOnce();
    void emptyTableShowsTheImportedContacts();
    void pendingChangesGoThroughTheSaveFlow();
    void nameToCorrectKeepsTheImportOut();

private:
    std::unique_ptr<PhoneFixture> f;
};

void TestPhoneImport::cancelReadsNothing()
{
    f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    f->load();
    f->platform.inputs.clear();
    f->phone->FileImporta->trigger(); // no answer queued: the box is cancelled
    QCOMPARE(f->platform.inputs.size(), 1);
    QCOMPARE(f->platform.inputs[0].prompt, Prompt);
    QCOMPARE(f->platform.inputs[0].title, QStringLiteral("Rubrello"));
    QCOMPARE(f->platform.inputs[0].defaultText, DefaultPath);
    QVERIFY(f->platform.messages.isEmpty());
    QCOMPARE(f->test.store().count(), 1);
}

void TestPhoneImport::failureAsksAgain()
{
    f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    f->load();
    f->platform.inputs.clear();
    f->platform.inputAnswers.enqueue(QDir(f->test.directory()).filePath(QStringLiteral("manca.txt")));
    f->phone->FileImporta_Click();
    QCOMPARE(f->platform.messages.size(), 1);
    QCOMPARE(f->platform.messages[0].text, FailureText);
    QCOMPARE(f->platform.messages[0].title, QString());
    QCOMPARE(f->platform.messages[0].buttons, MessageButtons::Ok);
    QCOMPARE(f->platform.messages[0].icon, MessageIcon::None);
    QCOMPARE(f->platform.inputs.size(), 2);
    QCOMPARE(f->platform.inputs[1].defaultText, DefaultPath);
    QCOMPARE(f->test.store().count(), 1);
}

void TestPhoneImport::importedContactsShowAtOnce()
{
    f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    f->load();
    f->platform.inputAnswers.enqueue(writeNumbo(f->test.directory(), TwoContacts));
    f->phone->FileImporta_Click();
    QVERIFY2(f->platform.messages.isEmpty(), qPrintable(f->platform.messages.value(0).text));
    QCOMPARE(f->test.store().count(), 3);
    QVERIFY(f->phone->Outline1->findLine(QStringLiteral("Verdi, Luca")) > 0);
    QVERIFY(f->phone->Outline1->findLine(QString::fromUtf8("Nicolò, Anna")) > 0);
    // The contact shown before the import stays shown.
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("Rossi, Mario"));
    QVERIFY(!f->phone->hasPendingEdit());
}

void TestPhoneImport::emptyTableShowsTheImportedContacts()
{
    f->load();
    f->platform.inputAnswers.enqueue(writeNumbo(f->test.directory(), TwoContacts));
    f->phone->FileImporta_Click();
    QCOMPARE(f->test.store().count(), 2);
    // Nothing was typed, so nothing is checked: the table is read again and the contacts show.
    QVERIFY2(f->platform.messages.isEmpty(), qPrintable(f->platform.messages.value(0).text));
    QVERIFY(f->phone->Outline1->findLine(QStringLiteral("Verdi, Luca")) > 0);
    QVERIFY(f->phone->FileNuovo->isEnabled());
}

void TestPhoneImport::pendingChangesGoThroughTheSaveFlow()
{
    const qint64 rossi = f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    f->load();
    typeInto(f->phone->tCity[0], QStringLiteral("Forlì"));
    f->platform.inputAnswers.enqueue(writeNumbo(f->test.directory(), TwoContacts));
    f->phone->FileImporta_Click();
    // The save question comes first (answered yes by default), the import after it.
    QCOMPARE(f->platform.messages.size(), 1);
    QCOMPARE(f->platform.messages[0].text, QStringLiteral("Vuoi salvare le modifiche apportate?"));
    QCOMPARE(f->test.store().read(rossi)->text(Field::WorkCity), QStringLiteral("Forlì"));
    QCOMPARE(f->test.store().count(), 3);
    QCOMPARE(f->phone->tCity[0]->text(), QStringLiteral("Forlì"));
}

void TestPhoneImport::nameToCorrectKeepsTheImportOut()
{
    const qint64 rossi = f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    f->load();
    f->phone->tLName->selectAll();
    typeInto(f->phone->tLName, QStringLiteral("3"));
    f->platform.inputAnswers.enqueue(writeNumbo(f->test.directory(), TwoContacts));
    f->phone->FileImporta_Click();
    // The name check stops the save, and the import with it: nothing is asked, nothing written.
    QCOMPARE(f->platform.messages.size(), 1);
    QCOMPARE(f->platform.messages[0].text, QStringLiteral("Primo carattere del cognome non Ammesso"));
    QVERIFY(f->platform.inputs.isEmpty());
    QCOMPARE(f->test.store().count(), 1);
    QCOMPARE(f->test.store().read(rossi)->text(Field::LastName), QStringLiteral("Rossi"));
    QCOMPARE(f->phone->tLName->text(), QStringLiteral("3"));
    QVERIFY(f->phone->hasPendingEdit());
}

QTEST_MAIN(TestPhoneImport)
#include "tst_PhoneImport.moc"
