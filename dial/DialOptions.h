// The dialing options file RUBRELLO.INI: the local prefix ("PrefissoLocale=") and the code for an
// outside line ("Centralino="), among lines of any other kind that are kept as they are.
#pragma once

#include "dial/OptionsText.h"

#include <QString>
#include <QStringList>

#include <functional>

inline QString optionsFileName()
{
    return QStringLiteral("RUBRELLO.INI");
}

struct DialOptions
{
    QString prefix; // the local prefix
    QString outsideLine; // the code for an outside line
};

// A line holding "PrefissoLocale=" sets the prefix, else one holding "Centralino=" sets the code; the
// value is what follows the key, without blanks at its ends. A later line wins.
DialOptions readDialOptions(const QStringList &lines);

// The lines to write back: a line holding "PrefissoLocale=" becomes the key and prefixBox, else one
// holding "Centralino=" the key and outsideLineBox, every other line stays. A missing key is not
// added; with no old lines at all the two key lines are the whole file. Box texts go as typed.
QStringList rewriteOptionLines(
    const QStringList &oldLines, const QString &prefixBox, const QString &outsideLineBox);

struct OptionsFileRead
{
    bool ok = true; // false: the file is there but could not be read
    bool exists = false;
    OptionsText text;
    QString error; // the system's reason when not ok
};

OptionsFileRead readOptionsFile(const QString &path);
// Replaces the file whole or not at all. Returns an empty string or the system's reason.
QString writeOptionsFile(const QString &path, const OptionsText &text);

// Reads the file, rewrites its lines with the two boxes and writes it back. A failed step is reported
// through onFailure and tried again, up to maxFailures failures in all; then the old file stays as it was
// and the result is false.
bool saveDialOptions(const QString &path, const QString &prefixBox, const QString &outsideLineBox,
    int maxFailures, const std::function<void()> &onFailure);
