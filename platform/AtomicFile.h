// Files the program rewrites: the new text goes to a temporary file beside the old one and takes
// its name only once every byte is on the disk, so a full disk or a crash never leaves half a file.
#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at path with bytes. Returns the reason of a failure (the old file then stays
// as it was), or an empty string.
QString writeFileAtomically(const QString &path, const QByteArray &bytes);

// Makes a rename or a new file in the folder holding filePath survive a power cut.
void syncDirectoryOf(const QString &filePath);
