// The search's hit test over any record and argument, in every scope.
#include "FuzzInput.h"
#include "search/SearchEngine.h"

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
    return 0;
}
