#include "platform/registry/HiveReader.h"
#include "platform/registry/HiveWriter.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryApi.h"

#include "tests/support/RegistryProbe.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

const QByteArray kHeader = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";

// A file as Wine writes it, with every construct the format has.
const QByteArray kWineFile = kHeader + R"(
[Software\\Classes\\.txt] 1796572859
#time=1dd859afc1305be
@="txtfile"
"Content Type"="text/plain"

[Software\\Classes\\txtfile] 1796572859
#time=1dd859afc1305be
@="Text Document"
"EditFlags"=hex:00,00,01,00

[Software\\Classes\\txtfile\\shell\\open\\command] 1796572859
#time=1dd859afc1305be
@=str(2):"%SystemRoot%\\system32\\notepad.exe %1"

[Software\\T\\br\]ack\[et] 1796572859
#time=1dd859afc1305be
#class="My \"Class\""
"multi"=str(7):"one\0two\0"
"q"=hex(b):88,77,66,55,44,33,22,11
"wide"="\x4e2d\x6587"

[Software\\T\\empty leaf] 1796572859
#time=1dd859afc1305be

[Software\\Wow6432Node\\Classes] 1796572859
#time=1dd859afc1305be
#link
"SymbolicLinkValue"=hex(6):5c,00,52,00,65,00,67,00,69,00,73,00,74,00,72,00,79,\
  00,5c,00,4d,00,61,00,63,00,68,00,69,00,6e,00,65,00
)";

constexpr std::int64_t kNow = 0x1dd900000000000LL;

std::shared_ptr<Hive> load(const QByteArray& text, QString* error = nullptr)
{
    HiveReader::Result result = HiveReader::read(text, u"system.reg"_s);
    if (error)
        *error = result.error;
    return result.hive;
}

// Mounts a hive as HKEY_LOCAL_MACHINE of a fresh registry, current while the object lives.
class MountedHive {
public:
    explicit MountedHive(std::shared_ptr<Hive> hive)
    {
        m_registry.mountMachine(std::move(hive));
        m_registry.setClock([] { return kNow; });
        Registry::setCurrent(&m_registry);
    }
    ~MountedHive() { Registry::setCurrent(nullptr); }

private:
    Registry m_registry;
};

LONG setText(const QString& path, const QString& name, const QString& text)
{
    RegKeyHandle key;
    const LONG rc = RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_ALL_ACCESS, key.out());
    if (rc != ERROR_SUCCESS)
        return rc;
    const QByteArray data = regTextBytes(text);
    return RegSetValueEx(key.get(), name, 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(data.constData()),
                         DWORD(data.size()));
}

TEST(Hive, WineFileIsWrittenBackByteForByteEvenWithEveryKeyChanged)
{
    auto hive = load(kWineFile);
    ASSERT_TRUE(hive);
    EXPECT_TRUE(hive->problems().isEmpty()) << hive->problems().join('\n').toStdString();
    EXPECT_EQ(HiveWriter::toBytes(*hive), kWineFile);

    // Changed keys are written as Wine writes them, so marking all of them changed must not alter
    // a Wine-written file either: neither those written from their decoded values nor those whose
    // value lines are kept.
    for (const bool decode : {true, false}) {
        hive = load(kWineFile);
        std::vector<RegKey*> pending{hive->root().get()};
        while (!pending.empty()) {
            RegKey* key = pending.back();
            pending.pop_back();
            if (key->hasSection()) {
                if (decode)
                    key->values();
                key->touch(key->modified());
            }
            for (const auto& child : key->children())
                pending.push_back(child.get());
        }
        EXPECT_EQ(HiveWriter::toBytes(*hive), kWineFile) << "decoded: " << decode;
    }
}

TEST(Hive, AKeyChangedOnlyInItsTimeKeepsItsLinesAsSpelled)
{
    // Spellings Wine reads but would not write: a string as hex, an indent, a comment.
    const QByteArray odd = "[Software\\\\Classes\\\\odd] 1796572859\n#time=1dd859afc1305be\n"
                           "#class=\"c\"\n\"a\"=hex(1):41,00,00,00\n  @=dword:00000001\n;kept\n";
    auto hive = load(kHeader + "\n" + odd);
    ASSERT_TRUE(hive);
    MountedHive mounted(hive);
    RegKeyHandle sub;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u"odd\\sub"_s, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, sub.out(),
                             &disposition),
              ERROR_SUCCESS);
    const QByteArray seconds = QByteArray::number(qint64((kNow - 116444736000000000LL) / 10000000));
    const QByteArray expected = kHeader + "\n[Software\\\\Classes\\\\odd] " + seconds +
                                "\n#time=1dd900000000000\n#class=\"c\"\n\"a\"=hex(1):41,00,00,00\n  @=dword:00000001\n"
                                ";kept\n\n[Software\\\\Classes\\\\odd\\\\sub] " + seconds + "\n#time=1dd900000000000\n";
    EXPECT_EQ(HiveWriter::toBytes(*hive), expected);

    // A key with subkeys and nothing of its own needs no section, decoded or not.
    auto bare = load(kHeader + "\n[Software\\\\Classes\\\\bare] 1796572859\n#time=1dd859afc1305be\n");
    ASSERT_TRUE(bare);
    MountedHive mountedBare(bare);
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u"bare\\sub"_s, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, sub.out(),
                             &disposition),
              ERROR_SUCCESS);
    EXPECT_FALSE(HiveWriter::toBytes(*bare).contains("bare] "));
}

