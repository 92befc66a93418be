// The conversation with a Hayes-compatible modem on a serial port: make sure a modem is there, dial a
// number, read the modem's verdict, hang up.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <chrono>

struct ModemTimeouts
{
    // A modem answers "AT" at once; a few seconds of silence mean there is none on the port.
    std::chrono::milliseconds wakeUp{std::chrono::seconds(3)};
    // Dialling, pauses and a slow exchange included.
    std::chrono::milliseconds call{std::chrono::seconds(60)};
};

class ModemLink : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Started, // OK or CONNECT: the number went out, the line is the user's
        Busy,
        NoDialTone,
        NoCarrier,
        NoAnswer,
        Error,
        Silent, // nothing answered "AT": no modem on the port
        TimedOut, // the modem woke up but never told how the call went
    };
    Q_ENUM(Outcome)

    // The longest line kept: result codes are short, anything longer is noise and is dropped.
    static constexpr qsizetype maxLineLength = 256;

    explicit ModemLink(ModemTimeouts timeouts = {}, QObject *parent = nullptr);
    // A call still up is hung up: the line must not stay busy after the dialer has gone.
    ~ModemLink() override;

    // Opens the port (a name like "ttyUSB0" or "COM3", or a device path) at 9600 baud, 8N1.
    bool open(const QString &portName);
    bool isOpen() const { return m_port.isOpen(); }
    // Sends "AT" and, once the modem has answered, the dial command; finished() tells the outcome.
    // False when the port is not open or refuses the bytes.
    bool call(const QString &dialDigits);
    // Sends the hang-up command and closes the port.
    void hangUp();
    QString errorString() const { return m_error; }
    // The bytes of an unfinished line held while waiting for its end.
    qsizetype bufferedSize() const { return m_pending.size(); }

    // "ATDT" + the dialable characters of the number + ";" + CR: nothing else can reach the modem as a
    // command. The comma is the modem's own pause; the semicolon makes a voice call, so the modem
    // says OK once it has dialled instead of waiting for a data carrier that a person never sends.
    static QByteArray dialCommand(const QString &dialDigits);

signals:
    // One line the modem sent, without its line end; the modem's echo of our commands is left out.
    void answered(const QString &line);
    // The modem answered "AT" and is dialling.
    void dialling();
    // How the call went; after Started, again when the modem ends the call itself. Every outcome but
    // Started has hung up and closed the port. The line is the result code, empty after a time-out.
    void finished(ModemLink::Outcome outcome, const QString &line);
    // The port failed during the call (unplugged, for one); it has been closed.
    void portFailed(const QString &reason);

private:
    enum class Stage { Idle, WakingUp, Dialling, InCall };

    void readAnswers();
    void takeLine(const QString &line);
    void timedOut();
    void finish(Outcome outcome, const QString &line);
    void portError(QSerialPort::SerialPortError error);
    bool send(const QByteArray &bytes);

    ModemTimeouts m_timeouts;
    QSerialPort m_port;
    QTimer m_timer;
    Stage m_stage = Stage::Idle;
    QString m_digits;
    QByteArray m_pending;
    // Set once a line outgrew maxLineLength: its rest is dropped up to the next line end.
    bool m_skippingLine = false;
    // Counts the ports opened, so lines read before a hang-up are not taken for the next call's.
    quint64 m_session = 0;
    QString m_error;
};
