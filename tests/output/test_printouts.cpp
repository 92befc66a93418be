// The printouts made without a printer: the postal address, labels on their sheets, the envelope,
// the pocket agenda and its sheets to cut, and the PDF file they are written to, read back with the
// Poppler tools as any reader would read it.
#include "output/EnvelopeLayout.h"
#include "output/LabelLayout.h"
#include "output/PdfWriter.h"
#include "output/PocketAgenda.h"
#include "output/PostalAddress.h"
#include "tests/support/TestStore.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// What a Poppler tool prints for the file; the test fails when the tool does not run.
QString poppler(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        qFatal("%s %s failed: %s", qPrintable(tool), qPrintable(arguments.join(' ')),
            process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput());
}

qreal points(qreal millimetres)
{
    return millimetres / MillimetresPerPoint;
}

// The text inside a rectangle of a page of the file, given in mm from the paper's top-left corner.
QString textIn(const QString &pdf, int page, QRectF area)
{
    return poppler(u"pdftotext"_s,
        {u"-f"_s, QString::number(page), u"-l"_s, QString::number(page), u"-x"_s,
            QString::number(qRound(points(area.x()))), u"-y"_s, QString::number(qRound(points(area.y()))),
            u"-W"_s, QString::number(qRound(points(area.width()))), u"-H"_s,
            QString::number(qRound(points(area.height()))), pdf, u"-"_s})
        .trimmed();
}

ContactRecord workContact(const QString &company, const QString &street, const QString &postalCode,
    const QString &city, const QString &province)
{
    return makeRecord({{Field::LastName, u"Rossi"_s}, {Field::FirstName, u"Mario"_s},
        {Field::Azienda, company}, {Field::WorkAddress, street}, {Field::WorkPostalCode, postalCode},
        {Field::WorkCity, city}, {Field::WorkProv, province}});
}

const PlacedText *findText(const PrintedPage &page, const QString &text)
{
    for (const PlacedText &placed : page.texts) {
        if (placed.text == text)
            return &placed;
    }
    return nullptr;
}

} // namespace

class TestPrintouts : public QObject
{
    Q_OBJECT
private slots:
    void postalAddress_data()
    {
        QTest::addColumn<ContactRecord>("contact");
        QTest::addColumn<bool>("home");
        QTest::addColumn<QString>("lines"); // joined by '|'
        QTest::newRow("company, street of two lines, province in capitals")
            << workContact(u" ACME S.p.A. "_s, u"Via Roma 1 \r\n Scala B"_s, u"20121"_s, u"Milano"_s, u"mi"_s)
            << false << u"ACME S.p.A.|Mario Rossi|Via Roma 1|Scala B|20121 Milano (MI)"_s;
        QTest::newRow("blank company, street broken by a line feed, an empty line in it")
            << workContact(u"   "_s, u"Via Po 3\n\nInterno 4\n"_s, u"10121"_s, u"Torino"_s, u"TO"_s) << false
            << u"Mario Rossi|Via Po 3|Interno 4|10121 Torino (TO)"_s;
        QTest::newRow("no province: no brackets") << workContact({}, u"Via Appia 5"_s, u"00100"_s, u"Roma"_s,
            u" "_s) << false << u"Mario Rossi|Via Appia 5|00100 Roma"_s;
        QTest::newRow("no CAP: the town opens the line") << workContact({}, u"Via Appia 5"_s, {}, u"Roma"_s,
            u"RM"_s) << false << u"Mario Rossi|Via Appia 5|Roma (RM)"_s;
        QTest::newRow("only a province")
            << workContact({}, {}, {}, {}, u"RM"_s) << false << u"Mario Rossi|(RM)"_s;
        QTest::newRow("no town at all: no last line")
            << workContact({}, u"Via Appia 5"_s, {}, {}, {}) << false << u"Mario Rossi|Via Appia 5"_s;
        ContactRecord home = workContact(u"ACME"_s, u"Via Lavoro 1"_s, u"20121"_s, u"Milano"_s, u"MI"_s);
        home.setValue(Field::HomeAddress, u"Via Casa 2"_s);
        home.setValue(Field::HomeCity, u"Bergamo"_s);
        home.setValue(Field::FirstName, u"  "_s);
        QTest::newRow("home address: no company, a blank first name leaves the last name alone")
            << home << true << u"Rossi|Via Casa 2|Bergamo"_s;
    }
    void postalAddress()
    {
        QFETCH(ContactRecord, contact);
        QFETCH(bool, home);
        QFETCH(QString, lines);
        QCOMPARE(::postalAddress(contact, home).join('|'), lines);
    }

