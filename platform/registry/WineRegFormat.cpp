#include "platform/registry/WineRegFormat.h"

#include <algorithm>
#include <cstring>

namespace wineformat {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// The longest escape of one UTF-16 unit: "\x" and four hex digits.
constexpr qsizetype kMaxEscapedUnit = 6;
// Text is escaped in pieces of this many units, so that a long value does not make the output
// buffer reserve six times its size.
constexpr qsizetype kEscapeChunk = 4096;

bool isHexDigit(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Writes `value` in lowercase hex, at least `minDigits` digits; returns the end of what it wrote.
char* putHex(char* d, std::uint32_t value, int minDigits)
{
    int digits = 1;
    while (digits < 8 && (value >> (4 * digits)) != 0)
        ++digits;
    digits = std::max(digits, minDigits);
    for (int i = digits - 1; i >= 0; --i) {
        d[i] = kHexDigits[value & 0xF];
        value >>= 4;
    }
    return d + digits;
}

char* putOctal(char* d, std::uint32_t value, int minDigits)
{
    int digits = 1;
    while (digits < 11 && (value >> (3 * digits)) != 0)
        ++digits;
    digits = std::max(digits, minDigits);
    for (int i = digits - 1; i >= 0; --i) {
        d[i] = char('0' + (value & 7));
        value >>= 3;
    }
    return d + digits;
}

void appendHex(QByteArray& out, std::uint32_t value, int minDigits)
{
    char buffer[8];
    out.append(buffer, putHex(buffer, value, minDigits) - buffer);
}

// The UTF-16 units of a string, or of the little-endian bytes of a stored string value.
struct Utf16Units {
    const char16_t* text;
    char16_t operator[](qsizetype i) const { return text[i]; }
};

struct LittleEndianUnits {
    const unsigned char* bytes;
    char16_t operator[](qsizetype i) const { return char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)); }
};

template <typename Units>
qsizetype appendEscapedUnits(QByteArray& out, Units text, qsizetype length, const char* delimiters)
{
    static const char kControlEscapes[33] = ".......abtnvfr.............e....";
    const auto first = static_cast<char16_t>(static_cast<unsigned char>(delimiters[0]));
    const auto second = delimiters[0] != 0 ? static_cast<char16_t>(static_cast<unsigned char>(delimiters[1])) : first;
    const qsizetype before = out.size();
    qsizetype i = 0;
    while (i < length) {
        // Room for the worst case of a piece, written through a pointer and cut back after.
        const qsizetype pieceEnd = std::min(length, i + kEscapeChunk);
        const qsizetype at = out.size();
        out.resize(at + (pieceEnd - i) * kMaxEscapedUnit);
        char* const begin = out.data();
        char* d = begin + at;
        for (; i < pieceEnd; ++i) {
            const char16_t c = text[i];
            if (c >= 32 && c < 128) {
                if (c == '\\' || c == first || c == second)
                    *d++ = '\\';
                *d++ = char(c);
            } else if (c >= 128) {
                *d++ = '\\';
                *d++ = 'x';
                d = putHex(d, c, i + 1 < length && isHexDigit(text[i + 1]) ? 4 : 1);
            } else {
                *d++ = '\\';
                if (kControlEscapes[c] != '.') {
                    *d++ = kControlEscapes[c];
                } else {
                    const bool octalNext = i + 1 < length && text[i + 1] >= '0' && text[i + 1] <= '7';
                    d = putOctal(d, c, octalNext ? 3 : 1);
                }
            }
        }
        out.resize(d - begin);
    }
    return out.size() - before;
}

// Bytes that need attention while decoding: anything that is not plain printable ASCII.
bool isPlain(unsigned char c, char endChar)
{
    return c >= 0x20 && c < 0x80 && c != '\\' && c != static_cast<unsigned char>(endChar);
}

