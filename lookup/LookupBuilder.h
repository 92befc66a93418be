// Brings the tables beside PhoneList up to date on a thread and a connection of its own, in short
// transactions, while the window goes on: when an agenda is first opened by this version, after a
// large import and after another program's writes.
#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

struct sqlite3;

class LookupBuilder
{
public:
    // Starts the thread for the store file at path. mayWrite tells, from any thread, whether the
    // store can be written (its check has passed); until it does, nothing is done.
    LookupBuilder(QString path, std::function<bool()> mayWrite);
    // Stops the work in hand, undone, and waits for the thread.
    ~LookupBuilder();
    LookupBuilder(const LookupBuilder &) = delete;
    LookupBuilder &operator=(const LookupBuilder &) = delete;

    // There is more to do: the thread sees to it now rather than at its next look.
    void poke();

    // The same work done at once until nothing is left, for a program that writes and ends. False
    // with the reason in error; the contacts are never touched.
    static bool catchUp(const QString &path, QString *error);

private:
    void run();

    QString m_path;
    std::function<bool()> m_mayWrite;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_poked = true;
    std::atomic<bool> m_stopping = false;
    sqlite3 *m_working = nullptr;
    std::thread m_thread;
};
