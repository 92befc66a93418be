// The letter line a surname is filed under: its base letter in either case, or "#" after Z.
#include "index/IndexLetter.h"

#include <QTest>

class TestIndexLetter : public QObject
{
    Q_OBJECT
private slots:
    void filesUnderTheBaseLetter_data()
    {
        QTest::addColumn<QString>("initials"); // each begins a surname of its own
        QTest::addColumn<QString>("letter");
        const auto row = [](const char *name, const char *initials, const char *letter) {
            QTest::newRow(name) << QString::fromUtf8(initials) << QString::fromUtf8(letter);
        };
        row("plain letters in either case", "Rr", "R");
        row("accented capitals and small letters", "ÉÈÊËéèêë", "E");
        row("decomposed twice", "ǺǻẤ", "A");
        row("by compatibility: ligature, wide and mathematical letters", "ﬀＦ𝐅", "F");
        row("L with a stroke", "Łł", "L");
        row("O with a stroke, and the OE ligature", "ØøǾŒœ", "O");
        row("AE ligature", "ÆæǼ", "A");
        row("barred D and eth", "ĐđÐð", "D");
        row("dotless i", "ı", "I");
        row("sharp s", "ßẞ", "S");
        row("digits, quotes and other signs", "09\"'«-(_ \t", "#");
        row("other scripts, also outside the basic plane", "ИΩא中ㄱ𐐀", "#");
    }
    void filesUnderTheBaseLetter()
    {
        QFETCH(QString, initials);
        QFETCH(QString, letter);
        for (const char32_t initial : initials.toUcs4()) {
            const QString surname = QString::fromUcs4(&initial, 1) + QStringLiteral("ossi");
            QCOMPARE(QString(QChar(IndexLetters[indexLetterOf(surname)])), letter);
        }
    }

    void nothingToFileBy()
    {
        QCOMPARE(indexLetterOf(QString()), OtherInitials);
        QCOMPARE(indexLetterOf(std::nullopt), OtherInitials);
        // Half a character, cut off by a broken import.
        QCOMPARE(indexLetterOf(QString(QChar(0xD835))), OtherInitials);
    }
};

QTEST_APPLESS_MAIN(TestIndexLetter)
#include "test_indexletter.moc"
