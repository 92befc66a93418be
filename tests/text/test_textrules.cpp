// The text rules every module shares: code page 1252, the UTF-8 check and blank-only trimming.
#include "tests/text/CaseTable.h"
#include "text/Blanks.h"
#include "text/ForgivingText.h"
#include "text/Utf8Text.h"
#include "text/Windows1252.h"

class TestTextRules : public QObject
{
    Q_OBJECT
private slots:
    void windows1252_data() { addCaseRows("text/windows1252.tsv"); }
    void windows1252()
    {
        const auto [bytes, text] = caseValues<2>();
        QCOMPARE(decodeWindows1252(bytes), utf8(text));
        QVERIFY(fitsWindows1252(utf8(text)));
        QCOMPARE(encodeWindows1252(utf8(text)), bytes);
    }

    void utf8Check_data() { addCaseRows("text/utf8.tsv"); }
    void utf8Check()
    {
        const auto [bytes, valid] = caseValues<2>();
        QCOMPARE(isValidUtf8(bytes), valid == "1");
        // Fed in pieces, a sequence split between two of them is judged the same.
        for (qsizetype cut = 1; cut < bytes.size(); ++cut) {
            Utf8Check check;
            check.feed(QByteArrayView(bytes).first(cut));
            check.feed(QByteArrayView(bytes).sliced(cut));
            QCOMPARE(check.isValid(), valid == "1");
        }
    }

    // The fast way (ASCII a byte at a time) and the plain rule agree, and an argument's words are
    // its forgiving form cut at the blanks.
    void forgiving_data() { addCaseRows("text/forgiving.tsv"); }
    void forgiving()
    {
        const auto [text, folded] = caseValues<2>();
        QCOMPARE(QByteArray::fromStdString(forgivingText(utf8(text))), folded);
        QCOMPARE(QByteArray::fromStdString(forgivingReference(utf8(text))), folded);
        QByteArrayList words;
        for (const std::string &word : forgivingWords(utf8(text)))
            words.append(QByteArray::fromStdString(word));
        QCOMPARE(words.join(' '), folded.trimmed());
        QVERIFY(!words.contains(QByteArray()));
    }
    // Every ASCII character, alone and between letters, takes the fast way to the plain rule's result.
    void forgivingAscii()
    {
        for (int c = 0; c < 0x80; ++c) {
            for (const QString &text : {QString(QChar(c)), QStringLiteral("a%1b").arg(QChar(c))})
                QCOMPARE(forgivingText(text), forgivingReference(text));
        }
    }

    void blanks_data() { addCaseRows("text/blanks.tsv"); }
    void blanks()
    {
        const auto [text, trimmed, leading] = caseValues<3>();
        QCOMPARE(trimBlanks(utf8(text)), utf8(trimmed));
        QCOMPARE(trimLeadingBlanks(utf8(text)), utf8(leading));
    }
};

QTEST_GUILESS_MAIN(TestTextRules)
#include "test_textrules.moc"
