// The vCard reader and writer: the files phones and programs write, read and written back; the
// tricky and the damaged inputs of tests/data/vcard/cases.tsv and broken.tsv; folding and FN.
#include "tests/text/CaseTable.h"
#include "text/Utf8Text.h"
#include "vcard/VCardLine.h"
#include "vcard/VCardReader.h"
#include "vcard/VCardWriter.h"

#include <QBuffer>
#include <QCryptographicHash>

namespace {

QList<VCard> readCards(QIODevice *device, QString *error)
{
    VCardReader reader(device);
    QList<VCard> cards;
    VCard card;
    while (reader.next(&card))
        cards.append(card);
    *error = reader.error();
    return cards;
}

QList<VCard> readCards(const QByteArray &bytes, QString *error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readCards(&buffer, error);
}

QString describe(const VCardProperty &property)
{
    QString line = property.group.isEmpty() ? property.name : property.group + u'.' + property.name;
    for (const VCardParameter &parameter : property.parameters) {
        QStringList values = parameter.values;
        for (QString &value : values) {
            if (value.contains(u','))
                value = u'"' + value + u'"';
        }
        line += u';' + parameter.name + u'=' + values.join(u',');
    }
    if (property.data.isEmpty())
        return line + u':' + property.value;
    // A photo is told by its hash, so that a failure stays readable.
    const QByteArray shown = property.data.size() <= 16
        ? property.data
        : QCryptographicHash::hash(property.data, QCryptographicHash::Sha1);
    return line + QStringLiteral(":#") + QString::fromLatin1(shown.toHex());
}

QString describe(const QList<VCard> &cards)
{
    QStringList described;
    for (const VCard &card : cards) {
        QStringList properties;
        for (const VCardProperty &property : card.properties)
            properties.append(describe(property));
        described.append(properties.join(u" | "));
    }
    return described.join(u" || ");
}

// Written as 3.0 and as 4.0, each card reads back the same, and so does each property on its own
// line; 4.0 adds the FN a card lacks.
void checkRoundTrip(const VCard &card)
{
    for (const VCardVersion version : {VCardVersion::V3_0, VCardVersion::V4_0}) {
        VCard expected = card;
        if (version == VCardVersion::V4_0 && !card.first(u"FN"))
            expected.properties.prepend({{}, QStringLiteral("FN"), {}, derivedFormattedName(card), {}});
        QString error;
        const QList<VCard> again = readCards(vCardBytes(card, version), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(describe(again), describe({expected}));
        QVERIFY(again.first().properties == expected.properties);
        for (const VCardProperty &property : card.properties)
            QVERIFY2(
                parseVCardLine(vCardLine(property, version)) == property, qPrintable(describe(property)));
    }
}

// A file made as it is read: head, line repeated, then the end of a card, never all in memory.
class RepeatingDevice : public QIODevice
{
public:
    RepeatingDevice(const QByteArray &head, const QByteArray &line, qint64 repeats)
        : m_pending(head)
        , m_line(line)
        , m_repeats(repeats)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        for (; m_pending.size() < maxSize && m_repeats >= 0; --m_repeats)
            m_pending += m_repeats > 0 ? m_line : QByteArray("\r\nEND:VCARD\r\n");
        if (m_pending.isEmpty())
            return -1;
        const qsizetype size = qMin(m_pending.size(), qsizetype(maxSize));
        std::copy_n(m_pending.constData(), size, data);
        m_pending.remove(0, size);
        return size;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_pending;
    QByteArray m_line;
    qint64 m_repeats;
};

} // namespace

class TestVCard : public QObject
{
    Q_OBJECT
private slots:
    void fixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("cards");
        QTest::newRow("Android, 2.1") << "John_Doe_ANDROID.vcf" << 6;
        QTest::newRow("iPhone, 3.0") << "John_Doe_IPHONE.vcf" << 1;
        QTest::newRow("Gmail, 3.0") << "John_Doe_GMAIL.vcf" << 1;
        QTest::newRow("Gmail, 3.0, groups") << "gmail-single.vcf" << 1;
        QTest::newRow("Outlook, 2.1") << "John_Doe_MS_OUTLOOK.vcf" << 1;
        QTest::newRow("Outlook 2007, 2.1") << "outlook-2007.vcf" << 1;
        QTest::newRow("Thunderbird, 3.0") << "thunderbird-MoreFunctionsForAddressBook-extension.vcf" << 1;
        QTest::newRow("RFC 6350 example") << "rfc6350-example.vcf" << 1;
    }
    void fixtures()
    {
        QFETCH(QString, file);
        QFETCH(int, cards);
        QFile vcf(QStringLiteral(RUBRELLO_TEST_DATA "/vcard/") + file);
        QVERIFY(vcf.open(QIODevice::ReadOnly));
        QString error;
        const QList<VCard> read = readCards(&vcf, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(read.size(), cards);
        for (const VCard &card : read)
            checkRoundTrip(card);
    }

    // What the fixtures hold where a reader most often goes wrong.
    void fixtureValues_data() { addCaseRows("vcard/fixture-values.tsv"); }
    void fixtureValues()
    {
        const auto [file, index, name, expected] = caseValues<4>();
        QFile vcf(QStringLiteral(RUBRELLO_TEST_DATA "/vcard/") + QString::fromUtf8(file));
        QVERIFY(vcf.open(QIODevice::ReadOnly));
        QString error;
        const QList<VCard> cards = readCards(&vcf, &error);
        const VCardProperty *property = cards.value(index.toInt()).first(QString::fromUtf8(name));
        QVERIFY(property);
        QCOMPARE(property->data.isEmpty() ? property->text() : describe(*property), utf8(expected));
    }

    void cases_data() { addCaseRows("vcard/cases.tsv"); }
    void cases()
    {
        const auto [file, expected] = caseValues<2>();
        QString error;
        const QList<VCard> cards = readCards(file, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(describe(cards), utf8(expected));
        for (const VCard &card : cards)
            checkRoundTrip(card);
    }

    void broken_data() { addCaseRows("vcard/broken.tsv"); }
    void broken()
    {
        const auto [file, before, line, word] = caseValues<4>();
        QString error;
        QCOMPARE(readCards(file, &error).size(), before.toInt());
        QVERIFY2(error.startsWith(QStringLiteral("riga %1: ").arg(utf8(line))), qPrintable(error));
        QVERIFY2(error.contains(utf8(word)), qPrintable(error));
    }

    // A line, a photo or a card past its bound stops the reading before it is all in memory.
    void oversized_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<qint64>("repeats");
        QTest::addColumn<QString>("error");
        QTest::newRow("10 MB line") << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:")
                                    << QByteArray(1000, 'a') << qint64(10'000)
                                    << "riga 3: la riga supera gli 8 MB";
        QTest::newRow("50 MB photo, folded")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nPHOTO;ENCODING=b:")
            << " " + QByteArray(72, 'A') + "\r\n"
            << qint64(930'000) << "riga 3: la proprietà PHOTO supera i 20 MB";
        QTest::newRow("endless card")
            << QByteArray("BEGIN:VCARD\r\n") << QByteArray("X-A:a\r\n") << qint64(20'000)
            << "riga 10002: la scheda iniziata alla riga 1 ha più di 10000 proprietà";
    }
    void oversized()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, line);
        QFETCH(qint64, repeats);
        QFETCH(QString, error);
        RepeatingDevice device(head, line, repeats);
        QString read;
        QVERIFY(readCards(&device, &read).isEmpty());
        QCOMPARE(read, error);
    }

    void folding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII") << QString(200, u'x');
        QTest::newRow("two-byte characters") << QString(100, u'é');
        QTest::newRow("three-byte characters, one byte later") << u'x' + QString(100, u'€');
        QTest::newRow("four-byte characters") << QString::fromUtf8("a😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀");
    }
    void folding()
    {
        QFETCH(QString, text);
        VCard card;
        card.properties.append({{}, QStringLiteral("NOTE"), {}, text, {}});
        const QByteArray bytes = vCardBytes(card);
        QVERIFY(bytes.endsWith("\r\n"));
        const QList<QByteArray> lines = bytes.chopped(2).split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QVERIFY(lines[i].endsWith('\r') || i == lines.size() - 1);
            QVERIFY2(lines[i].size() <= 76 && isValidUtf8(lines[i]), lines[i].constData());
        }
        QString error;
        QCOMPARE(readCards(bytes, &error).value(0).properties, card.properties);
    }

