#include "control/records/Definitions.h"
#include "control/records/SettingsTables.h"
#include "platform/settings/Settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class DefinitionsTest : public ::testing::Test {
protected:
    void SetUp() override { m_previousFolder = SetSettingsFolder(m_dir.path()); }
    void TearDown() override { SetSettingsFolder(m_previousFolder); }

    static void writeDefaults()
    {
        SettingsStore::Batch batch(ApplicationSettings(SETTINGS_APPLICATION));
        for (const DefaultSetting& setting : DefaultDefinitionSettings())
            SaveSetting(SETTINGS_APPLICATION, setting.section, setting.key, setting.value);
    }

    static void writeSection(const QString& section, const QList<SettingPair>& pairs)
    {
        for (const SettingPair& pair : pairs)
            SaveSetting(SETTINGS_APPLICATION, section, pair.first, pair.second);
    }

    static QList<SettingPair> section(const QString& name) { return GetAllSettings(SETTINGS_APPLICATION, name); }

    QTemporaryDir m_dir;
    QString m_previousFolder;
};

// The pairs of a numbered table: row n's fields, each "n_<field>", in the order of `fields`.
QList<SettingPair> numberedRows(const QStringList& fields, const QStringList& rows)
{
    QList<SettingPair> pairs;
    for (qsizetype n = 0; n < rows.size(); ++n) {
        const QStringList values = rows[n].split(u'|');
        for (qsizetype f = 0; f < fields.size(); ++f)
            pairs << SettingPair{QStringLiteral("%1_%2").arg(n).arg(fields[f]), values.value(f)};
    }
    return pairs;
}

TEST_F(DefinitionsTest, DefaultTablesAreStoredRowByRowInFieldOrder)
{
    writeDefaults();
    EXPECT_EQ(section(SECTION_SHELLEX),
              numberedRows(QStringList{QStringLiteral("Name"), QStringLiteral("Description"), QStringLiteral("Key"),
                                       QStringLiteral("Group")},
                           {
                               QStringLiteral("Property Sheet Handlers||PropertySheetHandlers|True"),
                               QStringLiteral("Context Menu Handlers||ContextMenuHandlers|True"),
                               QStringLiteral("Copy Hook Handler||CopyHookHandler|False"),
                               QStringLiteral("Drag-Drop Handlers||DragDropHandlers|True"),
                               QStringLiteral("Data Handlers||DataHandler|True"),
                               QStringLiteral("Drop Handler||DropHandler|False"),
                               QStringLiteral("Icon Handler||IconHandler|False"),
                               QStringLiteral("Column Handlers||ColumnHandlers|True"),
                           }));
    const QString none = QStringLiteral("|<Not Defined - Use IconKey>");
    EXPECT_EQ(section(SECTION_SPECIAL),
              numberedRows(QStringList{QStringLiteral("Name"), QStringLiteral("Description"), QStringLiteral("Key"),
                                       QStringLiteral("Group"), QStringLiteral("IconKey"), QStringLiteral("DefaultIcon")},
                           {
                               QStringLiteral("Folder||Folder|True|folder.closed") + none,
                               QStringLiteral(" All Files||*|False|favfolder.closed") + none,
                               QStringLiteral("Disk Drive||Drive|True|drive.default") + none,
                               QStringLiteral(" All Files and Folders||AllFileSystemObjects|False|favfolder.closed") + none,
                               QStringLiteral("Multimedia Disc||AudioCD|True|cdrom.default") + none,
                               QStringLiteral("DVD Disc||DVDFile|True|cdrom.default") + none,
                               QStringLiteral("DVD Disc||DVD|True|cdrom.default") + none,
                               QStringLiteral("Directory||Directory|True|folder.closed") + none,
                               QStringLiteral("Printer||Printers|True|printer.default") + none,
                           }));
    EXPECT_EQ(section(SECTION_THREADMODELS),
              (QList<SettingPair>{{QStringLiteral("Apartment Threaded"), QStringLiteral("Apartment")},
                                  {QStringLiteral("Single Threaded"), QStringLiteral("Single")},
                                  {QStringLiteral("Both"), QStringLiteral("Both")}}));
}

