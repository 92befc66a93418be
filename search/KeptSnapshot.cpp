#include "search/KeptSnapshot.h"

#include "contacts/SqliteRows.h"
#include "platform/AtomicFile.h"
#include "search/SearchLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <sqlite3.h>

namespace {

// A kept file starts with this, the rules it was made by (the forgiving form follows Qt's Unicode
// tables) and the mark it was kept under.
constexpr char Magic[8] = {'R', 'u', 'b', 'S', 'n', 'a', 'p', '1'};

QByteArray keptHeader(const SnapshotMark &mark)
{
    return QByteArray(Magic, sizeof Magic) + QByteArray::number(int(QChar::currentUnicodeVersion())) + '\n'
        + mark.token + '\n' + QByteArray::number(mark.loggedUpTo) + '\n';
}

QString keptFileName(const QString &folder, const QByteArray &token)
{
    return QDir(folder).filePath(QString::fromLatin1(token) + QStringLiteral(".ricerca"));
}

QByteArray keptFileBytes(const SearchSnapshot &snapshot, const SnapshotMark &mark)
{
    return snapshot.forgivingBytes(keptHeader(mark));
}

// The snapshot kept under mark, nullopt when there is none or it is not sound.
std::optional<SearchSnapshot> readKept(const QString &folder, const SnapshotMark &mark)
{
    QFile file(keptFileName(folder, mark.token));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray header = keptHeader(mark);
    SearchSnapshot snapshot(false);
    if (file.read(header.size()) != header || !snapshot.readForgiving(file))
        return std::nullopt;
    return snapshot;
}

struct Connection
{
    sqlite3 *db = nullptr;
    ~Connection() { sqlite3_close(db); }
};

// Hands the searched fields of the rows of sql (with ids bound to its one value) to visit.
bool visitRows(sqlite3 *db, const QByteArray &sql, std::span<const qint64> ids,
    const ContactStore::TextRowVisitor &visit, const std::atomic<bool> &cancel)
{
    SqliteRows rows(db, sql.constData());
    if (!ids.empty())
        rows.bind(1, idListJson(ids));
    std::vector<std::optional<QByteArrayView>> values(SearchSnapshot::fields().size());
    while (!cancel && rows.next()) {
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = rows.utf8(int(i) + 1);
        visit(rows.integer(0), values);
    }
    return !cancel && !rows.failed();
}

} // namespace

std::optional<ReadSnapshot> readSearchSnapshot(const QString &path, const QString &folder, bool mayKeep,
    qint64 rows, const std::atomic<bool> &cancel, QString *error)
{
    Connection connection;
    const bool opened = !folder.isEmpty()
        && sqlite3_open_v2(QFile::encodeName(path).constData(), &connection.db, SQLITE_OPEN_READONLY, nullptr)
            == SQLITE_OK;
    ReadSnapshot read;
    if (!opened) {
        std::optional<SearchSnapshot> whole = SearchSnapshot::readFile(path, rows, cancel, error);
        if (!whole)
            return std::nullopt;
        read.snapshot = std::move(*whole);
        return read;
    }
    sqlite3 *db = connection.db;
    sqlite3_busy_timeout(db, 3000);

    // The mark, the log and the rows from one state of the file.
    if (!runStatement(db, "BEGIN", error))
        return std::nullopt;
    bool logged = true;
    // Without the log (a store this version has not yet written) nothing kept can be trusted.
    const qint64 loggedUpTo = lastLogged(db, &logged);
    const std::optional<SnapshotMark> mark = logged ? snapshotMark(db) : std::nullopt;
    std::optional<SearchSnapshot> kept = mark ? readKept(folder, *mark) : std::nullopt;
    const QByteArray select = selectFields(SearchSnapshot::fields());
    bool ok = true;
    bool keep = logged && mayKeep;
    if (kept) {
        const std::vector<qint64> changed = loggedAfter(db, mark->loggedUpTo, &ok);
        ok = ok && kept->readAgain(changed, [&](const ContactStore::TextRowVisitor &visit) {
            return changed.empty()
                || visitRows(
                    db, select + " WHERE ID IN (SELECT value FROM json_each(?))", changed, visit, cancel);
        });
        read.snapshot = std::move(*kept);
        // Once many contacts are read again at every start, a new file is kept.
        keep = mayKeep && changed.size() > std::size_t(read.snapshot.rowCount() / 16 + 1000);
    } else {
        ok = read.snapshot.readWhole(
            rows, QFileInfo(path).size(), [&](const ContactStore::TextRowVisitor &visit) {
                return visitRows(db, select, {}, visit, cancel);
            });
    }
    if (!ok) {
        if (error)
            *error = cancel ? QStringLiteral("lettura interrotta") : QString::fromUtf8(sqlite3_errmsg(db));
        runStatement(db, "ROLLBACK", nullptr);
        return std::nullopt;
    }
    runStatement(db, "COMMIT", nullptr);

    if (keep && !cancel) {
        read.kept = SnapshotMark{QUuid::createUuid().toByteArray(QUuid::Id128), loggedUpTo};
        read.keptBytes = keptFileBytes(read.snapshot, *read.kept);
        read.replaced = mark;
    }
    return read;
}

bool writeKeptSnapshot(const QString &folder, const ReadSnapshot &read)
{
    return read.kept && QDir().mkpath(folder)
        && writeFileAtomically(keptFileName(folder, read.kept->token), read.keptBytes).isEmpty();
}

void noteKeptSnapshot(sqlite3 *db, const QString &folder, const ReadSnapshot &read)
{
    if (!read.kept)
        return;
    if (!db || !markSnapshotKept(db, *read.kept, nullptr)) {
        dropKeptSnapshot(folder, read);
        return;
    }
    if (read.replaced)
        QFile::remove(keptFileName(folder, read.replaced->token));
}

void dropKeptSnapshot(const QString &folder, const ReadSnapshot &read)
{
    if (read.kept)
        QFile::remove(keptFileName(folder, read.kept->token));
}
