// The search's hit test over any record and argument, in every scope; and the forgiving form of
// any text, where the fast way must give what the plain rule gives.
#include "FuzzInput.h"
#include "search/SearchEngine.h"
#include "text/ForgivingText.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input = splitFuzzInput(data, size);
    ContactRecord record;
    for (int i = 1; i < FieldCount; ++i) {
        if ((input.control >> (i % 6)) & 1u)
            record.values[size_t(i)] = input.part(i);
    }
    const QString argument = input.part(0);
    const bool ignoreCase = (input.control & 0x40) != 0;
    for (int scope = 0; scope < 4; ++scope) {
        recordMatches(record, argument, ignoreCase, scope);
    }
    outlineLetter(record.value(Field::LastName));
    if (forgivingText(argument) != forgivingReference(argument))
        std::abort();
    forgivingWords(argument);
    return 0;
}
