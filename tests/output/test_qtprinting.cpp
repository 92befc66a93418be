// The printer layer: lines laid out in rows and pages, and a real QPrinter writing a PDF that is
// read back with pdftotext to check columns, accents, page breaks and margins.
#include "ui/platform/QtPrintJob.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Pages of every document in order, each page as its rows joined by "|".
QStringList pagesOf(const PagedText &text)
{
    QStringList pages;
    for (const PagedText::Document &document : text.documents()) {
        for (const PagedText::Page &page : document)
            pages.append(page.join(QLatin1Char('|')));
        pages.append(QStringLiteral("<end>"));
    }
    return pages;
}

struct PdfWord
{
    QString text;
    QRectF box; // points, from the top left corner of the paper
    QSizeF paper;
};

// The words of every page as pdftotext -bbox places them.
QList<PdfWord> pdfWords(const QString &bboxHtml)
{
    static const QRegularExpression element(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">|)re"
                       R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" )re"
                       R"re(xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<PdfWord> words;
    QSizeF paper;
    for (const QRegularExpressionMatch &match : element.globalMatch(bboxHtml)) {
        if (match.hasCaptured(1)) {
            paper = QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble());
            continue;
        }
        words.append({match.captured(7),
            QRectF(QPointF(match.captured(3).toDouble(), match.captured(4).toDouble()),
                QPointF(match.captured(5).toDouble(), match.captured(6).toDouble())),
            paper});
    }
    return words;
}

QString agendaLikeRow(const QString &name, const QString &number)
{
    return name.leftJustified(26, QLatin1Char(' ')) + number.rightJustified(13, QLatin1Char(' '))
        + QString(39, QLatin1Char(' '));
}

} // namespace

class TestQtPrinting : public QObject
{
    Q_OBJECT
private slots:
    void pagedText_data();
    void pagedText();
    void pageFull();
    void pdfReadBack();
    void unwritableFile();

private:
    QString pdfText(const QString &pdf, const QStringList &options);
};

void TestQtPrinting::pagedText_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("linesPerPage");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("pages");

    QTest::newRow("short lines on one page")
        << 10 << 5 << QStringList {"uno", "", "tre"} << QStringList {"uno||tre", "<end>"};
    QTest::newRow("line breaks inside a line make rows")
        << 10 << 5 << QStringList {"Via Roma\r\nScala B", "a\nb\rc"}
        << QStringList {"Via Roma|Scala B|a|b|c", "<end>"};
    QTest::newRow("a line wider than the page goes on in the next row")
        << 4 << 5 << QStringList {"abcdefghij"} << QStringList {"abcd|efgh|ij", "<end>"};
    QTest::newRow("a line past the bottom goes on on a new page")
        << 10 << 2 << QStringList {"uno", "due\r\ntre", "quattro"}
        << QStringList {"uno|due", "tre|quattro", "<end>"};
    QTest::newRow("tabs become blanks") << 10 << 5 << QStringList {"a\tb"} << QStringList {"a b", "<end>"};
}

void TestQtPrinting::pagedText()
{
    QFETCH(int, columns);
    QFETCH(int, linesPerPage);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, pages);
    PagedText text(columns, linesPerPage);
    for (const QString &line : lines)
        text.printLine(line);
    text.endDocument();
    QCOMPARE(pagesOf(text), pages);
}

void TestQtPrinting::pageFull()
{
    PagedText text(78, 3);
    QVERIFY(!text.pageFull());
    text.printLine(QStringLiteral("1"));
    text.printLine(QStringLiteral("2"));
    QVERIFY(!text.pageFull());
    text.printLine(QStringLiteral("3"));
    QVERIFY(text.pageFull());
    text.endDocument();
    // A document not begun yet has no full page.
    QVERIFY(!text.pageFull());
    text.printLine(QStringLiteral("4"));
    QVERIFY(!text.pageFull());
    text.endDocument();
    // An ended document with nothing printed after it leaves no empty document behind.
    text.endDocument();
    QCOMPARE(pagesOf(text), (QStringList {"1|2|3", "<end>", "4", "<end>"}));
}

