// The printer layer: lines laid out in rows and pages, the pages the layouts place in mm, and the
// preview; a real QPrinter writes PDF files that are read back with pdftotext to check columns,
// accents, page breaks and numbers, and where each text stands on its paper.
#include "tests/support/ScriptedPlatform.h"
#include "ui/platform/PrintPreview.h"
#include "ui/platform/PrintedPagePainter.h"
#include "ui/platform/QtPrintJob.h"

#include <QLabel>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
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

QStringList pdfPages(const QString &pdf)
{
    QStringList pages = pdfText(pdf, {}).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
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

    // The preview counts the pages and saves them in the file chosen; numbered, the pages carry their
    // number across the documents and the day in the bottom margin, and hold the rows they held.
    void previewSavesNumberedPages()
    {
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        const PrintPageLayout layout = printPageLayout(printer);
        PagedText text(PrintPageLayout::Columns, layout.linesPerPage);
        for (int i = 0; i <= layout.linesPerPage; ++i)
            text.printLine(QStringLiteral("riga %1").arg(i));
        text.endDocument();
        text.printLine(QStringLiteral("Zanetti Zeno"));
        text.endDocument();
        const auto pages
            = textPreviewPages(printer, layout, text.documents(), QStringLiteral("Agenda"), true);

        ScriptedPlatform platform;
        QString suggested;
        PrintPreviewDialog preview(*pages, platform, QStringLiteral("Agenda"), {}, nullptr, nullptr,
            [&](QWidget *, const QString &offered) {
                suggested = offered;
                return dir.filePath(QStringLiteral("agenda"));
            });
        preview.show();
        QCOMPARE(preview.findChild<QLabel *>(QStringLiteral("lblPagina"))->text(),
            QStringLiteral("Pagina 1 di 3"));
        QTest::mouseClick(preview.findChild<QPushButton *>(QStringLiteral("cmdSalvaPdf")), Qt::LeftButton);
        QCOMPARE(preview.result(), int(QDialog::Accepted));
        QCOMPARE(preview.failure(), QString());
        QVERIFY2(suggested.endsWith(QStringLiteral("/Agenda.pdf")), qPrintable(suggested));

        const QStringList printed = pdfPages(dir.filePath(QStringLiteral("agenda.pdf")));
        QCOMPARE(printed.size(), 3);
        const QString day = QDate::currentDate().toString(QStringLiteral("d/M/yyyy"));
        for (int page = 0; page < 3; ++page)
            QVERIFY2(
                printed[page].contains(QStringLiteral("Pagina %1 — stampata il %2").arg(page + 1).arg(day)),
                qPrintable(printed[page]));
        const QString last = QStringLiteral("riga %1").arg(layout.linesPerPage - 1);
        QVERIFY(printed[0].contains(last) && !printed[1].contains(last));
        QVERIFY(printed[2].contains(QStringLiteral("Zanetti Zeno")));
    }

    // A page laid out in mm prints its texts there from the paper's corner, at their size, on paper
    // of its own size turned as it is printed.
    void placedTextsStandWhereLaidOut()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("busta.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        const PrintedPage page{QSizeF(220, 110),
            {{20, 30, 10, QStringLiteral("Mario Rossi")}, {120, 80, 12, QStringLiteral("Via Perù 1")}}};
        setPrinterPaper(printer, page.paper);
        QCOMPARE(printPrintedPages(printer, {page}, QStringLiteral("Busta")), QString());

        const QString boxes = pdfText(pdf, {QStringLiteral("-bbox")});
        const qreal point = 72 / 25.4;
        const QRegularExpression size(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\""));
        const QRegularExpressionMatch paper = size.match(boxes);
        QVERIFY2(paper.hasMatch(), qPrintable(boxes));
        QVERIFY(qAbs(paper.captured(1).toDouble() - 220 * point) < 1);
        QVERIFY(qAbs(paper.captured(2).toDouble() - 110 * point) < 1);
        const auto word = [&](const QString &text) {
            const QRegularExpression box(
                QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                               "yMax=\"([\\d.]+)\">%1<")
                    .arg(text));
            const QRegularExpressionMatch match = box.match(boxes);
            return match.hasMatch()
                ? QRectF(QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()),
                    QPointF(match.captured(3).toDouble(), match.captured(4).toDouble()))
                : QRectF();
        };
        const QRectF mario = word(QStringLiteral("Mario"));
        const QRectF rossi = word(QStringLiteral("Rossi"));
        const QRectF via = word(QStringLiteral("Via"));
        QVERIFY2(!mario.isNull() && !rossi.isNull() && !via.isNull(), qPrintable(boxes));
        QVERIFY(qAbs(mario.left() - 20 * point) < 0.5);
        QVERIFY(mario.top() < 30 * point && mario.bottom() > 30 * point);
        // The font's size shows in where the line ends: one advance per character.
        QVERIFY(qAbs(rossi.right() - (20 + fixedPitchWidth(u"Mario Rossi", 10)) * point) < 0.5);
        QVERIFY(qAbs(via.left() - 120 * point) < 0.5);
        QVERIFY(via.top() < 80 * point && via.bottom() > 80 * point);
    }
};

QTEST_MAIN(TestQtPrinting)
#include "test_qtprinting.moc"
