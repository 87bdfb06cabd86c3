#include "platform/registry/WineRegFormat.h"

#include <cstring>

namespace wineformat {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

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

void appendHex(QByteArray& out, std::uint32_t value, int minDigits)
{
    char buffer[8];
    int n = 0;
    do {
        buffer[n++] = kHexDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (n < minDigits)
        buffer[n++] = '0';
    while (n > 0)
        out.append(buffer[--n]);
}

void appendOctal(QByteArray& out, std::uint32_t value, int minDigits)
{
    char buffer[12];
    int n = 0;
    do {
        buffer[n++] = char('0' + (value & 7));
        value >>= 3;
    } while (value != 0);
    while (n < minDigits)
        buffer[n++] = '0';
    while (n > 0)
        out.append(buffer[--n]);
}

// Bytes that need attention while decoding: anything that is not plain printable ASCII.
bool isPlain(unsigned char c, char endChar)
{
    return c >= 0x20 && c < 0x80 && c != '\\' && c != static_cast<unsigned char>(endChar);
}

// Decodes one UTF-8 sequence starting at p (whose first byte is >= 0x80).
const char* decodeUtf8(const char* p, const char* end, QString& out)
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
        out.append(QChar(char16_t(0xD800 + (cp >> 10))));
        out.append(QChar(char16_t(0xDC00 + (cp & 0x3FF))));
    } else {
        out.append(QChar(char16_t(cp)));
    }
    return p + extra + 1;
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

QByteArray utf16Bytes(const QString& text, bool terminate)
{
    QByteArray bytes;
    bytes.resize((text.size() + (terminate ? 1 : 0)) * 2);
    char* d = bytes.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        *d++ = char(u & 0xFF);
        *d++ = char(u >> 8);
    }
    if (terminate) {
        *d++ = 0;
        *d++ = 0;
    }
    return bytes;
}

// Parses comma-separated hex bytes over one or more lines.
const char* parseHexBytes(const char* p, const char* lineEndPos, const char* bufferEnd, QByteArray& data,
                          int& extraLines, QString& error)
{
    const char* lineStop = trimCarriageReturn(p, lineEndPos);
    for (;;) {
        while (p < lineStop && hexValue(*p) >= 0) {
            if (lineStop - p < 2 || hexValue(p[1]) < 0) {
                error = QStringLiteral("a hex byte needs two digits");
                return nullptr;
            }
            data.append(char(hexValue(p[0]) * 16 + hexValue(p[1])));
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
    static const char kControlEscapes[33] = ".......abtnvfr.............e....";
    const qsizetype before = out.size();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = text[i];
        const bool hasNext = i + 1 < length;
        if (c > 127) {
            out.append("\\x", 2);
            appendHex(out, c, hasNext && isHexDigit(text[i + 1]) ? 4 : 1);
        } else if (c < 32) {
            out.append('\\');
            if (kControlEscapes[c] != '.')
                out.append(kControlEscapes[c]);
            else
                appendOctal(out, c, hasNext && text[i + 1] >= '0' && text[i + 1] <= '7' ? 3 : 1);
        } else {
            if (c == '\\' || c == static_cast<char16_t>(delimiters[0]) ||
                (delimiters[0] != 0 && c == static_cast<char16_t>(delimiters[1])))
                out.append('\\');
            out.append(char(c));
        }
    }
    return out.size() - before;
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
            const qsizetype units = size / 2 - 1;
            std::u16string text(static_cast<size_t>(units), u'\0');
            for (qsizetype i = 0; i < units; ++i)
                text[static_cast<size_t>(i)] = char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
            appendEscaped(out, text.data(), units, "\"\"");
            out.append("\"\n", 2);
            return;
        }
        break;
    case REG_DWORD:
        if (size == 4) {
            out.append("dword:", 6);
            const std::uint32_t v = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t(bytes[3]) << 24);
            appendHex(out, v, 8);
            out.append('\n');
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
    for (qsizetype i = 0; i < size; ++i) {
        out.append(kHexDigits[bytes[i] >> 4]);
        out.append(kHexDigits[bytes[i] & 0xF]);
        count += 2;
        if (i < size - 1) {
            out.append(',');
            if (++count > 76) {
                out.append("\\\n  ", 4);
                count = 2;
            }
        }
    }
    out.append('\n');
}

