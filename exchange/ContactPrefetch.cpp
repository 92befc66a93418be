#include "exchange/ContactPrefetch.h"

#include "exchange/ContactSource.h"

namespace {

// Contacts travel in batches of this many, and at most this many batches wait: the reading runs a
// couple of thousand contacts ahead at most, whatever the size of the file.
constexpr qsizetype BatchSize = 256;
constexpr size_t MostBatchesAhead = 8;

} // namespace

ContactPrefetch::ContactPrefetch(ContactSource &source)
    : m_source(source)
    , m_thread([this] { read(); })
{
}

ContactPrefetch::~ContactPrefetch()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ContactPrefetch::read()
{
    QList<CardContact> batch;
    VCard card;
    for (bool more = true; more;) {
        more = m_source.next(&card);
        if (more)
            batch.append(contactFromVCard(card));
        if (batch.size() < BatchSize && (more || batch.isEmpty()))
            continue;
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stop || m_ready.size() < MostBatchesAhead; });
        if (m_stop)
            return;
        m_ready.push_back(std::exchange(batch, {}));
        m_changed.notify_all();
    }
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_changed.notify_all();
}

bool ContactPrefetch::next(CardContact *contact)
{
    if (m_taken == m_taking.size()) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_ready.empty() || m_finished; });
        if (m_ready.empty())
            return false;
        m_taking = std::move(m_ready.front());
        m_ready.pop_front();
        m_taken = 0;
        m_changed.notify_all();
    }
    *contact = std::move(m_taking[m_taken++]);
    return true;
}
