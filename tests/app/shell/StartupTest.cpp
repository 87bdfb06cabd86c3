#include "app/shell/Startup.h"
#include "app/shell/StartupFlags.h"
#include "control/records/Definitions.h"
#include "platform/registry/RegistryApi.h"
#include "platform/settings/Settings.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString config(const char* key)
{
    return GetSetting(SETTINGS_APPLICATION, SECTION_CONFIG, QString::fromUtf8(key));
}

struct Flags {
    bool LoadOnStartup, ShowProgress, ShowSplash, LoadFull, RefreshOnSelect;
    bool operator==(const Flags&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Flags& f)
{
    return out << "LoadOnStartup " << f.LoadOnStartup << ", ShowProgress " << f.ShowProgress << ", ShowSplash "
               << f.ShowSplash << ", LoadFull " << f.LoadFull << ", RefreshOnSelect " << f.RefreshOnSelect;
}

Flags currentFlags()
{
    const StartupFlags& f = StartupFlags::current();
    return {f.LoadOnStartup, f.ShowProgress, f.ShowSplash, f.LoadFull, f.RefreshOnSelect};
}

// The opposite of the defaults, so that a flag left unread shows.
void scrambleFlags()
{
    StartupFlags::current() = {true, false, false, false, false};
}

const Flags kDefaultFlags{true, false, true, true, true};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousFolder = SetSettingsFolder(m_dir.path());
        scrambleFlags();
    }
    void TearDown() override { SetSettingsFolder(m_previousFolder); }

    static void preset(const QList<std::pair<QString, QString>>& configPairs)
    {
        SettingsStore::Batch batch(ApplicationSettings(SETTINGS_APPLICATION));
        for (const auto& [key, value] : configPairs)
            SaveSetting(SETTINGS_APPLICATION, SECTION_CONFIG, key, value);
    }

    QString iniPath() const { return m_dir.filePath(QStringLiteral("Varnook2/Varnook2.ini")); }

    QTemporaryDir m_dir;
    QString m_previousFolder;
};

TEST_F(StartupTest, FirstStartWritesAll117ValuesInOneSaveAndStartsWithTheDefaultFlags)
{
    int saves = 0;
    ApplicationSettings(SETTINGS_APPLICATION).setSaveFileFactory([&saves](const QString& path) {
        ++saves;
        return std::make_unique<QSaveFile>(path);
    });

    LoadStartupSettings();

    EXPECT_EQ(saves, 1);
    qsizetype total = 0;
    for (QLatin1String section : {SECTION_CONFIG, SECTION_SHELLEX, SECTION_SPECIAL, SECTION_FLAGS, SECTION_THREADMODELS})
        total += GetAllSettings(SETTINGS_APPLICATION, section).size();
    EXPECT_EQ(total, 117);

    const QString instDir = QCoreApplication::applicationDirPath();
    const QList<SettingPair> expectedConfig = {
        {QStringLiteral("Name"), QStringLiteral("Varnook 2.0")},
        {QStringLiteral("InstDir"), instDir},
        {QStringLiteral("Version"), QStringLiteral("2.0.1")},
        {QStringLiteral("FirstRun"), QStringLiteral("False")},
        {QStringLiteral("ShowProgress"), QStringLiteral("False")},
        {QStringLiteral("ShowSplash"), QStringLiteral("True")},
        {QStringLiteral("LoadOnStartup"), QStringLiteral("True")},
        {QStringLiteral("LoadFull"), QStringLiteral("True")},
        {QStringLiteral("RefreshOnSelect"), QStringLiteral("True")},
    };
    EXPECT_EQ(GetAllSettings(SETTINGS_APPLICATION, SECTION_CONFIG), expectedConfig);
    EXPECT_TRUE(QDir::isAbsolutePath(instDir) && !instDir.endsWith(u'/')) << instDir.toStdString();
    EXPECT_EQ(currentFlags(), kDefaultFlags);

    // The sections stand in the file in the order they were written.
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList sections;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith('['))
            sections << QString::fromUtf8(line);
    EXPECT_EQ(sections, (QStringList{QStringLiteral("[config]"), QStringLiteral("[shellex]"), QStringLiteral("[special]"),
                                     QStringLiteral("[flags]"), QStringLiteral("[shellex_threadmodels]")}));
}

