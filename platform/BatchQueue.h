// Batches handed from one thread to the next; at most a few wait, so that a reader runs a couple of
// thousand items ahead of the writer at most, whatever the size of the file.
#pragma once

#include <QList>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

template<typename Item>
class BatchQueue
{
public:
    // Waits while the queue is full; false when it was stopped meanwhile.
    bool push(QList<Item> batch)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopped || m_batches.size() < MostBatchesAhead; });
        if (m_stopped)
            return false;
        m_batches.push_back(std::move(batch));
        m_changed.notify_all();
        return true;
    }
    // Waits for a batch; false at the end (finish()) or when stopped.
    bool pop(QList<Item> *batch)
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
    // The giving thread's side an item at a time: items are gathered and pushed a batch at a time.
    // False when the queue was stopped meanwhile.
    bool give(Item item)
    {
        m_giving.append(std::move(item));
        return m_giving.size() < BatchSize || push(std::exchange(m_giving, {}));
    }
    // The taking thread's side an item at a time; false at the end or when stopped.
    bool take(Item *item)
    {
        if (m_taken == m_taking.size()) {
            if (!pop(&m_taking))
                return false;
            m_taken = 0;
        }
        *item = std::move(m_taking[m_taken++]);
        return true;
    }
    // No batch comes after those pushed (and the items given so far).
    void finish()
    {
        if (!m_giving.isEmpty())
            push(std::exchange(m_giving, {}));
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_changed.notify_all();
    }
    // The taker is gone: pushing ends at once.
    void stop()
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_changed.notify_all();
    }

private:
    static constexpr qsizetype BatchSize = 256;
    static constexpr size_t MostBatchesAhead = 4;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QList<Item>> m_batches;
    bool m_finished = false;
    bool m_stopped = false;
    // Touched by the giving thread alone, and by the taking thread alone.
    QList<Item> m_giving;
    QList<Item> m_taking;
    qsizetype m_taken = 0;
};
