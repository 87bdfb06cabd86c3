#include "control/tools/GeneratedClsid.h"
#include "tests/support/QStringPrinter.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

struct Case {
    const char* label;
    GuidBytes bytes;
    QString number;
    QString text;
};

TEST(ClsidGenerateTest, NumberAndTextShowTheSameBytesInMemoryOrder)
{
    const Case cases[] = {
        {"zero", {}, u"0000000000000000"_s, u"{00000000-0000-0000-0000-000000000000}"_s},
        {"one to sixteen",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
         u"12345678910111213141516"_s,
         u"{01020304-0506-0708-090A-0B0C0D0E0F10}"_s},
        {"high bytes",
         {255, 254, 171, 16, 0, 128, 99, 100, 7, 70, 200, 1, 2, 3, 4, 5},
         u"2552541711601289910077020012345"_s,
         u"{FFFEAB10-0080-6364-0746-C80102030405}"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const GeneratedClsid generated = GeneratedClsid::FromBytes(c.bytes);
        EXPECT_EQ(generated.number, c.number);
        EXPECT_EQ(generated.text, c.text);
    }
}

// The bytes a text names, in its order.
GuidBytes bytesOf(const QString& text)
{
    const QByteArray hex = QString(text).remove(u'{').remove(u'}').remove(u'-').toLatin1();
    const QByteArray raw = QByteArray::fromHex(hex);
    GuidBytes bytes{};
    std::copy(raw.begin(), raw.end(), bytes.begin());
    return bytes;
}

TEST(ClsidGenerateTest, EachGenerationGivesANewWellFormedIdentifier)
{
    const QRegularExpression form(u"^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"_s);
    const GeneratedClsid first = GeneratedClsid::Generate();
    const GeneratedClsid second = GeneratedClsid::Generate();
    EXPECT_NE(first.text, second.text);
    for (const GeneratedClsid& generated : {first, second}) {
        EXPECT_TRUE(form.match(generated.text).hasMatch()) << generated.text.toStdString();
        // The number shows the bytes of the text, not others.
        EXPECT_EQ(generated.number, GeneratedClsid::FromBytes(bytesOf(generated.text)).number);
    }
}

} // namespace