TEST_F(DefinitionsTest, RowsAreFoundByTheirKeyFieldInStoredOrderWhateverTheirNumbers)
{
    writeSection(QStringLiteral("custom"), {
                                               {QStringLiteral("7_Name"), QStringLiteral("Seven")},
                                               {QStringLiteral("7_Key"), QStringLiteral("SevenKey")},
                                               {QStringLiteral("7_Group"), QStringLiteral("True")},
                                               {QStringLiteral("2_Key"), QStringLiteral("TwoKey")},
                                               {QStringLiteral("2_Group"), QStringLiteral("yes")},
                                               {QStringLiteral("10_key"), QStringLiteral("TenKey")},
                                               {QStringLiteral("x_Key"), QStringLiteral("no number")},
                                               {QStringLiteral("-1_Key"), QStringLiteral("negative")},
                                               {QStringLiteral("_Key"), QStringLiteral("no number")},
                                               {QStringLiteral("3_KeyName"), QStringLiteral("not a key field")},
                                               {QStringLiteral("99999999999_Key"), QStringLiteral("too big")},
                                           });
    const QList<DefinitionRow> rows = DefinitionRows(QStringLiteral("custom"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].index, 7);
    EXPECT_EQ(rows[0].key, QStringLiteral("SevenKey"));
    EXPECT_EQ(rows[1].index, 2);
    EXPECT_EQ(rows[1].key, QStringLiteral("TwoKey"));
    EXPECT_EQ(rows[2].index, 10);

    EXPECT_EQ(DefinitionField(QStringLiteral("custom"), 7, FIELD_NAME), QStringLiteral("Seven"));
    EXPECT_EQ(DefinitionField(QStringLiteral("custom"), 2, FIELD_NAME), QString());
    EXPECT_EQ(DefinitionGroup(QStringLiteral("custom"), 7), true);
    EXPECT_EQ(DefinitionGroup(QStringLiteral("custom"), 2), std::nullopt) << "\"yes\" is no boolean";
    EXPECT_EQ(DefinitionGroup(QStringLiteral("custom"), 10), std::nullopt) << "an absent n_Group is no boolean";
}

TEST_F(DefinitionsTest, DefaultRowsReadBackThroughTheReaders)
{
    writeDefaults();
    const QList<DefinitionRow> groups = DefinitionRows(SECTION_SHELLEX);
    ASSERT_EQ(groups.size(), 8);
    EXPECT_EQ(groups[4].key, QStringLiteral("DataHandler"));
    EXPECT_EQ(DefinitionGroup(SECTION_SHELLEX, 4), true);
    EXPECT_EQ(groups[6].key, QStringLiteral("IconHandler"));
    EXPECT_EQ(DefinitionGroup(SECTION_SHELLEX, 6), false);

    const QList<DefinitionRow> specials = DefinitionRows(SECTION_SPECIAL);
    ASSERT_EQ(specials.size(), 9);
    EXPECT_EQ(specials[1].key, QStringLiteral("*"));
    EXPECT_EQ(DefinitionField(SECTION_SPECIAL, 1, FIELD_NAME), QStringLiteral(" All Files"));
    EXPECT_EQ(DefinitionField(SECTION_SPECIAL, 8, FIELD_ICONKEY), QStringLiteral("printer.default"));
}

TEST_F(DefinitionsTest, RowsFollowEveryChangeOfTheSettings)
{
    writeDefaults();
    ASSERT_EQ(DefinitionRows(SECTION_SHELLEX).size(), 8);
    SaveSetting(SETTINGS_APPLICATION, SECTION_SHELLEX, QStringLiteral("20_Key"), QStringLiteral("NewHandler"));
    const QList<DefinitionRow> grown = DefinitionRows(SECTION_SHELLEX);
    ASSERT_EQ(grown.size(), 9);
    EXPECT_EQ(grown.last().key, QStringLiteral("NewHandler"));
    SaveSetting(SETTINGS_APPLICATION, SECTION_SHELLEX, QStringLiteral("20_Key"), QStringLiteral("Renamed"));
    EXPECT_EQ(DefinitionRows(SECTION_SHELLEX).last().key, QStringLiteral("Renamed"));
}

