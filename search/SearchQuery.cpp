#include "search/SearchQuery.h"

#include "dial/NumberRules.h"
#include "search/SearchState.h"
#include "search/SearchText.h"
#include "text/ForgivingText.h"

#include <algorithm>

std::string argumentDigits(const QString &typed)
{
    qsizetype digits = 0;
    qsizetype others = 0;
    for (const QChar c : typed) {
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (!c.isSpace())
            ++others;
    }
    if (digits < 3 || others >= digits)
        return {};
    std::string comparable;
    comparableDigits(typed.toUtf8(), comparable);
    return comparable;
}

namespace {

// Half a surrogate pair, as a paste can bring, is no character: it becomes the replacement
// character, as invalid bytes of the store's texts do, and is compared as that.
QString wholeCharacters(const QString &typed)
{
    QString text = typed;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace

SearchQuery searchQuery(const QString &typedText, bool ignoreCase, int scope)
{
    const QString typed = wholeCharacters(typedText);
    SearchQuery query;
    query.scope = scope;
    if (isWholeAgenda(typed))
        return query;
    if (!ignoreCase) {
        query.rule = SearchRule::Literal;
        query.text = typed;
        return query;
    }
    query.words = forgivingWords(typed);
    if (query.words.empty()) {
        query.rule = SearchRule::Folded;
        query.text = FoldCase(typed, true);
        return query;
    }
    query.rule = SearchRule::Forgiving;
    std::sort(query.words.begin(), query.words.end(), [](const std::string &a, const std::string &b) {
        return a.size() != b.size() ? a.size() > b.size() : a < b;
    });
    // A word typed twice asks for nothing more.
    query.words.erase(std::unique(query.words.begin(), query.words.end()), query.words.end());
    query.digits = argumentDigits(typed);
    return query;
}

SearchQuery searchQuery(const SearchState &state)
{
    return searchQuery(state.SearchText, state.IgnoreCase, state.SearchScope);
}
