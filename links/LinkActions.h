// The link commands of the main window: each hands one URL to the desktop through the platform and
// tells the user, in Italian, when there is nothing to open or the desktop could not open it.
#pragma once

#include <QString>

class Platform;

// A new mail to the e-mail box's text, taken unchanged.
void openContactMail(Platform &platform, const QString &address);
// The home-page box's text; "Nessuna Home Page specificata!" when it holds nothing but blanks.
void openContactHomePage(Platform &platform, const QString &text);

// Rubrello.html beside the program, or in share/rubrello/ of an installed one.
QString helpPagePath(const QString &programDir);
void openHelpPage(Platform &platform, const QString &programDir);

void openAuthorMail(Platform &platform);
void openAuthorHome(Platform &platform);