TEST(DefinitionBoolean, AcceptsOnlyTrueAndFalseInAnyCase)
{
    const struct {
        const char* text;
        std::optional<bool> expected;
    } cases[] = {
        {"True", true},   {"False", false},        {"true", true},          {"FALSE", false},
        {"", std::nullopt}, {"Yes", std::nullopt}, {"1", std::nullopt},     {"-1", std::nullopt},
        {" True", std::nullopt}, {"Truex", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DefinitionBoolean(QString::fromUtf8(c.text)), c.expected) << '"' << c.text << '"';
}

TEST_F(DefinitionsTest, FlagNamesNeedEveryBitOfTheirMaskAndFollowStoredOrder)
{
    writeDefaults();
    const struct {
        quint32 editFlags;
        QStringList names;
    } cases[] = {
        {0x10004, {QStringLiteral("FTA_HasExtension"), QStringLiteral("FTA_OpenIsSafe")}},
        {0x0, {}},
        {0x4000 | 0x80000, {}},
        {0x3, {QStringLiteral("FTA_Exclude"), QStringLiteral("FTA_Show")}},
        {0x100000 | 0x2000, {QStringLiteral("FTA_NoDDE"), QStringLiteral("FTA_NoRecentDocs")}},
    };
    const char* const names[] = {
        "FTA_Exclude",    "FTA_Show",          "FTA_HasExtension",  "FTA_NoEdit",       "FTA_NoRemove",
        "FTA_NoNewVerb",  "FTA_NoEditVerb",    "FTA_NoRemoveVerb",  "FTA_NoEditDesc",   "FTA_NoEditIcon",
        "FTA_NoEditDflt", "FTA_NoEditVerbCmd", "FTA_NoEditVerbExe", "FTA_NoDDE",        "FTA_NoEditMIME",
        "FTA_OpenIsSafe", "FTA_AlwaysUnsafe",  "FTA_AlwaysShowExt", "FTA_NoRecentDocs",
    };
    const quint32 masks[] = {0x1,   0x2,   0x4,    0x8,    0x10,    0x20,    0x40,    0x80,    0x100,   0x200,
                             0x400, 0x800, 0x1000, 0x2000, 0x8000, 0x10000, 0x20000, 0x40000, 0x100000};
    const QList<FlagDefinition> defaults = FlagDefinitions();
    ASSERT_EQ(defaults.size(), 19);
    for (qsizetype i = 0; i < defaults.size(); ++i) {
        EXPECT_EQ(defaults[i].name.toStdString(), names[i]);
        EXPECT_EQ(defaults[i].mask, masks[i]) << names[i];
    }
    for (const auto& c : cases)
        EXPECT_EQ(FlagNames(c.editFlags), c.names) << std::hex << c.editFlags;

    // Rows a user added: a two-bit mask applies only with both bits; a value that is no mask is skipped.
    SaveSetting(SETTINGS_APPLICATION, SECTION_FLAGS, QStringLiteral("Both_Bits"), QStringLiteral("6"));
    SaveSetting(SETTINGS_APPLICATION, SECTION_FLAGS, QStringLiteral("Broken"), QStringLiteral("six"));
    EXPECT_EQ(FlagDefinitions().size(), 20);
    EXPECT_EQ(FlagNames(0x4), QStringList{QStringLiteral("FTA_HasExtension")});
    EXPECT_EQ(FlagNames(0x6), (QStringList{QStringLiteral("FTA_Show"), QStringLiteral("FTA_HasExtension"),
                                           QStringLiteral("Both_Bits")}));
}

TEST(ItemKeys, JoinPrefixAndIdentityWithoutDroppingDots)
{
    const QString clsid = QStringLiteral("{00000000-0000-0000-0000-000000000001}");
    EXPECT_EQ(FileExtensionKey(QStringLiteral(".txt")), QStringLiteral("fe__..txt"));
    EXPECT_EQ(ShellExtensionKey(clsid, 6, QStringLiteral("txtfile")), QStringLiteral("sh__.%1.6.txtfile").arg(clsid));
    EXPECT_EQ(ShellExtensionKey(clsid, -1, QStringLiteral(".txt")), QStringLiteral("sh__.%1.-1..txt").arg(clsid));
    EXPECT_EQ(ShellExtensionGroupFolderKey(FileTypeKey(QStringLiteral("txtfile")), 1), QStringLiteral("ftss.ft__.txtfile.1"));
}

} // namespace
