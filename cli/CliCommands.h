// The commands of rubrello-cli. Each writes its answer to out and its errors to err, in Italian,
// and returns the exit status: 0 done, 1 nothing found or a failure, 2 a command used wrongly.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

enum ExitStatus { Done = 0, NotFound = 1, Failed = 1, Misused = 2 };

struct CliStreams
{
    QTextStream &out;
    QTextStream &err;
    QTextStream *in = nullptr; // where a password is read from, when asked to
};

// Runs the command line (without the program's name). programDir is where the program lies: the
// agenda is found beside it or in the user's data folder, as the window finds it.
int runCli(const QStringList &arguments, const QString &programDir, CliStreams streams);

// The usage text that --help prints.
QString cliHelp();
