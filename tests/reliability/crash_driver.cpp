// A program that writes to a contact store until it is killed, telling on standard output what it
// has committed so far. The crash-safety test kills it with SIGKILL and checks the store.
//   crash_driver save <store>           inserts records and rewrites earlier ones, forever
//   crash_driver import <store> <file>  imports a first-version file
#include "CrashRecords.h"

#include "contacts/ContactStore.h"
#include "import/FirstVersionImport.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void say(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int saveForever(ContactStore &store)
{
    std::vector<std::pair<qint64, int>> saved; // id and serial of every inserted record
    for (int step = 1;; ++step) {
        if (step % 3 == 0 && !saved.empty()) {
            // Rewrite an earlier record whole with a new version of its tag.
            const auto &[id, serial] = saved[size_t(step) % saved.size()];
            ContactRecord record = crashRecord(crashTag(serial, step));
            record.id = id;
            if (!store.update(record))
                return say("failed " + store.lastError().toUtf8()), 1;
            say("updated " + QByteArray::number(id) + ' ' + crashTag(serial, step).toLatin1());
        } else {
            const auto id = store.insert(crashRecord(crashTag(step, 0)));
            if (!id)
                return say("failed " + store.lastError().toUtf8()), 1;
            saved.emplace_back(*id, step);
            say("inserted " + QByteArray::number(*id) + ' ' + crashTag(step, 0).toLatin1());
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    QString error;
    const auto store = ContactStore::open(args.at(2), &error);
    if (!store)
        return say("failed " + error.toUtf8()), 1;
    if (args.at(1) == QLatin1String("save"))
        return saveForever(*store);
    if (args.at(1) == QLatin1String("import") && args.size() > 3) {
        const ImportOutcome outcome = importFirstVersionFile(args.at(3), *store, [] {
            say("begin");
            return true;
        });
        say("done " + QByteArray::number(outcome.added));
        return outcome.ok() ? 0 : 1;
    }
    return 2;
}
