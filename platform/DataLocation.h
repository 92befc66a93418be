// Where the program keeps a data file: beside the program when it can, else in the user's data directory.
#pragma once

#include <QString>

struct DataFileLocation
{
    QString path;  // empty when no place was found
    QString error; // the reason, in Italian, when path is empty
};

// The file named fileName beside the program (programDir) when it is there or could be created there
// (an installed program, see isInstalledProgram, keeps no new files beside it);
// otherwise the same name in the user's data directory, created when missing. Names are matched
// without regard to case when caseInsensitive is set, so an existing "rubrello.ini" is found as
// "RUBRELLO.INI".
DataFileLocation locateDataFile(const QString &programDir, const QString &fileName, bool caseInsensitive = false);
