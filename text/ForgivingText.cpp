#include "text/ForgivingText.h"

#include "text/Utf8Text.h"

#include <QList>
#include <QString>

#include <string_view>
#include <utility>

namespace {

// Letters that carry their difference in the letter itself rather than in a mark, which no
// decomposition takes away.
constexpr std::pair<char32_t, const char16_t *> PlainLetters[] = {
    {U'ı', u"I"},
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

// The form of text already decomposed, its blanks kept as ' ' one each: letters and digits stay,
// upper-cased or as their plain letters; marks, punctuation, symbols and anything else go.
std::string decomposedForm(QStringView decomposed)
{
    std::string form;
    for (const char32_t part : decomposed.toString().toUcs4()) {
        if (isBlank(part))
            form.push_back(' ');
        else if (const QStringView plain = plainLetters(part); !plain.isEmpty())
            form += plain.toUtf8().toStdString();
        else if (QChar::isLetterOrNumber(part))
            form += QString::fromUcs4(&part, 1).toUpper().toUtf8().toStdString();
    }
    return form;
}

void appendForm(std::string &out, std::string_view form, std::size_t start)
{
    for (const char byte : form) {
        if (byte == ' ')
            appendBlank(out, start);
        else
            out.push_back(byte);
    }
}

// The forgiving form of one character with its blanks kept as ' ': the decomposition of a text is
// that of its characters one after the other (only the marks it drops are reordered), so the form
// of a text is its characters' forms with the blanks run together.
std::string characterForm(char32_t c)
{
    return decomposedForm(QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD));
}

// The forms of the characters most text is written in (Latin, Greek, Cyrillic and the other
// alphabets below the CJK blocks), made once.
constexpr char32_t TabledCharacters = 0x3000;

const std::vector<std::string> &characterForms()
{
    static const std::vector<std::string> forms = [] {
        std::vector<std::string> all(TabledCharacters);
        for (char32_t c = 0x80; c < TabledCharacters; ++c)
            all[c] = characterForm(c);
        return all;
    }();
    return forms;
}

} // namespace

QStringView plainLetters(char32_t c)
{
    for (const auto &[letter, plain] : PlainLetters) {
        if (letter == c)
            return plain;
    }
    return {};
}

std::string forgivingForm(char32_t c)
{
    return c >= 0x80 && c < TabledCharacters ? characterForms()[c] : characterForm(c);
}

std::string forgivingReference(QStringView text)
{
    std::string out;
    appendForm(out, decomposedForm(text.toString().normalized(QString::NormalizationForm_KD)), 0);
    return out;
}

void appendForgiving(std::string &out, QByteArrayView utf8)
{
    const std::size_t start = out.size();
    const auto *bytes = reinterpret_cast<const uchar *>(utf8.data());
    const qsizetype size = utf8.size();
    for (qsizetype i = 0; i < size;) {
        const uchar c = bytes[i];
        if (c < 0x80) {
            if (c >= 'a' && c <= 'z')
                out.push_back(char(c - 'a' + 'A'));
            else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
                out.push_back(char(c));
            else if (c == ' ' || (c >= '\t' && c <= '\r'))
                appendBlank(out, start);
            ++i;
            continue;
        }
        const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (i + length > size)
            break;
        char32_t code = c & (0x3F >> (length - 1));
        for (int k = 1; k < length; ++k)
            code = (code << 6) | (bytes[i + k] & 0x3F);
        i += length;
        if (code < TabledCharacters)
            appendForm(out, characterForms()[code], start);
        else
            appendForm(out, characterForm(code), start);
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
