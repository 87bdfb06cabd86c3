#include "app/shell/Startup.h"
#include "platform/registry/RegistryApi.h"
#include "tests/app/shell/ShellTestSupport.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kDefaultFlags = QStringLiteral("LoadOnStartup ShowSplash LoadFull RefreshOnSelect");

class StartupTest : public ::testing::Test {
protected:
    // The opposite of the defaults, so that a flag left unread shows.
    void SetUp() override { setFlags(QStringLiteral("ShowProgress")); }

    QString iniPath() const { return QDir(settings.folder()).filePath(QStringLiteral("Varnook2/Varnook2.ini")); }

    TestSettings settings{false};
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
    EXPECT_EQ(configPairs(), (QStringList{"Name=Varnook 2.0", "InstDir=" + instDir, "Version=2.0.1", "FirstRun=False",
                                          "ShowProgress=False", "ShowSplash=True", "LoadOnStartup=True", "LoadFull=True",
                                          "RefreshOnSelect=True"}));
    EXPECT_TRUE(QDir::isAbsolutePath(instDir) && !instDir.endsWith(u'/')) << instDir.toStdString();
    EXPECT_EQ(flagsOn(), kDefaultFlags);

    // The sections stand in the file in the order they were written.
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList sections;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith('['))
            sections << QString::fromUtf8(line);
    EXPECT_EQ(sections, (QStringList{"[config]", "[shellex]", "[special]", "[flags]", "[shellex_threadmodels]"}));
}

TEST_F(StartupTest, ReadsFlagsAndRewritesDefaultsUnlessFirstRunIsExactlyFalse)
{
    const struct {
        const char* name;
        QList<std::pair<const char*, const char*>> stored; // section "config" before the start, FirstRun first
        bool rewritesDefaults;
        QString flags;
    } cases[] = {
        {"absent options read as true", {{"FirstRun", "False"}}, false,
         QStringLiteral("LoadOnStartup ShowProgress ShowSplash LoadFull RefreshOnSelect")},
        {"only exact False is false",
         {{"FirstRun", "False"}, {"LoadOnStartup", "False"}, {"ShowProgress", "FALSE"}, {"ShowSplash", "False"},
          {"LoadFull", "false"}, {"RefreshOnSelect", " False"}},
         false, QStringLiteral("ShowProgress LoadFull RefreshOnSelect")},
        {"lower-case FirstRun rewrites", {{"FirstRun", "false"}, {"LoadOnStartup", "False"}}, true, kDefaultFlags},
        {"absent FirstRun rewrites", {{"ShowSplash", "False"}}, true, kDefaultFlags},
        {"FirstRun True rewrites", {{"FirstRun", "True"}, {"LoadFull", "False"}}, true, kDefaultFlags},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestSettings fresh(false);
        setFlags(QStringLiteral("ShowProgress"));
        for (const auto& [key, value] : c.stored)
            SaveSetting(SETTINGS_APPLICATION, SECTION_CONFIG, QLatin1String(key), QLatin1String(value));
        SaveSetting(SETTINGS_APPLICATION, SECTION_SHELLEX, QStringLiteral("0_Name"), QStringLiteral("Changed by the user"));

        LoadStartupSettings();

        EXPECT_EQ(flagsOn(), c.flags);
        const auto config = [](const char* key) {
            return GetSetting(SETTINGS_APPLICATION, SECTION_CONFIG, QLatin1String(key));
        };
        EXPECT_EQ(config("Name").isEmpty(), !c.rewritesDefaults);
        EXPECT_EQ(GetSetting(SETTINGS_APPLICATION, SECTION_SHELLEX, QStringLiteral("0_Name")),
                  c.rewritesDefaults ? QStringLiteral("Property Sheet Handlers") : QStringLiteral("Changed by the user"));
        EXPECT_EQ(config("FirstRun"), QString::fromLatin1(c.rewritesDefaults ? "False" : c.stored.front().second));
    }
}

TEST_F(StartupTest, WritingTheDefaultsOverwritesButNeitherDeletesNorReorders)
{
    SaveSetting(SETTINGS_APPLICATION, SECTION_CONFIG, QStringLiteral("Custom"), QStringLiteral("kept"));
    SaveSetting(SETTINGS_APPLICATION, SECTION_CONFIG, QStringLiteral("LoadFull"), QStringLiteral("False"));
    WriteDefaultSettings();
    const QStringList pairs = configPairs();
    ASSERT_EQ(pairs.size(), 10);
    EXPECT_EQ(pairs.mid(0, 2), (QStringList{"Custom=kept", "LoadFull=True"}));
}