TEST(Hive, OnlyTheChangedKeyDiffers)
{
    auto hive = load(kWineFile);
    ASSERT_TRUE(hive);
    MountedHive mounted(hive);
    // Setting the stored value again is no change.
    EXPECT_EQ(setText(u"txtfile"_s, QString(), u"Text Document"_s), ERROR_SUCCESS);
    EXPECT_FALSE(hive->isDirty());
    EXPECT_EQ(HiveWriter::toBytes(*hive), kWineFile);

    ASSERT_EQ(setText(u".txt"_s, u"content type"_s, u"text/x-changed"_s), ERROR_SUCCESS);
    QByteArray expected = kWineFile;
    expected.replace("[Software\\\\Classes\\\\.txt] 1796572859\n#time=1dd859afc1305be\n@=\"txtfile\"\n"
                     "\"Content Type\"=\"text/plain\"",
                     "[Software\\\\Classes\\\\.txt] " +
                         QByteArray::number(qint64((kNow - 116444736000000000LL) / 10000000)) +
                         "\n#time=1dd900000000000\n@=\"txtfile\"\n\"Content Type\"=\"text/x-changed\"");
    EXPECT_EQ(HiveWriter::toBytes(*hive), expected);
}

TEST(Hive, ReadsValuesClassesAndLinks)
{
    auto hive = load(kWineFile);
    MountedHive mounted(hive);
    EXPECT_EQ(probe::text(u".TXT"_s), u"txtfile"_s);
    EXPECT_EQ(probe::text(u"txtfile\\shell\\open\\command"_s), u"%SystemRoot%\\system32\\notepad.exe %1"_s);
    EXPECT_EQ(probe::text(u"Software\\T\\br]ack[et"_s, u"wide"_s, HKEY_LOCAL_MACHINE), u"\u4e2d\u6587"_s);

    RegKeyHandle key;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"Software\\T\\br]ack[et"_s, 0, KEY_READ, key.out()), ERROR_SUCCESS);
    QString className;
    DWORD classChars = 100;
    ASSERT_EQ(RegQueryInfoKey(key.get(), &className, &classChars, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(className, u"My \"Class\""_s);
    const RegKey::Ptr link = hive->root()->child(u"Software")->child(u"Wow6432Node")->child(u"Classes");
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->isLink());
}

TEST(Hive, SectionsInAnyOrderMergeAndParentsAreImplied)
{
    const QByteArray text = kHeader + R"(
[B\\C] 1
"x"="1"

[a] 2
"k"="first"

[A] 3
"k"="second"
"l"="more"
)";
    auto hive = load(text);
    ASSERT_TRUE(hive);
    EXPECT_TRUE(hive->problems().isEmpty());
    const RegKey::Ptr a = hive->root()->child(u"A");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->name(), u"a"_s); // the first spelling stays
    ASSERT_EQ(a->values().size(), 2u);
    EXPECT_EQ(a->value(u"k")->data, QByteArray("s\0e\0c\0o\0n\0d\0\0\0", 14));
    ASSERT_TRUE(hive->root()->child(u"b"));
    // Written back sorted, the merged key as one section.
    const QByteArray written = HiveWriter::toBytes(*hive);
    EXPECT_LT(written.indexOf("[a] 2"), written.indexOf("[B\\\\C] 1"));
    EXPECT_EQ(written.count("[a]"), 1);
    EXPECT_TRUE(written.contains("\"k\"=\"second\"\n\"l\"=\"more\"\n"));
}

// A key line may spell a key made by an earlier line in another case; saving must keep the
// spelling the tree has, and a second save must change nothing.
TEST(Hive, AKeySpelledInAnotherCaseKeepsItsNameThroughSaves)
{
    const struct {
        const char* name;
        QByteArray text;
        QStringList path; // the key the later line names, as first spelled
    } cases[] = {
        {"the key itself", kHeader + R"(
[a\\B\\c] 1
"x"="1"

[a\\b] 2
"z"="2"
)", {u"a"_s, u"B"_s}},
        {"a parent", kHeader + R"(
[Q\\x] 1
"x"="1"

[q\\a] 2
"z"="2"
)", {u"Q"_s, u"a"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto hive = load(c.text);
        ASSERT_TRUE(hive);
        ASSERT_TRUE(hive->problems().isEmpty());
        const QByteArray saved = HiveWriter::toBytes(*hive);
        auto reread = load(saved);
        ASSERT_TRUE(reread);
        RegKey::Ptr key = reread->root();
        for (const QString& name : c.path) {
            key = key->child(name);
            ASSERT_TRUE(key);
            EXPECT_EQ(key->name(), name);
        }
        ASSERT_TRUE(key->value(u"z"));
        EXPECT_EQ(key->value(u"z")->data, QByteArray("2\0\0\0", 4));
        EXPECT_EQ(HiveWriter::toBytes(*reread), saved);
    }
}

