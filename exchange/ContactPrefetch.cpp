#include "exchange/ContactPrefetch.h"

#include "exchange/ContactSource.h"

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
        if ((batch.size() == BatchQueue<VCard>::BatchSize || (!more && !batch.isEmpty()))
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
