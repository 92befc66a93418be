#include "dial/dialer/ModemLink.h"

#include "dial/dialer/DialNumber.h"

#include <QStringList>

namespace {

// Long enough for a few bytes at 9600 baud even on a slow USB adapter.
constexpr int writeWaitMs = 2000;
constexpr qsizetype maxAnswerLength = 1024;

} // namespace

ModemLink::ModemLink(QObject *parent)
    : QObject(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &ModemLink::readAnswers);
    connect(&m_port, &QSerialPort::errorOccurred, this, &ModemLink::portError);
}

ModemLink::~ModemLink()
{
    if (m_port.isOpen())
        hangUp();
}

bool ModemLink::open(const QString &portName)
{
    if (m_port.isOpen())
        m_port.close();
    m_pending.clear();
    m_port.setPortName(portName);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_error = m_port.errorString();
        return false;
    }
    m_error.clear();
    return true;
}

QByteArray ModemLink::dialCommand(const QString &dialDigits)
{
    return "ATDT" + modemDialDigits(dialDigits).toLatin1() + '\r';
}

bool ModemLink::endsCall(const QString &answer)
{
    static const QStringList finalCodes
        = {QStringLiteral("NO CARRIER"), QStringLiteral("BUSY"), QStringLiteral("NO DIALTONE"),
            QStringLiteral("NO DIAL TONE"), QStringLiteral("NO ANSWER"), QStringLiteral("ERROR")};
    return finalCodes.contains(answer.trimmed(), Qt::CaseInsensitive);
}

bool ModemLink::send(const QByteArray &bytes)
{
    if (!m_port.isOpen()) {
        m_error = tr("la porta non è aperta");
        return false;
    }
    if (m_port.write(bytes) != bytes.size() || !m_port.waitForBytesWritten(writeWaitMs)) {
        m_error = m_port.errorString();
        return false;
    }
    return true;
}

bool ModemLink::dial(const QString &dialDigits)
{
    return send(dialCommand(dialDigits));
}

void ModemLink::hangUp()
{
    if (!m_port.isOpen())
        return;
    // Any character stops a modem that is still dialling; ATH then puts the line down.
    send("ATH\r");
    m_port.close();
    m_pending.clear();
}

void ModemLink::readAnswers()
{
    m_pending += m_port.readAll();
    for (;;) {
        qsizetype end = 0;
        while (end < m_pending.size() && m_pending.at(end) != '\r' && m_pending.at(end) != '\n')
            ++end;
        if (end == m_pending.size())
            break;
        const QString line = QString::fromLatin1(m_pending.left(end)).trimmed();
        m_pending.remove(0, end + 1);
        if (!line.isEmpty())
            emit answered(line);
    }
    // A line end that never comes must not make the buffer grow for the whole call.
    if (m_pending.size() > maxAnswerLength) {
        emit answered(QString::fromLatin1(m_pending).trimmed());
        m_pending.clear();
    }
}

void ModemLink::portError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !m_port.isOpen())
        return;
    m_error = m_port.errorString();
    m_port.clearError();
    if (error == QSerialPort::ResourceError) {
        m_port.close();
        emit portFailed(m_error);
    }
}