struct StartCase {
    const char* name;
    QList<std::pair<QString, QString>> stored; // section "config" before the start
    bool rewritesDefaults;
    Flags flags;
};

class StartupCaseTest : public StartupTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartupCaseTest, ReadsFlagsAndRewritesDefaultsUnlessFirstRunIsExactlyFalse)
{
    const StartCase& c = GetParam();
    preset(c.stored);
    SaveSetting(SETTINGS_APPLICATION, SECTION_SHELLEX, QStringLiteral("0_Name"), QStringLiteral("Changed by the user"));

    LoadStartupSettings();

    EXPECT_EQ(currentFlags(), c.flags);
    EXPECT_EQ(config("Name").isEmpty(), !c.rewritesDefaults);
    EXPECT_EQ(GetSetting(SETTINGS_APPLICATION, SECTION_SHELLEX, QStringLiteral("0_Name")),
              c.rewritesDefaults ? QStringLiteral("Property Sheet Handlers") : QStringLiteral("Changed by the user"));
    EXPECT_EQ(config("FirstRun"), c.rewritesDefaults ? QStringLiteral("False") : c.stored.front().second);
}

const QString F = QStringLiteral("False");

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupCaseTest,
    ::testing::Values(
        StartCase{"AbsentOptionsReadAsTrue", {{QStringLiteral("FirstRun"), F}}, false, {true, true, true, true, true}},
        StartCase{"OnlyExactFalseIsFalse",
                  {{QStringLiteral("FirstRun"), F},
                   {QStringLiteral("LoadOnStartup"), F},
                   {QStringLiteral("ShowProgress"), QStringLiteral("FALSE")},
                   {QStringLiteral("ShowSplash"), F},
                   {QStringLiteral("LoadFull"), QStringLiteral("false")},
                   {QStringLiteral("RefreshOnSelect"), QStringLiteral(" False")}},
                  false,
                  {false, true, false, true, true}},
        StartCase{"LowerCaseFirstRunRewrites",
                  {{QStringLiteral("FirstRun"), QStringLiteral("false")}, {QStringLiteral("LoadOnStartup"), F}},
                  true,
                  kDefaultFlags},
        StartCase{"AbsentFirstRunRewrites", {{QStringLiteral("ShowSplash"), F}}, true, kDefaultFlags},
        StartCase{"FirstRunTrueRewrites",
                  {{QStringLiteral("FirstRun"), QStringLiteral("True")}, {QStringLiteral("LoadFull"), F}},
                  true,
                  kDefaultFlags}),
    [](const ::testing::TestParamInfo<StartCase>& param) { return std::string(param.param.name); });

TEST_F(StartupTest, WritingTheDefaultsOverwritesButNeitherDeletesNorReorders)
{
    preset({{QStringLiteral("Custom"), QStringLiteral("kept")}, {QStringLiteral("LoadFull"), F}});
    WriteDefaultSettings();
    const QList<SettingPair> pairs = GetAllSettings(SETTINGS_APPLICATION, SECTION_CONFIG);
    ASSERT_EQ(pairs.size(), 10);
    EXPECT_EQ(pairs[0], SettingPair(QStringLiteral("Custom"), QStringLiteral("kept")));
    EXPECT_EQ(pairs[1], SettingPair(QStringLiteral("LoadFull"), QStringLiteral("True")));
}

TEST_F(StartupTest, SettingsProblemsAreShownOnceAndFailedSavesEachTime)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("Varnook2"));
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[config]\nFirstRun=False\nFirstRun=True\n");
    file.close();
    ScriptedUi ui;

    ReportSettingsProblems();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].title, QStringLiteral("Varnook"));
    EXPECT_EQ(ui.boxes()[0].icon(), vbExclamation);
    EXPECT_TRUE(ui.boxes()[0].text.contains(iniPath())) << ui.boxes()[0].text.toStdString();
    EXPECT_TRUE(ui.boxes()[0].text.contains(QStringLiteral("Line 3:"))) << ui.boxes()[0].text.toStdString();

    LoadStartupSettings();
    EXPECT_EQ(ui.boxes().size(), 1u) << "the first value is used, so no defaults are written and nothing is shown";

    ApplicationSettings(SETTINGS_APPLICATION).setSaveFileFactory(
        [](const QString&) { return std::make_unique<QSaveFile>(QStringLiteral("/nonexistent/folder/file.ini")); });
    SaveSetting(SETTINGS_APPLICATION, SECTION_CONFIG, QStringLiteral("LoadFull"), F);
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(ui.boxes()[1].icon(), vbExclamation);
    EXPECT_TRUE(ui.boxes()[1].text.contains(iniPath())) << ui.boxes()[1].text.toStdString();
}

