#include "dial/DialOptions.h"

#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>

#include "dial/NumberRules.h"

namespace {

const QString prefixKey = QStringLiteral("PrefissoLocale=");
const QString outsideLineKey = QStringLiteral("Centralino=");

// The text after the key. A key that opens the line leaves exactly the line from its 16th (or 12th)
// character on; a key further in the line no longer drags the characters before it into the value.
QString valueAfter(const QString &line, const QString &key)
{
    return trimBlanks(line.mid(line.indexOf(key) + key.size()));
}

} // namespace

DialOptions readDialOptions(const QStringList &lines)
{
    DialOptions options;
    for (const QString &line : lines) {
        if (line.contains(prefixKey))
            options.prefix = valueAfter(line, prefixKey);
        else if (line.contains(outsideLineKey))
            options.outsideLine = valueAfter(line, outsideLineKey);
    }
    return options;
}

QStringList rewriteOptionLines(
    const QStringList &oldLines, const QString &prefixBox, const QString &outsideLineBox)
{
    if (oldLines.isEmpty())
        return {prefixKey + prefixBox, outsideLineKey + outsideLineBox};
    QStringList lines;
    lines.reserve(oldLines.size());
    for (const QString &line : oldLines) {
        if (line.contains(prefixKey))
            lines.append(prefixKey + prefixBox);
        else if (line.contains(outsideLineKey))
            lines.append(outsideLineKey + outsideLineBox);
        else
            lines.append(line);
    }
    return lines;
}

OptionsFileRead readOptionsFile(const QString &path)
{
    OptionsFileRead result;
    if (path.isEmpty() || !QFileInfo::exists(path))
        return result;
    result.exists = true;
    // Two short lines: anything bigger, or anything but a file, is not the program's options file.
    constexpr qint64 LargestOptionsFile = 1024 * 1024;
    QFile file;
    if (!openRegularFile(file, path, LargestOptionsFile, &result.error)) {
        result.ok = false;
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.ok = false;
        result.error = file.errorString();
        return result;
    }
    result.text = decodeOptionsText(bytes);
    return result;
}

QString writeOptionsFile(const QString &path, const OptionsText &text)
{
    if (path.isEmpty())
        return QStringLiteral("nessuna cartella disponibile per il file");
    return writeFileAtomically(path, encodeOptionsText(text));
}

bool saveDialOptions(const QString &path, const QString &prefixBox, const QString &outsideLineBox,
    int maxFailures, const std::function<void()> &onFailure)
{
    int failures = 0;
    // True when the step may be tried again.
    const auto failed = [&] {
        onFailure();
        return ++failures < maxFailures;
    };

    OptionsFileRead old = readOptionsFile(path);
    while (!old.ok) {
        if (!failed())
            return false;
        old = readOptionsFile(path);
    }

    OptionsText text = old.text;
    text.lines = rewriteOptionLines(old.text.lines, prefixBox, outsideLineBox);
    while (!writeOptionsFile(path, text).isEmpty()) {
        if (!failed())
            return false;
    }
    return true;
}
