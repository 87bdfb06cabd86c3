// First, so that GoogleTest finds it when it instantiates its printers.
#include "tests/support/QStringPrinter.h"

#include "platform/icons/PeResourceReader.h"
#include "platform/icons/PeVersionInfo.h"
#include "tests/support/TestPeWriter.h"
#include "tests/support/TestIconData.h"
#include "tests/support/WinePrefix.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using D = TestIconData;
using Strings = QList<std::pair<QString, QString>>;

const Strings kStrings = {
    {u"CompanyName"_s, u"Ärger Software"_s},
    {u"FileDescription"_s, u"Ärger Editor"_s},
    {u"FileVersion"_s, u"2.5.1.300 (release)"_s},
    {u"InternalName"_s, u"aerger"_s},
    {u"LegalCopyright"_s, u"© 2024 Ärger"_s},
    {u"OriginalFilename"_s, u"aerger.exe"_s},
    {u"ProductName"_s, u"Ärger"_s},
    {u"ProductVersion"_s, u"2.5"_s},
};

constexpr quint64 kFileVersion = 0x0002000500010012ULL;    // 2.5.1.18
constexpr quint64 kProductVersion = 0x0002000500000000ULL; // 2.5.0.0

QByteArray resource(const Strings& strings = kStrings)
{
    return TestPeWriter::versionResource(kFileVersion, kProductVersion, {{u"040904b0"_s, strings}});
}

// The offset of the block whose key is `key` (its length field), -1 when there is none.
qint64 blockOf(const QByteArray& bytes, const QString& key)
{
    QByteArray pattern;
    for (QChar c : key)
        D::put16(pattern, c.unicode());
    D::put16(pattern, 0);
    const qint64 at = bytes.indexOf(pattern);
    return at < 0 ? -1 : at - 6;
}

class PeVersionInfoTest : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes, const QString& name = u"file.exe"_s)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(PeVersionInfoTest, ReadsVersionsAndStringsBesideTheIcons)
{
    for (const auto bits : {TestPeWriter::Bits::Pe32, TestPeWriter::Bits::Pe32Plus}) {
        SCOPED_TRACE(bits == TestPeWriter::Bits::Pe32 ? "PE32" : "PE32+");
        TestPeWriter pe(bits);
        pe.addGroup(1, {D::dib(32, 32, qRgb(200, 0, 0))});
        pe.setVersion(resource());
        const QString path = write(pe.build());

        const auto info = PeVersionInfo::read(path);
        ASSERT_TRUE(info);
        EXPECT_TRUE(info->hasFixedInfo);
        EXPECT_EQ(info->fileVersion.toString(), u"2.5.1.18"_s);
        EXPECT_EQ(info->productVersion.toString(), u"2.5.0.0"_s);
        EXPECT_EQ(info->stringTable, u"040904b0"_s);
        EXPECT_EQ(info->strings, kStrings);
        EXPECT_EQ(info->value(u"legalcopyright"_s), u"© 2024 Ärger"_s);
        EXPECT_TRUE(info->value(u"Comments"_s).isNull());

        // The icons are found as before.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto resources = PeResourceReader::read(file);
        ASSERT_TRUE(resources);
        ASSERT_EQ(resources->groups.size(), 1);
        EXPECT_EQ(resources->groups[0].id, 1);
        EXPECT_EQ(resources->icons.size(), 1);
        EXPECT_EQ(resources->version.offset, pe.layout().versionData);
    }
}

