#pragma once

#include "platform/registry/RegistryTypes.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// The pieces of Wine's text registry format: string escaping in both directions, value lines,
// key paths and times. Reader and writer of whole hives are built from these.
namespace wineformat {

// 100 ns ticks between 1601-01-01 and 1970-01-01.
inline constexpr std::int64_t kTicks1601To1970 = 116444736000000000LL;
inline constexpr std::int64_t kTicksPerSecond = 10000000LL;

std::int64_t unixSecondsFromFileTime(std::int64_t fileTime);
std::int64_t fileTimeFromUnixSeconds(std::int64_t seconds);

// ---- writing ------------------------------------------------------------------------------

// Appends text escaped as Wine writes it; `delimiters` are the one or two characters that must
// be escaped besides the backslash ("\"" for names and data, "[]" for key paths). Returns the
// number of characters appended.
qsizetype appendEscaped(QByteArray& out, const char16_t* text, qsizetype length, const char* delimiters);
qsizetype appendEscaped(QByteArray& out, const QString& text, const char* delimiters);

// Appends one value line, terminated by "\n", exactly as Wine's server writes it.
void appendValueLine(QByteArray& out, const QString& name, DWORD type, const QByteArray& data);

// Appends "#time=..." for a key, as `%x%08x` of the FILETIME.
void appendTimeLine(QByteArray& out, std::int64_t fileTime);

// ---- reading ------------------------------------------------------------------------------

struct ParsedValue {
    QString name;
    DWORD type = REG_NONE;
    QByteArray data;
};

// Decodes an escaped string starting at `p` up to the unescaped `endChar`. On success returns a
// pointer just past `endChar`; on failure returns nullptr and sets `error`. Raw bytes of 0x80 and
// above are read as UTF-8.
const char* parseEscaped(const char* p, const char* end, char endChar, QString& out, QString& error);

// Parses one value starting at the first character of its line (after leading blanks). Hex data
// may continue over following lines; `lineEnd` is the end of the current line and `bufferEnd` the
// end of the buffer. On success returns the end of the last line consumed (excluding its line
// break) and fills `value`; `extraLines` receives the number of continuation lines. On failure
// returns nullptr and sets `error`.
const char* parseValue(const char* p, const char* lineEnd, const char* bufferEnd, ParsedValue& value,
                       int& extraLines, QString& error);

// Checks one value as parseValue() reads it, with the same result and error, without keeping
// what it reads: `nameLength` receives the length of the value's name in UTF-16 units.
const char* checkValue(const char* p, const char* lineEnd, const char* bufferEnd, qsizetype& nameLength,
                       int& extraLines, QString& error);

// Finds the end of the line starting at `p` (the position of '\n' or `end`).
const char* lineEnd(const char* p, const char* end);

// Moves `p` past the line break that ends a line (handles "\n" and end of buffer).
const char* nextLine(const char* lineEndPos, const char* end);

// Strips a trailing '\r' from a line that ends at `lineEndPos`.
const char* trimCarriageReturn(const char* lineBegin, const char* lineEndPos);

} // namespace wineformat
