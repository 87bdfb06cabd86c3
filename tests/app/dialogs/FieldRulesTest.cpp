#include "app/dialogs/BrowseForFile.h"
#include "app/dialogs/FieldRules.h"
#include "app/dialogs/HandlerTables.h"
#include "control/records/Definitions.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include "control/tree/IconList.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

TEST(FieldRules, FlagsAreAnUnsignedThirtyTwoBitDecimal)
{
    const struct {
        QString text;
        std::optional<quint32> flags;
    } cases[] = {
        {u"0"_s, 0u},
        {u" 65544 "_s, 65544u},
        {u"4294967295"_s, 0xFFFFFFFFu},
        {u"4294967296"_s, std::nullopt},
        {u"99999999999"_s, std::nullopt},
        {u""_s, std::nullopt},
        {u"   "_s, std::nullopt},
        {u"4 0"_s, std::nullopt},
        {u"-1"_s, std::nullopt},
        {u"+5"_s, std::nullopt},
        {u"0x10"_s, std::nullopt},
        {u"١٢"_s, std::nullopt}, // digits of another script are no decimal to the registry
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseFlagsText(c.text), c.flags) << c.text.toStdString();
}

TEST(FieldRules, TypedNamesThatWouldAddressAnotherKeyAreRefused)
{
    for (const QString& good : {u"txtfile"_s, u".vnk"_s, u"open"_s, u"Plain Text"_s})
        EXPECT_TRUE(IsKeyName(good)) << good.toStdString();
    for (const QString& bad : {u""_s, u"  "_s, u"txtfile\\shell"_s, u"\\"_s, u"a\\"_s})
        EXPECT_FALSE(IsKeyName(bad)) << bad.toStdString();

    EXPECT_TRUE(IsClsidText(u" {0B8EBE2A-1F4c-4a6d-9E64-0D6AEC3C4B29} "_s));
    for (const QString& bad : {u"0B8EBE2A-1F4C-4A6D-9E64-0D6AEC3C4B29"_s, u"{0B8EBE2A-1F4C-4A6D-9E64-0D6AEC3C4B2}"_s,
                               u"{0B8EBE2A-1F4C-4A6D-9E64-0D6AEC3C4B2G}"_s, u"{x}\\InprocServer32"_s, u""_s})
        EXPECT_FALSE(IsClsidText(bad)) << bad.toStdString();
}

TEST(FieldRules, ExtensionsGetTheirDotAndActionNamesTheirVerb)
{
    EXPECT_EQ(DottedExtension(u"vnk"_s), u".vnk"_s);
    EXPECT_EQ(DottedExtension(u" .vnk "_s), u".vnk"_s);
    const std::pair<QString, QString> verbs[] = {
        {u"Open"_s, u"open"_s},         {u"Print To"_s, u"printto"_s}, {u" print to "_s, u"printto"_s},
        {u"Open With Care"_s, u"open_with_care"_s}, {u"Explore"_s, u"explore"_s},
    };
    for (const auto& [name, verb] : verbs)
        EXPECT_EQ(VerbKey(name), verb) << name.toStdString();
}

