// The printer layer: lines laid out in rows and pages, and a real QPrinter writing a PDF that is
// read back with pdftotext to check columns, accents and page breaks.
#include "ui/platform/QtPrintJob.h"

#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString pdfText(const QString &pdf, const QStringList &options)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), QStringList(options) << pdf << QStringLiteral("-"));
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: %1>")
            .arg(QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString agendaLikeRow(const QString &name, const QString &number)
{
    return name.leftJustified(26, u' ') + number.rightJustified(13, u' ') + QString(39, u' ');
}

} // namespace

class TestQtPrinting : public QObject
{
    Q_OBJECT
private slots:
    void pagedText_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<QStringList>("lines"); // "<end>" ends a document
        QTest::addColumn<int>("left"); // rows left on the page before the last document ends
        QTest::addColumn<QStringList>("pages"); // each page's rows joined by "|", "<end>" after a document
        const auto row
            = [](const char *name, int columns, const QStringList &lines, int left,
                  const QStringList &pages) { QTest::newRow(name) << columns << lines << left << pages; };
        row("breaks inside a line make rows and pages", 10, {"Via Roma\r\nScala B", "a\nb\rc", "<end>"}, 1,
            {"Via Roma|Scala B", "a|b", "c", "<end>"});
        row("a line wider than the page goes on", 4, {"abcdefghij", "", "<end>"}, 0,
            {"abcd|efgh", "ij|", "<end>"});
    }

    void pagedText()
    {
        QFETCH(int, columns);
        QFETCH(QStringList, lines);
        QFETCH(int, left);
        QFETCH(QStringList, pages);
        PagedText text(columns, 2);
        QCOMPARE(text.linesLeft(), 2);
        for (const QString &line : lines.mid(0, lines.size() - 1)) {
            if (line == QLatin1String("<end>"))
                text.endDocument();
            else
                text.printLine(line);
        }
        QCOMPARE(text.linesLeft(), left);
        text.endDocument();
        QCOMPARE(text.linesLeft(), 2);
        QStringList actual;
        for (const PagedText::Document &document : text.documents()) {
            for (const PagedText::Page &page : document)
                actual.append(page.join(u'|'));
            actual.append(QStringLiteral("<end>"));
        }
        QCOMPARE(actual, pages);
    }

    void pdfReadBack()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("agenda.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        const PrintPageLayout layout = printPageLayout(printer);

        const QString rule(78, u'-');
        const QStringList first{rule, agendaLikeRow(QStringLiteral("Perù Nicolò"), QStringLiteral("02 1234")),
            agendaLikeRow(QStringLiteral("Rossi Mario"), QStringLiteral("0212345678901"))};
        QStringList second{agendaLikeRow(QStringLiteral("Ünal Çelik"), QStringLiteral("1"))};
        // More lines than a page holds: the second document runs onto a page of its own.
        for (int i = 0; i < layout.linesPerPage; ++i)
            second.append(QStringLiteral("riga %1").arg(i));
        QCOMPARE(printDocuments(printer, {first, second}, QStringLiteral("Agenda telefonica")), QString());

        // pdftotext -fixed maps positions to columns by the pitch given in points.
        const qreal pitch = layout.characterWidth * 72.0 / printer.resolution();
        QStringList pages
            = pdfText(pdf, {QStringLiteral("-fixed"), QString::number(pitch, 'f', 4)}).split(u'\f');
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        QCOMPARE(pages.size(), 3);
        QVERIFY2(
            pages[0].contains(QStringLiteral("Perù Nicolò")) && !pages[0].contains(QStringLiteral("Ünal")),
            qPrintable(pages[0]));
        QVERIFY2(pages[1].contains(QStringLiteral("Ünal Çelik")), qPrintable(pages[1]));
        QVERIFY(pages[2].contains(QStringLiteral("riga %1").arg(layout.linesPerPage - 1)));
        // The number columns end in the same column whatever the name holds, and the rule is whole.
        QList<qsizetype> numberEnds;
        for (const QString &line : pages[0].split(u'\n')) {
            for (const auto &[name, number] :
                {std::pair{"Perù", "02 1234"}, std::pair{"Rossi", "0212345678901"}}) {
                if (line.contains(QString::fromUtf8(name)))
                    numberEnds.append(line.indexOf(QLatin1String(number)) + qstrlen(number)
                        - line.indexOf(QString::fromUtf8(name)));
            }
        }
        QCOMPARE(numberEnds, (QList<qsizetype>{39, 39}));
        QVERIFY2(pages[0].contains(rule), qPrintable(pages[0]));
    }

    void unwritableFileIsReported()
    {
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("manca/agenda.pdf")));
        const QString failure = printDocuments(printer, {{QStringLiteral("riga")}}, QStringLiteral("Scheda"));
        QVERIFY2(failure.contains(QStringLiteral("agenda.pdf")), qPrintable(failure));
    }
};

QTEST_MAIN(TestQtPrinting)
#include "test_qtprinting.moc"
