// Where the files that come with the program lie. In a build or a copied folder they are beside the
// program; an installation (cmake --install, the Debian package) puts the programs in bin/ and the
// rest in share/rubrello/ next to it.
#pragma once

#include <QString>

// True for a program that was installed rather than copied: its directory is a bin/ directory with
// share/rubrello/ beside it, or a system one (under /usr or /opt). Such a directory is no place for
// the user's data even when it can be written, as it can by root.
bool isInstalledProgram(const QString &programDir);

// The help page Rubrello.html: beside the program when it is there, else in the installation's
// share/rubrello/. When it is in neither, the place where it should be.
QString helpPageFile(const QString &programDir);

// The dialer rubrello-dialer, which every layout keeps beside the program.
QString dialerProgramFile(const QString &programDir);