TEST(HandlerTables, GroupsAreFoundByTheirNumberAndShownInTheSingular)
{
    TestSettings settings;
    const HandlerTables tables = HandlerTables::Load();
    const HandlerTables::Group* menu = nullptr;
    for (const HandlerTables::Group& group : tables.groups())
        if (group.key == u"ContextMenuHandlers"_s)
            menu = &group;
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->name, u"Context Menu Handler"_s);
    EXPECT_TRUE(menu->isGroup);
    EXPECT_EQ(tables.group(menu->index), menu);

    // A table with gaps, out of order, and a row whose group flag no one can read.
    TestSettings custom(false);
    custom.set(u"shellex"_s, u"7_Name"_s, u"Icon Handler"_s);
    custom.set(u"shellex"_s, u"7_Key"_s, u"IconHandler"_s);
    custom.set(u"shellex"_s, u"7_Group"_s, u"False"_s);
    custom.set(u"shellex"_s, u"2_Name"_s, u"Property Sheet Handlers"_s);
    custom.set(u"shellex"_s, u"2_Key"_s, u"PropertySheetHandlers"_s);
    custom.set(u"shellex"_s, u"2_Group"_s, u"true"_s);
    custom.set(u"shellex"_s, u"4_Name"_s, u"Broken"_s);
    custom.set(u"shellex"_s, u"4_Key"_s, u"Broken"_s);
    custom.set(u"shellex"_s, u"4_Group"_s, u"maybe"_s);
    custom.set(u"shellex"_s, u"5_Name"_s, u"Nested"_s);
    custom.set(u"shellex"_s, u"5_Key"_s, u"A\\B"_s);
    custom.set(u"shellex"_s, u"5_Group"_s, u"False"_s);
    const HandlerTables gaps = HandlerTables::Load();
    ASSERT_EQ(gaps.groups().size(), 2);
    EXPECT_EQ(gaps.groups()[0].index, 2);
    EXPECT_EQ(gaps.groups()[1].key, u"IconHandler"_s);
    EXPECT_EQ(gaps.group(7)->name, u"Icon Handler"_s) << "a singular name keeps its last letter";
    EXPECT_EQ(gaps.group(4), nullptr);
    EXPECT_EQ(gaps.group(0), nullptr);
}

TEST(HandlerTables, ThreadingModelsMatchTheStoredValueWithoutCase)
{
    TestSettings settings(false);
    settings.set(u"shellex_threadmodels"_s, u"Apartment Threaded"_s, u"Apartment"_s);
    settings.set(u"shellex_threadmodels"_s, u"Free Threaded"_s, u"Free"_s);
    const HandlerTables tables = HandlerTables::Load();
    ASSERT_EQ(tables.threadModels().size(), 2);
    EXPECT_EQ(tables.threadModels()[1].text, u"Free Threaded"_s);
    EXPECT_EQ(tables.threadModelIndex(u"apartment"_s), 0);
    EXPECT_EQ(tables.threadModelIndex(u"FREE"_s), 1);
    EXPECT_EQ(tables.threadModelIndex(u"Both"_s), -1);
    EXPECT_EQ(tables.threadModelIndex(QString()), -1);
}

TEST(BrowseForFile, WindowsFiltersBecomeQtFilters)
{
    EXPECT_EQ(QtNameFilters(u"Application (*.exe)|*.exe|Batch Script (*.bat;*.cmd)|*.bat;*.cmd|All Files (*.*)|*.*"_s),
              u"Application (*.exe);;Batch Script (*.bat *.cmd);;All Files (*.*)"_s);
    EXPECT_EQ(QtNameFilters(u"Icons|*.ico"_s), u"Icons (*.ico)"_s);
}

TEST(BrowseForFile, StartsAtTheCurrentFileAndGivesAWindowsPath)
{
    TestPrefix prefix;
    prefix.open();
    const QString system32 = prefix.filePath(u"drive_c/windows/system32"_s);
    ASSERT_TRUE(QDir().mkpath(system32));
    QFile tool(system32 + u"/TOOL.EXE"_s);
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.close();
    SetIconPrefix(prefix.path());

    ScriptedUi ui;
    ui.chooseFile(system32 + u"/TOOL.EXE"_s);
    EXPECT_EQ(BrowseForFile(nullptr, u"Select Application..."_s, u"Application (*.exe)|*.exe"_s,
                            u"\"C:\\windows\\system32\\tool.exe\" /run %1"_s),
              u"C:\\windows\\system32\\TOOL.EXE"_s);
    ASSERT_EQ(ui.browseRequests().size(), 1u);
    EXPECT_EQ(QDir(ui.browseRequests()[0].startFolder).canonicalPath(), QDir(system32).canonicalPath());
    EXPECT_EQ(ui.browseRequests()[0].title, u"Select Application..."_s);
    EXPECT_EQ(ui.browseRequests()[0].filter, u"Application (*.exe)"_s);

    // Nothing to start from: drive C; cancelling gives nothing.
    EXPECT_EQ(BrowseForFile(nullptr, u"t"_s, u"All Files (*.*)|*.*"_s, QString()), QString());
    EXPECT_EQ(QDir(ui.browseRequests()[1].startFolder).canonicalPath(),
              QDir(prefix.filePath(u"drive_c"_s)).canonicalPath());
}

} // namespace
