#include "dialer/DialerWindow.h"

#include "dialer/DialNumber.h"
#include "dialer/DialerSettings.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace {

// The log shows the last answers; a modem that never stops talking must not fill the memory.
constexpr int maxLogLines = 200;

} // namespace

DialerWindow::DialerWindow(const QString &number, ModemTimeouts timeouts, QWidget *parent)
    : QWidget(parent)
    , m_modem(timeouts)
{
    setObjectName(QStringLiteral("DialerWindow"));
    setWindowTitle(QStringLiteral("Rubrello - Compositore telefonico"));
    buildControls();
    fillPorts();
    // What the phone book hands over may hold blanks; the box shows only what can be dialled.
    numberBox->setText(modemDialDigits(number));
    connect(&m_modem, &ModemLink::answered, this, &DialerWindow::modemAnswered);
    connect(&m_modem, &ModemLink::dialling, this, &DialerWindow::modemDialling);
    connect(&m_modem, &ModemLink::finished, this, &DialerWindow::modemFinished);
    connect(&m_modem, &ModemLink::portFailed, this, &DialerWindow::modemFailed);
    showCallState(false);
}

QString DialerWindow::noModemChoice()
{
    return QStringLiteral("Nessun modem: chiama con il telefono del computer");
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
    desktopButton = new QPushButton(QStringLiteral("Chiama con il &telefono del computer"), this);
    desktopButton->setObjectName(QStringLiteral("desktopButton"));
    desktopButton->setToolTip(
        QStringLiteral("Passa il numero al programma che il computer usa per telefonare, un softphone o "
                       "il cellulare collegato"));
    desktopButton->hide();
    connect(desktopButton, &QPushButton::clicked, this, &DialerWindow::callWithDesktop);

    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    statusLabel->setWordWrap(true);
    answerLog = new QPlainTextEdit(this);
    answerLog->setObjectName(QStringLiteral("answerLog"));
    answerLog->setReadOnly(true);
    answerLog->setMaximumBlockCount(maxLogLines);
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
    layout->addWidget(desktopButton, 0, Qt::AlignLeft);
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
    if (firstPortCount == 0)
        offerDesktop(QStringLiteral("Nessun modem è collegato a questo computer."));

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

QString DialerWindow::dialDigits() const
{
    return modemDialDigits(numberBox->text());
}

void DialerWindow::call()
{
    const QString digits = dialDigits();
    if (digits.isEmpty()) {
        statusLabel->setText(QStringLiteral("Scrivete il numero da chiamare."));
        return;
    }
    const QString port = chosenPort();
    rememberPort(port);
    if (port.isEmpty())
        callWithDesktop();
    else
        callWithModem(port, digits);
}

void DialerWindow::callWithModem(const QString &port, const QString &digits)
{
    if (!m_modem.open(port)) {
        offerDesktop(QStringLiteral("Non è possibile aprire la porta del modem %1: %2")
                         .arg(port, m_modem.errorString()));
        return;
    }
    if (!m_modem.call(digits)) {
        const QString reason = m_modem.errorString();
        m_modem.hangUp();
        offerDesktop(QStringLiteral("Il modem sulla porta %1 non riceve comandi: %2").arg(port, reason));
        return;
    }
    m_digits = digits;
    m_callStarted = false;
    showCallState(true);
    statusLabel->setText(QStringLiteral("Verifica del modem sulla porta %1…").arg(port));
}

void DialerWindow::callWithDesktop()
{
    const QString digits = dialDigits();
    if (digits.isEmpty()) {
        statusLabel->setText(QStringLiteral("Scrivete il numero da chiamare."));
        return;
    }
    // No when there is no desktop to ask; a started xdg-open says yes even when nothing takes tel: links.
    if (QDesktopServices::openUrl(telUrl(digits))) {
        statusLabel->setText(QStringLiteral("Il numero è stato passato al telefono del computer."));
        return;
    }
    statusLabel->setText(
        QStringLiteral("Sul computer nessun programma accetta numeri di telefono. Chiamate a mano il "
                       "numero %1.")
            .arg(digits));
}

void DialerWindow::hangUp()
{
    m_modem.hangUp();
    m_callStarted = false;
    showCallState(false);
    statusLabel->setText(QStringLiteral("Riagganciato."));
}

void DialerWindow::modemAnswered(const QString &line)
{
    answerLog->appendPlainText(line);
}

void DialerWindow::modemDialling()
{
    statusLabel->setText(QStringLiteral("Il modem compone il numero %1…").arg(m_digits));
}

void DialerWindow::modemFinished(ModemLink::Outcome outcome, const QString &line)
{
    using Outcome = ModemLink::Outcome;
    if (outcome == Outcome::Started) {
        m_callStarted = true;
        statusLabel->setText(QStringLiteral("La chiamata è stata avviata: sollevate la cornetta e, a fine "
                                            "chiamata, premete Riaggancia."));
        return;
    }
    showCallState(false);
    if (m_callStarted) {
        m_callStarted = false;
        statusLabel->setText(QStringLiteral("Il modem ha chiuso la chiamata (%1).").arg(line));
        return;
    }
    switch (outcome) {
    case Outcome::Started:
        break;
    case Outcome::Busy:
        statusLabel->setText(QStringLiteral("Il numero %1 è occupato: riprovate più tardi.").arg(m_digits));
        break;
    case Outcome::NoDialTone:
        statusLabel->setText(QStringLiteral("Nessun segnale di linea: controllate che il modem sia collegato "
                                            "alla presa del telefono."));
        break;
    case Outcome::NoCarrier:
        statusLabel->setText(QStringLiteral("La chiamata non è riuscita: il modem ha perso la linea."));
        break;
    case Outcome::NoAnswer:
        statusLabel->setText(QStringLiteral("Il numero %1 non risponde.").arg(m_digits));
        break;
    case Outcome::Error:
        statusLabel->setText(QStringLiteral("Il modem ha segnalato un errore e non ha composto il numero."));
        break;
    case Outcome::Silent:
        offerDesktop(QStringLiteral("Nessun modem risponde sulla porta %1.").arg(chosenPort()));
        break;
    case Outcome::TimedOut:
        statusLabel->setText(QStringLiteral("Il modem non ha comunicato l'esito della chiamata: la linea è "
                                            "stata liberata."));
        break;
    }
}

void DialerWindow::modemFailed(const QString &reason)
{
    m_callStarted = false;
    showCallState(false);
    offerDesktop(QStringLiteral("La porta del modem non risponde più: %1").arg(reason));
}

void DialerWindow::offerDesktop(const QString &why)
{
    statusLabel->setText(why + QStringLiteral(" Potete chiamare con il telefono del computer."));
    desktopButton->show();
}

void DialerWindow::showCallState(bool calling)
{
    callButton->setEnabled(!calling);
    hangUpButton->setEnabled(calling);
    numberBox->setReadOnly(calling);
    portBox->setEnabled(!calling);
    if (calling)
        desktopButton->hide();
}

void DialerWindow::closeEvent(QCloseEvent *event)
{
    m_modem.hangUp();
    event->accept();
}
