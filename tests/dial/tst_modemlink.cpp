#include "dial/dialer/DialNumber.h"
#include "dial/dialer/DialerWindow.h"
#include "dial/dialer/ModemLink.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The modem's side of a pseudo-terminal: the program opens the other side as its serial port.
class FakeModem
{
public:
    FakeModem()
    {
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0) {
            m_portName = QString::fromLocal8Bit(name);
            fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~FakeModem()
    {
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }
    QString portName() const { return m_portName; }

    // Everything the program has sent so far.
    QByteArray received()
    {
        char buffer[256];
        ssize_t n;
        while ((n = ::read(m_master, buffer, sizeof buffer)) > 0)
            m_received.append(buffer, static_cast<qsizetype>(n));
        return m_received;
    }
    void answer(const QByteArray &bytes)
    {
        QVERIFY(::write(m_master, bytes.constData(), bytes.size()) == bytes.size());
    }

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the modem side never reads a hang-up of the terminal
    QString m_portName;
    QByteArray m_received;
};

} // namespace

class ModemLinkTest : public QObject
{
    Q_OBJECT
private slots:
    void dialCommand_data();
    void dialCommand();
    void telUrl_data();
    void telUrl();
    void dialsAndHangsUp();
    void splitsAnswersIntoLines();
    void windowDialsThroughTheModem();
};

void ModemLinkTest::dialCommand_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("outside line and pause") << "0,1234567" << QByteArray("ATDT0,1234567\r");
    QTest::newRow("blanks dropped") << "39 02 1234567" << QByteArray("ATDT39021234567\r");
    QTest::newRow("star and hash kept") << "*31#0,12" << QByteArray("ATDT*31#0,12\r");
    QTest::newRow("no command smuggled in") << "12\rATH;+++" << QByteArray("ATDT12\r");
}

void ModemLinkTest::dialCommand()
{
    QFETCH(QString, number);
    QFETCH(QByteArray, command);
    QCOMPARE(ModemLink::dialCommand(number), command);
}

void ModemLinkTest::telUrl_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("url");
    QTest::newRow("pause and blanks dropped") << "0,02 1234567"
                                              << "tel:0021234567";
    QTest::newRow("only digits") << "*31#5"
                                 << "tel:315";
}

void ModemLinkTest::telUrl()
{
    QFETCH(QString, number);
    QFETCH(QString, url);
    QCOMPARE(::telUrl(number).toString(), url);
}

void ModemLinkTest::dialsAndHangsUp()
{
    FakeModem modem;
    QVERIFY(!modem.portName().isEmpty());
    ModemLink link;
    QVERIFY2(link.open(modem.portName()), qPrintable(link.errorString()));
    QVERIFY(link.dial("0,1234567"));
    QTRY_COMPARE(modem.received(), QByteArray("ATDT0,1234567\r"));

    QSignalSpy answers(&link, &ModemLink::answered);
    modem.answer("\r\nOK\r\n");
    QTRY_COMPARE(answers.size(), 1);
    QCOMPARE(answers[0][0].toString(), QString("OK"));

    link.hangUp();
    QVERIFY(!link.isOpen());
    QTRY_COMPARE(modem.received(), QByteArray("ATDT0,1234567\rATH\r"));
}

void ModemLinkTest::splitsAnswersIntoLines()
{
    FakeModem modem;
    ModemLink link;
    QVERIFY(link.open(modem.portName()));
    QSignalSpy answers(&link, &ModemLink::answered);
    // An echo, then result codes arriving in pieces and with either line end.
    modem.answer("ATDT5\r\r\nOK\r\n\r\nNO CAR");
    QTRY_COMPARE(answers.size(), 2);
    modem.answer("RIER\n");
    QTRY_COMPARE(answers.size(), 3);
    QCOMPARE(answers[0][0].toString(), QString("ATDT5"));
    QCOMPARE(answers[1][0].toString(), QString("OK"));
    QCOMPARE(answers[2][0].toString(), QString("NO CARRIER"));
    QVERIFY(ModemLink::endsCall(answers[2][0].toString()));
    QVERIFY(!ModemLink::endsCall(answers[1][0].toString()));
}

void ModemLinkTest::windowDialsThroughTheModem()
{
    FakeModem modem;
    DialerWindow window("0, 1234567");
    QCOMPARE(window.numberBox->text(), QString("0,1234567"));
    window.portBox->setEditText(modem.portName());
    QCOMPARE(window.chosenPort(), modem.portName());
    window.show();

    QTest::mouseClick(window.callButton, Qt::LeftButton);
    QTRY_COMPARE(modem.received(), QByteArray("ATDT0,1234567\r"));
    QVERIFY(window.hangUpButton->isEnabled());
    QVERIFY(!window.callButton->isEnabled());

    // The modem gives up: the dialer puts the line down and is ready for another call.
    modem.answer("\r\nNO CARRIER\r\n");
    QTRY_VERIFY(window.callButton->isEnabled());
    QVERIFY(!window.hangUpButton->isEnabled());
    QTRY_COMPARE(modem.received(), QByteArray("ATDT0,1234567\rATH\r"));
    QVERIFY(window.answerLog->toPlainText().contains("NO CARRIER"));

    // The port is remembered for next time.
    DialerWindow again(QString {});
    QCOMPARE(again.chosenPort(), modem.portName());
}

QTEST_MAIN(ModemLinkTest)
#include "tst_modemlink.moc"
