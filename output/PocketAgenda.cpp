#include "output/PocketAgenda.h"

#include "output/AgendaLayout.h"
#include "text/Blanks.h"

#include <algorithm>
#include <array>

namespace {

constexpr QSizeF A6(105, 148);
constexpr QSizeF A4(210, 297);
constexpr qreal Margin = 8; // mm, left and right
constexpr qreal Top = 10;
constexpr qreal Bottom = 136; // the last line ends here, above the page number
constexpr qreal PageNumberBaseline = 142;
constexpr qreal HeadingPoints = 14;
constexpr qreal NamePoints = 9;
constexpr qreal NumberPoints = 8;
constexpr qreal SmallestPoints = 6;
constexpr qreal NumberIndent = 4;
// A letter whose heading would come this close to the foot of a page starts the next page instead:
// a heading with a contact or two under it and the rest overleaf is hard to find in a pocket book,
// while a page for every letter would waste most of the paper of a small agenda.
constexpr int FewestLinesUnderHeading = 5;

qreal band(qreal pointSize)
{
    return LineSpacing * pointSize * MillimetresPerPoint;
}

// The size at which text fits the width, from largest down in half points; a text too long even
// at the smallest is printed at it and runs over, never cut.
qreal fittingSize(const QString &text, qreal width, qreal largest)
{
    qreal size = largest;
    while (size > SmallestPoints && fixedPitchWidth(text, size) > width)
        size -= 0.5;
    return size;
}

struct ContactBlock
{
    QString name;
    QStringList numbers;
    qreal height() const { return band(NamePoints) + numbers.size() * band(NumberPoints); }
};

ContactBlock contactBlock(const ContactRecord &contact)
{
    ContactBlock block;
    block.name = trimBlanks(trimBlanks(contact.text(Field::LastName)) + QLatin1Char(' ')
        + trimBlanks(contact.text(Field::FirstName)));
    // The four numbers of the printed agenda, in its order; labels padded so the numbers align.
    const std::array<std::pair<Field, const char *>, 4> numbers{{
        {Field::WorkPhone, "Uff."},
        {Field::HomePhone, "Casa"},
        {Field::WorkFax, "Fax"},
        {Field::Cellulare, "Cell."},
    }};
    for (const auto &[field, label] : numbers) {
        const QString number = trimBlanks(contact.text(field));
        if (!number.isEmpty())
            block.numbers.append(QString::fromLatin1(label).leftJustified(6) + number);
    }
    return block;
}

class PocketPages
{
public:
    void addHeading(const QString &letter, qreal firstBlock)
    {
        const qreal room = Bottom - m_y;
        const qreal gap = band(NamePoints) / 2;
        if (m_pages.empty()
            || (m_y > Top
                && (room < FewestLinesUnderHeading * band(NamePoints)
                    || room < gap + band(HeadingPoints) + firstBlock)))
            newPage();
        else if (m_y > Top)
            m_y += gap;
        place(letter, Margin, HeadingPoints);
    }

    void addContact(const ContactBlock &block)
    {
        if (Bottom - m_y < block.height() && m_y > Top)
            newPage();
        place(block.name, Margin, fittingSize(block.name, A6.width() - 2 * Margin, NamePoints));
        for (const QString &number : block.numbers)
            place(number, Margin + NumberIndent,
                fittingSize(number, A6.width() - 2 * Margin - NumberIndent, NumberPoints));
    }

    std::vector<PrintedPage> finish()
    {
        for (std::size_t i = 0; i < m_pages.size(); ++i) {
            const QString number = QString::number(i + 1);
            m_pages[i].texts.push_back({(A6.width() - fixedPitchWidth(number, NumberPoints)) / 2,
                PageNumberBaseline, NumberPoints, number});
        }
        return std::move(m_pages);
    }

private:
    void newPage()
    {
        m_pages.push_back({A6, {}});
        m_y = Top;
    }

    // One line in the band of its size, below the last.
    void place(const QString &text, qreal x, qreal pointSize)
    {
        m_pages.back().texts.push_back({x, m_y + pointSize * MillimetresPerPoint, pointSize, text});
        m_y += band(pointSize);
    }

    std::vector<PrintedPage> m_pages;
    qreal m_y = Top;
};

} // namespace

std::vector<PrintedPage> pocketAgendaPages(const std::vector<ContactRecord> &contacts)
{
    PocketPages pages;
    QString current;
    for (const ContactRecord &contact : contacts) {
        const ContactBlock block = contactBlock(contact);
        // "de Gasperi" is filed with the D's: the heading is the letter in capitals.
        QString letter = agendaLetter(trimBlanks(contact.text(Field::LastName))).toUpper();
        if (letter.isEmpty())
            letter = QStringLiteral("#");
        if (letter != current)
            pages.addHeading(letter, block.height());
        current = letter;
        pages.addContact(block);
    }
    return pages.finish();
}

std::vector<PrintedPage> fourToASheet(const std::vector<PrintedPage> &pages)
{
    const std::size_t sheetCount = (pages.size() + 3) / 4;
    std::vector<PrintedPage> sheets(sheetCount, PrintedPage{A4, {}});
    for (std::size_t page = 0; page < pages.size(); ++page) {
        // Quarters in the order the piles are stacked after the cut: top left, top right, bottom
        // left, bottom right.
        const std::size_t quarter = page / sheetCount;
        const qreal dx = (quarter % 2) * A4.width() / 2;
        const qreal dy = qreal(quarter / 2) * A4.height() / 2;
        for (PlacedText text : pages[page].texts) {
            text.x += dx;
            text.baseline += dy;
            sheets[page % sheetCount].texts.push_back(std::move(text));
        }
    }
    return sheets;
}
