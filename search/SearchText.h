// The search argument: its case folding, the test for "the whole agenda" and the window captions.
#pragma once

#include <QString>

struct SearchState;

// The text as the search compares it: upper-cased by Qt's Unicode rules when case is ignored,
// so accented letters fold too ("nicolò" and "NICOLÒ" meet). Argument and fields fold alike.
QString FoldCase(const QString &value, bool ignoreCase);

// The argument of a search: the typed text, upper-cased when case is ignored.
QString searchArgument(const SearchState &state);

// Only the whole argument "*" (or nothing) asks for every contact; "a*" or " *" are plain text.
bool isWholeAgenda(const QString &argument);

// "Rubrello - ( ROSSI )": the main window's caption while the hits of argument are shown.
QString searchCaption(const QString &argument);
QString wholeAgendaCaption();
