#pragma once

#include <QString>

// The escaping of the settings file. Every text must come back exactly as it was saved: blanks at
// either end (" All Files"), line breaks, control characters and the characters that give a line
// its meaning. Escapes: \\ \n \r \t, \s for a blank at either end, \uHHHH for other control
// characters and lone surrogates, and, in section names and keys, \= \[ \] \; \#.

enum class IniField {
    Name,  // a section name or a key: also escapes the characters of the line syntax
    Value, // a value: everything after the first '=' of its line
};

QString EscapeIniText(const QString& text, IniField field);

// Undoes EscapeIniText. An escape it does not know is kept as written and, for the first one,
// reported in `badEscape` (left untouched when every escape was good).
QString UnescapeIniText(const QString& text, QString* badEscape);

// The text between blanks and tabs at either end; other white space is content.
QString TrimIniBlanks(const QString& text);

// Where the first '=' that is not escaped stands in a line, or -1.
qsizetype IniSeparatorIndex(const QString& line);
