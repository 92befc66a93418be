// The program's input box: the line and its default, and for a file the "Sfoglia…" button, which opens
// the chooser where the typed path points and fills the line with the file chosen.
#include "ui/platform/QtPlatform.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestInputBox : public QObject
{
    Q_OBJECT
private slots:
    void enterAnswersAndBrowsingIsOnlyForAFile()
    {
        InputBoxDialog plain({QStringLiteral("Lettere:"), {}, QStringLiteral("*")});
        QCOMPARE(plain.line()->text(), QStringLiteral("*"));
        QVERIFY(!plain.browseButton());

        bool browsed = false;
        InputBoxDialog dialog(
            {QStringLiteral("File:"), {}, QStringLiteral("/tmp/numbo.txt"), QStringLiteral("*.txt")}, nullptr,
            [&](QWidget *, const QString &, const QString &) { return browsed = true, QString(); });
        QVERIFY(dialog.browseButton());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.line()->setFocus();
        QTest::keyClick(dialog.line(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!browsed);
        QCOMPARE(dialog.line()->text(), QStringLiteral("/tmp/numbo.txt"));
    }

    void chooserStartsWhereThePathPoints_data()
    {
        QTest::addColumn<QString>("typed"); // "HOME" stands for the home folder
        QTest::addColumn<QString>("startFolder"); // relative to the home folder
        QTest::addColumn<QString>("chosen"); // empty: the chooser is given up
        const auto row = [](const char *name, const char *typed, const char *start, const char *chosen) {
            QTest::newRow(name) << QString::fromUtf8(typed) << QString::fromUtf8(start)
                                << QString::fromUtf8(chosen);
        };
        row("a file in a folder", "HOME/carte/numbo.txt", "carte", "HOME/carte/altro.txt");
        row("a folder", "HOME/carte", "carte", "");
        row("home folder as ~/", "~/carte/numbo.txt", "carte", "");
        row("a folder that is not there", "HOME/manca/numbo.txt", ".", "");
        row("a Windows path", "C:\\NUMBO\\NUMBO.TXT", ".", "HOME/numbo.txt");
        row("a relative path, from home", "carte/numbo.txt", "carte", "");
        row("nothing typed", "", ".", "");
    }

    void chooserStartsWhereThePathPoints()
    {
        QFETCH(QString, typed);
        QFETCH(QString, startFolder);
        QFETCH(QString, chosen);
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkpath(QStringLiteral("carte")));
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        typed.replace(QStringLiteral("HOME"), home.path());
        chosen.replace(QStringLiteral("HOME"), home.path());
        QStringList calls;
        InputBoxDialog dialog({QStringLiteral("File:"), {}, typed, QStringLiteral("Testo (*.txt)")}, nullptr,
            [&](QWidget *, const QString &start, const QString &filter) {
                calls << QDir::cleanPath(start) << filter;
                return chosen;
            });
        QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
        qputenv("HOME", savedHome);
        QCOMPARE(
            calls, (QStringList{QDir::cleanPath(QDir(home.path()).filePath(startFolder)), "Testo (*.txt)"}));
        QCOMPARE(dialog.line()->text(), chosen.isEmpty() ? typed : QDir::toNativeSeparators(chosen));
    }
};

QTEST_MAIN(TestInputBox)
#include "test_inputbox.moc"