    void binaryForms()
    {
        const VCardProperty photo{
            {}, QStringLiteral("PHOTO"), {{QStringLiteral("TYPE"), {"JPEG"}}}, {}, QByteArray("\0\1\2", 3)};
        QCOMPARE(vCardLine(photo, VCardVersion::V3_0), "PHOTO;TYPE=JPEG;ENCODING=b:AAEC");
        QCOMPARE(vCardLine(photo, VCardVersion::V4_0), "PHOTO;TYPE=JPEG:data:image/jpeg;base64,AAEC");
    }

    void formattedName_data()
    {
        QTest::addColumn<QString>("n");
        QTest::addColumn<QString>("org");
        QTest::addColumn<QString>("fn");
        QTest::newRow("from N") << "Doe;John;Paul;Dr.;Jr."
                                << "ACME"
                                << "Dr. John Paul Doe Jr.";
        QTest::newRow("from ORG") << ";;;;"
                                  << "ACME\\, Inc.;Sales"
                                  << "ACME\\, Inc.";
        QTest::newRow("none") << QString() << QString() << QString();
    }
    void formattedName()
    {
        QFETCH(QString, n);
        QFETCH(QString, org);
        QFETCH(QString, fn);
        VCard card;
        if (!n.isNull())
            card.properties.append({{}, QStringLiteral("N"), {}, n, {}});
        if (!org.isNull())
            card.properties.append({{}, QStringLiteral("ORG"), {}, org, {}});
        QString error;
        const VCard v4 = readCards(vCardBytes(card, VCardVersion::V4_0), &error).value(0);
        QVERIFY(v4.first(u"FN"));
        QCOMPARE(v4.first(u"FN")->value, fn);
        QVERIFY(!readCards(vCardBytes(card), &error).value(0).first(u"FN"));
    }

