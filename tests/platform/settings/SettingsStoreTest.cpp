#include "platform/settings/Settings.h"
#include "platform/settings/SettingsStore.h"
#include "tests/support/FullDiskFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kApp = QStringLiteral("Varnook2");

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}


class SettingsStoreTest : public ::testing::Test {
protected:
    QString folder() const { return m_dir.path(); }
    QString iniPath() const { return m_dir.filePath(QStringLiteral("Varnook2/Varnook2.ini")); }

    void writeIni(const QByteArray& bytes) const
    {
        QDir(folder()).mkpath(QStringLiteral("Varnook2"));
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QStringList filesInFolder() const
    {
        return QDir(QFileInfo(iniPath()).absolutePath()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir m_dir;
};

TEST_F(SettingsStoreTest, AwkwardTextsComeBackExactlyAfterReopening)
{
    QString loneSurrogate = QStringLiteral("x");
    loneSurrogate += QChar(0xD800);
    const QList<SettingPair> pairs = {
        {QStringLiteral("leading"), QStringLiteral(" All Files")},
        {QStringLiteral("trailing"), QStringLiteral("two blanks  ")},
        {QStringLiteral("only blanks"), QStringLiteral("   ")},
        {QStringLiteral("empty"), QString()},
        {QStringLiteral("equals"), QStringLiteral("a=b==c")},
        {QStringLiteral("section-like"), QStringLiteral("[config]")},
        {QStringLiteral("lines"), QStringLiteral("one\ntwo\r\nthree\r")},
        {QStringLiteral("tabs"), QStringLiteral("\tindented\t")},
        {QStringLiteral("backslashes"), QStringLiteral("C:\\Windows\\ \\n \\s \\")},
        {QStringLiteral("comment-like"), QStringLiteral("; not a comment")},
        {QStringLiteral("controls"), QStringLiteral("bell\x07 nul") + QChar(0) + QStringLiteral("end")},
        {QStringLiteral("unicode"), QStringLiteral("Grüße, 日本語, \U0001F600")},
        {QStringLiteral("lone surrogate"), loneSurrogate},
        {QStringLiteral(" key=with [syntax]; #"), QStringLiteral("value")},
        {QStringLiteral("#hash key"), QStringLiteral("#hash value")},
    };
    const QString awkwardSection = QStringLiteral(" sec]tion [x] ");
    {
        SettingsStore store(kApp, folder());
        SettingsStore::Batch batch(store);
        for (const SettingPair& pair : pairs)
            store.setValue(awkwardSection, pair.first, pair.second);
    }

    const SettingsStore reopened(kApp, folder());
    EXPECT_TRUE(reopened.problems().isEmpty()) << reopened.problems().join(u'\n').toStdString();
    EXPECT_EQ(reopened.pairs(awkwardSection), pairs);
}

TEST_F(SettingsStoreTest, KeepsFirstSpellingAndOrderAndFindsNamesInAnyCase)
{
    {
        SettingsStore store(kApp, folder());
        store.setValue(QStringLiteral("Order"), QStringLiteral("Beta"), QStringLiteral("1"));
        store.setValue(QStringLiteral("Order"), QStringLiteral("alpha"), QStringLiteral("2"));
        store.setValue(QStringLiteral("Order"), QStringLiteral("Gamma"), QStringLiteral("3"));
        store.setValue(QStringLiteral("ORDER"), QStringLiteral("ALPHA"), QStringLiteral("changed"));
        store.setValue(QStringLiteral("Other"), QStringLiteral("Beta"), QStringLiteral("elsewhere"));
    }
    const QList<SettingPair> expected = {{QStringLiteral("Beta"), QStringLiteral("1")},
                                         {QStringLiteral("alpha"), QStringLiteral("changed")},
                                         {QStringLiteral("Gamma"), QStringLiteral("3")}};
    for (int run = 0; run < 2; ++run) {
        const SettingsStore store(kApp, folder());
        EXPECT_EQ(store.pairs(QStringLiteral("order")), expected) << "run " << run;
        EXPECT_EQ(store.value(QStringLiteral("oRdEr"), QStringLiteral("GAMMA")), QStringLiteral("3"));
        EXPECT_EQ(store.value(QStringLiteral("other"), QStringLiteral("beta")), QStringLiteral("elsewhere"));
    }
    EXPECT_TRUE(readBytes(iniPath()).startsWith("[Order]\nBeta=1\nalpha=changed\n"));
}

TEST_F(SettingsStoreTest, ABatchSavesOnceWhenItsOutermostLevelEnds)
{
    SettingsStore store(kApp, folder());
    int saves = 0;
    store.setSaveFileFactory([&saves](const QString& path) {
        ++saves;
        return std::make_unique<QSaveFile>(path);
    });
    {
        SettingsStore::Batch outer(store);
        for (int i = 0; i < 117; ++i) {
            SettingsStore::Batch inner(store);
            store.setValue(QStringLiteral("s"), QString::number(i), QStringLiteral("v"));
        }
        EXPECT_EQ(saves, 0);
        EXPECT_FALSE(QFile::exists(iniPath()));
    }
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(SettingsStore(kApp, folder()).pairs(QStringLiteral("s")).size(), 117);

    store.setValue(QStringLiteral("s"), QStringLiteral("0"), QStringLiteral("v"));
    EXPECT_EQ(saves, 1) << "an unchanged value is not saved again";
    store.setValue(QStringLiteral("s"), QStringLiteral("0"), QStringLiteral("w"));
    EXPECT_EQ(saves, 2) << "outside a batch every change is saved at once";
}

TEST_F(SettingsStoreTest, AFailedSaveLeavesTheOldFileAndKeepsTheChangeForTheNextSave)
{
    SettingsStore store(kApp, folder());
    store.setValue(QStringLiteral("s"), QStringLiteral("old"), QStringLiteral("kept"));
    const QByteArray before = readBytes(iniPath());
    const QStringList filesBefore = filesInFolder();

    QStringList reported;
    store.setSaveFailureHandler([&reported](const QString& message) { reported << message; });
    store.setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 10); });
    store.setValue(QStringLiteral("s"), QStringLiteral("new"), QString(200, u'x'));