// Where decoded text goes. Each takes runs of plain ASCII and single UTF-16 units.
class TextInto {
public:
    explicit TextInto(QString& out)
        : m_out(out)
    {
    }
    void appendAscii(const char* p, qsizetype n) { m_out.append(QLatin1StringView(p, n)); }
    void append(char16_t unit) { m_out.append(QChar(unit)); }

private:
    QString& m_out;
};

// Counts the units of a text without keeping them.
class TextLength {
public:
    void appendAscii(const char*, qsizetype n) { m_units += n; }
    void append(char16_t) { ++m_units; }
    qsizetype units() const { return m_units; }

private:
    qsizetype m_units = 0;
};

// The data of a value, string units as little-endian UTF-16 or bytes, written through a cursor
// into room made in advance for what may come; finish() cuts the array to what was written.
class DataInto {
public:
    explicit DataInto(QByteArray& out)
        : m_out(out)
    {
    }
    void makeRoom(qsizetype bytes)
    {
        const qsizetype used = m_cursor ? m_cursor - m_out.data() : m_out.size();
        if (!m_cursor)
            m_out.reserve(used + bytes); // exactly: most values take one line
        m_out.resize(used + bytes);
        m_cursor = m_out.data() + used;
    }
    void appendAscii(const char* p, qsizetype n)
    {
        for (qsizetype i = 0; i < n; ++i) {
            *m_cursor++ = p[i];
            *m_cursor++ = 0;
        }
    }
    void append(char16_t unit)
    {
        *m_cursor++ = char(unit & 0xFF);
        *m_cursor++ = char(unit >> 8);
    }
    void appendByte(char byte) { *m_cursor++ = byte; }
    void finish()
    {
        if (m_cursor)
            m_out.resize(m_cursor - m_out.data());
    }

private:
    QByteArray& m_out;
    char* m_cursor = nullptr;
};

// Data checked and dropped.
class NoData {
public:
    void makeRoom(qsizetype) {}
    void appendAscii(const char*, qsizetype) {}
    void append(char16_t) {}
    void appendByte(char) {}
};

// Decodes one UTF-8 sequence starting at p (whose first byte is >= 0x80).
template <typename Text>
const char* decodeUtf8(const char* p, const char* end, Text& out)
{
    const auto lead = static_cast<unsigned char>(*p);
    int extra = 0;
    char32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return nullptr;
    }
    if (end - p <= extra)
        return nullptr;
    for (int i = 1; i <= extra; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if ((c & 0xC0) != 0x80)
            return nullptr;
        cp = (cp << 6) | (c & 0x3F);
    }
    // Reject overlong forms, surrogates and values past Unicode.
    if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return nullptr;
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.append(char16_t(0xD800 + (cp >> 10)));
        out.append(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
        out.append(char16_t(cp));
    }
    return p + extra + 1;
}

template <typename Text>
const char* decodeEscaped(const char* p, const char* end, char endChar, Text& out, QString& error)
{
    while (p < end) {
        const char* run = p;
        while (p < end && isPlain(static_cast<unsigned char>(*p), endChar))
            ++p;
        if (p != run)
            out.appendAscii(run, p - run);
        if (p >= end)
            break;
        const auto c = static_cast<unsigned char>(*p);
        if (c == static_cast<unsigned char>(endChar))
            return p + 1;
        if (c == '\n') {
            break;
        } else if (c >= 0x80) {
            const char* next = decodeUtf8(p, end, out);
            if (!next) {
                error = QStringLiteral("the text is not valid UTF-8");
                return nullptr;
            }
            p = next;
        } else if (c != '\\') {
            out.append(char16_t(c)); // other control characters stand for themselves
            ++p;
        } else {
            ++p;
            if (p >= end || *p == '\n')
                break;
            const char e = *p;
            switch (e) {
            case 'a': out.append(u'\a'); ++p; break;
            case 'b': out.append(u'\b'); ++p; break;
            case 'e': out.append(char16_t(0x1B)); ++p; break;
            case 'f': out.append(u'\f'); ++p; break;
            case 'n': out.append(u'\n'); ++p; break;
            case 'r': out.append(u'\r'); ++p; break;
            case 't': out.append(u'\t'); ++p; break;
            case 'v': out.append(u'\v'); ++p; break;
            case 'x': {
                ++p;
                if (p >= end || hexValue(*p) < 0) {
                    out.append(u'x');
                    break;
                }
                char16_t v = 0;
                for (int i = 0; i < 4 && p < end && hexValue(*p) >= 0; ++i)
                    v = char16_t(v * 16 + hexValue(*p++));
                out.append(v);
                break;
            }
            case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': {
                char16_t v = 0;
                for (int i = 0; i < 3 && p < end && *p >= '0' && *p <= '7'; ++i)
                    v = char16_t(v * 8 + (*p++ - '0'));
                out.append(v);
                break;
            }
            case '\\':
            case '"':
            case '[':
            case ']':
                out.append(char16_t(e));
                ++p;
                break;
            default:
                error = QStringLiteral("unknown escape \\%1").arg(QChar(char16_t(static_cast<unsigned char>(e))));
                return nullptr;
            }
        }
    }
    error = QStringLiteral("the text does not end with %1 on its line").arg(QChar(char16_t(endChar)));
    return nullptr;
}

