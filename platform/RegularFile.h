// Opening a file the program reads: only a regular file of a bounded size. A pipe, a device such as
// /dev/zero or a link to one would freeze the window or fill the memory.
#pragma once

#include <QString>

class QFile;

// Opens path read-only when it is a regular file of at most limit bytes; otherwise false with the
// reason, in Italian, naming the file. A pipe is never waited on, even when it is swapped in for the
// file between the check and the opening.
bool openRegularFile(QFile &file, const QString &path, qint64 limit, QString *reason);
