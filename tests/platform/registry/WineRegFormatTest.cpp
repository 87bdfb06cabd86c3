#include "platform/registry/WineRegFormat.h"

#include <QList>

#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

namespace {

QByteArray utf16z(const QString& text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    bytes.append(2, '\0');
    return bytes;
}

QByteArray valueLine(const QString& name, DWORD type, const QByteArray& data)
{
    QByteArray out;
    wineformat::appendValueLine(out, name, type, data);
    return out;
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
    ::testing::Values(EscapeCase{"plain", QStringLiteral("abc"), "abc"},
                      EscapeCase{"backslash and quote", QStringLiteral("a\\b\"c"), "a\\\\b\\\"c"},
                      EscapeCase{"latin1 minimal hex", QStringLiteral("caf\u00e9"), "caf\\xe9"},
                      EscapeCase{"hex padded before a hex digit", QStringLiteral("\u00e9a"), "\\x00e9a"},
                      EscapeCase{"no padding before a non-hex letter", QStringLiteral("\u00e9g"), "\\xe9g"},
                      EscapeCase{"euro", QStringLiteral("\u20ac"), "\\x20ac"},
                      EscapeCase{"supplementary pair", QString::fromUtf16(u"\U0001F600"), "\\xd83d\\xde00"},
                      EscapeCase{"C escapes", QStringLiteral("\a\b\t\n\v\f\r"), "\\a\\b\\t\\n\\v\\f\\r"},
                      EscapeCase{"escape character", QString(QChar(0x1B)), "\\e"},
                      EscapeCase{"octal minimal", QString(QChar(1)) + QStringLiteral("x"), "\\1x"},
                      EscapeCase{"octal padded before a digit", QString(QChar(1)) + QStringLiteral("7"), "\\0017"},
                      EscapeCase{"nul", QString(QChar(0)), "\\0"},
                      EscapeCase{"DEL raw", QString(QChar(0x7F)), "\x7f"},
                      EscapeCase{"brackets raw in data", QStringLiteral("[x]"), "[x]"}),
    [](const auto& param) { return testName(param.param.label); });

TEST(WineRegFormat, PathsEscapeBracketsButNotQuotes)
{
    QByteArray out;
    wineformat::appendEscaped(out, QStringLiteral("br]ack[et\"q"), "[]");
    EXPECT_EQ(out, "br\\]ack\\[et\"q");
}

TEST(WineRegFormat, ValueLinesTakeWinesForms)
{
    QByteArray dword(4, '\0');
    dword[0] = 0x2a;
    QByteArray qword;
    for (int b : {0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11})
        qword.append(char(b));
    const QByteArray multi = utf16z(QStringLiteral("one")).chopped(2) + QByteArray(2, '\0') +
                             utf16z(QStringLiteral("two")) + QByteArray(2, '\0');

    struct Case {
        QString name;
        DWORD type;
        QByteArray data;
        QByteArray line;
    } cases[] = {
        {QString(), REG_SZ, utf16z(QStringLiteral("txtfile")), "@=\"txtfile\"\n"},
        {QStringLiteral("Content Type"), REG_SZ, utf16z(QStringLiteral("text/plain")), "\"Content Type\"=\"text/plain\"\n"},
        {QStringLiteral("e"), REG_EXPAND_SZ, utf16z(QStringLiteral("%SystemRoot%\\x")), "\"e\"=str(2):\"%SystemRoot%\\\\x\"\n"},
        {QStringLiteral("m"), REG_MULTI_SZ, multi, "\"m\"=str(7):\"one\\0two\\0\"\n"},
        {QStringLiteral("lone"), REG_MULTI_SZ, QByteArray(2, '\0'), "\"lone\"=str(7):\"\"\n"},
        {QStringLiteral("empty sz"), REG_SZ, QByteArray(), "\"empty sz\"=hex(1):\n"},
        {QStringLiteral("odd sz"), REG_SZ, QByteArray("a\0\0", 3), "\"odd sz\"=hex(1):61,00,00\n"},
        {QStringLiteral("unterminated"), REG_SZ, QByteArray("a\0", 2), "\"unterminated\"=hex(1):61,00\n"},
        {QStringLiteral("d"), REG_DWORD, dword, "\"d\"=dword:0000002a\n"},
        {QStringLiteral("short dword"), REG_DWORD, QByteArray("\x78\x56\x34", 3), "\"short dword\"=hex(4):78,56,34\n"},
        {QStringLiteral("b"), REG_BINARY, QByteArray("\x00\x01", 2), "\"b\"=hex:00,01\n"},
        {QStringLiteral("nob"), REG_BINARY, QByteArray(), "\"nob\"=hex:\n"},
        {QStringLiteral("none"), REG_NONE, QByteArray(), "\"none\"=hex(0):\n"},
        {QStringLiteral("q"), REG_QWORD, qword, "\"q\"=hex(b):88,77,66,55,44,33,22,11\n"},
        {QStringLiteral("big type"), 0xffff0012u, QByteArray("\x01", 1), "\"big type\"=hex(ffff0012):01\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(valueLine(c.name, c.type, c.data), c.line) << c.name.toStdString();
}

TEST(WineRegFormat, LongHexWrapsAfterColumn76)
{
    const QByteArray bytes(60, '\x11');
    const QByteArray line = valueLine(QStringLiteral("FilterData"), REG_BINARY, bytes);
    const QList<QByteArray> lines = line.split('\n');
    // 20 bytes fit after "FilterData"=hex:, then 25 per continuation line.
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0].count(','), 20);
    EXPECT_TRUE(lines[0].endsWith(",\\"));
    EXPECT_TRUE(lines[1].startsWith("  11,"));
    EXPECT_EQ(lines[1].count(','), 25);
    EXPECT_EQ(lines[2], "  11,11,11,11,11,11,11,11,11,11,11,11,11,11,11");
}

TEST(WineRegFormat, ParsesEveryFormBackToTheSameValue)
{
    const QByteArray dword("\x2a\x00\x00\x00", 4);
    struct Case {
        QString name;
        DWORD type;
        QByteArray data;
    } cases[] = {
        {QString(), REG_SZ, utf16z(QStringLiteral("x"))},
        {QStringLiteral("a\"b"), REG_EXPAND_SZ, utf16z(QStringLiteral("%PATH%;\u00e9"))},
        {QStringLiteral("d"), REG_DWORD, dword},
        {QStringLiteral("bin"), REG_BINARY, QByteArray(100, '\x7f')},
        {QStringLiteral("none"), REG_NONE, QByteArray()},
        {QStringLiteral("t"), 0x12345678u, QByteArray("\x01\x02", 2)},
    };
    for (const Case& c : cases) {
        const QByteArray text = valueLine(c.name, c.type, c.data);
        wineformat::ParsedValue parsed;
        int extra = 0;
        QString error;
        const char* begin = text.constData();
        const char* end = begin + text.size();
        const char* last = wineformat::parseValue(begin, wineformat::lineEnd(begin, end), end, parsed, extra, error);
        ASSERT_NE(last, nullptr) << error.toStdString();
        EXPECT_EQ(parsed.name, c.name);
        EXPECT_EQ(parsed.type, c.type);
        EXPECT_EQ(parsed.data, c.data);
        EXPECT_EQ(extra, text.count('\n') - 1);
    }
}

TEST(WineRegFormat, ReaderAcceptsWhatWineAccepts)
{
    struct Case {
        QByteArray line;
        DWORD type;
        QByteArray data;
    } cases[] = {
        {"\"s\"=str:\"x\"", REG_SZ, utf16z(QStringLiteral("x"))},
        {"\"s\" = \"x\"", REG_SZ, utf16z(QStringLiteral("x"))},
        {"\"h\"=hex:01 , 02", REG_BINARY, QByteArray("\x01\x02", 2)},
        {"\"x\"=\"\\xg\"", REG_SZ, utf16z(QStringLiteral("xg"))},
        {"\"u\"=\"caf\xc3\xa9 \xe2\x82\xac\"", REG_SZ, utf16z(QStringLiteral("caf\u00e9 \u20ac"))},
        {"\"d\"=dword:2a", REG_DWORD, QByteArray("\x2a\x00\x00\x00", 4)},
        {"\"crlf\"=\"x\"\r", REG_SZ, utf16z(QStringLiteral("x"))},
    };
    for (const Case& c : cases) {
        wineformat::ParsedValue parsed;
        int extra = 0;
        QString error;
        const char* begin = c.line.constData();
        const char* end = begin + c.line.size();
        ASSERT_NE(wineformat::parseValue(begin, end, end, parsed, extra, error), nullptr)
            << c.line.toStdString() << ": " << error.toStdString();
        EXPECT_EQ(parsed.type, c.type) << c.line.toStdString();
        EXPECT_EQ(parsed.data, c.data) << c.line.toStdString();
    }
}

TEST(WineRegFormat, MalformedValuesAreRefusedWithAReason)
{
    const QByteArray lines[] = {
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
    for (const QByteArray& line : lines) {
        wineformat::ParsedValue parsed;
        int extra = 0;
        QString error;
        const char* begin = line.constData();
        const char* end = begin + line.size();
        EXPECT_EQ(wineformat::parseValue(begin, end, end, parsed, extra, error), nullptr) << line.toStdString();
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