QString TestQtPrinting::pdfText(const QString &pdf, const QStringList &options)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), QStringList(options) << pdf << QStringLiteral("-"));
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: %1>")
            .arg(QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

void TestQtPrinting::pdfReadBack()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("agenda.pdf"));

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const PrintPageLayout layout = printPageLayout(printer);
    QVERIFY(layout.characterWidth * PrintPageLayout::Columns <= layout.textArea.width());
    QVERIFY(layout.linesPerPage > 20);

    const QString rule(78, QLatin1Char('-'));
    const QStringList first {rule, agendaLikeRow(QStringLiteral("Perù Nicolò"), QStringLiteral("02 1234")),
        agendaLikeRow(QStringLiteral("Rossi Mario"), QStringLiteral("0212345678901"))};
    QStringList second {agendaLikeRow(QStringLiteral("Ünal Çelik"), QStringLiteral("1"))};
    // More lines than a page holds: the second document runs onto a page of its own.
    for (int i = 0; i < layout.linesPerPage; ++i)
        second.append(QStringLiteral("riga %1").arg(i));
    QCOMPARE(printDocuments(printer, {first, second}, QStringLiteral("Agenda telefonica")), QString());
    QVERIFY(QFileInfo(pdf).size() > 0);

    // pdftotext -fixed maps positions to columns by the pitch given in points.
    const qreal pitch = layout.characterWidth * 72.0 / printer.resolution();
    const QString text = pdfText(pdf, {QStringLiteral("-fixed"), QString::number(pitch, 'f', 4)});
    QStringList pages = text.split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    QCOMPARE(pages.size(), 3);

    // Every document begins on a page of its own.
    QVERIFY2(pages.at(0).contains(QStringLiteral("Perù Nicolò")), qPrintable(pages.at(0)));
    QVERIFY(!pages.at(0).contains(QStringLiteral("Ünal")));
    QVERIFY2(pages.at(1).contains(QStringLiteral("Ünal Çelik")), qPrintable(pages.at(1)));
    QVERIFY(pages.at(2).contains(QStringLiteral("riga %1").arg(layout.linesPerPage - 1)));

    // The number columns end in the same column whatever the name holds, and the rule is whole.
    const QStringList lines = pages.at(0).split(QLatin1Char('\n'));
    qsizetype ruleColumn = -1;
    QList<qsizetype> numberEnds;
    for (const QString &line : lines) {
        if (line.contains(rule))
            ruleColumn = line.indexOf(rule);
        if (line.contains(QStringLiteral("Perù")))
            numberEnds.append(
                line.indexOf(QStringLiteral("02 1234")) + 7 - line.indexOf(QStringLiteral("Perù")));
        if (line.contains(QStringLiteral("Rossi")))
            numberEnds.append(
                line.indexOf(QStringLiteral("0212345678901")) + 13 - line.indexOf(QStringLiteral("Rossi")));
    }
    QVERIFY2(ruleColumn >= 0, qPrintable(pages.at(0)));
    QCOMPARE(numberEnds, (QList<qsizetype> {39, 39}));

    // The layout reading agrees: a line is not cut and its blanks stay inside it.
    const QString layoutText = pdfText(pdf, {QStringLiteral("-layout")});
    QVERIFY2(layoutText.contains(QStringLiteral("Perù Nicolò")), qPrintable(layoutText));
    QVERIFY(layoutText.contains(rule));

    // No word within 15 mm of an edge of the paper, on a page full to the bottom as on the others;
    // the rule still spans most of the width between the margins, so the font was not shrunk for it.
    const qreal margin = 42.5; // 15 mm in points, less a hair for the rounding of pdftotext's figures
    const QList<PdfWord> words = pdfWords(pdfText(pdf, {QStringLiteral("-bbox")}));
    QVERIFY(words.size() > layout.linesPerPage);
    for (const PdfWord &word : words) {
        const QRectF inside(
            margin, margin, word.paper.width() - 2 * margin, word.paper.height() - 2 * margin);
        QVERIFY2(inside.contains(word.box),
            qPrintable(QStringLiteral("\"%1\" from %2, %3 to %4, %5 pt")
                           .arg(word.text)
                           .arg(word.box.left())
                           .arg(word.box.top())
                           .arg(word.box.right())
                           .arg(word.box.bottom())));
        if (word.text == rule)
            QVERIFY(word.box.width() > 0.9 * inside.width());
    }
}

void TestQtPrinting::unwritableFile()
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("manca/agenda.pdf")));
    const QString failure = printDocuments(printer, {{QStringLiteral("riga")}}, QStringLiteral("Scheda"));
    QVERIFY(!failure.isEmpty());
    QVERIFY2(failure.contains(QStringLiteral("agenda.pdf")), qPrintable(failure));
}

QTEST_MAIN(TestQtPrinting)
#include "test_qtprinting.moc"
