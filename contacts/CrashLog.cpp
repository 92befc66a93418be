#include "contacts/CrashLog.h"

#include "platform/AtomicFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/sysmacros.h>
#endif

namespace {

quint32 bigEndian32(const char *bytes)
{
    return qFromBigEndian<quint32>(bytes);
}

// The log's checksum: 32-bit words taken two at a time, each sum feeding the other, carried from the
// header through every frame.
void addLogChecksum(quint32 sum[2], const char *data, qsizetype size, bool bigEndianWords)
{
    for (qsizetype i = 0; i + 8 <= size; i += 8) {
        const quint32 first
            = bigEndianWords ? qFromBigEndian<quint32>(data + i) : qFromLittleEndian<quint32>(data + i);
        const quint32 second = bigEndianWords ? qFromBigEndian<quint32>(data + i + 4)
                                              : qFromLittleEndian<quint32>(data + i + 4);
        sum[0] += first + sum[1];
        sum[1] += second + sum[0];
    }
}

struct LogFrame
{
    quint32 page;
    quint32 pagesAfterCommit; // 0 unless the frame ends a transaction
    qint64 dataOffset;
};

// The frames SQLite would apply: those whose salt and running checksum hold, up to the last commit.
struct LogContents
{
    quint32 pageSize = 0;
    QByteArray salts;
    std::vector<LogFrame> frames;
};

LogContents readLog(QFile &log)
{
    const QByteArray header = log.read(32);
    if (header.size() < 32)
        return {};
    const quint32 magic = bigEndian32(header.constData());
    const quint32 pageSize = bigEndian32(header.constData() + 8);
    if ((magic & ~1u) != 0x377f0682 || bigEndian32(header.constData() + 4) != 3007000 || pageSize < 512
        || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return {};
    const bool bigEndianWords = magic & 1;
    quint32 sum[2] = {0, 0};
    addLogChecksum(sum, header.constData(), 24, bigEndianWords);
    if (sum[0] != bigEndian32(header.constData() + 24) || sum[1] != bigEndian32(header.constData() + 28))
        return {};

    LogContents contents;
    contents.pageSize = pageSize;
    contents.salts = header.mid(16, 8);
    size_t committed = 0;
    QByteArray frame(24 + qsizetype(pageSize), Qt::Uninitialized);
    for (qint64 offset = 32; log.read(frame.data(), frame.size()) == frame.size(); offset += frame.size()) {
        const char *bytes = frame.constData();
        if (bigEndian32(bytes) == 0 || QByteArrayView(bytes + 8, 8) != contents.salts)
            break;
        addLogChecksum(sum, bytes, 8, bigEndianWords);
        addLogChecksum(sum, bytes + 24, pageSize, bigEndianWords);
        if (sum[0] != bigEndian32(bytes + 16) || sum[1] != bigEndian32(bytes + 20))
            break;
        contents.frames.push_back({bigEndian32(bytes), bigEndian32(bytes + 4), offset + 24});
        if (contents.frames.back().pagesAfterCommit != 0)
            committed = contents.frames.size();
    }
    contents.frames.resize(committed);
    return contents;
}

// Whether a program has the store open right now (its lock on the log's index is listed by the
// system): its log is then live, not a crash's leftover. Opening the index to find out would drop
// the locks this very process holds on it, so the system's list is read instead.
bool logInUse(const QString &indexPath)
{
#ifdef Q_OS_LINUX
    struct stat info;
    if (::stat(QFile::encodeName(indexPath).constData(), &info) != 0)
        return false;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    const QByteArray file = QString::asprintf(" %02x:%02x:%llu ", major(info.st_dev), minor(info.st_dev),
        static_cast<unsigned long long>(info.st_ino))
                                .toLatin1();
    for (QByteArray line = locks.readLine(); !line.isEmpty(); line = locks.readLine()) {
        if (line.contains(file))
            return true;
    }
#else
    Q_UNUSED(indexPath)
#endif
    return false;
}

// How far checkpoints had copied the log into the database when the log was left: up to `copied`
// finished, up to `attempted` set out (a crash may have cut that one short). From the log's index,
// whose two copies of the header must agree and name the log by its salts.
struct CheckpointMarks
{
    bool known = false;
    quint32 copied = 0;
    quint32 attempted = 0;
};

CheckpointMarks readCheckpointMarks(const QString &indexPath, const QByteArray &salts)
{
    QFile index(indexPath);
    if (!index.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = index.read(136);
    if (head.size() < 136 || head.left(48) != head.mid(48, 48) || head.at(12) == 0 || head.mid(32, 8) != salts
        || qFromUnaligned<quint32>(head.constData()) != 3007000)
        return {};
    return {true, qFromUnaligned<quint32>(head.constData() + 96),
        qFromUnaligned<quint32>(head.constData() + 128)};
}

} // namespace

std::optional<QString> foreignLog(const QString &path)
{
    const QString logPath = path + LogSuffix;
    const QString indexPath = path + LogIndexSuffix;
    QFile log(logPath);
    if (!log.exists() || logInUse(indexPath) || !log.open(QIODevice::ReadOnly))
        return std::nullopt;
    const LogContents contents = readLog(log);
    if (contents.frames.empty())
        return std::nullopt;

    QFile database(path);
    const QByteArray header = database.open(QIODevice::ReadOnly) ? database.read(100) : QByteArray();
    if (header.size() < 100)
        return QStringLiteral("l'archivio è vuoto");
    const quint32 pageSize = qFromBigEndian<quint16>(header.constData() + 16) == 1
        ? 65536
        : qFromBigEndian<quint16>(header.constData() + 16);
    if (pageSize != contents.pageSize)
        return QStringLiteral("il registro è scritto a pagine di %1 byte, l'archivio a pagine di %2")
            .arg(contents.pageSize)
            .arg(pageSize);
    // Bytes 18 and 19 say 2 once a file is set to use a log; SQLite writes them before the first frame.
    if (header.at(18) != 2 || header.at(19) != 2)
        return QStringLiteral("l'archivio non usa un registro delle modifiche");

    auto databasePage = [&](quint32 page) {
        database.seek(qint64(page - 1) * pageSize);
        return database.read(pageSize);
    };
    auto framePage = [&](size_t frame) {
        log.seek(contents.frames[frame].dataOffset);
        return log.read(pageSize);
    };

    // The first page starts with the file's header. Unless a checkpoint copied one of the log's own
    // versions of it into the file, the log's first version grew out of the file's: the same format,
    // a change counter and schema cookie that only go up.
    const QByteArray firstPage = databasePage(1);
    std::optional<QByteArray> firstLogged;
    bool firstCopied = false;
    for (size_t i = 0; i < contents.frames.size() && !firstCopied; ++i) {
        if (contents.frames[i].page != 1)
            continue;
        const QByteArray logged = framePage(i);
        firstCopied = logged == firstPage;
        if (!firstLogged)
            firstLogged = logged;
    }
    if (firstLogged && !firstCopied) {
        const char *logged = firstLogged->constData();
        const char *file = firstPage.constData();
        if (firstPage.size() < 100 || QByteArrayView(logged + 16, 8) != QByteArrayView(file + 16, 8)
            || QByteArrayView(logged + 56, 4) != QByteArrayView(file + 56, 4))
            return QStringLiteral("il registro descrive un altro archivio");
        if (bigEndian32(logged + 24) < bigEndian32(file + 24)
            || bigEndian32(logged + 40) < bigEndian32(file + 40))
            return QStringLiteral("l'archivio è andato avanti dopo che il registro è stato scritto");
    }

    // Only a checkpoint writes a file that uses a log, so a file written after its log must hold what
    // checkpoints copied. Without the index's marks, only a complete checkpoint explains it.
    const QFileInfo fileInfo(path);
    const bool fileNewer = std::max(fileInfo.lastModified(), fileInfo.metadataChangeTime())
        > QFileInfo(logPath).lastModified();
    const quint32 frameCount = quint32(contents.frames.size());
    CheckpointMarks marks = readCheckpointMarks(indexPath, contents.salts);
    if (!marks.known && fileNewer)
        marks = {true, frameCount, frameCount};
    marks.copied = std::min(marks.copied, frameCount);
    marks.attempted = std::clamp(marks.attempted, marks.copied, frameCount);
    const QString replaced = QStringLiteral("l'archivio è stato sostituito o ripristinato "
                                            "dopo che il registro è stato scritto");
    if (fileNewer && marks.attempted == 0)
        return replaced;

    // A checkpoint copies a page only if the log held no later version of it at the time, and copies
    // pages in ascending order. So every page the log leaves alone after the finished checkpoint holds
    // its last version, and a file an interrupted one wrote holds at least the first page it took.
    std::map<quint32, size_t> lastVersions;
    quint32 pagesInFile = 0;
    for (size_t i = 0; i < contents.frames.size(); ++i) {
        lastVersions[contents.frames[i].page] = i;
        if (i < marks.attempted && contents.frames[i].pagesAfterCommit != 0)
            pagesInFile = contents.frames[i].pagesAfterCommit;
    }
    std::optional<quint32> firstInterrupted;
    for (const auto &[page, last] : lastVersions) {
        // Nor does a checkpoint copy a page past the end of the database.
        if (page > pagesInFile)
            continue;
        if (last < marks.copied && databasePage(page) != framePage(last))
            return replaced;
        if (last >= marks.copied && last < marks.attempted && !firstInterrupted)
            firstInterrupted = page;
    }
    if (fileNewer && firstInterrupted) {
        const QByteArray held = databasePage(*firstInterrupted);
        bool logged = false;
        for (size_t i = 0; i < marks.attempted && !logged; ++i)
            logged = contents.frames[i].page == *firstInterrupted && framePage(i) == held;
        if (!logged)
            return replaced;
    }
    return std::nullopt;
}

bool keepLogAside(const QString &path, QString *kept, QString *error)
{
    const QString log = path + LogSuffix;
    const QString index = path + LogIndexSuffix;
    const QString stamp = QStringLiteral(".non-applicato-")
        + QFileInfo(log).lastModified().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QString suffix = stamp;
    for (int number = 2; QFileInfo::exists(log + suffix) || QFileInfo::exists(index + suffix); ++number)
        suffix = stamp + QStringLiteral("-%1").arg(number);
    QFile file(log);
    if (!file.rename(log + suffix)) {
        *error = file.errorString();
        return false;
    }
    // SQLite rebuilds an index from its log: an index left behind would only be rebuilt.
    QFile::rename(index, index + suffix);
    // The log must not come back after a power cut to be applied at the next start after all.
    syncDirectoryOf(path);
    *kept = log + suffix;
    return true;
}
