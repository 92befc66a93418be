// Turns the fuzzer's bytes into the strings a target needs: the first byte picks the decoding
// (UTF-8, which also yields U+FFFD for broken sequences, or raw UTF-16, which also yields lone
// surrogates), and the byte 0x1F splits the rest into parts.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

struct FuzzInput
{
    quint8 control = 0; // free bits for the target's own choices
    QList<QByteArray> rawParts;
    QStringList parts;

    QString part(qsizetype i) const { return i < parts.size() ? parts.at(i) : QString(); }
};

inline QString decodeFuzzPart(const QByteArray &bytes, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(bytes);
    return QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
}

inline FuzzInput splitFuzzInput(const uint8_t *data, size_t size)
{
    FuzzInput input;
    if (size == 0)
        return input;
    input.control = data[0];
    const bool utf16 = (input.control & 0x80) != 0;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    input.rawParts = rest.split('\x1f');
    for (const QByteArray &raw : std::as_const(input.rawParts))
        input.parts.append(decodeFuzzPart(raw, utf16));
    return input;
}

// A broken promise of the code under test: libFuzzer keeps the input as a crash.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            qFatal("fuzz check failed: %s (%s:%d)", #condition, __FILE__, __LINE__);                         \
        }                                                                                                    \
    } while (false)
