#include "carddav/CardDavSync.h"

#include "carddav/DavHref.h"
#include "carddav/DavRequests.h"
#include "carddav/DavResponse.h"
#include "contacts/ContactStore.h"
#include "exchange/AgendaMatcher.h"
#include "exchange/CardProperties.h"
#include "exchange/ContactImport.h"
#include "history/HistoryRecording.h"
#include "text/NameLine.h"
#include "vcard/VCardReader.h"
#include "vcard/VCardWriter.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QRegularExpression>
#include <QUuid>

#include <unordered_map>
#include <unordered_set>

namespace {

// Cards asked for in one multiget, and requests under way at once: a few connections, as phones use.
constexpr int CardsPerMultiget = 100;
constexpr int Parallel = 4;
constexpr int PutsPerRound = 64;
// Sends again what a 412 or a conflict sent back, a bounded number of times.
constexpr int PushRounds = 3;

QByteArray cardHash(const CardContact &contact)
{
    return QCryptographicHash::hash(
        vCardBytes(vCardFromContact(contact), VCardVersion::V3_0), QCryptographicHash::Sha1)
        .toHex();
}

QString contactName(const ContactRecord &record)
{
    return nameLine(record.text(Field::LastName), record.text(Field::FirstName));
}

// A UID fit for a file name on the server; others get a new one for the href alone.
bool plainUid(const QString &uid)
{
    static const QRegularExpression Plain(QStringLiteral("^[A-Za-z0-9._@-]{1,120}$"));
    return Plain.match(uid).hasMatch() && !uid.startsWith(u'.');
}

QString newUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// The book's address ends with a slash, so its cards' names resolve inside it.
CardDavAccount withCollectionSlash(CardDavAccount account)
{
    if (!account.book.path().endsWith(u'/'))
        account.book.setPath(account.book.path() + u'/');
    return account;
}

// One change the server lists: a card there (with its ETag) or gone.
struct ListedCard
{
    QString href; // as the server wrote it
    QString key;
    QString etag;
};

struct Listing
{
    std::vector<ListedCard> present;
    std::vector<QString> goneKeys;
    QString token;
    bool whole = false; // every card of the book, not only the changes since the token
};

class Sync
{
public:
    Sync(ContactStore &store, DavTransport &client, const CardDavAccount &account,
        const std::function<void(const SyncProgress &)> &progress)
        : m_store(store)
        , m_db(store.connection())
        , m_client(client)
        , m_account(withCollectionSlash(account))
        , m_bookKey(hrefKey(m_account.book))
        , m_progress(progress)
    {
    }

    SyncSummary run()
    {
        QString error;
        if (!ensureSyncTables(m_db, &error))
            return failed(error);
        // Where the last sync left the book, as the store has it now.
        if (const std::optional<CardDavAccount> stored = readAccount(m_db, &error);
            stored && withCollectionSlash(*stored).book == m_account.book)
            m_account.syncToken = stored->syncToken;
        else
            m_account.syncToken.clear();
        const HistoryRecording recording(m_store,
            QStringLiteral("la sincronizzazione con %1").arg(m_account.book.host()),
            HistoryRecording::Removal::ToTrash);
        if (!loadResources() || !takeBackRestored())
            return m_summary;
        std::optional<Listing> listing = list();
        if (!listing)
            return m_summary;
        if (!receive(*listing) || !applyGone(listing->goneKeys))
            return m_summary;
        if (!saveSyncToken(m_db, listing->token, &error))
            return failed(error);
        if (!sendDeletions())
            return m_summary;
        sendChanges();
        return m_summary;
    }

private:
    SyncSummary failed(const QString &reason)
    {
        if (m_summary.failure.isEmpty())
            m_summary.failure = reason;
        return m_summary;
    }
    bool fail(const QString &reason)
    {
        failed(reason);
        return false;
    }
    bool failReply(const DavReply &reply)
    {
        if (reply.cancelled) {
            m_summary.cancelled = true;
            return false;
        }
        if (!reply.refusedCertificate.isEmpty())
            m_summary.refusedCertificate = reply.refusedCertificate;
        m_summary.passwordRefused = reply.status == 401;
        return fail(davFailureText(reply));
    }
    void tell(const QString &stage, int done, int total)
    {
        if (m_progress)
            m_progress({stage, done, total});
    }
    QString keyOf(const QString &href) const { return hrefKey(resolvedHref(m_account.book, href)); }

