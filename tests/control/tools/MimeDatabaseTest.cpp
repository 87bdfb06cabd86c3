#include "control/tools/MimeDatabase.h"

#include "platform/registry/PrefixStore.h"
#include "tests/support/FullDiskFile.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/TestNames.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString kDatabase = u"MIME\\Database\\Content Type"_s;
const QString kGifFilter = u"{607fd4e8-0a03-11d1-ab1d-00c04fc9b304}"_s;
const QString kGifClsid = u"{25336920-03f9-11cf-8fd0-00aa00686f13}"_s;

// A database (the registry keeps it sorted), with a type that keeps a subkey of its own.
const QByteArray kMimeRegistry = R"(
[Software\\Classes\\MIME\\Database\\Content Type] 1
[Software\\Classes\\MIME\\Database\\Content Type\\text/plain] 1
"Extension"=".txt"
[Software\\Classes\\MIME\\Database\\Content Type\\image/gif] 1
"CLSID"="{25336920-03f9-11cf-8fd0-00aa00686f13}"
"Extension"=".gif"
"Image Filter CLSID"="{607fd4e8-0a03-11d1-ab1d-00c04fc9b304}"
[Software\\Classes\\MIME\\Database\\Content Type\\image/gif\\Bits] 1
"0"=hex:04,00,00,00,ff,ff,ff,ff,47,49,46,38
[Software\\Classes\\MIME\\Database\\Content Type\\Image/png] 1
"Extension"=".png"
"Image Filter CLSID"="{607fd4e8-0a03-11d1-ab1d-00c04fc9b304}"
[Software\\Classes\\MIME\\Database\\Content Type\\application/x-long] 1
"Extension"=")" + QByteArray(300, 'x') + R"("
"CLSID"="{11111111-0000-0000-0000-000000000001}"
[Software\\Classes\\MIME\\Database\\Content Type\\video/x-empty] 1
)";

class MimeDatabaseTest : public ::testing::Test {
protected:
    MimeDatabaseTest()
        : prefix(kMimeRegistry)
    {
        prefix.open();
    }

    QByteArray systemReg() const { return prefix.readFile(u"system.reg"_s); }
    static QString typePath(const QString& type) { return kDatabase + u'\\' + type; }
    static std::optional<QString> value(const QString& type, const QString& name)
    {
        return probe::text(typePath(type), name);
    }

    TestPrefix prefix;
};

TEST_F(MimeDatabaseTest, ListsEveryContentTypeInRegistryOrderWithItsValues)
{
    struct ContentRow {
        const char* type;
        QString extension, clsid, imageFilter;
    };
    const ContentRow expected[] = {
        {"application/x-long", {}, u"{11111111-0000-0000-0000-000000000001}"_s, {}}, // too long for the buffer
        {"image/gif", u".gif"_s, kGifClsid, kGifFilter},
        {"Image/png", u".png"_s, {}, {}}, // not "image" in that case: no filter read
        {"text/plain", u".txt"_s, {}, {}},
        {"video/x-empty", {}, {}, {}},
    };
    const std::vector<MimeDatabase::Entry> entries = MimeDatabase::regEnumMimeTypes();
    ASSERT_EQ(entries.size(), std::size(expected)) << "one row per content type, and no spare one";
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(expected[i].type);
        EXPECT_EQ(entries[i].ContentType, QString::fromLatin1(expected[i].type));
        EXPECT_EQ(entries[i].Extension, expected[i].extension);
        EXPECT_EQ(entries[i].CLSID, expected[i].clsid);
        EXPECT_EQ(entries[i].ImageFilterCLSID, expected[i].imageFilter);
    }
}

