// One running program per user and installation: a later start asks the running one to come to the
// front and then ends, so two windows never work on the same store.
#pragma once

#include <QList>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <chrono>

class QLocalServer;
class QLocalSocket;

// Where the running instance listens, and the lock that says one runs.
struct InstanceAddress
{
    QString serverName; // a socket path for QLocalServer
    QString lockFile;
};

// The address for this user, their home and runtime directory, and the installation in programDir:
// starts that differ in any of them (two users, two test homes, a build beside an installed copy)
// run side by side. It lies in a folder only this user can enter; when none can be had the address
// is empty and every start runs on its own.
InstanceAddress instanceAddress(const QString &programDir);

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Start {
        First, // no other instance runs: this one now answers later starts
        HandedOver, // the running instance was told to come to the front: this start should end
        Unanswered, // one runs but gave no answer in time
    };

    explicit SingleInstance(InstanceAddress address, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Blocks for at most about the patience given, while a running instance is still starting.
    Start start(std::chrono::milliseconds patience = std::chrono::seconds(5));

    // The window brought to the front when a later start asks; a modal dialog open over it comes first.
    void setWindow(QWidget *window);

    static QString unansweredMessage();

signals:
    void activationRequested();

private:
    void listen();
    bool askRunningInstance(std::chrono::milliseconds patience);
    void acceptConnections();
    void answer(QLocalSocket *socket);

    InstanceAddress m_address;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
    QList<QLocalSocket *> m_connections;
    bool m_listenFailureReported = false;
    QPointer<QWidget> m_window;
};

// Raises and activates the modal dialog the user is in, else window, and restores it when minimized.
void bringToFront(QWidget *window);