    bool loadResources()
    {
        QString error;
        for (SyncedResource &resource : readResources(m_db, &error))
            remember(resource);
        for (SyncedResource &deleted : readDeleted(m_db, &error))
            m_deletedByHref.emplace(deleted.href, std::move(deleted));
        return error.isEmpty() || fail(error);
    }

    void remember(const SyncedResource &resource)
    {
        m_byHref[resource.href] = resource;
        m_linked.insert(resource.id);
    }

    std::optional<CardContact> readContact(qint64 id)
    {
        bool ok = false;
        std::optional<ContactRecord> record = m_store.read(id, &ok);
        if (!record)
            return std::nullopt;
        return CardContact{*record, readCardProperties(m_db, id)};
    }

    // A contact deleted here and put back (undo, the trash) before its deletion reached the server
    // is the same resource again; a new contact that took a deleted one's id is not.
    bool takeBackRestored()
    {
        if (m_deletedByHref.empty())
            return true;
        ContactStore::Batch batch(m_store);
        if (!batch.ok())
            return fail(m_store.lastError());
        QString error;
        for (auto it = m_deletedByHref.begin(); it != m_deletedByHref.end();) {
            const SyncedResource &deleted = it->second;
            const std::optional<CardContact> back = readContact(deleted.id);
            const bool same = back && !m_byHref.contains(deleted.href)
                && ((!deleted.uid.isEmpty() && contactUid(*back) == deleted.uid)
                    || cardHash(*back) == deleted.syncedHash);
            if (!same) {
                ++it;
                continue;
            }
            if (!resourceOf(m_db, deleted.id, &error) && error.isEmpty()) {
                SyncedResource resource = deleted;
                if (!saveResource(m_db, resource, &error))
                    return fail(error);
                remember(resource);
            }
            if (!forgetDeleted(m_db, deleted.id, &error))
                return fail(error);
            it = m_deletedByHref.erase(it);
        }
        return batch.commit() || fail(m_store.lastError());
    }

    std::optional<Listing> list()
    {
        tell(QStringLiteral("Elenco dei contatti sul server"), 0, 0);
        std::optional<Listing> listing;
        if (!m_account.syncToken.isEmpty()) {
            const DavReply reply = m_client.send(
                {"REPORT", m_account.book, syncCollectionBody(m_account.syncToken), {{"Depth", "0"}}});
            if (reply.status == 207)
                return readListing(reply, false);
            // A token the server no longer knows (403 valid-sync-token, 409, 400): everything anew.
            if (reply.status == 0 || reply.status == 401 || reply.status == 404 || reply.status >= 500) {
                failReply(reply);
                return std::nullopt;
            }
        }
        DavReply reply
            = m_client.send({"REPORT", m_account.book, syncCollectionBody(QString()), {{"Depth", "0"}}});
        if (reply.status != 207 && reply.status != 0 && reply.status != 401)
            reply = m_client.send({"PROPFIND", m_account.book, etagsBody(), {{"Depth", "1"}}});
        if (reply.status != 207) {
            failReply(reply);
            return std::nullopt;
        }
        return readListing(reply, true);
    }

    std::optional<Listing> readListing(const DavReply &reply, bool whole)
    {
        const DavMultistatus answer = parseMultistatus(reply.body);
        if (!answer.error.isEmpty()) {
            fail(QStringLiteral("Il server ha dato una risposta che non si capisce: %1").arg(answer.error));
            return std::nullopt;
        }
        Listing listing;
        listing.whole = whole;
        listing.token = answer.syncToken;
        std::unordered_set<QString> seen;
        for (const DavResource &resource : answer.resources) {
            const QString key = keyOf(resource.href);
            if (resource.collection || key == m_bookKey || !key.startsWith(m_bookKey))
                continue;
            seen.insert(key);
            if (resource.status == 404 || resource.status == 410)
                listing.goneKeys.push_back(key);
            else if (resource.status == 200)
                listing.present.push_back({resource.href, key, resource.etag});
        }
        if (whole) {
            for (const auto &[key, resource] : m_byHref)
                if (!seen.contains(key) && !resource.pending())
                    listing.goneKeys.push_back(key);
            for (const auto &[key, deleted] : m_deletedByHref)
                if (!seen.contains(key))
                    listing.goneKeys.push_back(key);
        }
        return listing;
    }

