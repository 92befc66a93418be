// Cleaning a number and making its dial string from any box texts.
#include "FuzzInput.h"
#include "dial/NumberRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input = splitFuzzInput(data, size);
    const QString number = input.part(0);

    const QString cleaned = CleanNumber(number);
    FUZZ_CHECK(cleaned.size() <= number.size());
    for (const QChar c : cleaned)
        FUZZ_CHECK(QStringLiteral("0123456789 ,").contains(c));

    const QString trimmed = trimBlanks(input.part(1));
    FUZZ_CHECK(trimmed.size() <= input.part(1).size());
    const QString dropped = dropLocalPrefix(cleaned, trimmed);
    FUZZ_CHECK(dropped.size() <= cleaned.size());

    const QString dial = dialString(number, input.part(1), input.part(2));
    // Only what a modem takes ever reaches the line.
    for (const QChar c : dial)
        FUZZ_CHECK(QStringLiteral("0123456789 ,").contains(c));
    return 0;
}