    EXPECT_EQ(readBytes(iniPath()), before);
    EXPECT_EQ(filesInFolder(), filesBefore) << "no temporary file is left behind";
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains(iniPath())) << reported[0].toStdString();
    EXPECT_TRUE(reported[0].contains(QStringLiteral("No space left on device"))) << reported[0].toStdString();
    EXPECT_EQ(store.lastError(), reported[0]);

    store.setSaveFileFactory({});
    EXPECT_TRUE(store.save());
    EXPECT_TRUE(store.lastError().isEmpty());
    EXPECT_EQ(SettingsStore(kApp, folder()).value(QStringLiteral("s"), QStringLiteral("new")), QString(200, u'x'));
}

TEST_F(SettingsStoreTest, ReadsHandWrittenFilesAndKeepsTheirComments)
{
    writeIni("\xEF\xBB\xBF; written by hand\r\n"
             "[config]\r\n"
             "  Name = Varnook 2.0  \r\n"
             "\r\n"
             "# the options\r\n"
             "ShowSplash=True\r\n");
    SettingsStore store(kApp, folder());
    EXPECT_TRUE(store.problems().isEmpty()) << store.problems().join(u'\n').toStdString();
    EXPECT_EQ(store.value(QStringLiteral("config"), QStringLiteral("name")), QStringLiteral("Varnook 2.0"));
    EXPECT_EQ(store.pairs(QStringLiteral("config")).size(), 2);

    store.setValue(QStringLiteral("config"), QStringLiteral("ShowSplash"), QStringLiteral("False"));
    EXPECT_EQ(readBytes(iniPath()).toStdString(),
              "; written by hand\n\n[config]\nName=Varnook 2.0\n# the options\nShowSplash=False\n");
}

struct DamagedCase {
    const char* name;
    QByteArray bytes;
    int line;                        // where the problem is reported
    QList<SettingPair> keptInS;      // what section "s" then holds
};

class DamagedFileTest : public SettingsStoreTest, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedFileTest, IsReportedByFileAndLineAndKeptAsACopyBeforeTheFirstSave)
{
    const DamagedCase& c = GetParam();
    writeIni(c.bytes);

    SettingsStore store(kApp, folder());
    ASSERT_FALSE(store.problems().isEmpty());
    const QString expectedPlace = QStringLiteral("%1, line %2:").arg(iniPath()).arg(c.line);
    EXPECT_TRUE(store.problems()[0].startsWith(expectedPlace)) << store.problems()[0].toStdString();
    EXPECT_EQ(store.pairs(QStringLiteral("s")), c.keptInS);
    const QString copy = store.damagedCopyPath();
    EXPECT_TRUE(copy.startsWith(iniPath() + QStringLiteral(".damaged-"))) << copy.toStdString();
    EXPECT_TRUE(store.problemReport().contains(copy));
    EXPECT_FALSE(QFile::exists(copy)) << "nothing is copied before it is needed";