    bool receive(const Listing &listing)
    {
        std::vector<ListedCard> wanted;
        ContactStore::Batch batch(m_store);
        if (!batch.ok())
            return fail(m_store.lastError());
        QString error;
        for (const ListedCard &card : listing.present) {
            const auto known = m_byHref.find(card.key);
            const auto deleted = m_deletedByHref.find(card.key);
            if (known == m_byHref.end()) {
                // A card deleted here is fetched only when it changed there since.
                if (deleted == m_deletedByHref.end() || deleted->second.etag != card.etag)
                    wanted.push_back(card);
            } else if (known->second.pending()) {
                // A PUT of ours that reached the server before the program stopped: ours to send
                // again, over the ETag it has now.
                known->second.etag = card.etag;
                if (!saveResource(m_db, known->second, &error))
                    return fail(error);
            } else if (known->second.etag != card.etag) {
                wanted.push_back(card);
            }
        }
        if (!batch.commit())
            return fail(m_store.lastError());
        return fetchAndApply(wanted, QStringLiteral("Ricezione dei contatti"));
    }

    bool fetchAndApply(const std::vector<ListedCard> &wanted, const QString &stage)
    {
        // A few multigets at a time are fetched, then written, so a long first sync keeps its
        // progress in the store as it goes.
        const size_t perRound = size_t(CardsPerMultiget) * Parallel;
        for (size_t start = 0; start < wanted.size(); start += perRound) {
            tell(stage, int(start), int(wanted.size()));
            std::vector<DavRequest> requests;
            for (size_t at = start; at < std::min(wanted.size(), start + perRound); at += CardsPerMultiget) {
                QStringList hrefs;
                for (size_t i = at; i < std::min(wanted.size(), at + CardsPerMultiget); ++i)
                    hrefs << resolvedHref(m_account.book, wanted[i].href).path(QUrl::FullyEncoded);
                requests.push_back({"REPORT", m_account.book, multigetBody(hrefs), {{"Depth", "1"}}});
            }
            const std::vector<DavReply> replies = m_client.sendAll(requests, Parallel);
            for (const DavReply &reply : replies) {
                if (reply.status != 207)
                    return failReply(reply);
                if (!applyMultiget(reply))
                    return false;
            }
        }
        tell(stage, int(wanted.size()), int(wanted.size()));
        return true;
    }

    bool applyMultiget(const DavReply &reply)
    {
        const DavMultistatus answer = parseMultistatus(reply.body);
        if (!answer.error.isEmpty())
            return fail(
                QStringLiteral("Il server ha dato una risposta che non si capisce: %1").arg(answer.error));
        ContactStore::Batch batch(m_store);
        if (!batch.ok())
            return fail(m_store.lastError());
        std::vector<QString> gone;
        for (const DavResource &resource : answer.resources) {
            const QString key = keyOf(resource.href);
            if (resource.status == 404 || resource.status == 410)
                gone.push_back(key);
            else if (resource.status == 200 && !applyCard(resource, key))
                return false;
        }
        if (!applyGoneInBatch(gone))
            return false;
        return batch.commit() || fail(m_store.lastError());
    }

    // Writes a card of the server here, keeping the contact of here aside when it changed too.
    bool applyCard(const DavResource &resource, const QString &key)
    {
        QBuffer buffer;
        buffer.setData(resource.addressData);
        buffer.open(QIODevice::ReadOnly);
        VCardReader reader(&buffer);
        VCard card;
        if (resource.addressData.isEmpty() || !reader.next(&card)) {
            m_summary.unreadable << resource.href;
            return true;
        }
        CardContact incoming = contactFromVCard(card);
        QString error;
        SyncedResource synced;
        const auto known = m_byHref.find(key);
        if (known != m_byHref.end()) {
            synced = known->second;
            const std::optional<CardContact> local = readContact(synced.id);
            if (local && (synced.syncedHash.isEmpty() || cardHash(*local) != synced.syncedHash)
                && !keepAside(*local))
                return false;
            if (local && !write(synced.id, incoming))
                return false;
            if (!local && !add(incoming, &synced.id))
                return false;
            synced.syncedHash = storedHash(synced.id);
        } else {
            // A card deleted here meanwhile and changed there: the server's change wins it back.
            if (const auto deleted = m_deletedByHref.find(key); deleted != m_deletedByHref.end()) {
                if (!forgetDeleted(m_db, deleted->second.id, &error))
                    return fail(error);
                m_deletedByHref.erase(deleted);
                ++m_summary.conflicts;
                m_summary.conflictNames << contactName(incoming.record);
            }
            synced.href = key;
            if (const std::optional<qint64> same = sameContactHere(incoming)) {
                // The contact was here before the account: one contact, the boxes the server
                // leaves empty keeping theirs, sent back when that adds to the server's card.
                synced.id = *same;
                const std::optional<CardContact> local = readContact(*same);
                CardContact joined = incoming;
                joined.record = mergedIncoming(local ? local->record : ContactRecord(), incoming.record);
                if (!write(*same, joined))
                    return false;
                ContactRecord asIncoming = joined.record;
                asIncoming.id = incoming.record.id;
                if (asIncoming == incoming.record)
                    synced.syncedHash = storedHash(*same);
            } else {
                if (!add(incoming, &synced.id))
                    return false;
                synced.syncedHash = storedHash(synced.id);
            }
        }
        synced.etag = resource.etag.isNull() ? QStringLiteral("") : resource.etag;
        synced.uid = contactUid(incoming);
        if (!saveResource(m_db, synced, &error))
            return fail(error);
        remember(synced);
        ++m_summary.received;
        return true;
    }

