// The dialer's window: the number to call, the modem to call it with (or the desktop's phone
// program), and what the modem answers.
#pragma once

#include "dialer/ModemLink.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class DialerWindow : public QWidget
{
    Q_OBJECT
public:
    explicit DialerWindow(const QString &number, ModemTimeouts timeouts = {}, QWidget *parent = nullptr);

    // The port chosen, or an empty string for the desktop's phone program.
    QString chosenPort() const;

    QLineEdit *numberBox;
    QComboBox *portBox;
    QPushButton *callButton;
    QPushButton *hangUpButton;
    QPushButton *closeButton;
    QPlainTextEdit *answerLog;
    QLabel *statusLabel;

    static QString noModemChoice();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void fillPorts();
    void call();
    void callWithModem(const QString &port, const QString &digits);
    void callWithDesktop();
    void hangUp();
    void modemAnswered(const QString &line);
    void modemDialling();
    void modemFinished(ModemLink::Outcome outcome, const QString &line);
    void modemFailed(const QString &reason);
    void showCallState(bool calling);
    void offerDesktop(const QString &why);
    QString dialDigits() const;

    // Shown when no modem can make the call, so the user is not left with a number and no way to call it.
    QPushButton *desktopButton;
    ModemLink m_modem;
    QString m_digits;
    bool m_callStarted = false;
};
