// The conversation with a Hayes-compatible modem on a serial port: dial a number, show what the modem
// answers, hang up.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

class ModemLink : public QObject
{
    Q_OBJECT
public:
    explicit ModemLink(QObject *parent = nullptr);
    // A call still up is hung up: the line must not stay busy after the dialer has gone.
    ~ModemLink() override;

    // Opens the port (a name like "ttyUSB0" or "COM3", or a device path) at 9600 baud, 8N1.
    bool open(const QString &portName);
    bool isOpen() const { return m_port.isOpen(); }
    // Sends the dial command; false when the port is not open or refuses the bytes.
    bool dial(const QString &dialDigits);
    // Sends the hang-up command and closes the port.
    void hangUp();
    QString errorString() const { return m_error; }

    // "ATDT" + the dialable characters of the number + CR: nothing else can reach the modem as a
    // command. The comma is the modem's own pause.
    static QByteArray dialCommand(const QString &dialDigits);
    // A result code after which the modem is no longer calling.
    static bool endsCall(const QString &answer);

signals:
    // One line the modem sent, without its line end (its echo of our command included).
    void answered(const QString &line);
    // The port failed during the call (unplugged, for one); it has been closed.
    void portFailed(const QString &reason);

private:
    void readAnswers();
    void portError(QSerialPort::SerialPortError error);
    bool send(const QByteArray &bytes);

    QSerialPort m_port;
    QByteArray m_pending;
    QString m_error;
};