    // The hash of the contact as the store gives it back, which is what later syncs compare with.
    QByteArray storedHash(qint64 id)
    {
        const std::optional<CardContact> stored = readContact(id);
        return stored ? cardHash(*stored) : QByteArray();
    }

    // The contact of here that a card new to the sync already is: only on a contact no card holds.
    std::optional<qint64> sameContactHere(const CardContact &incoming)
    {
        // Only contacts here before this sync can be one: looked for once, at the first new card.
        if (!m_matcherLooked) {
            m_matcherLooked = true;
            QString error;
            if (!unsyncedContacts(m_db, &error).empty()) {
                m_matcher.emplace();
                if (!m_matcher->load(m_store, &error))
                    m_matcher.reset();
            }
        }
        if (!m_matcher)
            return std::nullopt;
        const std::optional<qint64> id = m_matcher->find(incoming);
        if (!id)
            return std::nullopt;
        if (m_linked.contains(*id))
            return std::nullopt;
        return id;
    }

    bool write(qint64 id, const CardContact &contact)
    {
        ContactRecord record = contact.record;
        record.id = id;
        if (!m_store.update(record))
            return fail(m_store.lastError());
        return writeProperties(id, contact);
    }

    bool add(const CardContact &contact, qint64 *id)
    {
        const std::optional<qint64> added = m_store.insert(contact.record);
        if (!added)
            return fail(m_store.lastError());
        *id = *added;
        return writeProperties(*added, contact);
    }

    bool writeProperties(qint64 id, const CardContact &contact)
    {
        // Its statements are prepared once for every card of the sync; the table exists by now.
        if (!m_properties)
            m_properties.emplace(m_db);
        QString error;
        return m_properties->write(id, preparedContact(contact), &error) || fail(error);
    }

    // The version of here of a contact changed on both sides, as a contact of its own: without the
    // UID, it goes to the server as a new card.
    bool keepAside(const CardContact &local)
    {
        CardContact copy = local;
        copy.properties.removeIf([](const KeptProperty &kept) { return kept.property.name == u"UID"; });
        qint64 id = 0;
        if (!add(copy, &id))
            return false;
        ++m_summary.conflicts;
        m_summary.conflictNames << contactName(local.record);
        return true;
    }

    bool applyGone(const std::vector<QString> &keys)
    {
        if (keys.empty())
            return true;
        ContactStore::Batch batch(m_store);
        if (!batch.ok())
            return fail(m_store.lastError());
        return applyGoneInBatch(keys) && (batch.commit() || fail(m_store.lastError()));
    }

    // Cards deleted on the server: their contacts to the trash here, unless changed here since.
    bool applyGoneInBatch(const std::vector<QString> &keys)
    {
        QString error;
        for (const QString &key : keys) {
            if (const auto deleted = m_deletedByHref.find(key); deleted != m_deletedByHref.end()) {
                if (!forgetDeleted(m_db, deleted->second.id, &error))
                    return fail(error);
                m_deletedByHref.erase(deleted);
                continue;
            }
            const auto known = m_byHref.find(key);
            if (known == m_byHref.end() || known->second.pending())
                continue;
            const SyncedResource resource = known->second;
            m_linked.erase(resource.id);
            m_byHref.erase(known);
            // Forgotten first, so the deletion below leaves nothing to delete on the server.
            if (!forgetResource(m_db, resource.id, &error))
                return fail(error);
            const std::optional<CardContact> local = readContact(resource.id);
            if (!local)
                continue;
            if (resource.syncedHash.isEmpty() || cardHash(*local) != resource.syncedHash) {
                ++m_summary.conflicts;
                m_summary.conflictNames << contactName(local->record);
                continue;
            }
            if (!m_store.remove(resource.id))
                return fail(m_store.lastError());
            ++m_summary.deletedHere;
        }
        return true;
    }

