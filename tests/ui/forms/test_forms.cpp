// The forms FrmCerca (search), Form1 (dial) and Form3 (About): each button reaches its rule and the
// outcome is checked here; the rules themselves are tested with their modules.
#include "dial/DialOptions.h"
#include "search/SearchState.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "tests/text/CaseTable.h"
#include "ui/forms/Form1.h"
#include "ui/forms/Form3.h"
#include "ui/forms/FrmCerca.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

using namespace Qt::StringLiterals;
using Numbers = DialStringArray;

namespace {

const Numbers exampleNumbers = {"02/1234567", "", "", "", "0335 1234567"};

template<typename W = QPushButton>
W *child(QWidget *form, const QString &name)
{
    W *widget = form->findChild<W *>(name);
    if (!widget)
        qFatal("%s has no %s", form->metaObject()->className(), qPrintable(name));
    return widget;
}

// Where the dial dialog writes an options file that is not beside the program yet.
QString newOptionsFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath("RUBRELLO.INI");
}

} // namespace

class TestForms : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_main.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        // A new options file goes to the user's data folder: each test has one of its own.
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath("data")));
        m_platform = std::make_unique<ScriptedUiPlatform>();
        m_main = std::make_unique<QMainWindow>();
        m_main->show();
    }

    void frmCercaAnswers_data() { addCaseRows("ui/frmcerca.tsv"); }
    void frmCercaAnswers()
    {
        const auto [before, typed, option, checked, action, after] = caseValues<6>();
        const QStringList state = utf8(before).split('|');
        searchState() = {state[0], qint16(state[1].toInt()), state[2] == "1"};
        bool closedByItself = false;
        int result = -1;
        m_platform->dialogScripts.enqueue([&](QDialog &dialog) {
            // Form_Load showed the state before, with the focus in the text box.
            auto *text = child<QLineEdit>(&dialog, "Text1");
            auto *box = child<QCheckBox>(&dialog, "Check3D2");
            QCOMPARE(text->text(), state[0]);
            for (int i = 0; i < 4; ++i)
                QCOMPARE(child<QRadioButton>(&dialog, "Option3D1_" + QString::number(i))->isChecked(),
                    i == searchState().SearchScope);
            QCOMPARE(box->isChecked(), before.endsWith('1'));
            QCOMPARE(dialog.focusWidget(), text);
            text->clear();
            // Typed as the keyboard does, accented letters included.
            for (const QChar c : utf8(typed))
                QTest::sendKeyEvent(QTest::Click, text,
                    c.unicode() < 128 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown, QString(c),
                    Qt::NoModifier);
            if (option.toInt() >= 0)
                QTest::mouseClick(child<QRadioButton>(&dialog, "Option3D1_" + option), Qt::LeftButton);
            if (box->isChecked() != (checked == "1"))
                QTest::mouseClick(box, Qt::LeftButton);
            if (action == "cerca" || action == "tutta")
                QTest::mouseClick(
                    child<QToolButton>(&dialog, action == "cerca" ? "Command3D1" : "Command3D2"),
                    Qt::LeftButton);
            else if (action == "enter" || action == "escape")
                QTest::keyClick(text, action == "enter" ? Qt::Key_Return : Qt::Key_Escape);
            else if (action == "escapeElsewhere")
                QTest::keyClick(box, Qt::Key_Escape);
            closedByItself = !dialog.isVisible();
            result = dialog.result();
        });
        askSearchArgument(*m_platform, nullptr);
        QCOMPARE(m_platform->modalForms, QStringList{"FrmCerca"});
        QCOMPARE(closedByItself, action != "close");
        // Only the two buttons and the keys that stand for them answer; Escape elsewhere is a plain close.
        if (closedByItself)
            QCOMPARE(result, int(action == "escapeElsewhere" ? QDialog::Rejected : QDialog::Accepted));
        const SearchState &now = searchState();
        QCOMPARE(
            now.SearchText + '|' + QString::number(now.SearchScope) + '|' + QString::number(now.IgnoreCase),
            utf8(after));
    }

    void form1OffersTheNumbers()
    {
        // A row is offered when its number keeps a digit once cleaned (the main window's dial test
        // checks the cleaned numbers shown).
        QPointer<Form1> form = openForm1({"nessuno", "02/555", "(casa)", "06 777", ""});
        for (int k = 0; k < DialEntryCount; ++k)
            QCOMPARE(form->Command3D1[k]->isEnabled(), k == 1 || k == 3);
        QVERIFY(m_platform->messages.isEmpty());
        // No number at all: said once, and the dialog stays open.
        form = openForm1({"", "  ", "", "---", ""});
        QCOMPARE(m_platform->messages.size(), 1);
        QVERIFY(form->isVisible() && !form->Command3D1[1]->isEnabled());
    }

    void form1CallsWithTheOptions()
    {
        // The options file is found whatever the case of its name, its keys among other lines; the names
        // are shown trimmed.
        writeBytes(m_dir->filePath("rubrello.ini"), "; nota\r\nPrefissoLocale=02\r\nCentralino= 0 \r\n");
        QPointer<Form1> form = openForm1(exampleNumbers, "  Rossi ", " Mario  ");
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
        QCOMPARE(m_platform->startedPrograms[0].arguments, QStringList{"0,1234567"});

        m_platform->programStarts = false;
        QTest::mouseClick(child(form, "Command3D1_4"), Qt::LeftButton);
        QCOMPARE(m_platform->messages.size(), 1);
        QVERIFY(form && form->isVisible());
    }

    void form1ClosingWritesTheOptions()
    {
        // Annulla, Escape on Annulla or the window frame: each writes the boxes as typed.
        for (const QString how : {"click", "escape", "window frame"}) {
            QPointer<Form1> form = openForm1(exampleNumbers);
            QSignalSpy closed(form.data(), &Form1::closed);
            child<QLineEdit>(form, "Text1")->setText(" 0" + QString::number(how.size()));
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

    void form3ShowsTheVersionAndTheDrawing()
    {
        Form3 form(*m_platform);
        form.show();
        QTest::mouseClick(child(&form, u"Command3D1"_s), Qt::LeftButton);
        QVERIFY(!form.isVisible() && form.result() == QDialog::Accepted);
        const QList<QLabel *> labels = form.findChildren<QLabel *>();
        QVERIFY(std::any_of(labels.begin(), labels.end(),
            [](const QLabel *label) { return label->text().contains(QStringLiteral(RUBRELLO_VERSION)); }));
        // The built-in drawing is painted, not just a transparent square.
        const QImage image = child<QLabel>(&form, u"Picture1"_s)->pixmap().toImage();
        QVERIFY(!image.isNull() && image.pixelColor(image.width() / 2, image.height() / 2).alpha() > 0);
    }

private:
    // A dial dialog opened on the numbers, shown over a main window like the program's.
    QPointer<Form1> openForm1(
        const Numbers &numbers, const QString &lastName = "Rossi", const QString &firstName = "Mario")
    {
        auto *form = new Form1(*m_platform, m_main.get());
        form->Form_Load({numbers, lastName, firstName, m_dir->path()});
        form->show();
        return form;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedUiPlatform> m_platform;
    std::unique_ptr<QMainWindow> m_main; // takes any dialog still open with it
};

QTEST_MAIN(TestForms)
#include "test_forms.moc"
