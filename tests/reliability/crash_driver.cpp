// A program that writes to a contact store until it is killed, telling on standard output what it
// has committed so far. The crash-safety test kills it with SIGKILL and checks the store.
//   crash_driver save <store>           inserts records and rewrites earlier ones, forever
//   crash_driver import <store> <file>  imports a first-version file
#include "StoreCheck.h"

#include "contacts/ContactStore.h"
#include "import/FirstVersionImport.h"

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
    if (args.at(1) == u"import"_s && args.size() > 3) {
        const ImportOutcome outcome
            = importFirstVersionFile(args.at(3), *store, [] { return say("begin"), true; });
        say("done " + QByteArray::number(outcome.added));
        return outcome.ok() ? 0 : 1;
    }
    std::vector<std::pair<qint64, int>> saved; // id and serial of every inserted record
    for (int step = 1;; ++step) {
        // Every third write rewrites an earlier record whole, with a new version of its tag.
        const bool rewrite = step % 3 == 0;
        const auto [id, serial] = rewrite ? saved[size_t(step) % saved.size()] : std::pair{qint64(0), step};
        const QString tag = crashTag(serial, rewrite ? step : 0);
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
