// Where an installed program finds the files that come with it, and where it keeps the user's data:
// the layout of a build or a copied folder against the one of cmake --install and of the package.
#include "platform/DataLocation.h"
#include "platform/InstalledFiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestInstalledFiles : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void installedProgramIsRecognised_data();
    void installedProgramIsRecognised();
    void helpPageIsFound_data();
    void helpPageIsFound();
    void storeBesideTheProgramIsKept();

private:
    // Paths relative to the temporary root; a trailing '/' makes a directory, anything else a file.
    void makeTree(const QStringList &entries);
    std::unique_ptr<QTemporaryDir> m_root;
};

void TestInstalledFiles::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_root->filePath(QStringLiteral("home/.local/share"))));
}

void TestInstalledFiles::makeTree(const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString path = m_root->filePath(entry);
        QVERIFY(QDir().mkpath(entry.endsWith(u'/') ? path : QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(entry.endsWith(u'/') || file.open(QIODevice::WriteOnly));
    }
}

void TestInstalledFiles::installedProgramIsRecognised_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<bool>("installed");
    QTest::newRow("build folder") << QStringList{"build/Rubrello.html"} << "build" << false;
    QTest::newRow("copied into a folder named bin") << QStringList{"bin/Rubrello.html"} << "bin" << false;
    QTest::newRow("bin beside a share without the program's data")
        << QStringList{"usr/bin/", "usr/share/other/"} << "usr/bin" << false;
    QTest::newRow("unpacked package")
        << QStringList{"usr/bin/", "usr/share/rubrello/Rubrello.html"} << "usr/bin" << true;
    QTest::newRow("another prefix") << QStringList{"opt-x/bin/", "opt-x/share/rubrello/"} << "opt-x/bin"
                                    << true;
    QTest::newRow("share/rubrello beside a folder not named bin")
        << QStringList{"x/build/", "x/share/rubrello/"} << "x/build" << false;
    // The system's own folders, as they are: absolute paths, not made in the temporary root.
    QTest::newRow("/usr/bin/") << QStringList() << "/usr/bin/" << true;
    QTest::newRow("a build under /usr/local/src")
        << QStringList() << "/usr/local/src/rubrello/build" << false;
}

void TestInstalledFiles::installedProgramIsRecognised()
{
    QFETCH(QStringList, tree);
    QFETCH(QString, programDir);
    QFETCH(bool, installed);
    makeTree(tree);
    QCOMPARE(isInstalledProgram(programDir.startsWith(u'/') ? programDir : m_root->filePath(programDir)),
        installed);
}

void TestInstalledFiles::helpPageIsFound_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("expected");
    QTest::newRow("beside the program only")
        << QStringList{"usr/bin/Rubrello.html"} << "usr/bin/Rubrello.html";
    QTest::newRow("installed only") << QStringList{"usr/bin/", "usr/share/rubrello/Rubrello.html"}
                                    << "usr/share/rubrello/Rubrello.html";
    QTest::newRow("both: the one beside wins") << QStringList{"usr/bin/Rubrello.html",
        "usr/share/rubrello/Rubrello.html"} << "usr/bin/Rubrello.html";
    QTest::newRow("missing from a copied folder") << QStringList{"usr/bin/"} << "usr/bin/Rubrello.html";
    QTest::newRow("missing from an installation")
        << QStringList{"usr/bin/", "usr/share/rubrello/"} << "usr/share/rubrello/Rubrello.html";
}

void TestInstalledFiles::helpPageIsFound()
{
    QFETCH(QStringList, tree);
    QFETCH(QString, expected);
    makeTree(tree);
    QCOMPARE(QDir::cleanPath(helpPageFile(m_root->filePath(QStringLiteral("usr/bin")))),
        QDir::cleanPath(m_root->filePath(expected)));
}

// A new store goes to the user's data folder, even beside an installed program (the end-to-end tests
// see it made there); a store already beside the program is kept where it is.
void TestInstalledFiles::storeBesideTheProgramIsKept()
{
    makeTree({"usr/bin/", "usr/share/rubrello/Rubrello.html"});
    const QString programDir = m_root->filePath(QStringLiteral("usr/bin"));
    const DataFileLocation fresh = locateDataFile(programDir, QStringLiteral("Rubrello.MDB"));
    QCOMPARE(QFileInfo(fresh.path).absolutePath(),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    QVERIFY(fresh.path.startsWith(m_root->path()));
    makeTree({"usr/bin/Rubrello.MDB"});
    QCOMPARE(locateDataFile(programDir, QStringLiteral("Rubrello.MDB")).path,
        programDir + QStringLiteral("/Rubrello.MDB"));
}

QTEST_GUILESS_MAIN(TestInstalledFiles)
#include "test_installedfiles.moc"
