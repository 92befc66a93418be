// A program that inserts records into a contact store and rewrites earlier ones until it is killed,
// telling on standard output what it has committed so far: `crash_driver save <store>`.
#include "StoreCheck.h"

#include "contacts/ContactStore.h"

#include <QCoreApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

static void say(const QByteArray &line)
{
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString error;
    const auto store = args.size() > 2 ? ContactStore::open(args.at(2), &error) : nullptr;
    if (!store)
        return say("failed " + error.toUtf8()), 1;
    std::vector<std::pair<qint64, int>> saved; // id and serial of every inserted record
    for (int step = 1;; ++step) {
        // Every third write rewrites an earlier record whole, with a new version of its tag.
        const bool rewrite = step % 3 == 0;
        const auto [id, serial] = rewrite ? saved[size_t(step) % saved.size()] : std::pair{qint64(0), step};
        // "<serial>.<version>": the serial names the record, the version grows with each rewrite.
        const QString tag = QStringLiteral("%1.%2").arg(serial).arg(rewrite ? step : 0);
        ContactRecord record = crashRecord(tag);
        record.id = id;
        const std::optional<qint64> written
            = rewrite ? (store->update(record) ? std::optional(id) : std::nullopt) : store->insert(record);
        if (!written)
            return say("failed " + store->lastError().toUtf8()), 1;
        if (!rewrite)
            saved.emplace_back(*written, serial);
        say((rewrite ? "updated " : "inserted ") + QByteArray::number(*written) + ' ' + tag.toLatin1());
    }
}
