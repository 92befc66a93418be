// The contacts of a file read and mapped to the card on a thread of their own while the import
// writes the ones before them: on two cores the file's parsing and the store's writing overlap.
#pragma once

#include "exchange/CardMapping.h"

#include <QList>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class ContactSource;

class ContactPrefetch
{
public:
    // Starts reading source from where it stands; the source must not be touched until this is gone.
    explicit ContactPrefetch(ContactSource &source);
    // Stops the reading thread, even half-way through the file.
    ~ContactPrefetch();
    ContactPrefetch(const ContactPrefetch &) = delete;
    ContactPrefetch &operator=(const ContactPrefetch &) = delete;

    // The next contact; false at the end of the file and when it failed to read (the source's
    // error() then tells why).
    bool next(CardContact *contact);

private:
    void read();

    ContactSource &m_source;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QList<CardContact>> m_ready; // batches, so that the lock is taken once for many
    QList<CardContact> m_taking;
    qsizetype m_taken = 0;
    bool m_finished = false;
    bool m_stop = false;
    std::thread m_thread;
};
