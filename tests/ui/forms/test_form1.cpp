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
    void cleanup();
    void offersTheNumbers();
    void readsOptionsAndNames();
    void dialsOnlyFromACallButton();
    void closingWritesTheOptions();
    void keepsTheMainWindowOutOfUse();
    void failingOptionsFileIsRetriedThenGivenUp();

private:
    // A dialog opened on the numbers, shown over a main window of its own like the program's.
    Form1 *openForm(
        const Numbers &numbers, const QString &lastName = "Rossi", const QString &firstName = "Mario")
    {
        auto *form = new Form1(*m_platform, m_main.get());
        form->Form_Load({numbers, lastName, firstName, m_dir->path()});
        form->show();
        return form;
    }
    QString panel(Form1 *form, int k)
    {
        return form->findChild<QLabel *>(QString("Panel3D1_%1").arg(k))->text();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedUiPlatform> m_platform;
    std::unique_ptr<QMainWindow> m_main;
};

void TestForm1::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    // A new options file goes to the user's data folder: each test has one of its own.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath("data")));
    m_platform = std::make_unique<ScriptedUiPlatform>();
    m_main = std::make_unique<QMainWindow>();
    auto *button = new QPushButton("principale", m_main.get());
    button->setObjectName("mainButton");
    m_main->setCentralWidget(button);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

void TestForm1::cleanup()
{
    m_main.reset(); // takes any dialog still open with it
    m_platform.reset();
    m_dir.reset();
}

void TestForm1::offersTheNumbers()
{
    // A row is enabled when its number keeps a digit once cleaned.
    const std::pair<Numbers, QStringList> cases[]
        = {{exampleNumbers, {"021234567", "", "", "", "0335 1234567"}},
            {{"nessuno", "(casa)", "02-555", "06 777", "3"}, {"", "", "02555", "06 777", "3"}}};
    for (const auto &[numbers, panels] : cases) {
        std::unique_ptr<Form1> form(openForm(numbers));
        for (int k = 0; k < DialEntryCount; ++k) {
            QCOMPARE(panel(form.get(), k), panels[k]);
            QCOMPARE(DialStrings()[k], panels[k]);
            QCOMPARE(form->Command3D1[k]->isEnabled(), !panels[k].isEmpty());
            QCOMPARE(form->Panel3D1[k]->isEnabled(), !panels[k].isEmpty());
        }
    }
    QVERIFY(m_platform->messages.isEmpty());

    // No number at all: said once, and the dialog stays open with every row disabled.
    Form1 *form = openForm({"", "  ", "", "---", ""});
    QCOMPARE(m_platform->messages.size(), 1);
    QCOMPARE(m_platform->messages[0].text, noNumberMessage());
    QCOMPARE(m_platform->messages[0].icon, MessageIcon::Question);
    QCOMPARE(m_platform->messages[0].buttons, MessageButtons::Ok);
    QVERIFY(m_platform->messages[0].title.isEmpty());
    QVERIFY(form->isVisible());
    for (QPushButton *button : form->Command3D1)
        QVERIFY(!button->isEnabled());
}

void TestForm1::readsOptionsAndNames()
{
    // Found whatever the case of its name, the key lines among others.
    writeBytes(m_dir->filePath("rubrello.ini"), "; nota\r\nPrefissoLocale=02\r\nCentralino= 0 \r\n");
    Form1 *form = openForm(exampleNumbers, "  Rossi ", " Mario  ");
    QCOMPARE(form->findChild<QLineEdit *>("Text1")->text(), QString("02"));
    QCOMPARE(form->findChild<QLineEdit *>("Text2")->text(), QString("0"));
    QCOMPARE(panel(form, 0), QString("0,1234567"));
    QCOMPARE(panel(form, 4), QString("0,0335 1234567"));
    QCOMPARE(form->findChild<QGroupBox *>("Frame3D1")->title(), QString("Chiama : Rossi Mario"));
    QCOMPARE(form->optionsPath(), m_dir->filePath("rubrello.ini"));
}

