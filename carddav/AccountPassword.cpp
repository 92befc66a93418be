#include "carddav/AccountPassword.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>

namespace {

const QString Service = QStringLiteral("Rubrello");

// Runs the job to its end; a keyring job answers through the event loop.
void runJob(QKeychain::Job &job)
{
    job.setAutoDelete(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
}

QString unavailableText(const QKeychain::Job &job)
{
    switch (job.error()) {
    case QKeychain::AccessDeniedByUser:
    case QKeychain::AccessDenied:
        return QStringLiteral("Il portachiavi del desktop ha negato l'accesso alla password.");
    default:
        return QStringLiteral("Su questo desktop non c'è un portachiavi dove tenere la password.");
    }
}

} // namespace

QString keyringKey(const CardDavAccount &account)
{
    return account.user + u'@' + account.book.toString();
}

KeyringAnswer readPassword(const QString &key)
{
    QKeychain::ReadPasswordJob job(Service);
    job.setKey(key);
    runJob(job);
    KeyringAnswer answer;
    if (job.error() == QKeychain::NoError) {
        answer.password = job.textData();
        answer.found = true;
    } else if (job.error() != QKeychain::EntryNotFound) {
        answer.unavailable = unavailableText(job);
    }
    return answer;
}

bool writePassword(const QString &key, const QString &password, QString *unavailable)
{
    QKeychain::WritePasswordJob job(Service);
    job.setKey(key);
    job.setTextData(password);
    runJob(job);
    if (job.error() == QKeychain::NoError)
        return true;
    if (unavailable)
        *unavailable = unavailableText(job);
    return false;
}

void deletePassword(const QString &key)
{
    QKeychain::DeletePasswordJob job(Service);
    job.setKey(key);
    runJob(job);
}
