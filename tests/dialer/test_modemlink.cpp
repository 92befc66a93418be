// The dialer program: the dial command, the modem link over a pseudo-terminal standing in for the
// serial port, and the window that tells the outcome of a call.
#include "dialer/DialNumber.h"
#include "dialer/DialerWindow.h"
#include "dialer/ModemLink.h"
#include "tests/text/CaseTable.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {

// The modem's side of a pseudo-terminal: the program opens the other side as its serial port. The
// other side stays open here too, so the modem side never reads a hang-up of the terminal.
class FakeModem
{
public:
    FakeModem()
    {
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0)
            fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        portName = QString::fromLocal8Bit(name);
    }
    ~FakeModem()
    {
        ::close(m_master);
        ::close(m_slave);
    }

    // Everything the program has sent so far.
    QByteArray received()
    {
        char buffer[256];
        for (ssize_t n; (n = ::read(m_master, buffer, sizeof buffer)) > 0;)
            m_received.append(buffer, static_cast<qsizetype>(n));
        return m_received;
    }
    // Sent in one piece, then a moment for the program to read it.
    void send(const QByteArray &bytes)
    {
        QCOMPARE(::write(m_master, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        QTest::qWait(20);
    }

    QString portName;

private:
    int m_master = -1;
    int m_slave = -1;
    QByteArray m_received;
};

const QByteArray dialled = "AT\rATDT0,1234567;\r";

} // namespace

class TestModemLink : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE void openTel(const QUrl &url) { openedUrls.append(url); }

private slots:
    void dialCommandAndTelUrl()
    {
        QCOMPARE(ModemLink::dialCommand("0,1234567"), QByteArray("ATDT0,1234567;\r"));
        QCOMPARE(ModemLink::dialCommand("*31#0,12"), QByteArray("ATDT*31#0,12;\r"));
        QCOMPARE(ModemLink::dialCommand("12\rATH;+++"), QByteArray("ATDT12;\r")); // no command smuggled in
        QCOMPARE(telUrl("0,02 1234567").toString(), QString("tel:0021234567"));
        QCOMPARE(telUrl("*31#5").toString(), QString("tel:315"));
    }

    void windowTellsTheOutcome_data() { addCaseRows("dialer/modem.tsv"); }
    void windowTellsTheOutcome()
    {
        const auto [answer, told, started] = caseValues<3>();
        FakeModem modem;
        // Only the silent modem waits for its time-out; the others must never meet theirs.
        const ModemTimeouts timeouts{
            std::chrono::minutes(1), std::chrono::milliseconds(answer.isEmpty() ? 200 : 60000)};
        DialerWindow window("0, 1234567", timeouts); // the number is cleaned
        window.portBox->setEditText(modem.portName);
        window.show();
        QTest::mouseClick(window.callButton, Qt::LeftButton);
        // Answered as a modem with echo on, the answer arriving in pieces.
        QTRY_COMPARE(modem.received(), QByteArray("AT\r"));
        modem.send("AT\r\r\nO");
        modem.send("K\r\n");
        QTRY_COMPARE(modem.received(), dialled);
        QVERIFY(window.hangUpButton->isEnabled() && !window.callButton->isEnabled());

        modem.send(answer);
        QTRY_VERIFY2(window.statusLabel->text().contains(utf8(told)), qPrintable(window.statusLabel->text()));
        QCOMPARE(window.hangUpButton->isEnabled(), started == "1");
        QCOMPARE(window.callButton->isEnabled(), started == "0");
        // A modem that answered is there: the computer's phone is not pushed forward.
        QVERIFY(window.findChild<QPushButton *>("desktopButton")->isHidden());
        // After a failure, or when the line drops during a call, the line is put down and the dialer is
        // ready for another call.
        if (started == "1")
            modem.send("\r\nNO CARRIER\r\n");
        QTRY_VERIFY(window.callButton->isEnabled());
        QTRY_COMPARE(modem.received(), dialled + "ATH\r");
        // The port is remembered for next time.
        QCOMPARE(DialerWindow(QString{}).chosenPort(), modem.portName);
    }

    void windowOffersTheComputersPhone()
    {
        // No modem answers, or the port cannot be opened.
        for (const bool portExists : {true, false}) {
            FakeModem modem;
            DialerWindow window("02 1234567", ModemTimeouts{std::chrono::milliseconds(200)});
            window.portBox->setEditText(portExists ? modem.portName : QString("/nonexistent/ttyS9"));
            window.show();
            auto *desktopButton = window.findChild<QPushButton *>("desktopButton");
            QTest::mouseClick(window.callButton, Qt::LeftButton);
            QTRY_VERIFY(desktopButton->isVisible());
            QVERIFY(window.callButton->isEnabled());

            openedUrls.clear();
            QDesktopServices::setUrlHandler("tel", this, "openTel");
            QTest::mouseClick(desktopButton, Qt::LeftButton);
            QDesktopServices::unsetUrlHandler("tel");
            QCOMPARE(openedUrls, QList<QUrl>{QUrl("tel:021234567")});
        }
    }

private:
    QList<QUrl> openedUrls;
};

QTEST_MAIN(TestModemLink)
#include "test_modemlink.moc"
