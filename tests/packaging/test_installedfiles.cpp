// Where an installed program finds the files that come with it, and where it keeps the user's data:
// the layout of a build or a copied folder against the one of cmake --install and of the package.
#include "platform/DataLocation.h"
#include "platform/InstalledFiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestInstalledFiles : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void installedProgramAndItsHelpPage_data();
    void installedProgramAndItsHelpPage();
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
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_root->filePath(u"home/.local/share"_s)));
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

void TestInstalledFiles::installedProgramAndItsHelpPage_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("helpPage"); // the one beside the program wins; else an installation's
    QTest::newRow("build folder") << QStringList{"build/Rubrello.html"} << "build" << false
                                  << "build/Rubrello.html";
    QTest::newRow("copied into a folder named bin, help page missing")
        << QStringList{"bin/", "share/other/"} << "bin" << false << "bin/Rubrello.html";
    QTest::newRow("unpacked package") << QStringList{"usr/bin/", "usr/share/rubrello/Rubrello.html"}
                                      << "usr/bin" << true << "usr/share/rubrello/Rubrello.html";
    QTest::newRow("another prefix, help page missing") << QStringList{"opt-x/bin/",
        "opt-x/share/rubrello/"} << "opt-x/bin" << true << "opt-x/share/rubrello/Rubrello.html";
    QTest::newRow("help page both beside and installed")
        << QStringList{"usr/bin/Rubrello.html", "usr/share/rubrello/Rubrello.html"} << "usr/bin" << true
        << "usr/bin/Rubrello.html";
    QTest::newRow("share/rubrello beside a folder not named bin")
        << QStringList{"x/build/", "x/share/rubrello/"} << "x/build" << false << "x/build/Rubrello.html";
    // The system's own folders, as they are: absolute paths, not made in the temporary root.
    QTest::newRow("/usr/bin/") << QStringList() << "/usr/bin/" << true << "/usr/share/rubrello/Rubrello.html";
    QTest::newRow("a build under /usr/local/src") << QStringList() << "/usr/local/src/rubrello/build" << false
                                                  << "/usr/local/src/rubrello/build/Rubrello.html";
}

void TestInstalledFiles::installedProgramAndItsHelpPage()
{
    QFETCH(QStringList, tree);
    QFETCH(QString, programDir);
    QFETCH(bool, installed);
    QFETCH(QString, helpPage);
    makeTree(tree);
    const auto at
        = [this](const QString &path) { return path.startsWith(u'/') ? path : m_root->filePath(path); };
    QCOMPARE(isInstalledProgram(at(programDir)), installed);
    QCOMPARE(QDir::cleanPath(helpPageFile(at(programDir))), QDir::cleanPath(at(helpPage)));
}

// A new store goes to the user's data folder, even beside an installed program (the end-to-end tests
// see it made there); a store already beside the program is kept where it is.
void TestInstalledFiles::storeBesideTheProgramIsKept()
{
    makeTree({"usr/bin/", "usr/share/rubrello/Rubrello.html"});
    const QString programDir = m_root->filePath(u"usr/bin"_s);
    const DataFileLocation fresh = locateDataFile(programDir, u"Rubrello.MDB"_s);
    QCOMPARE(QFileInfo(fresh.path).absolutePath(),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    makeTree({"usr/bin/Rubrello.MDB"});
    QCOMPARE(locateDataFile(programDir, u"Rubrello.MDB"_s).path, programDir + u"/Rubrello.MDB"_s);
}

QTEST_GUILESS_MAIN(TestInstalledFiles)
#include "test_installedfiles.moc"