TEST_F(StartupTest, SettingsProblemsAreShownOnceAndFailedSavesEachTime)
{
    QDir(settings.folder()).mkpath(QStringLiteral("Varnook2"));
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
    SaveSetting(SETTINGS_APPLICATION, SECTION_CONFIG, QStringLiteral("LoadFull"), QStringLiteral("False"));
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(ui.boxes()[1].icon(), vbExclamation);
    EXPECT_TRUE(ui.boxes()[1].text.contains(iniPath())) << ui.boxes()[1].text.toStdString();
}

// ---- the registry

class OpenRegistryTest : public ::testing::Test {
protected:
    std::unique_ptr<PrefixStore> openWith(const QString& winePrefix = QString(), bool readOnly = false) const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        if (!winePrefix.isEmpty())
            env.insert(QStringLiteral("WINEPREFIX"), winePrefix);
        return OpenPrefixRegistry(env, readOnly);
    }

    // The one box shown so far, after checking its title, icon and button.
    const MessageBoxRequest& onlyBox(int icon) const
    {
        static const MessageBoxRequest none;
        EXPECT_EQ(ui.boxes().size(), 1u);
        if (ui.boxes().empty())
            return none;
        EXPECT_EQ(ui.boxes()[0].title, QStringLiteral("Varnook"));
        EXPECT_EQ(ui.boxes()[0].icon(), icon);
        EXPECT_EQ(ui.boxes()[0].buttons(), vbOKOnly);
        return ui.boxes()[0];
    }

    QTemporaryDir home;
    ScriptedUi ui;
};

TEST_F(OpenRegistryTest, OpensTheWinePrefixOrElseCreatesTheOwnAndMakesItsRegistryCurrent)
{
    TestPrefix prefix;
    std::unique_ptr<PrefixStore> store = openWith(prefix.path());
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->prefixDir(), QDir(prefix.path()).absolutePath());
    EXPECT_EQ(Registry::current(), &store->registry());

    store = openWith();
    ASSERT_NE(store, nullptr);
    const QString own = home.filePath(QStringLiteral("data/Varnook2/prefix"));
    EXPECT_EQ(store->prefixDir(), own);
    EXPECT_TRUE(QFile::exists(own + QStringLiteral("/system.reg")));
    EXPECT_FALSE(store->isReadOnly()) << store->readOnlyReason().toStdString();
    EXPECT_EQ(Registry::current(), &store->registry());
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(OpenRegistryTest, ARegistryOpenedReadOnlyOnRequestChangesNothingAndSaysNothing)
{
    TestPrefix prefix("\n[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n");
    const QByteArray before = prefix.readFile(QStringLiteral("system.reg"));
    const std::unique_ptr<PrefixStore> store = openWith(prefix.path(), true);
    ASSERT_NE(store, nullptr);
    EXPECT_TRUE(store->isReadOnly());
    EXPECT_TRUE(store->readOnlyReason().contains(QStringLiteral("read-only")));
    EXPECT_TRUE(ui.boxes().empty()) << "the user asked for it";
    HKEY key = 0;
    EXPECT_NE(RegCreateKeyEx(HKEY_CLASSES_ROOT, QStringLiteral(".new"), 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr),
              ERROR_SUCCESS);
    EXPECT_TRUE(store->save());
    EXPECT_EQ(prefix.readFile(QStringLiteral("system.reg")), before);
}

TEST_F(OpenRegistryTest, AMissingPrefixIsReportedAndNothingOpens)
{
    const QString missing = home.filePath(QStringLiteral("no-such-prefix"));
    EXPECT_EQ(openWith(missing), nullptr);
    const MessageBoxRequest& box = onlyBox(vbCritical);
    EXPECT_TRUE(box.text.contains(missing)) << box.text.toStdString();
}

TEST_F(OpenRegistryTest, AReadOnlyRegistryIsExplainedOnce)
{
    TestPrefix prefix("\nthis line is not Wine's registry format\n");
    const std::unique_ptr<PrefixStore> store = openWith(prefix.path());
    ASSERT_NE(store, nullptr);
    ASSERT_TRUE(store->isReadOnly());
    EXPECT_EQ(onlyBox(vbInformation).text, store->readOnlyReason());
}

TEST_F(OpenRegistryTest, AFailedRegistrySaveIsShownAsAWarning)
{
    TestPrefix prefix("\n[Software\\\\Classes] 1796572859\n");
    const std::unique_ptr<PrefixStore> store = openWith(prefix.path());
    ASSERT_NE(store, nullptr);
    store->setBackupDir(home.filePath(QStringLiteral("backups")));
    // Another program rewrites the hive meanwhile: saving over it would lose its change.
    prefix.writeFile(QStringLiteral("system.reg"), TestPrefix::systemHeader() + "\n[Software\\\\Other] 1\n");

    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, QStringLiteral(".new"), 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(onlyBox(vbExclamation).text, store->lastError());
}

} // namespace
