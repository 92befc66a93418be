#include "search/SearchMatch.h"

#include "text/ForgivingText.h"

#include <string>
#include <vector>

namespace {

// A text in a compared form, with the span of the original characters each of its bytes came from.
struct MappedText
{
    std::string text;
    std::vector<TextSpan> from;

    void append(const std::string &piece, TextSpan source)
    {
        text += piece;
        from.insert(from.end(), piece.size(), source);
    }

    std::optional<TextSpan> find(const std::string &needle) const
    {
        const std::size_t at = needle.empty() ? std::string::npos : text.find(needle);
        if (at == std::string::npos)
            return std::nullopt;
        const TextSpan first = from[at];
        const TextSpan last = from[at + needle.size() - 1];
        return TextSpan{first.start, last.start + last.length - first.start};
    }
};

// Character by character: the forgiving form of one character never depends on its neighbours
// but for the marks that follow it, which it drops anyway.
template<typename Piece>
MappedText mapped(const QString &text, Piece piece)
{
    MappedText out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length
            = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const char32_t c
            = length == 2 ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
        out.append(piece(c), {i, length});
        i += length;
    }
    return out;
}

void takeEarliest(std::optional<TextSpan> &best, std::optional<TextSpan> found)
{
    if (found && (!best || found->start < best->start))
        best = found;
}

} // namespace

std::optional<TextSpan> findInText(const QString &text, const SearchQuery &query)
{
    switch (query.rule) {
    case SearchRule::WholeAgenda:
        return std::nullopt;
    case SearchRule::Literal:
    case SearchRule::Folded: {
        const qsizetype at = text.indexOf(
            query.text, 0, query.rule == SearchRule::Literal ? Qt::CaseSensitive : Qt::CaseInsensitive);
        return at < 0 ? std::nullopt : std::optional<TextSpan>(TextSpan{at, query.text.size()});
    }
    case SearchRule::Forgiving:
        break;
    }
    std::optional<TextSpan> best;
    const MappedText words = mapped(text, forgivingForm);
    for (const std::string &word : query.words)
        takeEarliest(best, words.find(word));
    if (!query.digits.empty()) {
        const MappedText digits = mapped(text,
            [](char32_t c) { return c >= U'0' && c <= U'9' ? std::string(1, char(c)) : std::string(); });
        takeEarliest(best, digits.find(query.digits));
    }
    return best;
}
