#include "platform/registry/RegFileWriter.h"

#include "tests/support/QStringPrinter.h"
#include "tests/support/TestNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray data;
    for (int v : values)
        data += char(v);
    return data;
}

// REG_SZ data as the registry stores it: UTF-16LE and a closing NUL.
QByteArray utf16z(const QString& text)
{
    QByteArray data;
    for (QChar c : text + QChar(0))
        data += char(c.unicode() & 0xFF), data += char(c.unicode() >> 8);
    return data;
}

// "00,01,...": the bytes from..to as regedit lists them, without wrapping.
QString byteList(int from, int to)
{
    QStringList list;
    for (int b = from; b <= to; ++b)
        list << u"%1"_s.arg(b, 2, 16, QLatin1Char('0'));
    return list.join(u',');
}

QByteArray byteRange(int from, int to)
{
    QByteArray data;
    for (int b = from; b <= to; ++b)
        data += char(b);
    return data;
}

struct ValueCase {
    const char* label;
    RegValue value;
    QString expected;
};

class RegFileValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RegFileValueTest, IsWrittenAsRegeditReadsIt)
{
    EXPECT_EQ(RegFileWriter::valueText(GetParam().value), GetParam().expected);
}

const ValueCase kValueCases[] = {
    {"text", {u"Content Type"_s, REG_SZ, utf16z(u"text/plain"_s)}, uR"("Content Type"="text/plain")"_s},
    {"empty default", {QString(), REG_SZ, utf16z(QString())}, uR"(@="")"_s},
    {"default text", {QString(), REG_SZ, utf16z(u"Text Document"_s)}, uR"(@="Text Document")"_s},
    {"escapes in name and text",
     {u"a\"b\\c"_s, REG_SZ, utf16z(u"C:\\x \"y\"\nz\r"_s)},
     uR"("a\"b\\c"="C:\\x \"y\"\nz\r")"_s},
    {"non-ASCII raw", {u"été"_s, REG_SZ, utf16z(u"中文 €"_s)}, u"\"été\"=\"中文 €\""_s},
    {"text of no bytes", {u"n"_s, REG_SZ, QByteArray()}, uR"("n"=hex(1):)"_s},
    {"text of odd length", {u"o"_s, REG_SZ, bytes({0x61, 0, 0x62})}, uR"("o"=hex(1):61,00,62)"_s},
    {"text without NUL", {u"u"_s, REG_SZ, bytes({0x61, 0, 0x62, 0})}, uR"("u"=hex(1):61,00,62,00)"_s},
    {"text with a NUL inside",
     {u"i"_s, REG_SZ, bytes({0x61, 0, 0, 0, 0x62, 0, 0, 0})},
     uR"("i"=hex(1):61,00,00,00,62,00,00,00)"_s},
    {"dword", {u"EditFlags"_s, REG_DWORD, bytes({0x78, 0x56, 0x34, 0x12})}, uR"("EditFlags"=dword:12345678)"_s},
    {"small dword", {u"d"_s, REG_DWORD, bytes({1, 0, 0, 0})}, uR"("d"=dword:00000001)"_s},
    {"dword of 3 bytes", {u"d"_s, REG_DWORD, bytes({1, 2, 3})}, uR"("d"=hex(4):01,02,03)"_s},
    {"dword of 8 bytes", {u"d"_s, REG_DWORD, byteRange(1, 8)}, uR"("d"=hex(4):01,02,03,04,05,06,07,08)"_s},
    {"binary", {u"b"_s, REG_BINARY, bytes({0, 1, 0xff})}, uR"("b"=hex:00,01,ff)"_s},
    {"empty binary", {u"b"_s, REG_BINARY, QByteArray()}, uR"("b"=hex:)"_s},
    {"expand string", {QString(), REG_EXPAND_SZ, utf16z(u"%1"_s)}, uR"(@=hex(2):25,00,31,00,00,00)"_s},
    {"multi string",
     {u"m"_s, REG_MULTI_SZ, utf16z(u"a"_s) + utf16z(u"b"_s) + bytes({0, 0})},
     uR"("m"=hex(7):61,00,00,00,62,00,00,00,00,00)"_s},
    {"qword", {u"q"_s, REG_QWORD, byteRange(0x11, 0x18)}, uR"("q"=hex(b):11,12,13,14,15,16,17,18)"_s},
    {"none", {u"x"_s, REG_NONE, QByteArray()}, uR"("x"=hex(0):)"_s},
    {"big-endian dword", {u"x"_s, REG_DWORD_BIG_ENDIAN, bytes({0, 0, 0, 1})}, uR"("x"=hex(5):00,00,00,01)"_s},
    {"unknown type", {u"x"_s, 0xffff0012u, bytes({1})}, uR"("x"=hex(ffff0012):01)"_s},
    // Wrapping: the columns count from the name as written plus the type tag.
    {"20 bytes fit the first line",
     {u"FilterData"_s, REG_BINARY, byteRange(0, 19)},
     u"\"FilterData\"=hex:"_s + byteList(0, 19)},
    {"the 21st byte wraps",
     {u"FilterData"_s, REG_BINARY, byteRange(0, 20)},
     u"\"FilterData\"=hex:"_s + byteList(0, 19) + u",\\\r\n  14"_s},
    {"continuation lines hold 25 bytes",
     {u"FilterData"_s, REG_BINARY, byteRange(0, 59)},
     u"\"FilterData\"=hex:"_s + byteList(0, 19) + u",\\\r\n  "_s + byteList(20, 44) + u",\\\r\n  "_s +
         byteList(45, 59)},
    {"a short name leaves room for more",
     {QString(), REG_BINARY, byteRange(0, 24)},
     u"@=hex:"_s + byteList(0, 23) + u",\\\r\n  18"_s},
    // Four backslashes are written as eight: 21 bytes fit instead of 22.
    {"escapes count as written",
     {u"\\\\\\\\"_s, REG_BINARY, byteRange(0, 21)},
     u"\"\\\\\\\\\\\\\\\\\"=hex:"_s + byteList(0, 20) + u",\\\r\n  15"_s},
};

