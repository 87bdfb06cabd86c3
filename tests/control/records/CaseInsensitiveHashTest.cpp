#include "control/records/CaseInsensitiveHash.h"

#include <gtest/gtest.h>

#include <unordered_map>

namespace {

// The keyed containers must agree with Qt's case-insensitive comparison, which the rest of the
// program uses for the same keys: equal texts are equal here and hash alike, others differ.
TEST(CaseInsensitiveHash, AgreesWithQtsComparison)
{
    const struct {
        const char16_t* a;
        const char16_t* b;
    } pairs[] = {
        {u"txtfile", u"TXTFILE"},
        {u"Shell\\Open", u"shell\\open"},
        {u"txtfile", u"txtfil"},
        {u"", u""},
        {u"@", u"`"},   // differ only in the bit that makes ASCII letters small
        {u"[", u"{"},
        {u"a1", u"A1"},
        {u"k", u"\u212A"},            // KELVIN SIGN folds to k
        {u"\u00C9t\u00E9", u"\u00E9T\u00C9"}, // accented letters beyond ASCII
        {u"\u00DF", u"ss"},           // simple folding keeps lengths: no match
        {u"\U0001D400", u"\U0001D400"},
        {u"x\U00010400", u"X\U00010428"}, // DESERET letters, a pair of UTF-16 units each
    };
    const CaseInsensitiveEqual equal;
    const CaseInsensitiveHash hash;
    for (const auto& p : pairs) {
        const QString a = QString::fromUtf16(p.a);
        const QString b = QString::fromUtf16(p.b);
        const bool expected = a.compare(b, Qt::CaseInsensitive) == 0;
        EXPECT_EQ(equal(a, b), expected) << a.toStdString() << " / " << b.toStdString();
        EXPECT_EQ(equal(b, a), expected) << b.toStdString() << " / " << a.toStdString();
        if (expected) {
            EXPECT_EQ(hash(a), hash(b)) << a.toStdString();
        }
    }
}

TEST(CaseInsensitiveHash, KeyedMapFindsKeysInAnyCase)
{
    std::unordered_map<QString, int, CaseInsensitiveHash, CaseInsensitiveEqual> map;
    for (int i = 0; i < 2000; ++i)
        map.emplace(QStringLiteral("Key%1\\Sub").arg(i), i);
    for (int i = 0; i < 2000; i += 37) {
        const auto it = map.find(QStringLiteral("kEY%1\\sUB").arg(i));
        ASSERT_NE(it, map.end()) << i;
        EXPECT_EQ(it->second, i);
    }
    EXPECT_EQ(map.find(QStringLiteral("Key2000\\Sub")), map.end());
}

} // namespace
