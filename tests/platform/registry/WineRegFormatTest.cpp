#include "platform/registry/WineRegFormat.h"

#include <QList>

#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

QByteArray utf16WithNul(const QString& text)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return bytes.append(2, '\0');
}

// Parses the value at the start of `text`; the end of what was read, or nullptr with `error` set.
const char* parse(const QByteArray& text, wineformat::ParsedValue& value, QString& error, int* extraLines = nullptr)
{
    int extra = 0;
    const char* begin = text.constData();
    const char* end = begin + text.size();
    const char* last = wineformat::parseValue(begin, wineformat::lineEnd(begin, end), end, value, extra, error);
    if (extraLines)
        *extraLines = extra;
    return last;
}

struct EscapeCase {
    const char* label;
    QString text;
    QByteArray written;
};

class EscapeTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeTest, WritesAsWineAndReadsBack)
{
    const EscapeCase& c = GetParam();
    QByteArray out;
    wineformat::appendEscaped(out, c.text, "\"\"");
    EXPECT_EQ(out, c.written);

    QByteArray quoted = c.written + '"';
    QString back;
    QString error;
    const char* end = wineformat::parseEscaped(quoted.constData(), quoted.constData() + quoted.size(), '"', back, error);
    ASSERT_NE(end, nullptr) << error.toStdString();
    EXPECT_EQ(back, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, EscapeTest,
    ::testing::Values(EscapeCase{"plain", u"abc"_s, "abc"},
                      EscapeCase{"backslash and quote", u"a\\b\"c"_s, "a\\\\b\\\"c"},
                      EscapeCase{"latin1 minimal hex", u"caf\u00e9"_s, "caf\\xe9"},
                      EscapeCase{"hex padded before a hex digit", u"\u00e9a"_s, "\\x00e9a"},
                      EscapeCase{"no padding before a non-hex letter", u"\u00e9g"_s, "\\xe9g"},
                      EscapeCase{"euro", u"\u20ac"_s, "\\x20ac"},
                      EscapeCase{"supplementary pair", u"\U0001F600"_s, "\\xd83d\\xde00"},
                      EscapeCase{"C escapes", u"\a\b\t\n\v\f\r"_s, "\\a\\b\\t\\n\\v\\f\\r"},
                      EscapeCase{"escape character", QString(QChar(0x1B)), "\\e"},
                      EscapeCase{"octal minimal", QChar(1) + u"x"_s, "\\1x"},
                      EscapeCase{"octal padded before a digit", QChar(1) + u"7"_s, "\\0017"},
                      EscapeCase{"nul", QString(QChar(0)), "\\0"},
                      EscapeCase{"DEL raw", QString(QChar(0x7F)), "\x7f"},
                      EscapeCase{"brackets raw in data", u"[x]"_s, "[x]"}),
    [](const auto& param) { return testName(param.param.label); });

TEST(WineRegFormat, PathsEscapeBracketsButNotQuotes)
{
    QByteArray out;
    wineformat::appendEscaped(out, u"br]ack[et\"q"_s, "[]");
    EXPECT_EQ(out, "br\\]ack\\[et\"q");
}

// Each value is written in Wine's form for it and parsed back to the same name, type and bytes.
TEST(WineRegFormat, ValueLinesTakeWinesFormsAndReadBack)
{
    const QByteArray multi = utf16WithNul(u"one"_s) + utf16WithNul(u"two"_s) + QByteArray(2, '\0');
    // 20 bytes fit after "FilterData"=hex:, then 25 per continuation line (wrapped after column 76).
    const QByteArray wrapped = "\"FilterData\"=hex:" + QByteArray("11,").repeated(20) + "\\\n  " +
                               QByteArray("11,").repeated(25) + "\\\n  " + QByteArray("11,").repeated(14) + "11\n";
    const struct {
        QString name;
        DWORD type;
        QByteArray data;
        QByteArray line; // empty: only read back
    } cases[] = {
        {QString(), REG_SZ, utf16WithNul(u"txtfile"_s), "@=\"txtfile\"\n"},
        {u"Content Type"_s, REG_SZ, utf16WithNul(u"text/plain"_s), "\"Content Type\"=\"text/plain\"\n"},
        {u"e"_s, REG_EXPAND_SZ, utf16WithNul(u"%SystemRoot%\\x"_s), "\"e\"=str(2):\"%SystemRoot%\\\\x\"\n"},
        {u"m"_s, REG_MULTI_SZ, multi, "\"m\"=str(7):\"one\\0two\\0\"\n"},
        {u"lone"_s, REG_MULTI_SZ, QByteArray(2, '\0'), "\"lone\"=str(7):\"\"\n"},
        {u"empty sz"_s, REG_SZ, QByteArray(), "\"empty sz\"=hex(1):\n"},
        {u"odd sz"_s, REG_SZ, QByteArray("a\0\0", 3), "\"odd sz\"=hex(1):61,00,00\n"},
        {u"unterminated"_s, REG_SZ, QByteArray("a\0", 2), "\"unterminated\"=hex(1):61,00\n"},
        {u"d"_s, REG_DWORD, QByteArray("\x2a\x00\x00\x00", 4), "\"d\"=dword:0000002a\n"},
        {u"short dword"_s, REG_DWORD, QByteArray("\x78\x56\x34", 3), "\"short dword\"=hex(4):78,56,34\n"},
        {u"b"_s, REG_BINARY, QByteArray("\x00\x01", 2), "\"b\"=hex:00,01\n"},
        {u"nob"_s, REG_BINARY, QByteArray(), "\"nob\"=hex:\n"},
        {u"none"_s, REG_NONE, QByteArray(), "\"none\"=hex(0):\n"},
        {u"q"_s, REG_QWORD, QByteArray("\x88\x77\x66\x55\x44\x33\x22\x11", 8),
         "\"q\"=hex(b):88,77,66,55,44,33,22,11\n"},
        {u"big type"_s, 0xffff0012u, QByteArray("\x01", 1), "\"big type\"=hex(ffff0012):01\n"},
        {u"FilterData"_s, REG_BINARY, QByteArray(60, '\x11'), wrapped},
        {u"a\"b"_s, REG_EXPAND_SZ, utf16WithNul(u"%PATH%;\u00e9"_s), {}},
        {u"bin"_s, REG_BINARY, QByteArray(100, '\x7f'), {}},
        {u"t"_s, 0x12345678u, QByteArray("\x01\x02", 2), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        QByteArray text;
        wineformat::appendValueLine(text, c.name, c.type, c.data);
        if (!c.line.isEmpty()) {
            EXPECT_EQ(text, c.line);
        }

        wineformat::ParsedValue parsed;
        QString error;
        int extra = 0;
        ASSERT_NE(parse(text, parsed, error, &extra), nullptr) << error.toStdString();
        EXPECT_EQ(parsed.name, c.name);
        EXPECT_EQ(parsed.type, c.type);
        EXPECT_EQ(parsed.data, c.data);
        EXPECT_EQ(extra, text.count('\n') - 1);
    }
}

TEST(WineRegFormat, ReaderAcceptsWhatWineAcceptsAndRefusesTheRestWithAReason)
{
    const struct {
        QByteArray line;
        DWORD type;
        QByteArray data;
    } accepted[] = {
        {"\"s\"=str:\"x\"", REG_SZ, utf16WithNul(u"x"_s)},
        {"\"s\" = \"x\"", REG_SZ, utf16WithNul(u"x"_s)},
        {"\"h\"=hex:01 , 02", REG_BINARY, QByteArray("\x01\x02", 2)},
        {"\"x\"=\"\\xg\"", REG_SZ, utf16WithNul(u"xg"_s)},
        {"\"u\"=\"caf\xc3\xa9 \xe2\x82\xac\"", REG_SZ, utf16WithNul(u"caf\u00e9 \u20ac"_s)},
        {"\"d\"=dword:2a", REG_DWORD, QByteArray("\x2a\x00\x00\x00", 4)},
        {"\"crlf\"=\"x\"\r", REG_SZ, utf16WithNul(u"x"_s)},
    };
    for (const auto& c : accepted) {
        SCOPED_TRACE(c.line.toStdString());
        wineformat::ParsedValue parsed;
        QString error;
        ASSERT_NE(parse(c.line, parsed, error), nullptr) << error.toStdString();
        EXPECT_EQ(parsed.type, c.type);
        EXPECT_EQ(parsed.data, c.data);
    }

    const QByteArray refused[] = {
        "\"h\"=hex: 01",             // blank before the first digit
        "\"h\"=hex:1,02",            // one digit
        "\"t\"=weird:01",            // unknown type
        "\"t\"=hex(zz):01",          // bad type number
        "\"s\"=\"unterminated",      // string does not close
        "\"s\"=\"bad \\q escape\"",  // unknown escape
        "\"s\"=\"\xff\xfe\"",        // not UTF-8
        "\"s\"=\"x\" junk",          // text after the string
        "\"d\"=dword:123456789",     // more than 8 digits
        "\"n\"x=\"y\"",              // no '=' after the name
        "\"h\"=hex:01,\\",           // continues past the end of the file
    };
    for (const QByteArray& line : refused) {
        wineformat::ParsedValue parsed;
        QString error;
        EXPECT_EQ(parse(line, parsed, error), nullptr) << line.toStdString();
        EXPECT_FALSE(error.isEmpty()) << line.toStdString();
    }
}

TEST(WineRegFormat, TimesConvertBothWays)
{
    // #time=1dd859afc1305be of a Wine-written key is the same instant as its key line.
    const std::int64_t fileTime = 0x1dd859afc1305beLL;
    EXPECT_EQ(wineformat::unixSecondsFromFileTime(fileTime), 1796572859);
    QByteArray line;
    wineformat::appendTimeLine(line, fileTime);
    EXPECT_EQ(line, "#time=1dd859afc1305be\n");
    QByteArray low;
    wineformat::appendTimeLine(low, 0x100000001LL);
    EXPECT_EQ(low, "#time=100000001\n");
}

} // namespace