TEST(Hive, EnumerationFollowsWinesOrder)
{
    auto hive = load(kHeader + R"(
[K\\~t] 1
[K\\Z] 1
[K\\b] 1
[K\\ab] 1
[K\\a_b] 1
[K\\A] 1
[K\\_x] 1
[K\\\[x\]] 1
[K\\0] 1
[K\\\xe9t\xe9] 1
)");
    ASSERT_TRUE(hive);
    MountedHive mounted(hive);
    EXPECT_EQ(probe::subkeys(u"K"_s, HKEY_LOCAL_MACHINE),
              (QStringList{"0", "[x]", "_x", "A", "a_b", "ab", "b", "Z", "~t", u"\u00e9t\u00e9"_s}));
}

struct BadInput {
    const char* label;
    QByteArray text;
    int line; // where the problem is reported
};

class BadInputTest : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputTest, IsReportedWithFileAndLine)
{
    const BadInput& c = GetParam();
    auto hive = load(c.text);
    ASSERT_TRUE(hive);
    ASSERT_FALSE(hive->problems().isEmpty()) << c.label;
    EXPECT_TRUE(hive->problems().first().startsWith(u"system.reg:%1: "_s.arg(c.line)))
        << hive->problems().first().toStdString();
}

QByteArray deepKey(int levels)
{
    return "[K" + QByteArray("\\\\K").repeated(levels - 1) + "] 1\n";
}

INSTANTIATE_TEST_SUITE_P(
    Hive, BadInputTest,
    ::testing::Values(
        BadInput{"truncated in a value", kHeader + "\n[A] 1\n\"x\"=\"abc", 7},
        BadInput{"truncated after a complete line", kHeader + "\n[A] 1\n\"x\"=\"abc\"", 7},
        BadInput{"truncated in a continuation", kHeader + "\n[A] 1\n\"x\"=hex:01,\\\n", 7},
        BadInput{"unknown value type", kHeader + "\n[A] 1\n\"x\"=float:1.0\n", 7},
        BadInput{"invalid escape", kHeader + "\n[A] 1\n\"x\"=\"a\\qb\"\n", 7},
        BadInput{"invalid escape in a key", kHeader + "\n[A\\\\b\\q] 1\n", 6},
        BadInput{"line over 1 MiB", kHeader + "\n[A] 1\n\"x\"=\"" + QByteArray(1100000, 'a') + "\"\n", 7},
        BadInput{"nested 600 levels", kHeader + "\n" + deepKey(600), 6},
        BadInput{"key name over 255 characters", kHeader + "\n[A\\\\" + QByteArray(256, 'n') + "] 1\n", 6},
        BadInput{"non-UTF-8 bytes", kHeader + "\n[A] 1\n\"x\"=\"caf\xe9\"\n", 7},
        BadInput{"value before any key", kHeader + "\"x\"=\"y\"\n", 5},
        BadInput{"junk line", kHeader + "\n[A] 1\nthis is not a registry line\n", 7}),
    [](const auto& param) { return testName(param.param.label); });

TEST(Hive, MissingHeaderIsRefused)
{
    QString error;
    EXPECT_FALSE(load("[A] 1\n\"x\"=\"y\"\n", &error));
    EXPECT_TRUE(error.startsWith(u"system.reg:1: "_s)) << error.toStdString();
    EXPECT_FALSE(load(QByteArray(), &error));
    EXPECT_FALSE(load("WINE REGISTRY Version 1\n", &error));
}

TEST(Hive, DepthAndNameLimitsAreInclusive)
{
    auto hive = load(kHeader + "\n" + deepKey(512) + "\n[B\\\\" + QByteArray(255, 'n') + "] 1\n");
    ASSERT_TRUE(hive);
    EXPECT_TRUE(hive->problems().isEmpty()) << hive->problems().join('\n').toStdString();
}

TEST(Hive, MalformedLinesStayInTheTextForNothingIsSaved)
{
    // A hive with problems is not saved by the store; its text still holds every line, and the
    // keys that could be read are usable.
    const QByteArray text = kHeader + "\n[A] 1\n\"good\"=\"1\"\n\"bad\"=hex: 01\n";
    auto hive = load(text);
    ASSERT_TRUE(hive);
    EXPECT_EQ(hive->problems().size(), 1);
    EXPECT_EQ(HiveWriter::toBytes(*hive), text);
    EXPECT_TRUE(hive->root()->child(u"A")->value(u"good"));
}

} // namespace
