#include "text/ForgivingText.h"

#include "text/Utf8Text.h"

#include <QList>
#include <QString>

#include <utility>

namespace {

// Letters that carry their difference in the letter itself rather than in a mark, which no
// decomposition takes away.
constexpr std::pair<char32_t, const char16_t *> PlainLetters[] = {
    {U'Ł', u"L"},
    {U'ł', u"L"},
    {U'Đ', u"D"},
    {U'đ', u"D"},
    {U'Ð', u"D"},
    {U'ð', u"D"},
    {U'Ø', u"O"},
    {U'ø', u"O"},
    {U'Ħ', u"H"},
    {U'ħ', u"H"},
    {U'Ŧ', u"T"},
    {U'ŧ', u"T"},
    {U'Æ', u"AE"},
    {U'æ', u"AE"},
    {U'Œ', u"OE"},
    {U'œ', u"OE"},
    {U'Þ', u"TH"},
    {U'þ', u"TH"},
    {U'ẞ', u"SS"},
    {U'ß', u"SS"},
};

QStringView plainLetters(char32_t c)
{
    for (const auto &[letter, plain] : PlainLetters) {
        if (letter == c)
            return plain;
    }
    return {};
}

bool isBlank(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return c == U'\t' || c == U'\n' || c == U'\r' || c == U'\f' || c == U'\v';
    }
}

// One blank for each run of them, none at the start.
void appendBlank(std::string &out, std::size_t start)
{
    if (out.size() > start && out.back() != ' ')
        out.push_back(' ');
}

} // namespace

std::string forgivingReference(QStringView text)
{
    std::string out;
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    for (const char32_t c : decomposed.toUcs4()) {
        if (isBlank(c)) {
            appendBlank(out, 0);
            continue;
        }
        if (const QStringView plain = plainLetters(c); !plain.isEmpty()) {
            out += plain.toUtf8().toStdString();
            continue;
        }
        // Letters and digits stay; marks, punctuation, symbols and anything else go.
        if (!QChar::isLetterOrNumber(c))
            continue;
        out += QString::fromUcs4(&c, 1).toUpper().toUtf8().toStdString();
    }
    return out;
}

void appendForgiving(std::string &out, QByteArrayView utf8)
{
    const std::size_t start = out.size();
    for (const char byte : utf8) {
        const auto c = static_cast<unsigned char>(byte);
        if (c >= 0x80) {
            out.resize(start);
            out += forgivingReference(QString::fromUtf8(utf8));
            return;
        }
        if (c >= 'a' && c <= 'z')
            out.push_back(char(c - 'a' + 'A'));
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            out.push_back(char(c));
        else if (c == ' ' || (c >= '\t' && c <= '\r'))
            appendBlank(out, start);
    }
}

std::string forgivingText(QStringView text)
{
    std::string out;
    appendForgiving(out, text.toUtf8());
    return out;
}

std::vector<std::string> forgivingWords(QStringView argument)
{
    std::vector<std::string> words;
    const std::string folded = forgivingText(argument);
    std::size_t from = 0;
    while (from < folded.size()) {
        const std::size_t end = std::min(folded.find(' ', from), folded.size());
        if (end > from)
            words.push_back(folded.substr(from, end - from));
        from = end + 1;
    }
    return words;
}
