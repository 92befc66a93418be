// Where an installed program finds the files that come with it, and where it keeps the user's data:
// the layout of a build or a copied folder against the one of cmake --install and of the package.
#include "platform/DataLocation.h"
#include "platform/InstalledFiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Paths below are relative to a temporary root; a trailing '/' makes a directory, anything else a file.
void makeTree(const QString &root, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString path = QDir(root).filePath(entry);
        if (entry.endsWith(u'/')) {
            QVERIFY(QDir().mkpath(path));
            continue;
        }
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

} // namespace

class TestInstalledFiles : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void installedProgramIsRecognised_data();
    void installedProgramIsRecognised();
    void helpPageIsFound_data();
    void helpPageIsFound();
    void dataFileOfAnInstalledProgramGoesToTheUsersDirectory_data();
    void dataFileOfAnInstalledProgramGoesToTheUsersDirectory();

private:
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_dataHome;
};

void TestInstalledFiles::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_dataHome = m_root->filePath(QStringLiteral("home/.local/share"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome));
}

void TestInstalledFiles::installedProgramIsRecognised_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<bool>("installed");

    QTest::newRow("build folder") << QStringList {"build/Rubrello.html"} << "build" << false;
    QTest::newRow("copied into a folder named bin") << QStringList {"bin/Rubrello.html"} << "bin" << false;
    QTest::newRow("bin beside a share without the program's data")
        << QStringList {"usr/bin/", "usr/share/other/"} << "usr/bin" << false;
    QTest::newRow("unpacked package")
        << QStringList {"usr/bin/", "usr/share/rubrello/Rubrello.html"} << "usr/bin" << true;
    QTest::newRow("another prefix") << QStringList {"opt-x/bin/", "opt-x/share/rubrello/"} << "opt-x/bin"
                                    << true;
    QTest::newRow("share/rubrello beside a folder not named bin")
        << QStringList {"x/build/", "x/share/rubrello/"} << "x/build" << false;
    // The system's own folders, as they are: absolute paths, not made in the temporary root.
    for (const char *dir : {"/usr/bin", "/usr/local/bin", "/opt/rubrello/bin", "/bin", "/usr/bin/"})
        QTest::newRow(dir) << QStringList() << dir << true;
    QTest::newRow("a build under /usr/local/src") << QStringList() << "/usr/local/src/rubrello/build" << false;
}

void TestInstalledFiles::installedProgramIsRecognised()
{
    QFETCH(QStringList, tree);
    QFETCH(QString, programDir);
    QFETCH(bool, installed);

    makeTree(m_root->path(), tree);
    QCOMPARE(isInstalledProgram(programDir.startsWith(u'/') ? programDir : m_root->filePath(programDir)), installed);
}

void TestInstalledFiles::helpPageIsFound_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("expected");

    QTest::newRow("beside the program only")
        << QStringList {"usr/bin/Rubrello.html"} << "usr/bin/Rubrello.html";
    QTest::newRow("installed only") << QStringList {"usr/bin/", "usr/share/rubrello/Rubrello.html"}
                                    << "usr/share/rubrello/Rubrello.html";
    QTest::newRow("both: the one beside wins") << QStringList {"usr/bin/Rubrello.html",
        "usr/share/rubrello/Rubrello.html"} << "usr/bin/Rubrello.html";
    QTest::newRow("missing from a copied folder") << QStringList {"usr/bin/"} << "usr/bin/Rubrello.html";
    QTest::newRow("missing from an installation")
        << QStringList {"usr/bin/", "usr/share/rubrello/"} << "usr/share/rubrello/Rubrello.html";
}

void TestInstalledFiles::helpPageIsFound()
{
    QFETCH(QStringList, tree);
    QFETCH(QString, expected);

    makeTree(m_root->path(), tree);
    QCOMPARE(QDir::cleanPath(helpPageFile(m_root->filePath(QStringLiteral("usr/bin")))),
        QDir::cleanPath(m_root->filePath(expected)));
}

void TestInstalledFiles::dataFileOfAnInstalledProgramGoesToTheUsersDirectory_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<bool>("besideTheProgram");

    // The test runs as whoever runs the suite, root included: the directories are all writable, so
    // only the layout decides.
    QTest::newRow("installed, nothing beside")
        << QStringList {"usr/bin/", "usr/share/rubrello/Rubrello.html"} << false;
    QTest::newRow("installed, a store already beside it is kept")
        << QStringList {"usr/bin/Rubrello.MDB", "usr/share/rubrello/Rubrello.html"} << true;
    // A build folder is wiped without a thought for the user's contacts in it.
    QTest::newRow("copied or build folder, nothing beside")
        << QStringList {"usr/bin/Rubrello.html"} << false;
}

void TestInstalledFiles::dataFileOfAnInstalledProgramGoesToTheUsersDirectory()
{
    QFETCH(QStringList, tree);
    QFETCH(bool, besideTheProgram);

    makeTree(m_root->path(), tree);
    const QString programDir = m_root->filePath(QStringLiteral("usr/bin"));
    const DataFileLocation location = locateDataFile(programDir, QStringLiteral("Rubrello.MDB"));
    QVERIFY2(location.error.isEmpty(), qPrintable(location.error));
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QVERIFY(dataDir.startsWith(m_dataHome));
    QCOMPARE(QFileInfo(location.path).absolutePath(), besideTheProgram ? programDir : dataDir);
}

QTEST_GUILESS_MAIN(TestInstalledFiles)
#include "test_installedfiles.moc"
