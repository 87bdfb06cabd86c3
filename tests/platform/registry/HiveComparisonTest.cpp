#include "platform/registry/HiveComparison.h"
#include "platform/registry/HiveReader.h"
#include "platform/registry/RegistryApi.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<Hive> hiveOf(const QByteArray& sections)
{
    HiveReader::Result read = HiveReader::read(TestPrefix::systemHeader() + sections, QStringLiteral("system.reg"));
    EXPECT_TRUE(read.hive && read.hive->problems().isEmpty()) << read.error.toStdString();
    return read.hive;
}

const QByteArray kTxt = "\n[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n\"Content Type\"=\"text/plain\"\n";
const QByteArray kType = "\n[Software\\\\Classes\\\\txtfile] 1\n@=\"Text\"\n"
                         "\n[Software\\\\Classes\\\\txtfile\\\\shell\\\\open\\\\command] 1\n@=\"notepad %1\"\n";

TEST(HiveComparison, CountsKeysAddedRemovedAndChangedFromOlderToNewer)
{
    const struct {
        const char* name;
        QByteArray older;
        QByteArray newer;
        HiveComparison::Counts expected;
    } cases[] = {
        {"same text", kTxt + kType, kTxt + kType, {}},
        {"only the key times differ", kTxt, "\n[Software\\\\Classes\\\\.txt] 99\n#time=1dd859afc1305be\n"
                                            "@=\"txtfile\"\n\"Content Type\"=\"text/plain\"\n", {}},
        {"value names differ in case only", kTxt,
         "\n[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n\"CONTENT TYPE\"=\"text/plain\"\n", {}},
        // The type and the two keys between it and its command, with the command itself.
        {"a type added", kTxt, kTxt + kType, {4, 0, 0}},
        {"a type removed", kTxt + kType, kTxt, {0, 4, 0}},
        {"a value's data changed", kTxt, "\n[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n"
                                         "\"Content Type\"=\"text/html\"\n", {0, 0, 1}},
        {"a value's type changed", kTxt, "\n[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n"
                                         "\"Content Type\"=str(2):\"text/plain\"\n", {0, 0, 1}},
        {"a value removed", kTxt, "\n[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n", {0, 0, 1}},
        {"a key renamed", kTxt, "\n[Software\\\\Classes\\\\.text] 1\n@=\"txtfile\"\n"
                                "\"Content Type\"=\"text/plain\"\n", {1, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto older = hiveOf(c.older);
        const auto newer = hiveOf(c.newer);
        const HiveComparison::Counts counts = HiveComparison::compare(*older, *newer);
        EXPECT_EQ(counts.added, c.expected.added);
        EXPECT_EQ(counts.removed, c.expected.removed);
        EXPECT_EQ(counts.changed, c.expected.changed);
    }
}

TEST(HiveComparison, SeesChangesMadeInMemoryToKeysReadFromTheSameText)
{
    const auto older = hiveOf(kTxt);
    const auto newer = hiveOf(kTxt);
    RegKey::Ptr key = newer->root()->child(QStringLiteral("Software"))->child(QStringLiteral("Classes"))->child(QStringLiteral(".txt"));
    key->setValue(QStringLiteral("Content Type"), REG_SZ, regTextBytes(QStringLiteral("text/x")));
    key->touch(2);
    EXPECT_EQ(HiveComparison::compare(*older, *newer), (HiveComparison::Counts{0, 0, 1}));
}

} // namespace
