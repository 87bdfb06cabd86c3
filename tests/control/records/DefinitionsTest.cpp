#include "control/records/Definitions.h"
#include "platform/settings/Settings.h"
#include "tests/support/TestSettings.h"

#include <gtest/gtest.h>

namespace {

void save(const QString& section, const QString& key, const QString& value)
{
    SaveSetting(SETTINGS_APPLICATION, section, key, value);
}

// "index key group" for every row, as the loaders see the table.
QStringList rowsOf(const QString& section)
{
    QStringList rows;
    for (const DefinitionRow& row : DefinitionRows(section))
        rows << QStringLiteral("%1 %2 %3").arg(row.index).arg(row.key, row.group);
    return rows;
}

// The columns that address the registry, and the texts the records take from the tables.
TEST(Definitions, DefaultTablesNameTheKeysTheLoadersRead)
{
    TestSettings settings;
    EXPECT_EQ(rowsOf(SECTION_SHELLEX),
              (QStringList{"0 PropertySheetHandlers True", "1 ContextMenuHandlers True", "2 CopyHookHandler False",
                           "3 DragDropHandlers True", "4 DataHandler True", "5 DropHandler False", "6 IconHandler False",
                           "7 ColumnHandlers True"}));
    EXPECT_EQ(rowsOf(SECTION_SPECIAL),
              (QStringList{"0 Folder True", "1 * False", "2 Drive True", "3 AllFileSystemObjects False", "4 AudioCD True",
                           "5 DVDFile True", "6 DVD True", "7 Directory True", "8 Printers True"}));
    EXPECT_EQ(DefinitionField(SECTION_SPECIAL, 1, FIELD_NAME), QStringLiteral(" All Files"));
    EXPECT_EQ(DefinitionField(SECTION_SPECIAL, 8, FIELD_ICONKEY), QStringLiteral("printer.default"));
    EXPECT_EQ(GetAllSettings(SETTINGS_APPLICATION, SECTION_THREADMODELS),
              (QList<SettingPair>{{QStringLiteral("Apartment Threaded"), QStringLiteral("Apartment")},
                                  {QStringLiteral("Single Threaded"), QStringLiteral("Single")},
                                  {QStringLiteral("Both"), QStringLiteral("Both")}}));
}

TEST(Definitions, RowsAreFoundByTheirKeyFieldInStoredOrderAndFollowEveryChange)
{
    TestSettings settings(false);
    const QString custom = QStringLiteral("custom");
    const std::pair<const char*, const char*> pairs[] = {
        {"7_Name", "Seven"},   {"7_Key", "SevenKey"},     {"7_Group", "True"},     {"2_Key", "TwoKey"},
        {"2_Group", "yes"},    {"10_key", "TenKey"},      {"x_Key", "no number"},  {"-1_Key", "negative"},
        {"_Key", "no number"}, {"3_KeyName", "not a key"}, {"99999999999_Key", "too big"},
    };
    for (const auto& [key, value] : pairs)
        save(custom, QString::fromLatin1(key), QString::fromLatin1(value));
    EXPECT_EQ(rowsOf(custom), (QStringList{"7 SevenKey True", "2 TwoKey yes", "10 TenKey "}));
    EXPECT_EQ(DefinitionField(custom, 7, FIELD_NAME), QStringLiteral("Seven"));
    EXPECT_EQ(DefinitionField(custom, 2, FIELD_NAME), QString());
    EXPECT_EQ(DefinitionGroup(custom, 7), true);
    EXPECT_EQ(DefinitionGroup(custom, 2), std::nullopt) << "\"yes\" is no boolean";
    EXPECT_EQ(DefinitionGroup(custom, 10), std::nullopt) << "an absent n_Group is no boolean";

    // The rows are cached: a change of the settings must still show.
    save(custom, QStringLiteral("20_Key"), QStringLiteral("New"));
    EXPECT_EQ(rowsOf(custom).last(), QStringLiteral("20 New "));
    save(custom, QStringLiteral("20_Key"), QStringLiteral("Renamed"));
    EXPECT_EQ(rowsOf(custom).last(), QStringLiteral("20 Renamed "));
    save(custom, QStringLiteral("20_Group"), QStringLiteral("False"));
    EXPECT_EQ(rowsOf(custom).last(), QStringLiteral("20 Renamed False"));
}

TEST(Definitions, BooleansAreOnlyTrueAndFalseInAnyCase)
{
    const struct {
        const char* text;
        std::optional<bool> expected;
    } cases[] = {
        {"True", true},     {"False", false},        {"true", true},      {"FALSE", false},
        {"", std::nullopt}, {"Yes", std::nullopt},   {"1", std::nullopt}, {"-1", std::nullopt},
        {" True", std::nullopt}, {"Truex", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DefinitionBoolean(QString::fromUtf8(c.text)), c.expected) << '"' << c.text << '"';
}

TEST(Definitions, FlagNamesNeedEveryBitOfTheirMaskAndFollowStoredOrder)
{
    TestSettings settings;
    ASSERT_EQ(FlagDefinitions().size(), 19);
    // One name per bit of the shell's attribute flags; 0x4000 and 0x80000 have none.
    QStringList byBit;
    for (int bit = 0; bit <= 20; ++bit)
        byBit << FlagNames(1u << bit).join(u'+');
    EXPECT_EQ(byBit, (QStringList{"FTA_Exclude",       "FTA_Show",          "FTA_HasExtension", "FTA_NoEdit",
                                  "FTA_NoRemove",      "FTA_NoNewVerb",     "FTA_NoEditVerb",   "FTA_NoRemoveVerb",
                                  "FTA_NoEditDesc",    "FTA_NoEditIcon",    "FTA_NoEditDflt",   "FTA_NoEditVerbCmd",
                                  "FTA_NoEditVerbExe", "FTA_NoDDE",         "",                 "FTA_NoEditMIME",
                                  "FTA_OpenIsSafe",    "FTA_AlwaysUnsafe",  "FTA_AlwaysShowExt", "",
                                  "FTA_NoRecentDocs"}));
    EXPECT_EQ(FlagNames(0), QStringList());
    EXPECT_EQ(FlagNames(0x10004), (QStringList{"FTA_HasExtension", "FTA_OpenIsSafe"}));
    EXPECT_EQ(FlagNames(0x102000), (QStringList{"FTA_NoDDE", "FTA_NoRecentDocs"}));

    // Rows a user added: a two-bit mask applies only with both bits; a value that is no mask is skipped.
    save(SECTION_FLAGS, QStringLiteral("Both_Bits"), QStringLiteral("6"));
    save(SECTION_FLAGS, QStringLiteral("Broken"), QStringLiteral("six"));
    EXPECT_EQ(FlagDefinitions().size(), 20);
    EXPECT_EQ(FlagNames(0x4), QStringList{QStringLiteral("FTA_HasExtension")});
    EXPECT_EQ(FlagNames(0x6), (QStringList{"FTA_Show", "FTA_HasExtension", "Both_Bits"}));
}

// The other item keys show in the record tests.
TEST(Definitions, GroupFolderKeysEndWithTheGroupIndex)
{
    EXPECT_EQ(ShellExtensionGroupFolderKey(FileTypeKey(QStringLiteral("txtfile")), 1), QStringLiteral("ftss.ft__.txtfile.1"));
}

} // namespace