    bool sendDeletions()
    {
        std::vector<SyncedResource> deletions;
        for (const auto &[key, deleted] : m_deletedByHref)
            deletions.push_back(deleted);
        if (deletions.empty())
            return true;
        tell(QStringLiteral("Cancellazione sul server"), 0, int(deletions.size()));
        std::vector<DavRequest> requests;
        for (const SyncedResource &deleted : deletions) {
            DavRequest request{"DELETE", QUrl(deleted.href), {}, {}};
            if (!deleted.etag.isEmpty())
                request.headers.append(std::pair<QByteArray, QByteArray>("If-Match", deleted.etag.toUtf8()));
            requests.push_back(request);
        }
        const std::vector<DavReply> replies = m_client.sendAll(requests, Parallel);
        std::vector<ListedCard> changedThere;
        ContactStore::Batch batch(m_store);
        if (!batch.ok())
            return fail(m_store.lastError());
        QString error;
        for (size_t i = 0; i < replies.size(); ++i) {
            const DavReply &reply = replies[i];
            const SyncedResource &deleted = deletions[i];
            if (reply.succeeded() || reply.status == 404 || reply.status == 410) {
                ++m_summary.deletedThere;
            } else if (reply.status == 412) {
                changedThere.push_back({deleted.href, deleted.href, {}});
                continue; // the fetch below wins it back, and forgets the deletion
            } else {
                batch.commit();
                return failReply(reply);
            }
            if (!forgetDeleted(m_db, deleted.id, &error))
                return fail(error);
            m_deletedByHref.erase(deleted.href);
        }
        if (!batch.commit())
            return fail(m_store.lastError());
        return fetchAndApply(changedThere, QStringLiteral("Ricezione dei contatti cambiati sul server"));
    }

    struct Outgoing
    {
        TouchedContact touched;
        QString name;
        QByteArray hash;
        SyncedResource resource;
        DavRequest request;
    };

    void sendChanges()
    {
        for (int round = 0; round < PushRounds; ++round) {
            bool again = false;
            if (!sendRound(&again) || !again)
                return;
        }
    }

    bool sendRound(bool *again)
    {
        QString error;
        std::unordered_map<qint64, qint64> marks;
        for (const TouchedContact &touched : readTouched(m_db, &error))
            marks[touched.id] = touched.mark;
        for (const qint64 id : unsyncedContacts(m_db, &error))
            marks.try_emplace(id, 0);
        // Sent before without an answer, or linked with more here than the server's card holds.
        for (const auto &[key, resource] : m_byHref)
            if (resource.pending() || resource.syncedHash.isEmpty())
                marks.try_emplace(resource.id, 0);
        if (!error.isEmpty())
            return fail(error);
        std::vector<TouchedContact> candidates;
        for (const auto &[id, mark] : marks)
            candidates.push_back({id, mark});
        std::sort(candidates.begin(), candidates.end(),
            [](const TouchedContact &a, const TouchedContact &b) { return a.id < b.id; });
        int sentBefore = m_summary.sent;
        for (size_t start = 0; start < candidates.size(); start += PutsPerRound) {
            tell(QStringLiteral("Invio dei contatti"), m_summary.sent - sentBefore, int(candidates.size()));
            const std::span part(
                candidates.data() + start, std::min<size_t>(PutsPerRound, candidates.size() - start));
            std::vector<Outgoing> outgoing;
            if (!prepareOutgoing(part, &outgoing))
                return false;
            if (outgoing.empty())
                continue;
            std::vector<DavRequest> requests;
            for (const Outgoing &one : outgoing)
                requests.push_back(one.request);
            const std::vector<DavReply> replies = m_client.sendAll(requests, Parallel);
            if (!takeReplies(outgoing, replies, again))
                return false;
        }
        return true;
    }

