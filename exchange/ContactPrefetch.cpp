#include "exchange/ContactPrefetch.h"

#include "exchange/ContactSource.h"

namespace {

constexpr qsizetype BatchSize = 256;
constexpr size_t MostBatchesAhead = 4;

} // namespace

template<typename Item>
bool BatchQueue<Item>::push(QList<Item> batch)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopped || m_batches.size() < MostBatchesAhead; });
    if (m_stopped)
        return false;
    m_batches.push_back(std::move(batch));
    m_changed.notify_all();
    return true;
}

template<typename Item>
bool BatchQueue<Item>::pop(QList<Item> *batch)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopped || m_finished || !m_batches.empty(); });
    if (m_stopped || m_batches.empty())
        return false;
    *batch = std::move(m_batches.front());
    m_batches.pop_front();
    m_changed.notify_all();
    return true;
}

template<typename Item>
void BatchQueue<Item>::finish()
{
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_changed.notify_all();
}

template<typename Item>
void BatchQueue<Item>::stop()
{
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_changed.notify_all();
}

ContactPrefetch::ContactPrefetch(ContactSource &source)
    : m_source(source)
    , m_reader([this] { read(); })
    , m_preparer([this] { prepare(); })
{
}

ContactPrefetch::~ContactPrefetch()
{
    m_cards.stop();
    m_prepared.stop();
    m_reader.join();
    m_preparer.join();
}

void ContactPrefetch::read()
{
    QList<VCard> batch;
    VCard card;
    for (bool more = true; more;) {
        more = m_source.next(&card);
        if (more)
            batch.append(std::move(card));
        if ((batch.size() == BatchSize || (!more && !batch.isEmpty()))
            && !m_cards.push(std::exchange(batch, {})))
            return;
    }
    m_cards.finish();
}

void ContactPrefetch::prepare()
{
    QList<VCard> cards;
    while (m_cards.pop(&cards)) {
        QList<PreparedContact> batch;
        batch.reserve(cards.size());
        for (const VCard &card : std::as_const(cards))
            batch.append(preparedContact(contactFromVCard(card)));
        if (!m_prepared.push(std::move(batch)))
            return;
    }
    m_prepared.finish();
}

bool ContactPrefetch::next(PreparedContact *contact)
{
    if (m_taken == m_taking.size()) {
        if (!m_prepared.pop(&m_taking))
            return false;
        m_taken = 0;
    }
    *contact = std::move(m_taking[m_taken++]);
    return true;
}
