// A program killed with SIGKILL while it saves leaves a sound store: every record it had committed is
// there and whole.
#include "StoreCheck.h"

#include "contacts/ContactStore.h"

#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCrashSafety : public QObject
{
    Q_OBJECT
private slots:
    void killDuringSaves();
};

// Killed (no destructor, no rollback, no flush) a little after its 150th reported save: likely in the
// middle of the next. The next start takes the log the kill left.
void TestCrashSafety::killDuringSaves()
{
    const int reports = 150;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Rubrello.MDB"_s);
    QProcess driver;
    driver.start(QStringLiteral(RUBRELLO_CRASH_DRIVER), {u"save"_s, path});
    QByteArray output;
    while (output.count('\n') < reports && driver.waitForReadyRead(10000))
        output += driver.readAllStandardOutput();
    QTest::qWait(7);
    driver.kill();
    driver.waitForFinished();
    output += driver.readAllStandardOutput();
    const QStringList lines = QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= reports, qPrintable(lines.join(u'\n')));

    QString error;
    const auto store = ContactStore::open(path, &error);
    QVERIFY2(store, qPrintable(error));
    QVERIFY2(store->notices().isEmpty(), qPrintable(store->notices().join(u'\n')));
    QCOMPARE(integrityCheck(path), u"ok"_s);
    bool ok = false;
    const std::vector<ContactRecord> rows = store->readAll(&ok);
    QVERIFY(ok);
    QMap<qint64, QString> stored;
    for (const ContactRecord &row : rows) {
        stored[row.id] = wholeRecordTag(row);
        QVERIFY2(!stored[row.id].isEmpty(), qPrintable(u"torn record %1"_s.arg(row.id)));
    }
    // Each reported write is there, or a later write of the same record that committed before the kill.
    for (const QString &line : lines) {
        const QStringList words = line.split(u' '); // "inserted|updated <id> <tag>"
        QVERIFY2(words.size() == 3 && words.at(0) != u"failed"_s, qPrintable(line));
        const QString tag = stored.value(words.at(1).toLongLong());
        QVERIFY2(tag.section(u'.', 0, 0) == words.at(2).section(u'.', 0, 0)
                && tag.section(u'.', 1).toInt() >= words.at(2).section(u'.', 1).toInt(),
            qPrintable(line + u", stored: "_s + tag));
    }
    // At most the one insert in flight may be there unreported.
    QVERIFY(rows.size() <= size_t(lines.filter(u"inserted"_s).size()) + 1);
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "test_crashsafety.moc"
