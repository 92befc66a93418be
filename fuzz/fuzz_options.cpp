// The options file from any bytes: decoding, reading the two keys, rewriting, and writing back.
#include "FuzzInput.h"
#include "dial/DialOptions.h"
#include "dial/OptionsText.h"
#include "text/Windows1252.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input = splitFuzzInput(data, size);
    // The file's bytes are taken as they are; the other parts are the two boxes as typed.
    const QByteArray fileBytes = input.rawParts.value(0);

    const OptionsText text = decodeOptionsText(fileBytes);
    for (const QString &line : text.lines)
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'));
    readDialOptions(text.lines);

    // What was read comes back line for line when written and read again.
    const OptionsText again = decodeOptionsText(encodeOptionsText(text));
    FUZZ_CHECK(again.lines == text.lines);

    OptionsText rewritten = text;
    rewritten.lines = rewriteOptionLines(text.lines, input.part(1), input.part(2));
    FUZZ_CHECK(rewritten.lines.size() == (text.lines.isEmpty() ? 2 : text.lines.size()));
    const QByteArray out = encodeOptionsText(rewritten);
    decodeOptionsText(out);

    decodeWindows1252(fileBytes);
    if (fitsWindows1252(input.part(1)))
        FUZZ_CHECK(decodeWindows1252(encodeWindows1252(input.part(1))) == input.part(1));
    return 0;
}
