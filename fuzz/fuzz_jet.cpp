// The Jet reader over damaged copies of a real Jet file. A file made of random bytes fails at its
// header; the input says instead which bytes of a good file to change, so the reader's page, column
// and row decoding meet the damage. Each change is four bytes of offset and one of xor mask.
#include "FuzzInput.h"
#include "contacts/JetReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>

namespace {

QByteArray goodFile(bool jet4)
{
    const QString dir = qEnvironmentVariable("RUBRELLO_JET_FIXTURES", QStringLiteral(RUBRELLO_JET_FIXTURES));
    QFile file(
        QDir(dir).filePath(jet4 ? QStringLiteral("DateTestDatabase.mdb") : QStringLiteral("nwind.mdb")));
    // Without a good file there is nothing to damage: a run would pass having tried nothing.
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the Jet fixture %s cannot be read", qPrintable(file.fileName()));
    return file.readAll();
}

const QByteArray &fixture(bool jet4)
{
    static const QByteArray jet3File = goodFile(false);
    static const QByteArray jet4File = goodFile(true);
    return jet4 ? jet4File : jet3File;
}

void readEverything(const JetDatabase &db)
{
    for (const QString &table : db.tableNames()) {
        QString error;
        const auto columns = db.columns(table, &error);
        db.declaredRowCount(table, &error);
        if (!columns)
            continue;
        int rows = 0;
        db.readRows(
            table,
            [&](const QList<FieldValue> &row) {
                FUZZ_CHECK(row.size() == qsizetype(columns->size()));
                return ++rows < 2000;
            },
            &error);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    QByteArray bytes = fixture((data[0] & 1) != 0);
    for (size_t at = 1; at + 5 <= size; at += 5) {
        quint32 offset = 0;
        std::memcpy(&offset, data + at, sizeof offset);
        bytes[qsizetype(offset % quint32(bytes.size()))] ^= char(data[at + 4]);
    }

    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.mdb"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }
    QString error;
    if (const std::unique_ptr<JetDatabase> db = JetDatabase::open(path, &error))
        readEverything(*db);
    else
        FUZZ_CHECK(!error.isEmpty());
    openJetPhoneList(path, &error);
    return 0;
}