    // The PUTs for the contacts of part that differ from their card on the server; a new one gets
    // its place there written here first, so a PUT that lands just before the program stops is
    // known as ours next time.
    bool prepareOutgoing(std::span<const TouchedContact> part, std::vector<Outgoing> *outgoing)
    {
        ContactStore::Batch batch(m_store);
        if (!batch.ok())
            return fail(m_store.lastError());
        QString error;
        for (const TouchedContact &touched : part) {
            const std::optional<CardContact> local = readContact(touched.id);
            std::optional<SyncedResource> resource = resourceOf(m_db, touched.id, &error);
            if (!error.isEmpty())
                return fail(error);
            const QByteArray hash = local ? cardHash(*local) : QByteArray();
            if (!local || (resource && !resource->pending() && hash == resource->syncedHash)) {
                if (touched.mark && !forgetTouched(m_db, touched, &error))
                    return fail(error);
                continue;
            }
            Outgoing one{touched, contactName(local->record), hash, {}, {}};
            QString uid = contactUid(*local);
            if (!resource) {
                if (uid.isEmpty())
                    uid = newUid();
                const QString file = (plainUid(uid) ? uid : newUid()) + QStringLiteral(".vcf");
                const QUrl url
                    = m_account.book.resolved(QUrl(QString::fromLatin1(QUrl::toPercentEncoding(file))));
                resource = SyncedResource{touched.id, hrefKey(url), QString(), uid, {}};
                if (!saveResource(m_db, *resource, &error))
                    return fail(error);
                remember(*resource);
            }
            if (uid.isEmpty())
                uid = resource->uid.isEmpty() ? newUid() : resource->uid;
            VCard card = vCardFromContact(*local);
            if (!card.first(u"UID")) {
                VCardProperty property;
                property.name = QStringLiteral("UID");
                property.value = escapeVCardText(uid);
                card.properties.append(property);
            }
            one.resource = *resource;
            one.resource.uid = uid;
            one.request = {"PUT", QUrl(resource->href), vCardBytes(card, VCardVersion::V3_0), {}};
            if (resource->pending())
                one.request.headers.append(std::pair<QByteArray, QByteArray>("If-None-Match", "*"));
            else if (!resource->etag.isEmpty())
                one.request.headers.append(
                    std::pair<QByteArray, QByteArray>("If-Match", resource->etag.toUtf8()));
            outgoing->push_back(std::move(one));
        }
        return batch.commit() || fail(m_store.lastError());
    }

    bool takeReplies(const std::vector<Outgoing> &outgoing, const std::vector<DavReply> &replies, bool *again)
    {
        std::vector<ListedCard> changedThere;
        std::vector<size_t> alreadyThere;
        {
            ContactStore::Batch batch(m_store);
            if (!batch.ok())
                return fail(m_store.lastError());
            QString error;
            for (size_t i = 0; i < outgoing.size(); ++i) {
                const Outgoing &one = outgoing[i];
                const DavReply &reply = replies[i];
                SyncedResource resource = one.resource;
                if (reply.succeeded()) {
                    // Without an ETag in the answer the next sync fetches the card once.
                    resource.etag = reply.etag.isNull() ? QStringLiteral("") : reply.etag;
                    resource.syncedHash = one.hash;
                    ++m_summary.sent;
                    if (one.touched.mark && !forgetTouched(m_db, one.touched, &error))
                        return fail(error);
                } else if (reply.status == 412 && resource.pending()) {
                    alreadyThere.push_back(i);
                    continue;
                } else if (reply.status == 412) {
                    changedThere.push_back({resource.href, resource.href, {}});
                    continue;
                } else if (reply.status == 404 || reply.status == 410) {
                    // Gone there while it came back here (the trash): sent as new next round.
                    resource.etag = QString();
                    resource.syncedHash.clear();
                    *again = true;
                } else if (reply.status == 0 || reply.status == 401 || reply.status == 507
                    || reply.status >= 500) {
                    batch.commit();
                    return failReply(reply);
                } else {
                    m_summary.refused << QStringLiteral("%1: %2").arg(one.name, davFailureText(reply));
                    continue;
                }
                if (!saveResource(m_db, resource, &error))
                    return fail(error);
                remember(resource);
            }
            if (!batch.commit())
                return fail(m_store.lastError());
        }
        if (!learnEtags(outgoing, alreadyThere))
            return false;
        if (!alreadyThere.empty() || !changedThere.empty())
            *again = true;
        return fetchAndApply(changedThere, QStringLiteral("Ricezione dei contatti cambiati sul server"));
    }

