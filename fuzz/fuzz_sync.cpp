// The sync from whatever a CardDAV server answers: a listing (sync-collection, or PROPFIND when the
// report is refused) and multigets with any XML and any vCard, PUTs answered well or with 412.
// Never a crash or a hang, and no contact of the agenda lost: none is linked to the server before,
// so no answer can delete one.
#include "FuzzInput.h"
#include "carddav/CardDavSync.h"
#include "contacts/ContactStore.h"

#include <QCoreApplication>
#include <QTemporaryDir>

namespace {

// Answers each request from the fuzzer's parts, in order: a part per listing or multiget.
class MadeUpServer : public DavTransport
{
public:
    MadeUpServer(const FuzzInput &input)
        : m_input(input)
    {
    }
    std::vector<DavReply> sendAll(std::span<const DavRequest> requests, int) override
    {
        std::vector<DavReply> replies;
        for (const DavRequest &request : requests) {
            DavReply reply;
            if (request.method == "PUT") {
                reply.status = (m_input.control & 2) ? 412 : 201;
                reply.etag = QStringLiteral("\"%1\"").arg(++m_etags);
            } else if (request.method == "DELETE") {
                reply.status = 204;
            } else if (request.method == "REPORT" && (m_input.control & 1) && !m_refused) {
                m_refused = true;
                reply.status = 400;
            } else {
                reply.status = 207;
                reply.body = m_next < m_input.rawParts.size() ? m_input.rawParts.at(m_next++) : QByteArray();
            }
            replies.push_back(reply);
        }
        return replies;
    }

private:
    const FuzzInput &m_input;
    qsizetype m_next = 0;
    int m_etags = 0;
    bool m_refused = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_sync";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    const FuzzInput input = splitFuzzInput(data, size);
    const QString path = dir.filePath(QStringLiteral("agenda.MDB"));
    QFile::remove(path);
    QString error;
    {
        const std::unique_ptr<ContactStore> store = ContactStore::open(path, &error);
        FUZZ_CHECK(store);
        ContactRecord record;
        record.setValue(Field::LastName, QStringLiteral("Rossi"));
        record.setValue(Field::FirstName, QStringLiteral("Mario"));
        record.setValue(Field::Cellulare, QStringLiteral("+39 333 1234567"));
        const std::optional<qint64> id = store->insert(record);
        FUZZ_CHECK(id);
        const CardDavAccount account{
            QStringLiteral("mario"), QUrl(QStringLiteral("http://127.0.0.1:1/mario/contatti/")), 0, {}, {}};
        FUZZ_CHECK(writeAccount(store->connection(), account, &error));
        MadeUpServer server(input);
        const SyncSummary summary = syncAddressBook(*store, server, account);
        bool ok = false;
        FUZZ_CHECK(store->read(*id, &ok) && ok);
        FUZZ_CHECK(summary.deletedHere == 0);
    }
    QFile::remove(path);
    return 0;
}