void appendTimeLine(QByteArray& out, std::int64_t fileTime)
{
    const auto ticks = static_cast<std::uint64_t>(fileTime);
    out.append("#time=", 6);
    appendHex(out, static_cast<std::uint32_t>(ticks >> 32), 1);
    appendHex(out, static_cast<std::uint32_t>(ticks & 0xFFFFFFFFu), 8);
    out.append('\n');
}

const char* parseEscaped(const char* p, const char* end, char endChar, QString& out, QString& error)
{
    out.resize(0);
    while (p < end) {
        const char* run = p;
        while (p < end && isPlain(static_cast<unsigned char>(*p), endChar))
            ++p;
        if (p != run)
            out.append(QLatin1StringView(run, p - run));
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
            out.append(QChar(char16_t(c))); // other control characters stand for themselves
            ++p;
        } else {
            ++p;
            if (p >= end || *p == '\n')
                break;
            const char e = *p;
            switch (e) {
            case 'a': out.append(QChar(u'\a')); ++p; break;
            case 'b': out.append(QChar(u'\b')); ++p; break;
            case 'e': out.append(QChar(char16_t(0x1B))); ++p; break;
            case 'f': out.append(QChar(u'\f')); ++p; break;
            case 'n': out.append(QChar(u'\n')); ++p; break;
            case 'r': out.append(QChar(u'\r')); ++p; break;
            case 't': out.append(QChar(u'\t')); ++p; break;
            case 'v': out.append(QChar(u'\v')); ++p; break;
            case 'x': {
                ++p;
                if (p >= end || hexValue(*p) < 0) {
                    out.append(QChar(u'x'));
                    break;
                }
                char16_t v = 0;
                for (int i = 0; i < 4 && p < end && hexValue(*p) >= 0; ++i)
                    v = char16_t(v * 16 + hexValue(*p++));
                out.append(QChar(v));
                break;
            }
            case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': {
                char16_t v = 0;
                for (int i = 0; i < 3 && p < end && *p >= '0' && *p <= '7'; ++i)
                    v = char16_t(v * 8 + (*p++ - '0'));
                out.append(QChar(v));
                break;
            }
            case '\\':
            case '"':
            case '[':
            case ']':
                out.append(QChar(char16_t(e)));
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

const char* parseValue(const char* p, const char* lineEndPos, const char* bufferEnd, ParsedValue& value,
                       int& extraLines, QString& error)
{
    extraLines = 0;
    const char* stop = trimCarriageReturn(p, lineEndPos);
    if (*p == '@') {
        value.name.resize(0);
        ++p;
    } else {
        p = parseEscaped(p + 1, stop, '"', value.name, error);
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

    value.data.resize(0);
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
        QString text;
        p = parseEscaped(p, stop, '"', text, error);
        if (!p) {
            error = QStringLiteral("malformed value: ") + error;
            return nullptr;
        }
        if (skipBlanks(p, stop) != stop) {
            error = QStringLiteral("malformed value: unexpected text after the closing quote");
            return nullptr;
        }
        value.type = stringType;
        value.data = utf16Bytes(text, true);
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
        value.type = REG_DWORD;
        value.data.resize(4);
        for (int i = 0; i < 4; ++i)
            value.data[i] = char((v >> (8 * i)) & 0xFF);
        return lineEndPos;
    }

    if (startsWith(p, stop, "hex:")) {
        value.type = REG_BINARY;
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
        value.type = static_cast<DWORD>(t);
        p += 2;
    } else {
        error = QStringLiteral("malformed value: unknown value type");
        return nullptr;
    }
    if (p < stop && isBlank(*p)) {
        error = QStringLiteral("malformed value: hex data must follow the colon directly");
        return nullptr;
    }
    const char* last = parseHexBytes(p, lineEndPos, bufferEnd, value.data, extraLines, error);
    if (!last)
        error = QStringLiteral("malformed value: ") + error;
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
