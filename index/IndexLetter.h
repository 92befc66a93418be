// The letter line of the index tree a contact is filed under, from the first character of its surname.
// All in this header: the search's tree of hits files its contacts by it without linking this library.
#pragma once

#include <QString>

#include <optional>
#include <string_view>
#include <utility>

// The letter lines in the tree's order: A to Z, then "#" for the surnames filed under none of them.
inline constexpr std::u16string_view IndexLetters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ#";
inline constexpr std::size_t OtherInitials = IndexLetters.size() - 1;

namespace IndexLetterRules {

// Latin letters that Unicode does not decompose, though a reader files them under a plain letter.
inline constexpr std::pair<char32_t, char16_t> UndecomposedLetters[]
    = {{U'Æ', u'A'}, {U'æ', u'A'}, {U'Ð', u'D'}, {U'ð', u'D'}, {U'Đ', u'D'}, {U'đ', u'D'}, {U'Ħ', u'H'},
        {U'ħ', u'H'}, {U'ı', u'I'}, {U'Ł', u'L'}, {U'ł', u'L'}, {U'Ø', u'O'}, {U'ø', u'O'}, {U'Œ', u'O'},
        {U'œ', u'O'}, {U'ß', u'S'}, {U'ẞ', u'S'}, {U'Ŧ', u'T'}, {U'ŧ', u'T'}};

// The code point text begins with; a lone surrogate stands for itself and files under "#".
inline char32_t firstCodePoint(QStringView text)
{
    if (text.size() > 1 && text[0].isHighSurrogate() && text[1].isLowSurrogate())
        return QChar::surrogateToUcs4(text[0], text[1]);
    return text[0].unicode();
}

} // namespace IndexLetterRules

// The position in IndexLetters of the line a surname is filed under: the letter it begins with, in
// either case and without its accents ("Ørsted", "ébano", "Łoś" under O, E, L); "#" when it begins
// with a digit, a quote or other sign, a letter of another script, or is empty or Null.
inline std::size_t indexLetterOf(QStringView lastName)
{
    using namespace IndexLetterRules;
    if (lastName.isEmpty())
        return OtherInitials;
    char32_t initial = firstCodePoint(lastName);
    // A decomposition begins with the base letter, which may decompose again (Ǻ is Å and an acute, Å
    // an A and a ring). Compatibility ones count too: the ligature "ﬀ" and the wide "Ｆ" give F.
    while (initial >= 0x80) {
        const QString decomposed = QChar::decomposition(initial);
        if (decomposed.isEmpty())
            break;
        initial = firstCodePoint(decomposed);
    }
    for (const auto &[letter, base] : UndecomposedLetters) {
        if (initial == letter)
            initial = base;
    }
    if (initial >= U'a' && initial <= U'z')
        initial -= U'a' - U'A';
    return initial >= U'A' && initial <= U'Z' ? initial - U'A' : OtherInitials;
}

inline std::size_t indexLetterOf(const std::optional<QString> &lastName)
{
    return indexLetterOf(lastName ? QStringView(*lastName) : QStringView());
}

inline std::size_t indexLetterOf(const QString &lastName)
{
    return indexLetterOf(QStringView(lastName));
}
