#include "dial/dialer/DialerWindow.h"

#include "dial/dialer/DialNumber.h"
#include "dial/dialer/DialerSettings.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSerialPortInfo>
#include <QVBoxLayout>

DialerWindow::DialerWindow(const QString &number, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DialerWindow"));
    setWindowTitle(QStringLiteral("Rubrello - Compositore telefonico"));
    buildControls();
    fillPorts();
    // What the phone book hands over may hold blanks; the box shows only what can be dialled.
    numberBox->setText(modemDialDigits(number));
    connect(&m_modem, &ModemLink::answered, this, &DialerWindow::modemAnswered);
    connect(&m_modem, &ModemLink::portFailed, this, &DialerWindow::modemFailed);
    showCallState(false);
}

QString DialerWindow::noModemChoice()
{
    return QStringLiteral("Nessun modem: usa il programma del telefono del desktop");
}

void DialerWindow::buildControls()
{
    numberBox = new QLineEdit(this);
    numberBox->setObjectName(QStringLiteral("numberBox"));
    numberBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9*#,]*")), numberBox));
    numberBox->setToolTip(QStringLiteral("La virgola fa attendere il modem prima delle cifre che seguono"));

    portBox = new QComboBox(this);
    portBox->setObjectName(QStringLiteral("portBox"));
    // A port the system does not list (a device path, say) can be typed in.
    portBox->setEditable(true);
    portBox->setInsertPolicy(QComboBox::NoInsert);

    callButton = new QPushButton(QStringLiteral("&Chiama"), this);
    callButton->setObjectName(QStringLiteral("callButton"));
    callButton->setDefault(true);
    hangUpButton = new QPushButton(QStringLiteral("&Riaggancia"), this);
    hangUpButton->setObjectName(QStringLiteral("hangUpButton"));
    closeButton = new QPushButton(QStringLiteral("C&hiudi"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    connect(callButton, &QPushButton::clicked, this, &DialerWindow::call);
    connect(hangUpButton, &QPushButton::clicked, this, &DialerWindow::hangUp);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    statusLabel->setWordWrap(true);
    answerLog = new QPlainTextEdit(this);
    answerLog->setObjectName(QStringLiteral("answerLog"));
    answerLog->setReadOnly(true);
    answerLog->setMinimumHeight(fontMetrics().lineSpacing() * 6);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Numero da chiamare:"), numberBox);
    form->addRow(QStringLiteral("&Modem:"), portBox);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(callButton);
    buttons->addWidget(hangUpButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(statusLabel);
    layout->addWidget(new QLabel(QStringLiteral("Risposte del modem:"), this));
    layout->addWidget(answerLog);
    resize(fontMetrics().horizontalAdvance(noModemChoice()) + 200, sizeHint().height());
}

void DialerWindow::fillPorts()
{
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString text = info.description().isEmpty()
            ? info.portName()
            : QStringLiteral("%1 - %2").arg(info.portName(), info.description());
        portBox->addItem(text, info.portName());
    }
    const int firstPortCount = portBox->count();
    portBox->addItem(noModemChoice(), QString());

    const std::optional<QString> remembered = rememberedPort();
    if (!remembered) {
        // First use: a modem if there is one, else the desktop.
        portBox->setCurrentIndex(firstPortCount > 0 ? 0 : firstPortCount);
        return;
    }
    const int index = portBox->findData(*remembered);
    if (index >= 0)
        portBox->setCurrentIndex(index);
    else
        portBox->setEditText(*remembered); // not plugged in now: kept, the call will say so
}

QString DialerWindow::chosenPort() const
{
    const QString text = portBox->currentText().trimmed();
    const int index = portBox->findText(text);
    if (index >= 0)
        return portBox->itemData(index).toString();
    return text == noModemChoice() ? QString() : text;
}

void DialerWindow::call()
{
    const QString digits = modemDialDigits(numberBox->text());
    if (digits.isEmpty()) {
        tellUser(QStringLiteral("Scrivete il numero da chiamare."));
        return;
    }
    const QString port = chosenPort();
    rememberPort(port);
    if (port.isEmpty())
        callWithDesktop(digits);
    else
        callWithModem(port, digits);
}

void DialerWindow::callWithModem(const QString &port, const QString &digits)
{
    if (!m_modem.open(port)) {
        tellUser(QStringLiteral("Non è possibile aprire la porta del modem %1: %2")
                     .arg(port, m_modem.errorString()));
        return;
    }
    answerLog->appendPlainText(QString::fromLatin1(ModemLink::dialCommand(digits)).trimmed());
    if (!m_modem.dial(digits)) {
        const QString reason = m_modem.errorString();
        m_modem.hangUp();
        tellUser(QStringLiteral("Il modem sulla porta %1 non riceve il numero: %2").arg(port, reason));
        return;
    }
    showCallState(true);
    statusLabel->setText(QStringLiteral("Il modem compone il numero. Sollevate la cornetta e, a fine "
                                        "chiamata, premete Riaggancia."));
}

void DialerWindow::callWithDesktop(const QString &number)
{
    if (QDesktopServices::openUrl(telUrl(number))) {
        statusLabel->setText(
            QStringLiteral("Il numero è stato passato al programma del telefono del desktop."));
        return;
    }
    tellUser(
        QStringLiteral("Nessun programma del desktop accetta numeri di telefono. Scegliete un modem oppure "
                       "chiamate a mano il numero %1.")
            .arg(number));
}

void DialerWindow::hangUp()
{
    m_modem.hangUp();
    showCallState(false);
    statusLabel->setText(QStringLiteral("Riagganciato."));
}

void DialerWindow::modemAnswered(const QString &line)
{
    answerLog->appendPlainText(line);
    if (ModemLink::endsCall(line)) {
        m_modem.hangUp();
        showCallState(false);
        statusLabel->setText(QStringLiteral("Il modem ha chiuso la chiamata (%1).").arg(line));
    }
}

void DialerWindow::modemFailed(const QString &reason)
{
    showCallState(false);
    tellUser(QStringLiteral("La porta del modem non risponde più: %1").arg(reason));
}

void DialerWindow::showCallState(bool calling)
{
    callButton->setEnabled(!calling);
    hangUpButton->setEnabled(calling);
    numberBox->setReadOnly(calling);
    portBox->setEnabled(!calling);
}

void DialerWindow::tellUser(const QString &text)
{
    statusLabel->setText(text);
    QMessageBox::information(this, windowTitle(), text);
}

void DialerWindow::closeEvent(QCloseEvent *event)
{
    m_modem.hangUp();
    event->accept();
}