const char* skipBlanks(const char* p, const char* end)
{
    while (p < end && isBlank(*p))
        ++p;
    return p;
}

bool startsWith(const char* p, const char* end, const char* tag)
{
    const auto n = static_cast<std::ptrdiff_t>(std::strlen(tag));
    return end - p >= n && std::memcmp(p, tag, static_cast<size_t>(n)) == 0;
}

// Parses comma-separated hex bytes over one or more lines.
template <typename Data>
const char* parseHexBytes(const char* p, const char* lineEndPos, const char* bufferEnd, Data& data,
                          int& extraLines, QString& error)
{
    const char* lineStop = trimCarriageReturn(p, lineEndPos);
    for (;;) {
        data.makeRoom((lineStop - p) / 2 + 1); // each byte takes two digits at least
        while (p < lineStop && hexValue(*p) >= 0) {
            if (lineStop - p < 2 || hexValue(p[1]) < 0) {
                error = QStringLiteral("a hex byte needs two digits");
                return nullptr;
            }
            data.appendByte(char(hexValue(p[0]) * 16 + hexValue(p[1])));
            p = skipBlanks(p + 2, lineStop);
            if (p < lineStop && *p == ',')
                p = skipBlanks(p + 1, lineStop);
        }
        p = skipBlanks(p, lineStop);
        if (p == lineStop)
            return lineEndPos;
        if (*p != '\\' || skipBlanks(p + 1, lineStop) != lineStop) {
            error = QStringLiteral("unexpected text in hex data");
            return nullptr;
        }
        p = nextLine(lineEndPos, bufferEnd);
        if (p >= bufferEnd) {
            error = QStringLiteral("hex data continues past the end of the file");
            return nullptr;
        }
        lineEndPos = lineEnd(p, bufferEnd);
        lineStop = trimCarriageReturn(p, lineEndPos);
        p = skipBlanks(p, lineStop);
        ++extraLines;
    }
}