    store.setValue(QStringLiteral("s"), QStringLiteral("added"), QStringLiteral("1"));
    EXPECT_EQ(readBytes(copy), c.bytes);
    EXPECT_TRUE(store.problemReport().contains(copy));
    store.setValue(QStringLiteral("s"), QStringLiteral("added"), QStringLiteral("2"));
    EXPECT_EQ(filesInFolder().size(), 2) << "one copy per damaged load: " << filesInFolder().join(u' ').toStdString();

    const SettingsStore reopened(kApp, folder());
    EXPECT_TRUE(reopened.problems().isEmpty()) << reopened.problems().join(u'\n').toStdString();
    const QList<SettingPair> added{{QStringLiteral("added"), QStringLiteral("2")}};
    EXPECT_EQ(reopened.pairs(QStringLiteral("s")), c.keptInS + added);
}

const SettingPair a1{QStringLiteral("a"), QStringLiteral("1")};
const SettingPair b2{QStringLiteral("b"), QStringLiteral("2")};

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedFileTest,
    ::testing::Values(DamagedCase{"JunkLine", "[s]\na=1\nthis is no setting\nb=2\n", 3, {a1, b2}},
                      DamagedCase{"DuplicateKey", "[s]\na=1\nA=3\nb=2\n", 3, {a1, b2}},
                      DamagedCase{"DuplicateSection", "[s]\na=1\n[t]\nx=y\n[S]\nb=2\n", 5, {a1, b2}},
                      DamagedCase{"UnknownEscape", "[s]\na=C:\\q\n", 2, {{QStringLiteral("a"), QStringLiteral("C:\\q")}}},
                      DamagedCase{"CutEscape", "[s]\na=\\u12\n", 2, {{QStringLiteral("a"), QStringLiteral("\\u12")}}},
                      DamagedCase{"NotUtf8", "[s]\na=1\nb=\xff\xfe\n", 3,
                                  {a1, {QStringLiteral("b"), QStringLiteral("\uFFFD\uFFFD")}}},
                      DamagedCase{"KeyBeforeAnySection", "a=1\n[s]\nb=2\n", 1, {b2}},
                      DamagedCase{"CutSectionLine", "[s]\na=1\n[t\nx=y\n", 3, {a1}}),
    [](const ::testing::TestParamInfo<DamagedCase>& param) { return std::string(param.param.name); });

TEST_F(SettingsStoreTest, FreeFunctionsShareOneStorePerApplicationInTheSettingsFolder)
{
    const QString previous = SetSettingsFolder(folder());
    SaveSetting(kApp, QStringLiteral("config"), QStringLiteral("FirstRun"), QStringLiteral("False"));
    SaveSetting(QStringLiteral("VARNOOK2"), QStringLiteral("CONFIG"), QStringLiteral("LoadFull"), QStringLiteral("True"));
    EXPECT_EQ(GetSetting(kApp, QStringLiteral("config"), QStringLiteral("firstrun")), QStringLiteral("False"));
    EXPECT_EQ(GetSetting(kApp, QStringLiteral("config"), QStringLiteral("Absent"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_TRUE(GetAllSettings(kApp, QStringLiteral("absent")).isEmpty());
    EXPECT_EQ(GetAllSettings(kApp, QStringLiteral("config")),
              (QList<SettingPair>{{QStringLiteral("FirstRun"), QStringLiteral("False")},
                                  {QStringLiteral("LoadFull"), QStringLiteral("True")}}));
    EXPECT_EQ(ApplicationSettings(kApp).filePath(), iniPath());
    EXPECT_TRUE(QFile::exists(iniPath()));
    SetSettingsFolder(previous);
}

TEST(SettingsFolder, FollowsXdgConfigHomeOnlyWhenItIsAnAbsolutePath)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QString previous = SetSettingsFolder(QString());

    qputenv("XDG_CONFIG_HOME", "/somewhere/config");
    EXPECT_EQ(SettingsFolder(), QStringLiteral("/somewhere/config"));
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(SettingsFolder(), QDir::homePath() + QStringLiteral("/.config"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFolder(), QDir::homePath() + QStringLiteral("/.config"));

    if (wasSet)
        qputenv("XDG_CONFIG_HOME", saved);
    SetSettingsFolder(previous);
}

} // namespace