    // Accented and foreign letters, the string delimiters and a title outside ASCII come back from a
    // reader as they were written, and the text stands where the page put it.
    void pdfReadBack()
    {
        QTemporaryDir folder;
        const QString pdf = folder.filePath(u"prova.pdf"_s);
        PrintedPage a4{{210, 297}, {}};
        a4.texts = {{20, 30, 12, u"Nicolò Perù"_s}, {20, 40, 10, u"Dvořák da Łódź"_s},
            {20, 50, 10, u"(tra parentesi) \\ barra"_s}, {20, 60, 10, u"日本 e\u0301"_s}};
        const PrintedPage a6{{105, 148}, {{10, 140, 8, u"7"_s}}};
        QCOMPARE(writePdf(pdf, {a4, a6}, u"Agenda (di Nicolò)"_s), QString());

        const QString info = poppler(u"pdfinfo"_s, {u"-f"_s, u"1"_s, u"-l"_s, u"2"_s, pdf}).simplified();
        QVERIFY2(info.contains(u"Title: Agenda (di Nicolò) "_s), qPrintable(info));
        QVERIFY2(info.contains(u"Pages: 2 "_s), qPrintable(info));
        QVERIFY2(info.contains(u"Page 1 size: 595.28 x 841.89 pts (A4)"_s), qPrintable(info));
        QVERIFY2(info.contains(u"Page 2 size: 297.64 x 419.53 pts"_s), qPrintable(info));
        QCOMPARE(
            poppler(u"pdftotext"_s, {u"-f"_s, u"1"_s, u"-l"_s, u"1"_s, pdf, u"-"_s}).trimmed().split('\n'),
            QStringList({u"Nicolò Perù"_s, u"Dvorák da Lódz"_s, u"(tra parentesi) \\ barra"_s, u"?? é"_s}));

        // The first word's box: 20 mm from the left edge, its baseline 30 mm from the top.
        const QString boxes
            = poppler(u"pdftotext"_s, {u"-bbox"_s, u"-f"_s, u"1"_s, u"-l"_s, u"1"_s, pdf, u"-"_s});
        const QRegularExpression box(
            u"xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">Nicolò<"_s);
        const QRegularExpressionMatch first = box.match(boxes);
        QVERIFY2(first.hasMatch(), qPrintable(boxes));
        QVERIFY(qAbs(first.captured(1).toDouble() - points(20)) < 0.5);
        QVERIFY(first.captured(2).toDouble() < points(30) && first.captured(3).toDouble() > points(30));
        QVERIFY(first.captured(3).toDouble() < points(30) + 4);

        // A file that cannot be written is said so, in Italian, and nothing is left behind.
        const QString unreachable = folder.filePath(u"manca/prova.pdf"_s);
        QVERIFY(writePdf(unreachable, {a4}, u"x"_s).startsWith(u"Impossibile scrivere il file"_s));
        QVERIFY(!QFile::exists(unreachable));
    }

    void labelSheets_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("error"); // a part of the reason; empty for a sheet accepted
        QTest::newRow("the command line's default") << u"3x8"_s << QString();
        QTest::newRow("custom, with decimal commas")
            << u"custom:3x7:63,5x38,1:15,15:7,2:66,04:38,1"_s << QString();
        QTest::newRow("custom, one column of the paper's width")
            << u"custom:1x10:210x29.7:0:0:210:29.7"_s << QString();
        QTest::newRow("custom wider than the paper")
            << u"custom:3x8:70x37:0:10:70:37"_s << u"escono dal foglio"_s;
        QTest::newRow("custom taller than the paper")
            << u"custom:3x8:70x37:5:0:70:37"_s << u"l'ultima riga"_s;
        QTest::newRow("labels overlapping across")
            << u"custom:3x8:70x37:0:0:60:37"_s << u"passo orizzontale"_s;
        QTest::newRow("labels overlapping down") << u"custom:3x8:70x37:0:0:70:30"_s << u"passo verticale"_s;
        QTest::newRow("labels of no height") << u"custom:3x8:70x0:0:0:70:37"_s << u"maggiori di zero"_s;
        QTest::newRow("a negative margin") << u"custom:3x8:70x37:-1:0:70:37"_s << u"negativi"_s;
        QTest::newRow("no rows") << u"custom:3x0:70x37:0:0:70:37"_s << u"da 1 a"_s;
        QTest::newRow("a measure missing") << u"custom:3x8:70x37:0:0:70"_s << u"si scrive custom:"_s;
        QTest::newRow("not a number") << u"custom:3x8:70x37:0:0:70:tanti"_s << u"si scrive custom:"_s;
        QTest::newRow("no such sheet") << u"5x5"_s << u"sconosciuto"_s;
    }
    void labelSheets()
    {
        QFETCH(QString, id);
        QFETCH(QString, error);
        QString reason;
        const std::optional<LabelSheet> sheet = labelSheet(id, &reason);
        QCOMPARE(sheet.has_value(), error.isEmpty());
        QVERIFY2(reason.contains(error), qPrintable(reason));
        if (sheet)
            QCOMPARE(labelSheet(customSheetText(*sheet))->perSheet(), sheet->perSheet());
    }