TEST(MimeDatabaseMissing, NoDatabaseListsNothing)
{
    TestPrefix prefix(R"(
[Software\\Classes\\MIME\\Database] 1
)");
    prefix.open();
    EXPECT_TRUE(MimeDatabase::regEnumMimeTypes().empty());
    EXPECT_EQ(MimeDatabase::regAddMimeType(u"text/x"_s, u".x"_s, {}, {}), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(probe::keyExists(kDatabase));
}

TEST_F(MimeDatabaseTest, AddWritesWhatWasGivenAndKeepsWhatWasLeftEmpty)
{
    struct AddCase {
        const char* label;
        QString type, extension, clsid, imageFilter;
        std::optional<QString> wantExtension, wantClsid, wantImageFilter;
    };
    const QString newClsid = u"{22222222-0000-0000-0000-000000000002}"_s;
    const AddCase cases[] = {
        {"new type with everything", u"application/x-varnook"_s, u".vnk"_s, newClsid, kGifFilter, u".vnk"_s, newClsid,
         std::nullopt}, // no image type: no image filter
        {"new image type", u"image/x-varnook"_s, u".vni"_s, newClsid, kGifFilter, u".vni"_s, newClsid, kGifFilter},
        {"empty CLSID and filter keep the old ones", u"image/gif"_s, u".gif"_s, {}, {}, u".gif"_s, kGifClsid, kGifFilter},
        {"empty extension is written empty", u"text/plain"_s, {}, {}, {}, u""_s, std::nullopt, std::nullopt},
        {"other case opens the same type", u"IMAGE/GIF"_s, u".gf"_s, newClsid, {}, u".gf"_s, newClsid, kGifFilter},
    };
    for (const AddCase& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(MimeDatabase::regAddMimeType(c.type, c.extension, c.clsid, c.imageFilter), 0);
        prefix.reopen();
        EXPECT_EQ(value(c.type, u"Extension"_s), c.wantExtension);
        EXPECT_EQ(value(c.type, u"CLSID"_s), c.wantClsid);
        EXPECT_EQ(value(c.type, u"Image Filter CLSID"_s), c.wantImageFilter);
        EXPECT_EQ(probe::type(typePath(c.type), u"Extension"_s), std::optional<DWORD>(REG_SZ));
    }
    EXPECT_TRUE(probe::keyExists(typePath(u"image/gif\\Bits"_s))) << "adding over a type keeps its subkeys";
}

TEST_F(MimeDatabaseTest, NamesThatAreNoContentTypeAreRefusedAndTouchNothing)
{
    const QByteArray before = systemReg();
    for (const QString& name : {u""_s, u"\\"_s, u"image\\gif"_s, u"text/plain\\"_s, u"..\\..\\CLSID"_s}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(MimeDatabase::regAddMimeType(name, u".x"_s, kGifClsid, {}), ERROR_INVALID_PARAMETER);
        EXPECT_EQ(MimeDatabase::regRemoveMimeType(name), ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(probe::subkeys(kDatabase).size(), 5);
    EXPECT_FALSE(probe::text(kDatabase, u"Extension"_s).has_value());
    EXPECT_TRUE(systemReg() == before);
}

TEST_F(MimeDatabaseTest, RemoveTakesTheTypeWithItsSubkeysAndLeavesTheOthers)
{
    EXPECT_EQ(MimeDatabase::regRemoveMimeType(u"image/gif"_s), 0);
    prefix.reopen();
    EXPECT_FALSE(probe::keyExists(typePath(u"image/gif"_s)));
    EXPECT_EQ(probe::subkeys(kDatabase),
              (QStringList{u"application/x-long"_s, u"Image/png"_s, u"text/plain"_s, u"video/x-empty"_s}));

    EXPECT_EQ(MimeDatabase::regRemoveMimeType(u"image/gif"_s), ERROR_FILE_NOT_FOUND) << "gone already";
}

TEST_F(MimeDatabaseTest, ReadOnlyPrefixRefusesWritesWithAccessDenied)
{
    const QByteArray before = systemReg();
    PrefixStore readOnly(prefix.path());
    readOnly.setReadOnlyRequested(true);
    readOnly.setServerProbe([](const QString&) { return WineServerProbe::Status{}; });
    QString error;
    ASSERT_TRUE(readOnly.open(error)) << error.toStdString();
    Registry::setCurrent(&readOnly.registry());

    EXPECT_EQ(MimeDatabase::regAddMimeType(u"application/x-varnook"_s, u".vnk"_s, {}, {}), ERROR_ACCESS_DENIED);
    EXPECT_EQ(MimeDatabase::regRemoveMimeType(u"image/gif"_s), ERROR_ACCESS_DENIED);
    EXPECT_EQ(MimeDatabase::regEnumMimeTypes().size(), 5u);
    Registry::setCurrent(&prefix.store().registry());
    EXPECT_TRUE(systemReg() == before);
}

TEST_F(MimeDatabaseTest, AFailedSaveFailsTheCommandAndLeavesTheFile)
{
    const QByteArray before = systemReg();
    prefix.store().setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 0); });
    int failedSaves = 0;
    prefix.store().setSaveFailureHandler([&](const QString&) { ++failedSaves; });

    EXPECT_EQ(MimeDatabase::regAddMimeType(u"application/x-varnook"_s, u".vnk"_s, kGifClsid, {}), ERROR_CANTWRITE);
    EXPECT_EQ(failedSaves, 1) << "one command, one save";
    EXPECT_EQ(MimeDatabase::regRemoveMimeType(u"image/gif"_s), ERROR_CANTWRITE);
    EXPECT_TRUE(systemReg() == before);
    EXPECT_EQ(prefix.store().registry().openHandleCount(), 0u);
}

} // namespace
