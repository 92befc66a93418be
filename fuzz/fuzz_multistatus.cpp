// A CardDAV server's Multi-Status from any bytes: never a crash or a hang, and a broken body keeps
// nothing of what was read before the fault.
#include "FuzzInput.h"
#include "carddav/DavResponse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const DavMultistatus answer
        = parseMultistatus(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!answer.error.isEmpty())
        FUZZ_CHECK(answer.resources.empty() && answer.syncToken.isEmpty());
    return 0;
}
