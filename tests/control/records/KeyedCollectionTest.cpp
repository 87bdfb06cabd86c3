#include "control/records/ErrorNumbers.h"
#include "control/records/KeyedCollection.h"

#include <QStringList>

#include <functional>

#include <gtest/gtest.h>

namespace {

using Collection = KeyedCollection<QString>;

std::shared_ptr<QString> item(const char* text)
{
    return std::make_shared<QString>(QString::fromUtf8(text));
}

long failureOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const OperationError& e) {
        return e.number();
    }
    return 0;
}

QStringList keysOf(const Collection& c)
{
    QStringList keys;
    for (const auto& entry : c)
        keys << entry.key;
    return keys;
}

TEST(KeyedCollection, KeepsInsertionOrderAndIgnoresLetterCase)
{
    Collection c;
    c.add(QStringLiteral("ft__.txtfile"), item("text"));
    c.add(QStringLiteral("ft__.Alpha"), item("alpha"));
    EXPECT_FALSE(c.tryAdd(QStringLiteral("FT__.TXTFILE"), item("other")));
    EXPECT_EQ(failureOf([&] { c.add(QStringLiteral("ft__.ALPHA"), item("other")); }), kErrDuplicateKey);
    EXPECT_EQ(c.count(), 2);
    EXPECT_EQ(*c.item(QStringLiteral("FT__.alpha")), QStringLiteral("alpha")); // unchanged by the failed add
    EXPECT_EQ(keysOf(c), (QStringList{"ft__.txtfile", "ft__.Alpha"}));
    EXPECT_EQ(*c.first(), QStringLiteral("text"));
}

TEST(KeyedCollection, FoldsNonAsciiLettersTooAsTheComparisonDoes)
{
    Collection c;
    c.add(QStringLiteral("fe__.\u00e9t\u00e9"), item("summer"));
    EXPECT_TRUE(c.contains(QStringLiteral("FE__.\u00c9T\u00c9")));
    c.add(QString::fromUtf16(u"fe__.\U00010400"), item("deseret")); // a letter outside the BMP
    EXPECT_TRUE(c.contains(QString::fromUtf16(u"FE__.\U00010428")));
}

TEST(KeyedCollection, MissingKeysFailAndRemovalKeepsTheRestInOrder)
{
    Collection c;
    for (const char* key : {"a", "b", "c", "d"})
        c.add(QString::fromLatin1(key), item(key));
    EXPECT_EQ(failureOf([&] { c.item(QStringLiteral("zz")); }), kErrMissingKey);
    EXPECT_EQ(failureOf([&] { c.remove(QStringLiteral("zz")); }), kErrMissingKey);
    EXPECT_FALSE(c.value(QStringLiteral("zz")));
    c.remove(QStringLiteral("B"));
    EXPECT_FALSE(c.tryRemove(QStringLiteral("b")));
    EXPECT_EQ(keysOf(c), (QStringList{"a", "c", "d"}));
    for (const QString& key : c.keys())
        c.remove(key);
    EXPECT_TRUE(c.isEmpty());
    EXPECT_FALSE(c.first());
    c.add(QStringLiteral("a"), item("again")); // a removed key can come back
    EXPECT_EQ(c.count(), 1);
}

} // namespace
