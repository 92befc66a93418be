// The contacts of a file read, mapped to the card and made the lines the store keeps, on two
// threads of their own, while the import writes the ones before them: the file's parsing, the
// mapping and the store's writing overlap.
#pragma once

#include "exchange/CardMapping.h"
#include "exchange/CardProperties.h"
#include "platform/BatchQueue.h"

#include <QList>

#include <thread>

class ContactSource;

class ContactPrefetch
{
public:
    // Starts reading source from where it stands; the source must not be touched until this is gone.
    explicit ContactPrefetch(ContactSource &source);
    // Stops the threads, even half-way through the file.
    ~ContactPrefetch();
    ContactPrefetch(const ContactPrefetch &) = delete;
    ContactPrefetch &operator=(const ContactPrefetch &) = delete;

    // The next contact; false at the end of the file and when it failed to read (the source's
    // error() then tells why).
    bool next(PreparedContact *contact);

private:
    void read();
    void prepare();

    ContactSource &m_source;
    BatchQueue<VCard> m_cards;
    BatchQueue<PreparedContact> m_prepared;
    std::thread m_reader;
    std::thread m_preparer;
};