    // The makers' measures as typed here keep every label on the paper, and each sheet comes back
    // the same from its id and from its custom form.
    void offeredSheetsFitTheirPaper()
    {
        QStringList ids;
        for (const LabelSheet &sheet : ::labelSheets()) {
            QVERIFY2(!ids.contains(sheet.id), qPrintable(sheet.id));
            ids.append(sheet.id);
            QCOMPARE(labelSheet(sheet.id)->name, sheet.name);
            QString reason;
            const std::optional<LabelSheet> custom = labelSheet(customSheetText(sheet), &reason);
            QVERIFY2(custom, qPrintable(sheet.id + u": "_s + reason));
            QCOMPARE(custom->label, sheet.label);
            QCOMPARE(custom->horizontalPitch, sheet.horizontalPitch);
            QCOMPARE(custom->top, sheet.top);
        }
    }

    // On 70 × 37 mm labels: 12 points while the lines fit, smaller for a longer line or more lines,
    // and the smallest size, line whole, for an address that fits at none.
    void labelSizes()
    {
        const LabelSheet sheet = *labelSheet(u"3x8"_s);
        const QString wide = u"Via Giuseppe Garibaldi 12, int"_s; // 30 characters
        const QString tooWide = QString(80, 'x');
        const std::vector<QStringList> addresses
            = {{u"Mario Rossi"_s, u"Via Roma 1"_s, u"20121 Milano (MI)"_s}, {u"Mario Rossi"_s, wide},
                {u"ACME"_s, tooWide}, QStringList(9, u"riga"_s), QStringList(14, u"riga"_s)};
        const LabelPrintout printout = layoutLabels(addresses, sheet);
        QCOMPARE(printout.pages.size(), 1u);
        QCOMPARE(printout.notFitting, std::vector<int>({2, 4}));
        const std::vector<PlacedText> &texts = printout.pages.front().texts;
        QCOMPARE(texts.size(), 3u + 2 + 2 + 9 + 14);
        QCOMPARE(texts[0].pointSize, 12.0);
        // 30 characters in the 64 mm inside the label's padding: 10 points is the largest that fits.
        QCOMPARE(texts[4].pointSize, 10.0);
        QCOMPARE(texts[6].text, tooWide);
        QCOMPARE(texts[6].pointSize, SmallestLabelPoints);
        QCOMPARE(texts[7].pointSize, 8.0); // nine lines in 31 mm
        QCOMPARE(texts.back().pointSize, SmallestLabelPoints);
        // Every line of the labels that fit stays inside its own label, lines top down.
        for (std::size_t i = 0; i < 16; ++i) {
            const PlacedText &text = texts[i];
            if (text.text == u"ACME"_s || text.text == tooWide)
                continue;
            const int column = int(text.x / sheet.horizontalPitch);
            const int row = int((text.baseline - sheet.top) / sheet.verticalPitch);
            QVERIFY(
                text.x + fixedPitchWidth(text.text, text.pointSize) <= (column + 1) * sheet.horizontalPitch);
            QVERIFY(text.baseline < sheet.top + (row + 1) * sheet.verticalPitch);
            if (i > 0 && texts[i - 1].x == text.x)
                QVERIFY(texts[i - 1].baseline < text.baseline);
        }
    }

