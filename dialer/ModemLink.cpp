#include "dialer/ModemLink.h"

#include "dialer/DialNumber.h"

#include <optional>

namespace {

// Long enough for a few bytes at 9600 baud even on a slow USB adapter.
constexpr int writeWaitMs = 2000;
// What the port may hold unread while the window is busy: a few lines, not a flood.
constexpr qint64 readBufferBytes = 4096;

enum class ResultCode { Ok, Connect, Ring, Busy, NoDialTone, NoCarrier, NoAnswer, Error };

// The verbose result codes of a Hayes modem; CONNECT may carry the speed and the protocol after a blank.
std::optional<ResultCode> resultCode(const QString &line)
{
    const auto is = [&](QLatin1StringView code) { return line.compare(code, Qt::CaseInsensitive) == 0; };
    if (is(QLatin1StringView("OK")))
        return ResultCode::Ok;
    if (is(QLatin1StringView("CONNECT"))
        || line.startsWith(QLatin1StringView("CONNECT "), Qt::CaseInsensitive))
        return ResultCode::Connect;
    if (is(QLatin1StringView("RING")))
        return ResultCode::Ring;
    if (is(QLatin1StringView("BUSY")))
        return ResultCode::Busy;
    if (is(QLatin1StringView("NO DIALTONE")) || is(QLatin1StringView("NO DIAL TONE")))
        return ResultCode::NoDialTone;
    if (is(QLatin1StringView("NO CARRIER")))
        return ResultCode::NoCarrier;
    if (is(QLatin1StringView("NO ANSWER")))
        return ResultCode::NoAnswer;
    if (is(QLatin1StringView("ERROR")))
        return ResultCode::Error;
    return std::nullopt;
}

// The codes after which the modem is no longer calling.
std::optional<ModemLink::Outcome> failure(ResultCode code)
{
    switch (code) {
    case ResultCode::Busy:
        return ModemLink::Outcome::Busy;
    case ResultCode::NoDialTone:
        return ModemLink::Outcome::NoDialTone;
    case ResultCode::NoCarrier:
        return ModemLink::Outcome::NoCarrier;
    case ResultCode::NoAnswer:
        return ModemLink::Outcome::NoAnswer;
    case ResultCode::Error:
        return ModemLink::Outcome::Error;
    case ResultCode::Ok:
    case ResultCode::Connect:
    case ResultCode::Ring:
        break;
    }
    return std::nullopt;
}

} // namespace

ModemLink::ModemLink(ModemTimeouts timeouts, QObject *parent)
    : QObject(parent)
    , m_timeouts(timeouts)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ModemLink::timedOut);
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
        hangUp();
    ++m_session;
    m_port.setPortName(portName);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(readBufferBytes);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_error = m_port.errorString();
        return false;
    }
    m_error.clear();
    return true;
}

QByteArray ModemLink::dialCommand(const QString &dialDigits)
{
    return "ATDT" + modemDialDigits(dialDigits).toLatin1() + ";\r";
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

bool ModemLink::call(const QString &dialDigits)
{
    m_digits = dialDigits;
    if (!send("AT\r"))
        return false;
    m_stage = Stage::WakingUp;
    m_timer.start(m_timeouts.wakeUp);
    return true;
}

void ModemLink::hangUp()
{
    m_timer.stop();
    m_stage = Stage::Idle;
    m_pending.clear();
    m_skippingLine = false;
    if (!m_port.isOpen())
        return;
    // Any character stops a modem that is still dialling; ATH then puts the line down.
    send("ATH\r");
    m_port.close();
}

void ModemLink::readAnswers()
{
    const quint64 session = m_session;
    const QByteArray bytes = m_port.readAll();
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (m_skippingLine) {
                m_skippingLine = false;
                continue;
            }
            const QString line = QString::fromLatin1(m_pending).trimmed();
            m_pending.clear();
            if (line.isEmpty())
                continue;
            takeLine(line);
            // The line may have ended the call, and whoever heard of it may have opened the port again.
            if (session != m_session || !m_port.isOpen())
                return;
        } else if (m_skippingLine) {
            continue;
        } else if (m_pending.size() == maxLineLength) {
            m_pending.clear();
            m_skippingLine = true;
        } else {
            m_pending.append(c);
        }
    }
}

void ModemLink::takeLine(const QString &line)
{
    // With echo on (the factory setting) the modem repeats each command before answering it.
    if (line.startsWith(QLatin1StringView("AT"), Qt::CaseInsensitive))
        return;
    emit answered(line);
    const std::optional<ResultCode> code = resultCode(line);
    if (!code)
        return;
    switch (m_stage) {
    case Stage::Idle:
        break;
    case Stage::WakingUp:
        // RING (someone calling us) or a stale code is no answer to "AT"; wait for the real one.
        if (*code == ResultCode::Ok) {
            if (!send(dialCommand(m_digits))) {
                const QString reason = m_error;
                hangUp();
                emit portFailed(reason);
                return;
            }
            m_stage = Stage::Dialling;
            m_timer.start(m_timeouts.call);
            emit dialling();
        } else if (*code == ResultCode::Error) {
            finish(Outcome::Error, line);
        }
        break;
    case Stage::Dialling:
        if (*code == ResultCode::Ok || *code == ResultCode::Connect) {
            m_timer.stop();
            m_stage = Stage::InCall;
            emit finished(Outcome::Started, line);
        } else if (const auto outcome = failure(*code)) {
            finish(*outcome, line);
        }
        break;
    case Stage::InCall:
        if (const auto outcome = failure(*code))
            finish(*outcome, line);
        break;
    }
}

void ModemLink::timedOut()
{
    if (m_stage == Stage::WakingUp)
        finish(Outcome::Silent, QString());
    else if (m_stage == Stage::Dialling)
        finish(Outcome::TimedOut, QString());
}

void ModemLink::finish(Outcome outcome, const QString &line)
{
    hangUp();
    emit finished(outcome, line);
}

void ModemLink::portError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !m_port.isOpen())
        return;
    m_error = m_port.errorString();
    m_port.clearError();
    if (error == QSerialPort::ResourceError) {
        m_timer.stop();
        m_stage = Stage::Idle;
        m_port.close();
        emit portFailed(m_error);
    }
}
