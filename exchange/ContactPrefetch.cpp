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
    VCard card;
    while (m_source.next(&card)) {
        if (!m_cards.give(std::move(card)))
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
    return m_prepared.take(contact);
}