// One value line, read into `name`, `type` and `data` (see parseValue).
template <typename Name, typename Data>
const char* readValue(const char* p, const char* lineEndPos, const char* bufferEnd, Name& name, DWORD& type,
                      Data& data, int& extraLines, QString& error)
{
    extraLines = 0;
    const char* stop = trimCarriageReturn(p, lineEndPos);
    if (*p == '@') {
        ++p;
    } else {
        p = decodeEscaped(p + 1, stop, '"', name, error);
        if (!p) {
            error = QStringLiteral("malformed value name: ") + error;
            return nullptr;
        }
    }
    p = skipBlanks(p, stop);
    if (p >= stop || *p != '=') {
        error = QStringLiteral("malformed value name: '=' expected");
        return nullptr;
    }
    p = skipBlanks(p + 1, stop);

    DWORD stringType = 0;
    if (startsWith(p, stop, "\"")) {
        stringType = REG_SZ;
        p += 1;
    } else if (startsWith(p, stop, "str:\"")) {
        stringType = REG_SZ;
        p += 5;
    } else if (startsWith(p, stop, "str(2):\"")) {
        stringType = REG_EXPAND_SZ;
        p += 8;
    } else if (startsWith(p, stop, "str(7):\"")) {
        stringType = REG_MULTI_SZ;
        p += 8;
    }
    if (stringType != 0) {
        // The text has at most as many units as the line has bytes left; one more for the NUL.
        data.makeRoom(2 * (stop - p + 1));
        p = decodeEscaped(p, stop, '"', data, error);
        if (!p) {
            error = QStringLiteral("malformed value: ") + error;
            return nullptr;
        }
        if (skipBlanks(p, stop) != stop) {
            error = QStringLiteral("malformed value: unexpected text after the closing quote");
            return nullptr;
        }
        data.append(u'\0');
        type = stringType;
        return lineEndPos;
    }

    if (startsWith(p, stop, "dword:")) {
        p += 6;
        std::uint32_t v = 0;
        int digits = 0;
        while (p < stop && hexValue(*p) >= 0) {
            v = v * 16 + std::uint32_t(hexValue(*p++));
            ++digits;
        }
        if (digits == 0 || digits > 8 || skipBlanks(p, stop) != stop) {
            error = QStringLiteral("malformed value: dword needs 1 to 8 hex digits");
            return nullptr;
        }
        type = REG_DWORD;
        data.makeRoom(4);
        for (int i = 0; i < 4; ++i)
            data.appendByte(char((v >> (8 * i)) & 0xFF));
        return lineEndPos;
    }

    if (startsWith(p, stop, "hex:")) {
        type = REG_BINARY;
        p += 4;
    } else if (startsWith(p, stop, "hex(")) {
        p += 4;
        std::uint64_t t = 0;
        int digits = 0;
        while (p < stop && hexValue(*p) >= 0) {
            t = t * 16 + std::uint64_t(hexValue(*p++));
            ++digits;
        }
        if (digits == 0 || digits > 8 || !startsWith(p, stop, "):")) {
            error = QStringLiteral("malformed value: bad type in hex(...)");
            return nullptr;
        }
        type = static_cast<DWORD>(t);
        p += 2;
    } else {
        error = QStringLiteral("malformed value: unknown value type");
        return nullptr;
    }
    if (p < stop && isBlank(*p)) {
        error = QStringLiteral("malformed value: hex data must follow the colon directly");
        return nullptr;
    }
    const char* last = parseHexBytes(p, lineEndPos, bufferEnd, data, extraLines, error);
    if (!last)
        error = QStringLiteral("malformed value: ") + error;
    return last;
}

} // namespace

std::int64_t unixSecondsFromFileTime(std::int64_t fileTime)
{
    return (fileTime - kTicks1601To1970) / kTicksPerSecond;
}

std::int64_t fileTimeFromUnixSeconds(std::int64_t seconds)
{
    return seconds * kTicksPerSecond + kTicks1601To1970;
}

qsizetype appendEscaped(QByteArray& out, const char16_t* text, qsizetype length, const char* delimiters)
{
    return appendEscapedUnits(out, Utf16Units{text}, length, delimiters);
}

qsizetype appendEscaped(QByteArray& out, const QString& text, const char* delimiters)
{
    return appendEscaped(out, reinterpret_cast<const char16_t*>(text.utf16()), text.size(), delimiters);
}