TEST_F(PeVersionInfoTest, NothingForFilesWithoutAVersionResource)
{
    TestPeWriter iconsOnly(TestPeWriter::Bits::Pe32);
    iconsOnly.addGroup(1, {D::dib(16, 8, qRgb(0, 0, 200))});
    const QString folder = m_dir.filePath(u"folder.exe"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString paths[] = {write(iconsOnly.build(), u"icons.dll"_s), write("MZ just a DOS program", u"dos.exe"_s),
                             write(resource(), u"bare.res"_s), m_dir.filePath(u"missing.exe"_s), folder};
    for (const QString& path : paths)
        EXPECT_FALSE(PeVersionInfo::read(path)) << path.toStdString();
}

TEST_F(PeVersionInfoTest, PrefersUsEnglishThenUnicodeThenTheFirstTable)
{
    const struct {
        QStringList tables;
        const char* chosen;
    } cases[] = {
        {{u"040704b0"_s, u"040904e4"_s}, "040904e4"},
        {{u"040704e4"_s, u"000004B0"_s}, "000004B0"},
        {{u"040904e4"_s, u"040904b0"_s}, "040904b0"},
        {{u"040704e4"_s, u"041104e4"_s}, "040704e4"},
        {{u"040c04b0"_s, u"040704b0"_s}, "040c04b0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tables.join(u' ').toStdString());
        QList<TestPeWriter::StringTable> tables;
        for (const QString& key : c.tables)
            tables.append({key, {{u"FileDescription"_s, u"in "_s + key}}});
        const PeVersionInfo info = PeVersionInfo::parse(TestPeWriter::versionResource(1, 1, tables));
        EXPECT_EQ(info.stringTable, QLatin1String(c.chosen));
        EXPECT_EQ(info.value(u"FileDescription"_s), u"in "_s + QLatin1String(c.chosen));
    }
}

// Cut anywhere, the resource gives the strings before the cut, the last one perhaps shortened.
TEST_F(PeVersionInfoTest, CutResourceYieldsWhatCameBeforeTheCut)
{
    const QByteArray full = resource();
    for (qsizetype cut = 0; cut <= full.size(); ++cut) {
        const PeVersionInfo info = PeVersionInfo::parse(full.left(cut));
        ASSERT_LE(info.strings.size(), kStrings.size()) << cut;
        for (qsizetype i = 0; i < info.strings.size(); ++i) {
            ASSERT_TRUE(kStrings[i].first.startsWith(info.strings[i].first)) << cut;
            ASSERT_TRUE(kStrings[i].second.startsWith(info.strings[i].second)) << cut;
        }
        if (info.hasFixedInfo) {
            EXPECT_EQ(info.fileVersion.toString(), u"2.5.1.18"_s) << cut;
        }
    }
    EXPECT_EQ(PeVersionInfo::parse(full).strings, kStrings);
}

TEST_F(PeVersionInfoTest, DamagedBlocksStopTheWalkWhereTheyAre)
{
    const struct {
        const char* name;
        std::function<void(QByteArray&)> damage;
        bool fixedInfo;
        qsizetype strings; // how many of kStrings come out whole
    } cases[] = {
        {"zero length of a string", [](QByteArray& b) { D::set16(b, blockOf(b, u"InternalName"_s), 0); }, true, 3},
        {"string longer than its table",
         [](QByteArray& b) { D::set16(b, blockOf(b, u"ProductVersion"_s), 0xFFF0); }, true, 8},
        {"table longer than the resource", [](QByteArray& b) { D::set16(b, blockOf(b, u"040904b0"_s), 0xFFF0); },
         true, 8},
        {"fixed part without its signature", [](QByteArray& b) { D::set32(b, 40, 0x12345678); }, false, 8},
        // The fixed part is still there; the children are taken to lie beyond the end.
        {"fixed part claimed longer than the resource", [](QByteArray& b) { D::set16(b, 2, 0xFFFF); }, true, 0},
        {"root too short for anything", [](QByteArray& b) { D::set16(b, 0, 6); }, false, 0},
        {"not a version resource", [](QByteArray& b) { D::set16(b, 6, u'X'); }, false, 0},
        {"string table without strings",
         [](QByteArray& b) {
             const qint64 table = blockOf(b, u"040904b0"_s);
             D::set16(b, table, 6 + 18);
         },
         true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = resource();
        c.damage(bytes);
        const PeVersionInfo info = PeVersionInfo::parse(bytes);
        EXPECT_EQ(info.hasFixedInfo, c.fixedInfo);
        ASSERT_GE(info.strings.size(), c.strings);
        EXPECT_EQ(info.strings.mid(0, c.strings), kStrings.mid(0, c.strings));
        EXPECT_LE(info.strings.size(), kStrings.size());
    }
}

TEST_F(PeVersionInfoTest, DataEntryClaimingMoreThanTheFileIsCutAtItsEnd)
{
    TestPeWriter pe(TestPeWriter::Bits::Pe32Plus);
    pe.setVersion(resource());
    QByteArray bytes = pe.build();
    D::set32(bytes, pe.layout().versionEntry + 4, 0xFFFFFFF0u);
    const auto info = PeVersionInfo::read(write(bytes));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->strings, kStrings);
}

// Wine's own libraries and programs carry version resources as Windows' do (not all of them).
TEST(PeVersionInfoWine, LibrariesAndProgramsOfABootedPrefix)
{
    if (!WinePrefix::wineAvailable())
        GTEST_SKIP() << "Wine is not installed";
    const WinePrefix wine;
    if (!wine.isValid())
        GTEST_SKIP() << "wineboot made no prefix";
    const QString system32 = wine.filePath(u"drive_c/windows/system32/"_s);
    for (const char* name : {"shell32.dll", "explorer.exe"}) {
        SCOPED_TRACE(name);
        const auto info = PeVersionInfo::read(system32 + QLatin1String(name));
        ASSERT_TRUE(info);
        EXPECT_TRUE(info->hasFixedInfo);
        EXPECT_GT(info->fileVersion.major, 0);
        EXPECT_EQ(info->stringTable.toLower(), u"040904b0"_s);
        EXPECT_TRUE(info->value(u"FileDescription"_s).startsWith(u"Wine"_s)) << info->value(u"FileDescription"_s).toStdString();
        EXPECT_FALSE(info->value(u"CompanyName"_s).isEmpty());
        EXPECT_TRUE(info->value(u"LegalCopyright"_s).contains(u"Wine project"_s));
        // The text of the file version starts with the numbers of the fixed part.
        const PeVersionInfo::Version v = info->fileVersion;
        EXPECT_TRUE(info->value(u"FileVersion"_s).startsWith(QStringLiteral("%1.%2").arg(v.major).arg(v.minor)));
    }
    // A program without a version resource.
    EXPECT_FALSE(PeVersionInfo::read(system32 + u"notepad.exe"_s));
}

} // namespace