    void valueText()
    {
        const VCardProperty n{
            {}, QStringLiteral("N"), {{QStringLiteral("TYPE"), {"home"}}}, "Doe;J\\;P;Richter\\, J\\nR;", {}};
        QCOMPARE(n.components(), QStringList({"Doe", "J;P", "Richter, J\nR", ""}));
        // One component read alone is the one of the whole split, a trailing backslash included.
        for (const QString &value : QStringList{n.value, ";;", "a\\", "\\;\\\\;x\\", QString()}) {
            const VCardProperty property{{}, QStringLiteral("ADR"), {}, value, {}};
            for (int i = 0; i < 5; ++i)
                QCOMPARE(property.component(i), property.components().value(i));
        }
        QVERIFY(n.hasType(u"HOME") && !n.hasType(u"work"));
        const QString text = QStringLiteral("a\\b,c;d\r\ne\nf");
        QCOMPARE(escapeVCardText(text), QStringLiteral("a\\\\b\\,c\\;d\\ne\\nf"));
        QCOMPARE(unescapeVCardText(escapeVCardText(text)), QStringLiteral("a\\b,c;d\ne\nf"));
        QVERIFY(!parseVCardLine("no colon"));
    }
};

QTEST_GUILESS_MAIN(TestVCard)
#include "test_vcard.moc"