void appendValueLine(QByteArray& out, const QString& name, DWORD type, const QByteArray& data)
{
    qsizetype count;
    if (!name.isEmpty()) {
        out.append('"');
        count = 1 + appendEscaped(out, name, "\"\"");
        out.append("\"=", 2);
        count += 2;
    } else {
        out.append("@=", 2);
        count = 2;
    }

    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype size = data.size();
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
        // Only a properly terminated string is written in string form.
        if (size >= 2 && size % 2 == 0 && bytes[size - 2] == 0 && bytes[size - 1] == 0) {
            if (type != REG_SZ) {
                out.append("str(", 4);
                appendHex(out, type, 1);
                out.append("):", 2);
            }
            out.append('"');
            appendEscapedUnits(out, LittleEndianUnits{bytes}, size / 2 - 1, "\"\"");
            out.append("\"\n", 2);
            return;
        }
        break;
    case REG_DWORD:
        if (size == 4) {
            char line[16] = "dword:";
            const std::uint32_t v = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t(bytes[3]) << 24);
            char* d = putHex(line + 6, v, 8);
            *d++ = '\n';
            out.append(line, d - line);
            return;
        }
        break;
    default:
        break;
    }

    if (type == REG_BINARY) {
        out.append("hex:", 4);
        count += 4;
    } else {
        const qsizetype before = out.size();
        out.append("hex(", 4);
        appendHex(out, type, 1);
        out.append("):", 2);
        count += out.size() - before;
    }
    // Each byte takes two digits and a comma; a line break comes at most once per byte on the
    // first line and once per 25 bytes after it.
    const qsizetype at = out.size();
    out.resize(at + size * 3 + (size / 25 + 2) * 4 + 1);
    char* const begin = out.data();
    char* d = begin + at;
    for (qsizetype i = 0; i < size; ++i) {
        *d++ = kHexDigits[bytes[i] >> 4];
        *d++ = kHexDigits[bytes[i] & 0xF];
        count += 2;
        if (i < size - 1) {
            *d++ = ',';
            if (++count > 76) {
                std::memcpy(d, "\\\n  ", 4);
                d += 4;
                count = 2;
            }
        }
    }
    *d++ = '\n';
    out.resize(d - begin);
}

void appendTimeLine(QByteArray& out, std::int64_t fileTime)
{
    const auto ticks = static_cast<std::uint64_t>(fileTime);
    char line[32] = "#time=";
    char* d = putHex(line + 6, static_cast<std::uint32_t>(ticks >> 32), 1);
    d = putHex(d, static_cast<std::uint32_t>(ticks & 0xFFFFFFFFu), 8);
    *d++ = '\n';
    out.append(line, d - line);
}

const char* parseEscaped(const char* p, const char* end, char endChar, QString& out, QString& error)
{
    out.resize(0);
    TextInto text(out);
    return decodeEscaped(p, end, endChar, text, error);
}

const char* parseValue(const char* p, const char* lineEndPos, const char* bufferEnd, ParsedValue& value,
                       int& extraLines, QString& error)
{
    value.name.resize(0);
    value.data.resize(0);
    TextInto name(value.name);
    DataInto data(value.data);
    const char* last = readValue(p, lineEndPos, bufferEnd, name, value.type, data, extraLines, error);
    data.finish();
    return last;
}

const char* checkValue(const char* p, const char* lineEndPos, const char* bufferEnd, qsizetype& nameLength,
                       int& extraLines, QString& error)
{
    TextLength name;
    DWORD type = REG_NONE;
    NoData data;
    const char* last = readValue(p, lineEndPos, bufferEnd, name, type, data, extraLines, error);
    nameLength = name.units();
    return last;
}

const char* lineEnd(const char* p, const char* end)
{
    const void* nl = std::memchr(p, '\n', static_cast<size_t>(end - p));
    return nl ? static_cast<const char*>(nl) : end;
}

const char* nextLine(const char* lineEndPos, const char* end)
{
    return lineEndPos < end ? lineEndPos + 1 : end;
}

const char* trimCarriageReturn(const char* lineBegin, const char* lineEndPos)
{
    return (lineEndPos > lineBegin && lineEndPos[-1] == '\r') ? lineEndPos - 1 : lineEndPos;
}

} // namespace wineformat
