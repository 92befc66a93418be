// The search's hit test over any record and argument, in every scope: the snapshot's scan must find
// what the plain rule finds, ignoring case must find at least what upper-casing alone found, and
// where a match lies must always be answerable. And the forgiving form of any text, where the fast
// way must give what the plain rule gives.
#include "FuzzInput.h"
#include "search/SearchEngine.h"
#include "search/SearchMatch.h"
#include "search/SearchText.h"
#include "text/ForgivingText.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input = splitFuzzInput(data, size);
    ContactRecord record;
    record.id = 1;
    // A contact's texts come from the store, in UTF-8: half a surrogate pair never reaches them. The
    // argument is typed or pasted and may hold anything.
    for (int i = 1; i < FieldCount; ++i) {
        if ((input.control >> (i % 6)) & 1u)
            record.values[size_t(i)] = QString::fromUtf8(input.part(i).toUtf8());
    }
    const QString argument = input.part(0);
    const bool ignoreCase = (input.control & 0x40) != 0;
    SearchSnapshot snapshot;
    snapshot.readRecords({&record, 1});
    // Half a surrogate pair is no character: upper-casing alone found it inside a whole one.
    const bool wholeCharacters = QString::fromUtf8(argument.toUtf8()) == argument;
    for (int scope = 0; scope < 4; ++scope) {
        const SearchQuery query = searchQuery(argument, ignoreCase, scope);
        const bool hit = recordMatches(record, query);
        if (snapshot.matchingRows(query)[0] != hit)
            std::abort();
        const SearchQuery upperCased{SearchRule::Folded, scope, FoldCase(argument, true), {}, {}};
        if (ignoreCase && wholeCharacters && !isWholeAgenda(argument) && !hit
            && recordMatches(record, upperCased))
            std::abort();
        for (const SearchField &info : SearchFields) {
            const QString text = record.value(info.field).value_or(QString());
            if (const std::optional<TextSpan> span = findInText(text, query);
                span && (span->start < 0 || span->length <= 0 || span->start + span->length > text.size()))
                std::abort();
        }
    }
    outlineLetter(record.value(Field::LastName));
    if (forgivingText(argument) != forgivingReference(argument))
        std::abort();
    return 0;
}
