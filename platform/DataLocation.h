// Where the program keeps its data files, and how a path the user typed is read.
#pragma once

#include <QString>

struct DataFileLocation
{
    QString path; // empty when no place was found
    QString error; // the reason, in Italian, when path is empty
};

// The file named fileName beside the program (programDir) when it is already there, as a store
// kept by an earlier version is; otherwise the same name in the user's data directory, which is
// created when missing. A new file never goes beside the program: a build or unpacked folder is
// wiped without a thought for what lies in it. Names are matched without regard to case when
// caseInsensitive is set, so an existing "rubrello.ini" is found as "RUBRELLO.INI".
DataFileLocation locateDataFile(
    const QString &programDir, const QString &fileName, bool caseInsensitive = false);

// A path the user typed, as an absolute one: a leading "~" or "~/" stands for the home folder, as
// in a shell, and a relative path starts there too (the folder the program runs in means nothing
// to the user).
QString resolveTypedPath(const QString &typed);

// The path last remembered in the settings under key (a file chosen before), or the home folder:
// a path of this system to start a file question from.
QString rememberedPath(const QString &key);

// A file as messages name it: the whole path, with the system's separators.
QString shownPath(const QString &path);