    // A sheet already used up to label 22 takes two more labels; the rest go on a new sheet, from
    // its first label.
    void startPosition()
    {
        const LabelSheet sheet = *labelSheet(u"3x8"_s);
        const std::vector<QStringList> addresses(5, QStringList{u"Mario Rossi"_s});
        const LabelPrintout printout = layoutLabels(addresses, sheet, 23);
        QCOMPARE(printout.pages.size(), 2u);
        const std::vector<PlacedText> &first = printout.pages[0].texts;
        QCOMPARE(first.size(), 2u);
        // Row 8, columns 2 and 3.
        QVERIFY(first[0].x > 70 && first[0].x < 80 && first[1].x > 140 && first[1].x < 150);
        QVERIFY(first[0].baseline > 0.5 + 7 * 37 && first[0].baseline < 0.5 + 8 * 37);
        QCOMPARE(first[1].baseline, first[0].baseline);
        const std::vector<PlacedText> &second = printout.pages[1].texts;
        QCOMPARE(second.size(), 3u);
        QVERIFY(second[0].x < 10 && second[0].baseline < 37);
        QCOMPARE(layoutLabels(std::vector<QStringList>(24, {u"x"_s}), sheet).pages.size(), 1u);
        QCOMPARE(layoutLabels(std::vector<QStringList>(25, {u"x"_s}), sheet).pages.size(), 2u);
    }

    // The recipient stands in the window (from 110 mm across and 50 mm down on a DL) and ends
    // before the right edge, a long street smaller; the sender sits in the top-left corner.
    void envelope()
    {
        const QStringList recipient = {u"Mario Rossi"_s,
            u"Strada Statale Papa Giovanni XXIII, 231/A Scala B"_s, u"26100 Cremona (CR)"_s};
        const PrintedPage dl
            = layoutEnvelope(recipient, {u"Anna Bianchi"_s, u"Via Po 1"_s}, EnvelopeSize::DL);
        QCOMPARE(dl.paper, QSizeF(220, 110));
        const PlacedText *sender = findText(dl, u"Anna Bianchi"_s);
        QVERIFY(sender && sender->x <= 12 && sender->baseline < 20 && sender->pointSize == 9);
        qreal size = 0;
        for (const QString &line : recipient) {
            const PlacedText *text = findText(dl, line);
            QVERIFY(text);
            QVERIFY(text->x >= 110 && text->x + fixedPitchWidth(line, text->pointSize) <= 210);
            QVERIFY(text->baseline > 50 && text->baseline < 95);
            QVERIFY(size == 0 || size == text->pointSize);
            size = text->pointSize;
        }
        QVERIFY(size < 12);
        const PrintedPage c5 = layoutEnvelope({u"Mario Rossi"_s}, {}, EnvelopeSize::C5);
        QCOMPARE(c5.paper, QSizeF(229, 162));
        QCOMPARE(c5.texts.size(), 1u);
        QCOMPARE(c5.texts[0].pointSize, 12.0);
        QVERIFY(c5.texts[0].x > 229 / 2.0 && c5.texts[0].baseline > 162 * 0.4
            && c5.texts[0].baseline < 162 * 0.6);
    }

