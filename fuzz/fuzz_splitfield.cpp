// Cutting fields off a line until nothing is left: every cut must make the rest shorter.
#include "FuzzInput.h"
#include "index/SplitField.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input = splitFuzzInput(data, size);
    QString text = input.part(0);
    const QString separator = input.part(1).isEmpty() ? QStringLiteral(",") : input.part(1);

    while (!text.isEmpty()) {
        const qsizetype before = text.size();
        const QString field = SplitField(text, separator);
        FUZZ_CHECK(text.size() < before);
        FUZZ_CHECK(field.size() <= before);
    }
    // An empty separator is a caller's mistake, but must not hang or crash either.
    QString once = input.part(0);
    SplitField(once, QString());
    return 0;
}
