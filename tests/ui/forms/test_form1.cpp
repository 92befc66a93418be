// The dial dialog: which numbers it offers, the options it reads and writes back on closing, the
// dialer it starts, and the main window it keeps out of use while open.
#include "dial/DialOptions.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "ui/forms/Form1.h"
#include "ui/forms/Form1Messages.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using Numbers = DialStringArray;

namespace {

const Numbers exampleNumbers = {"02/1234567", "", "", "", "0335 1234567"};

// Where the dialog writes an options file that is not beside the program yet.
QString newOptionsFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath("RUBRELLO.INI");
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void offersTheNumbers();
    void callsWithTheOptions();
    void closingWritesTheOptions();
    void failingOptionsFileIsRetriedThenGivenUp();

private:
    // A dialog opened on the numbers, shown over a main window like the program's.
    QPointer<Form1> openForm(
        const Numbers &numbers, const QString &lastName = "Rossi", const QString &firstName = "Mario")
    {
        auto *form = new Form1(*m_platform, m_main.get());
        form->Form_Load({numbers, lastName, firstName, m_dir->path()});
        form->show();
        return form;
    }
    template<typename W = QPushButton>
    static W *child(QWidget *form, const QString &name)
    {
        return form->findChild<W *>(name);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedUiPlatform> m_platform;
    std::unique_ptr<QMainWindow> m_main; // takes any dialog still open with it
};

void TestForm1::init()
{
    m_main.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    // A new options file goes to the user's data folder: each test has one of its own.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath("data")));
    m_platform = std::make_unique<ScriptedUiPlatform>();
    m_main = std::make_unique<QMainWindow>();
    m_main->show();
}

void TestForm1::offersTheNumbers()
{
    // A row is offered, cleaned, when its number keeps a digit once cleaned.
    QPointer<Form1> form = openForm({"nessuno", "02/555", "(casa)", "06 777", ""});
    const QStringList offered{"", "02555", "", "06 777", ""};
    for (int k = 0; k < DialEntryCount; ++k) {
        QCOMPARE(child<QLabel>(form, QString("Panel3D1_%1").arg(k))->text(), offered[k]);
        QCOMPARE(DialStrings()[k], offered[k]);
        QCOMPARE(form->Command3D1[k]->isEnabled(), !offered[k].isEmpty());
    }
    QVERIFY(m_platform->messages.isEmpty());

    // No number at all: said once, and the dialog stays open with every row disabled.
    form = openForm({"", "  ", "", "---", ""});
    QCOMPARE(m_platform->messages.size(), 1);
    QCOMPARE(m_platform->messages[0].text, noNumberMessage());
    QVERIFY(form->isVisible() && !form->Command3D1[1]->isEnabled());
}

void TestForm1::callsWithTheOptions()
{
    // The options file is found whatever the case of its name, its keys among other lines; the names
    // are shown trimmed.
    writeBytes(m_dir->filePath("rubrello.ini"), "; nota\r\nPrefissoLocale=02\r\nCentralino= 0 \r\n");
    QPointer<Form1> form = openForm(exampleNumbers, "  Rossi ", " Mario  ");
    QCOMPARE(child<QLabel>(form, "Panel3D1_4")->text(), QString("0,0335 1234567"));
    QCOMPARE(child<QGroupBox>(form, "Frame3D1")->title(), QString("Chiama : Rossi Mario"));
    QCOMPARE(form->optionsPath(), m_dir->filePath("rubrello.ini"));
    QCOMPARE(QApplication::activeModalWidget(), form.data()); // the main window is out of use

    // Enter in an option box while a call button was the default one dials nothing.
    child(form, "Command3D1_0")->setFocus();
    auto *text2 = child<QLineEdit>(form, "Text2");
    text2->setFocus();
    QTest::keyClick(text2, Qt::Key_Return);
    QVERIFY(m_platform->startedPrograms.isEmpty());

    QTest::mouseClick(child(form, "Command3D1_0"), Qt::LeftButton);
    QCOMPARE(m_platform->startedPrograms.size(), 1);
    QCOMPARE(m_platform->startedPrograms[0].program, QDir(m_dir->path()).filePath("rubrello-dialer"));
    QCOMPARE(m_platform->startedPrograms[0].arguments, QStringList{"0,1234567"});

    m_platform->programStarts = false;
    QTest::mouseClick(child(form, "Command3D1_4"), Qt::LeftButton);
    QCOMPARE(m_platform->messages.size(), 1);
    QCOMPARE(m_platform->messages[0].text, dialerMissingMessage());
    QVERIFY(form && form->isVisible());
}

void TestForm1::closingWritesTheOptions()
{
    // Annulla, Escape on Annulla or the window frame: each writes the boxes as typed.
    for (const QString how : {"click", "escape", "window frame"}) {
        QPointer<Form1> form = openForm(exampleNumbers);
        QSignalSpy closed(form.data(), &Form1::closed);
        auto *text1 = child<QLineEdit>(form, "Text1");
        text1->clear(); // it shows what the last round wrote
        text1->setFocus();
        QTest::keyClicks(text1, " 0" + QString::number(how.size()));
        auto *annulla = child(form, "Command3D2");
        if (how == "click") {
            QTest::mouseClick(annulla, Qt::LeftButton);
        } else if (how == "escape") {
            annulla->setFocus();
            QTest::keyClick(annulla, Qt::Key_Escape);
        } else {
            form->close();
        }
        QCOMPARE(closed.size(), 1);
        QTRY_VERIFY(form.isNull());
        QCOMPARE(fileBytes(newOptionsFile()),
            "PrefissoLocale= 0" + QByteArray::number(how.size()) + "\r\nCentralino=\r\n");
    }
    QVERIFY(m_platform->messages.isEmpty());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestForm1::failingOptionsFileIsRetriedThenGivenUp()
{
    // Root may write anywhere: a directory in the file's place makes the write fail for root too.
    QVERIFY(QDir().mkpath(newOptionsFile() + "/keep"));
    QPointer<Form1> form = openForm(exampleNumbers);
    // Reading fails already when the dialog opens: said once, and the boxes stay empty.
    QCOMPARE(m_platform->messages.size(), 1);
    QVERIFY(child<QLineEdit>(form, "Text1")->text().isEmpty());
    child(form, "Command3D2")->click();
    QCOMPARE(m_platform->messages.size(), 1 + Form1::optionsFileAttempts);
    QCOMPARE(m_platform->messages.last().text, optionsFileErrorMessage());
    QTRY_VERIFY(form.isNull());
}

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
