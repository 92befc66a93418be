// The program's input box: the line and its default, and for a file the "Sfoglia…" button, which
// fills the line from the file chooser and opens the chooser where the typed path points.
#include "ui/platform/QtPlatform.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct ChooserCall
{
    QString startFolder;
    QString filter;
};

} // namespace

class TestInputBox : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void browseOnlyForAFile();
    void chosenFileFillsTheLine();
    void enterAnswersWithoutBrowsing();
    void chooserStartsWhereThePathPoints_data();
    void chooserStartsWhereThePathPoints();

private:
    InputBoxDialog::FileChooser recordingChooser(const QString &answer)
    {
        return [this, answer](QWidget *, const QString &startFolder, const QString &filter) {
            m_calls.append({startFolder, filter});
            return answer;
        };
    }

    std::unique_ptr<QTemporaryDir> m_home;
    QByteArray m_savedHome;
    QList<ChooserCall> m_calls;
};

void TestInputBox::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    QVERIFY(QDir(m_home->path()).mkpath(QStringLiteral("carte")));
    m_savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(m_home->path()));
    m_calls.clear();
}

void TestInputBox::cleanup()
{
    qputenv("HOME", m_savedHome);
}

void TestInputBox::browseOnlyForAFile()
{
    InputBoxDialog plain({QStringLiteral("Lettere:"), {}, QStringLiteral("*")});
    QCOMPARE(plain.line()->text(), QStringLiteral("*"));
    QVERIFY(!plain.browseButton());

    InputBoxDialog file({QStringLiteral("File:"), {}, {}, QStringLiteral("*.txt")});
    QVERIFY(file.browseButton());
    QCOMPARE(file.browseButton()->text(), QStringLiteral("Sfoglia…"));
}

void TestInputBox::chosenFileFillsTheLine()
{
    const QString typed = QDir(m_home->path()).filePath(QStringLiteral("carte/numbo.txt"));
    const QString chosen = QDir(m_home->path()).filePath(QStringLiteral("carte/altro.txt"));
    InputBoxDialog dialog({QStringLiteral("File:"), {}, typed, QStringLiteral("Testo (*.txt)")}, nullptr,
        recordingChooser(chosen));
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    QCOMPARE(m_calls.size(), 1);
    QCOMPARE(m_calls[0].filter, QStringLiteral("Testo (*.txt)"));
    QCOMPARE(dialog.line()->text(), QDir::toNativeSeparators(chosen));

    // A chooser given up leaves the line as it was.
    InputBoxDialog givenUp(
        {QStringLiteral("File:"), {}, typed, QStringLiteral("*.txt")}, nullptr, recordingChooser({}));
    QTest::mouseClick(givenUp.browseButton(), Qt::LeftButton);
    QCOMPARE(givenUp.line()->text(), typed);
}

void TestInputBox::enterAnswersWithoutBrowsing()
{
    InputBoxDialog dialog(
        {QStringLiteral("File:"), {}, QStringLiteral("/tmp/numbo.txt"), QStringLiteral("*.txt")}, nullptr,
        recordingChooser(QStringLiteral("/altro.txt")));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.line()->setFocus();
    QTest::keyClick(dialog.line(), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(m_calls.isEmpty());
    QCOMPARE(dialog.line()->text(), QStringLiteral("/tmp/numbo.txt"));
}

void TestInputBox::chooserStartsWhereThePathPoints_data()
{
    QTest::addColumn<QString>("typed"); // "HOME" stands for the home folder
    QTest::addColumn<QString>("startFolder"); // relative to the home folder

    QTest::newRow("a file in a folder") << "HOME/carte/numbo.txt"
                                        << "carte";
    QTest::newRow("a folder") << "HOME/carte"
                              << "carte";
    QTest::newRow("home folder as ~/") << "~/carte/numbo.txt"
                                       << "carte";
    QTest::newRow("a folder that is not there") << "HOME/manca/numbo.txt"
                                                << ".";
    QTest::newRow("a Windows path") << "C:\\NUMBO\\NUMBO.TXT"
                                    << ".";
    QTest::newRow("a relative path, from home") << "carte/numbo.txt"
                                                << "carte";
    QTest::newRow("nothing typed") << ""
                                   << ".";
}

void TestInputBox::chooserStartsWhereThePathPoints()
{
    QFETCH(QString, typed);
    QFETCH(QString, startFolder);
    typed.replace(QStringLiteral("HOME"), m_home->path());
    InputBoxDialog dialog(
        {QStringLiteral("File:"), {}, typed, QStringLiteral("*.txt")}, nullptr, recordingChooser({}));
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    QCOMPARE(m_calls.size(), 1);
    QCOMPARE(
        QDir::cleanPath(m_calls[0].startFolder), QDir::cleanPath(QDir(m_home->path()).filePath(startFolder)));
}

QTEST_MAIN(TestInputBox)
#include "tst_InputBox.moc"
