// The contacts of a file read, mapped to the card and made the lines the store keeps, on two
// threads of their own, while the import writes the ones before them: the file's parsing, the
// mapping and the store's writing overlap.
#pragma once

#include "exchange/CardMapping.h"
#include "exchange/CardProperties.h"

#include <QList>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class ContactSource;

// Batches handed from one thread to the next; at most a few wait, so that the reading runs a
// couple of thousand contacts ahead at most, whatever the size of the file.
template<typename Item>
class BatchQueue
{
public:
    // False when the queue was stopped meanwhile.
    bool push(QList<Item> batch);
    // False at the end (finish()) or when stopped.
    bool pop(QList<Item> *batch);
    void finish();
    void stop();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QList<Item>> m_batches;
    bool m_finished = false;
    bool m_stopped = false;
};

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
    QList<PreparedContact> m_taking;
    qsizetype m_taken = 0;
    std::thread m_reader;
    std::thread m_preparer;
};
