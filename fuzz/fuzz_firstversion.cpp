// The first version's line parser and the name cleaning it uses, on any line at all.
#include "FuzzInput.h"
#include "import/FirstVersionLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input = splitFuzzInput(data, size);
    const QString line = input.part(0);

    const QString cleaned = CleanImportName(line);
    // Cleaning only drops characters at the start; the rest, apostrophes included, stays as it was.
    FUZZ_CHECK(line.endsWith(cleaned));
    if (!cleaned.isEmpty()) {
        const QChar first = cleaned.at(0).toUpper();
        FUZZ_CHECK(first >= u'A' && first <= u'Z');
    }

    if (const auto contact = parseFirstVersionLine(line)) {
        // Every value fits its field, so a long import never stops on one line.
        FUZZ_CHECK(contact->lastName.size() <= 20);
        FUZZ_CHECK(contact->firstName.size() <= 20);
        FUZZ_CHECK(contact->workAddress.size() <= 60);
        FUZZ_CHECK(contact->workPhone.size() <= 15);
        FUZZ_CHECK(!contact->lastName.isEmpty() || !contact->firstName.isEmpty());
    }
    return 0;
}