// ---- the registry

class OpenRegistryTest : public ::testing::Test {
protected:
    QProcessEnvironment environment(const QString& winePrefix = QString()) const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        if (!winePrefix.isEmpty())
            env.insert(QStringLiteral("WINEPREFIX"), winePrefix);
        return env;
    }

    QTemporaryDir m_home;
    ScriptedUi m_ui;
};

TEST_F(OpenRegistryTest, OpensTheWinePrefixAndMakesItsRegistryCurrent)
{
    TestPrefix prefix;
    const std::unique_ptr<PrefixStore> store = OpenPrefixRegistry(environment(prefix.path()));
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->prefixDir(), QDir(prefix.path()).absolutePath());
    EXPECT_EQ(Registry::current(), &store->registry());
    EXPECT_TRUE(m_ui.boxes().empty());
}

TEST_F(OpenRegistryTest, CreatesTheOwnPrefixWhenThereIsNoWinePrefix)
{
    const std::unique_ptr<PrefixStore> store = OpenPrefixRegistry(environment());
    ASSERT_NE(store, nullptr);
    const QString expected = m_home.filePath(QStringLiteral("data/Varnook2/prefix"));
    EXPECT_EQ(store->prefixDir(), expected);
    EXPECT_TRUE(QFile::exists(expected + QStringLiteral("/system.reg")));
    EXPECT_FALSE(store->isReadOnly()) << store->readOnlyReason().toStdString();
    EXPECT_TRUE(m_ui.boxes().empty());
}

TEST_F(OpenRegistryTest, AMissingPrefixIsReportedAndNothingOpens)
{
    const QString missing = m_home.filePath(QStringLiteral("no-such-prefix"));
    EXPECT_EQ(OpenPrefixRegistry(environment(missing)), nullptr);
    ASSERT_EQ(m_ui.boxes().size(), 1u);
    EXPECT_EQ(m_ui.boxes()[0].title, QStringLiteral("Varnook"));
    EXPECT_EQ(m_ui.boxes()[0].icon(), vbCritical);
    EXPECT_TRUE(m_ui.boxes()[0].text.contains(missing)) << m_ui.boxes()[0].text.toStdString();
}

TEST_F(OpenRegistryTest, AReadOnlyRegistryIsExplainedOnce)
{
    TestPrefix prefix("\nthis line is not Wine's registry format\n");
    const std::unique_ptr<PrefixStore> store = OpenPrefixRegistry(environment(prefix.path()));
    ASSERT_NE(store, nullptr);
    ASSERT_TRUE(store->isReadOnly());
    ASSERT_EQ(m_ui.boxes().size(), 1u);
    EXPECT_EQ(m_ui.boxes()[0].icon(), vbInformation);
    EXPECT_EQ(m_ui.boxes()[0].text, store->readOnlyReason());
}

TEST_F(OpenRegistryTest, AFailedRegistrySaveIsShownAsAWarning)
{
    TestPrefix prefix("\n[Software\\\\Classes] 1796572859\n");
    const std::unique_ptr<PrefixStore> store = OpenPrefixRegistry(environment(prefix.path()));
    ASSERT_NE(store, nullptr);
    store->setBackupDir(m_home.filePath(QStringLiteral("backups")));
    // Another program rewrites the hive meanwhile: saving over it would lose its change.
    prefix.writeFile(QStringLiteral("system.reg"), TestPrefix::systemHeader() + "\n[Software\\\\Other] 1\n");

    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, QStringLiteral(".new"), 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);

    ASSERT_EQ(m_ui.boxes().size(), 1u);
    EXPECT_EQ(m_ui.boxes()[0].title, QStringLiteral("Varnook"));
    EXPECT_EQ(m_ui.boxes()[0].icon(), vbExclamation);
    EXPECT_EQ(m_ui.boxes()[0].text, store->lastError());
}

} // namespace
