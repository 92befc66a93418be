// rubrello-cli: the agenda from a terminal or a script, on the core alone.
#include "cli/CliCommands.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The same names as the window's, so the agenda is looked for in the same data folder.
    QCoreApplication::setApplicationName(QStringLiteral("rubrello"));
    QCoreApplication::setOrganizationName(QStringLiteral("Rubrello"));
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));

    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    return runCli(
        QCoreApplication::arguments().mid(1), QCoreApplication::applicationDirPath(), {out, err, &in});
}