    // A new card of ours the server has already (a PUT sent before the program stopped): its ETag,
    // so the next round sends it over that.
    bool learnEtags(const std::vector<Outgoing> &outgoing, const std::vector<size_t> &which)
    {
        if (which.empty())
            return true;
        std::vector<DavRequest> requests;
        for (const size_t i : which)
            requests.push_back({"PROPFIND", QUrl(outgoing[i].resource.href), etagsBody(), {{"Depth", "0"}}});
        const std::vector<DavReply> replies = m_client.sendAll(requests, Parallel);
        ContactStore::Batch batch(m_store);
        if (!batch.ok())
            return fail(m_store.lastError());
        QString error;
        for (size_t n = 0; n < which.size(); ++n) {
            if (replies[n].status != 207)
                return failReply(replies[n]);
            const DavMultistatus answer = parseMultistatus(replies[n].body);
            if (answer.resources.empty() || answer.resources.front().etag.isEmpty())
                continue;
            SyncedResource resource = outgoing[which[n]].resource;
            resource.etag = answer.resources.front().etag;
            if (!saveResource(m_db, resource, &error))
                return fail(error);
            remember(resource);
        }
        return batch.commit() || fail(m_store.lastError());
    }

    ContactStore &m_store;
    sqlite3 *m_db;
    DavTransport &m_client;
    CardDavAccount m_account;
    QString m_bookKey;
    const std::function<void(const SyncProgress &)> &m_progress;
    SyncSummary m_summary;
    std::unordered_map<QString, SyncedResource> m_byHref;
    std::unordered_set<qint64> m_linked; // the contacts m_byHref holds
    std::unordered_map<QString, SyncedResource> m_deletedByHref;
    std::optional<AgendaMatcher> m_matcher;
    bool m_matcherLooked = false;
    std::optional<CardPropertiesWriter> m_properties;
};

} // namespace

SyncSummary syncAddressBook(ContactStore &store, DavTransport &client, const CardDavAccount &account,
    const std::function<void(const SyncProgress &)> &progress)
{
    return Sync(store, client, account, progress).run();
}

QString syncSummaryText(const SyncSummary &summary)
{
    QString text = countText(summary.received, "1 ricevuto", "%1 ricevuti") + QStringLiteral(", ")
        + countText(summary.sent, "1 inviato", "%1 inviati") + QStringLiteral(", ")
        + countText(summary.conflicts, "1 conflitto", "%1 conflitti");
    const int deleted = summary.deletedHere + summary.deletedThere;
    if (deleted)
        text += QStringLiteral(", ") + countText(deleted, "1 cancellato", "%1 cancellati");
    if (!summary.refused.isEmpty())
        text += QStringLiteral(", ") + countText(int(summary.refused.size()), "1 rifiutato", "%1 rifiutati");
    return text;
}

QString syncReportText(const SyncSummary &summary)
{
    QStringList parts;
    if (summary.cancelled)
        parts << QStringLiteral("Sincronizzazione interrotta: %1.").arg(syncSummaryText(summary));
    else if (!summary.failure.isEmpty())
        parts << QStringLiteral("Sincronizzazione non completata: %1").arg(summary.failure)
              << QStringLiteral("Fatto finora: %1.").arg(syncSummaryText(summary));
    else
        parts << QStringLiteral("Sincronizzazione completata: %1.").arg(syncSummaryText(summary));
    constexpr qsizetype Listed = 10;
    const auto list = [&](const QString &title, const QStringList &names) {
        if (names.isEmpty())
            return;
        QString block = title;
        for (qsizetype i = 0; i < std::min(Listed, names.size()); ++i)
            block += QStringLiteral("\n- ") + names[i];
        if (names.size() > Listed)
            block += QStringLiteral("\n- e altri %1").arg(names.size() - Listed);
        parts << block;
    };
    list(QStringLiteral("Cambiati da entrambe le parti (le due versioni sono tenute, da unire con "
                        "\"Trova duplicati\"):"),
        summary.conflictNames);
    list(QStringLiteral("Rifiutati dal server:"), summary.refused);
    list(QStringLiteral("Schede del server che non sono vCard leggibili:"), summary.unreadable);
    return parts.join(QStringLiteral("\n\n"));
}