    // A heading is never left at the foot of a page without a contact under it, a contact's numbers
    // never go overleaf from its name, and every page is numbered in order.
    void pocketAgendaPages()
    {
        std::vector<ContactRecord> contacts;
        for (int i = 0; i < 26 * 15; ++i) {
            ContactRecord contact = makeRecord({{Field::LastName, QChar(u'A' + i / 15) + u"ossi"_s},
                {Field::FirstName, QString::number(i)}, {Field::Cellulare, u"347 1234567"_s}});
            if (i % 3 == 0)
                contact.setValue(Field::WorkPhone, u"02 1234567"_s);
            if (i % 5 == 0)
                contact.setValue(Field::HomePhone, u"06 7654321"_s);
            contacts.push_back(contact);
        }
        contacts.push_back(makeRecord({{Field::LastName, u"de Gasperi"_s}, {Field::FirstName, u"Alcide"_s}}));
        const std::vector<PrintedPage> pages = ::pocketAgendaPages(contacts);
        QVERIFY(pages.size() > 10);
        const QRegularExpression numberLine(u"^(Uff\\.|Casa|Fax|Cell\\.) +[0-9 ]+$"_s);
        int headings = 0;
        int names = 0;
        for (std::size_t p = 0; p < pages.size(); ++p) {
            const std::vector<PlacedText> &texts = pages[p].texts;
            QCOMPARE(pages[p].paper, QSizeF(105, 148));
            QCOMPARE(texts.back().text, QString::number(p + 1));
            QVERIFY(
                qAbs(texts.back().x + fixedPitchWidth(texts.back().text, texts.back().pointSize) / 2 - 52.5)
                < 0.01);
            QVERIFY2(!numberLine.match(texts.front().text).hasMatch(), qPrintable(texts.front().text));
            for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
                const bool heading = texts[i].text.size() == 1;
                headings += heading;
                names += texts[i].text.contains(u"ossi "_s) || texts[i].text.startsWith(u"de Gasperi"_s);
                QVERIFY2(!heading || i + 2 < texts.size(), "a heading ends the page");
                QVERIFY(texts[i].baseline < texts.back().baseline - 4);
            }
        }
        QCOMPARE(names, int(contacts.size()));
        // A heading for each letter, and one more for "de Gasperi" after the Z's: a D, in capitals.
        QCOMPARE(headings, 27);
    }

    // Printed four to a sheet, cut and stacked: sheet 1 holds pages 1, 4, 7 and 10 in its top-left,
    // top-right, bottom-left and bottom-right quarters, sheet 2 pages 2, 5, 8, 11, and so on.
    void pocketSheetOrder()
    {
        std::vector<ContactRecord> contacts;
        std::vector<PrintedPage> pages;
        while (pages.size() < 12) {
            // Added in the agenda's order, a contact makes at most one page more.
            contacts.push_back(
                makeRecord({{Field::LastName, QChar(u'A' + int(contacts.size() / 8)) + u"ossi"_s},
                    {Field::FirstName, u"Maria"_s}, {Field::WorkPhone, u"02 1234567"_s},
                    {Field::Cellulare, u"347 1"_s}}));
            pages = ::pocketAgendaPages(contacts);
        }
        QCOMPARE(pages.size(), 12u);
        const std::vector<PrintedPage> sheets = fourToASheet(pages);
        QCOMPARE(sheets.size(), 3u);
        QTemporaryDir folder;
        const QString pdf = folder.filePath(u"tasca.pdf"_s);
        QCOMPARE(writePdf(pdf, sheets, u"Agenda tascabile"_s), QString());
        QVERIFY(poppler(u"pdfinfo"_s, {pdf}).contains(u"595.28 x 841.89 pts (A4)"_s));
        const int expected[3][4] = {{1, 4, 7, 10}, {2, 5, 8, 11}, {3, 6, 9, 12}};
        for (int sheet = 0; sheet < 3; ++sheet) {
            for (int quarter = 0; quarter < 4; ++quarter) {
                // The foot of the quarter, where its A6 page has its number.
                const QRectF foot((quarter % 2) * 105, (quarter / 2) * 148.5 + 138, 105, 8);
                QCOMPARE(textIn(pdf, sheet + 1, foot), QString::number(expected[sheet][quarter]));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestPrintouts)
#include "test_printouts.moc"