INSTANTIATE_TEST_SUITE_P(Values, RegFileValueTest, ::testing::ValuesIn(kValueCases),
                         [](const auto& param) { return testName(param.param.label); });

TEST(RegFileWriterTest, WritesHeaderKeysAndBlankLinesInUtf16WithBom)
{
    RegFileWriter writer;
    ASSERT_TRUE(writer.addKey(u"HKEY_CLASSES_ROOT\\txtfile"_s,
                              {{QString(), REG_SZ, utf16z(u"Text Document"_s)},
                               {u"EditFlags"_s, REG_DWORD, bytes({0, 0, 1, 0})}}));
    ASSERT_TRUE(writer.addKey(u"HKEY_CLASSES_ROOT\\txtfile\\shell"_s, {}));
    const QString expected = u"Windows Registry Editor Version 5.00\r\n"
                             u"\r\n"
                             u"[HKEY_CLASSES_ROOT\\txtfile]\r\n"
                             u"@=\"Text Document\"\r\n"
                             u"\"EditFlags\"=dword:00010000\r\n"
                             u"\r\n"
                             u"[HKEY_CLASSES_ROOT\\txtfile\\shell]\r\n"
                             u"\r\n"_s;
    EXPECT_EQ(writer.text(), expected);

    const QByteArray file = writer.bytes();
    ASSERT_GE(file.size(), 2);
    EXPECT_EQ(file.left(2), QByteArray("\xff\xfe"));
    EXPECT_EQ(file.size(), 2 + 2 * expected.size());
    EXPECT_EQ(file.mid(2, 4), QByteArray("W\0i\0", 4)) << "little-endian units";
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + 2), expected.size()), expected);
}

TEST(RegFileWriterTest, RefusesAKeyPathALineCannotHold)
{
    RegFileWriter writer;
    const QString before = writer.text();
    for (const QString& path : {QString(), u"HKEY_CLASSES_ROOT\\a\nb"_s, u"HKEY_CLASSES_ROOT\\a\rb"_s}) {
        EXPECT_FALSE(writer.addKey(path, {{QString(), REG_SZ, utf16z(u"x"_s)}})) << path.toStdString();
        EXPECT_EQ(writer.text(), before) << "nothing written for " << path.toStdString();
    }
}

TEST(RegFileWriterTest, SavesTheBytesAndReplacesAnOlderFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"out.reg"_s);
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(10000, 'x'));
    }
    RegFileWriter writer;
    ASSERT_TRUE(writer.addKey(u"HKEY_CLASSES_ROOT\\.txt"_s, {{QString(), REG_SZ, utf16z(u"txtfile"_s)}}));
    QString error;
    ASSERT_TRUE(writer.save(file, error)) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), writer.bytes());
}

TEST(RegFileWriterTest, AFailedSaveNamesTheFile)
{
    QTemporaryDir dir;
    const QString missingFolder = dir.filePath(u"no such folder/out.reg"_s);
    RegFileWriter writer;
    QString error;
    EXPECT_FALSE(writer.save(missingFolder, error));
    EXPECT_TRUE(error.contains(missingFolder)) << error.toStdString();
}

} // namespace