void TestForm1::dialsOnlyFromACallButton()
{
    writeBytes(m_dir->filePath("RUBRELLO.INI"), "PrefissoLocale=02\r\nCentralino=0\r\n");
    QPointer<Form1> form = openForm(exampleNumbers);
    // Enter in an option box while a call button was the default one dials nothing.
    form->findChild<QPushButton *>("Command3D1_0")->setFocus();
    auto *text2 = form->findChild<QLineEdit *>("Text2");
    text2->setFocus();
    QTest::keyClick(text2, Qt::Key_Return);
    QVERIFY(m_platform->startedPrograms.isEmpty());

    QTest::mouseClick(form->findChild<QPushButton *>("Command3D1_0"), Qt::LeftButton);
    QCOMPARE(m_platform->startedPrograms.size(), 1);
    QCOMPARE(m_platform->startedPrograms[0].program, QDir(m_dir->path()).filePath("rubrello-dialer"));
    QCOMPARE(m_platform->startedPrograms[0].arguments, QStringList{"0,1234567"});
    QVERIFY(m_platform->messages.isEmpty());

    m_platform->programStarts = false;
    QTest::mouseClick(form->findChild<QPushButton *>("Command3D1_4"), Qt::LeftButton);
    QCOMPARE(m_platform->messages.size(), 1);
    QCOMPARE(m_platform->messages[0].text, dialerMissingMessage());
    QCOMPARE(m_platform->messages[0].icon, MessageIcon::Information);
    QVERIFY(form && form->isVisible());
}

void TestForm1::closingWritesTheOptions()
{
    // Annulla, Escape on Annulla or the window frame: each writes the boxes as typed.
    for (const QString how : {"click", "escape", "window frame"}) {
        QPointer<Form1> form = openForm(exampleNumbers);
        QSignalSpy closed(form.data(), &Form1::closed);
        auto *text1 = form->findChild<QLineEdit *>("Text1");
        text1->clear(); // it shows what the last round wrote
        text1->setFocus();
        QTest::keyClicks(text1, " 0" + QString::number(how.size()));
        auto *annulla = form->findChild<QPushButton *>("Command3D2");
        QCOMPARE(annulla->text(), QString("&Annulla"));
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
}

void TestForm1::keepsTheMainWindowOutOfUse()
{
    auto *mainButton = m_main->findChild<QPushButton *>("mainButton");
    QSignalSpy mainClicks(mainButton, &QPushButton::clicked);
    // Clicks through the window system, as the user's are, so that modality applies.
    const auto clickMainButton = [&] {
        QTest::mouseClick(m_main->windowHandle(), Qt::LeftButton, {},
            mainButton->mapTo(m_main.get(), mainButton->rect().center()));
    };
    QPointer<Form1> form = openForm(exampleNumbers);
    QCOMPARE(QApplication::activeModalWidget(), form.data());
    clickMainButton();
    QCOMPARE(mainClicks.size(), 0);
    form->findChild<QPushButton *>("Command3D2")->click();
    QTRY_VERIFY(form.isNull());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    clickMainButton();
    QCOMPARE(mainClicks.size(), 1);
}

void TestForm1::failingOptionsFileIsRetriedThenGivenUp()
{
    // Root may write anywhere: a directory in the file's place makes the write fail for root too.
    QVERIFY(QDir().mkpath(newOptionsFile() + "/keep"));
    QPointer<Form1> form = openForm(exampleNumbers);
    // Reading fails already when the dialog opens: said once, and the boxes stay empty.
    QCOMPARE(m_platform->messages.size(), 1);
    QVERIFY(form->findChild<QLineEdit *>("Text1")->text().isEmpty());
    form->findChild<QPushButton *>("Command3D2")->click();
    QCOMPARE(m_platform->messages.size(), 1 + Form1::optionsFileAttempts);
    for (const MessageRequest &message : m_platform->messages) {
        QCOMPARE(message.text, optionsFileErrorMessage());
        QCOMPARE(message.icon, MessageIcon::None);
        QCOMPARE(message.buttons, MessageButtons::Ok);
        QVERIFY(message.title.isEmpty());
    }
    QTRY_VERIFY(form.isNull());
    QVERIFY(QFileInfo(newOptionsFile() + "/keep").isDir());
}

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
