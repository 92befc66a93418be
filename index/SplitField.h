// Cutting the first field off a line of fields, where a field may be quoted.
#pragma once

#include <QString>

// Returns the first field of text, up to the first separator that is not inside double quotes,
// with blanks trimmed and its surrounding quotes dropped; text keeps what follows that separator
// (untrimmed), or becomes empty when there is none.
QString SplitField(QString &text, const QString &separator);
