// Which copies a backup folder keeps: the newest daily copy of each of the last 7 days that have one,
// and of each of the last 4 ISO weeks that have one (the two sets together, as restic's keep-daily 7
// and keep-weekly 4), and the 5 newest copies taken before a restore.
#pragma once

#include <QString>

// Removes the other copies. Files whose names the program does not give are left alone, and so is
// spared (the copy just taken), however the clock stood when the older ones were named.
void rotateBackups(const QString &folder, const QString &spared = {});
