#include "platform/settings/Settings.h"
#include "platform/settings/SettingsStore.h"
#include "tests/support/FullDiskFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

const QString kApp = u"Varnook2"_s;

class SettingsStoreTest : public ::testing::Test {
protected:
    QString folder() const { return m_dir.path(); }
    QString iniPath() const { return m_dir.filePath(u"Varnook2/Varnook2.ini"_s); }

    static QByteArray readBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeIni(const QByteArray& bytes) const
    {
        QDir(folder()).mkpath(kApp);
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
    const QList<SettingPair> pairs = {
        {u"leading"_s, u" All Files"_s},
        {u"trailing"_s, u"two blanks  "_s},
        {u"only blanks"_s, u"   "_s},
        {u"empty"_s, QString()},
        {u"equals"_s, u"a=b==c"_s},
        {u"section-like"_s, u"[config]"_s},
        {u"lines"_s, u"one\ntwo\r\nthree\r"_s},
        {u"tabs"_s, u"\tindented\t"_s},
        {u"backslashes"_s, u"C:\\Windows\\ \\n \\s \\"_s},
        {u"comment-like"_s, u"; not a comment"_s},
        {u"controls"_s, u"bell\x07 nul"_s + QChar(0) + u"end"_s},
        {u"unicode"_s, u"Grüße, 日本語, \U0001F600"_s},
        {u"lone surrogate"_s, u"x"_s + QChar(0xD800)},
        {u" key=with [syntax]; #"_s, u"value"_s},
        {u"#hash key"_s, u"#hash value"_s},
    };
    const QString awkwardSection = u" sec]tion [x] "_s;
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
        store.setValue(u"Order"_s, u"Beta"_s, u"1"_s);
        store.setValue(u"Order"_s, u"alpha"_s, u"2"_s);
        store.setValue(u"Order"_s, u"Gamma"_s, u"3"_s);
        store.setValue(u"ORDER"_s, u"ALPHA"_s, u"changed"_s);
        store.setValue(u"Other"_s, u"Beta"_s, u"elsewhere"_s);
    }
    const QList<SettingPair> expected = {{u"Beta"_s, u"1"_s}, {u"alpha"_s, u"changed"_s}, {u"Gamma"_s, u"3"_s}};
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        const SettingsStore store(kApp, folder());
        EXPECT_EQ(store.pairs(u"order"_s), expected);
        EXPECT_EQ(store.value(u"oRdEr"_s, u"GAMMA"_s), u"3"_s);
        EXPECT_EQ(store.value(u"other"_s, u"beta"_s), u"elsewhere"_s);
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
            store.setValue(u"s"_s, QString::number(i), u"v"_s);
        }
        EXPECT_EQ(saves, 0);
        EXPECT_FALSE(QFile::exists(iniPath()));
    }
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(SettingsStore(kApp, folder()).pairs(u"s"_s).size(), 117);

    store.setValue(u"s"_s, u"0"_s, u"v"_s);
    EXPECT_EQ(saves, 1) << "an unchanged value is not saved again";
    store.setValue(u"s"_s, u"0"_s, u"w"_s);
    EXPECT_EQ(saves, 2) << "outside a batch every change is saved at once";
}

TEST_F(SettingsStoreTest, AFailedSaveLeavesTheOldFileAndKeepsTheChangeForTheNextSave)
{
    SettingsStore store(kApp, folder());
    store.setValue(u"s"_s, u"old"_s, u"kept"_s);
    const QByteArray before = readBytes(iniPath());
    const QStringList filesBefore = filesInFolder();

    QStringList reported;
    store.setSaveFailureHandler([&reported](const QString& message) { reported << message; });
    store.setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 10); });
    store.setValue(u"s"_s, u"new"_s, QString(200, u'x'));

    EXPECT_EQ(readBytes(iniPath()), before);
    EXPECT_EQ(filesInFolder(), filesBefore) << "no temporary file is left behind";
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains(iniPath())) << reported[0].toStdString();
    EXPECT_TRUE(reported[0].contains(u"No space left on device"_s)) << reported[0].toStdString();
    EXPECT_EQ(store.lastError(), reported[0]);

    store.setSaveFileFactory({});
    EXPECT_TRUE(store.save());
    EXPECT_TRUE(store.lastError().isEmpty());
    EXPECT_EQ(SettingsStore(kApp, folder()).value(u"s"_s, u"new"_s), QString(200, u'x'));
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
    EXPECT_EQ(store.value(u"config"_s, u"name"_s), u"Varnook 2.0"_s);
    EXPECT_EQ(store.pairs(u"config"_s).size(), 2);

    store.setValue(u"config"_s, u"ShowSplash"_s, u"False"_s);
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
    const QString expectedPlace = u"%1, line %2:"_s.arg(iniPath()).arg(c.line);
    EXPECT_TRUE(store.problems()[0].startsWith(expectedPlace)) << store.problems()[0].toStdString();
    EXPECT_EQ(store.pairs(u"s"_s), c.keptInS);
    const QString copy = store.damagedCopyPath();
    EXPECT_TRUE(copy.startsWith(iniPath() + u".damaged-"_s)) << copy.toStdString();
    EXPECT_TRUE(store.problemReport().contains(copy));
    EXPECT_FALSE(QFile::exists(copy)) << "nothing is copied before it is needed";

    store.setValue(u"s"_s, u"added"_s, u"1"_s);
    EXPECT_EQ(readBytes(copy), c.bytes);
    EXPECT_TRUE(store.problemReport().contains(copy));
    store.setValue(u"s"_s, u"added"_s, u"2"_s);
    EXPECT_EQ(filesInFolder().size(), 2) << "one copy per damaged load: " << filesInFolder().join(u' ').toStdString();

    const SettingsStore reopened(kApp, folder());
    EXPECT_TRUE(reopened.problems().isEmpty()) << reopened.problems().join(u'\n').toStdString();
    EXPECT_EQ(reopened.pairs(u"s"_s), c.keptInS + QList<SettingPair>({{u"added"_s, u"2"_s}}));
}

const SettingPair a1{u"a"_s, u"1"_s};
const SettingPair b2{u"b"_s, u"2"_s};

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedFileTest,
    ::testing::Values(DamagedCase{"JunkLine", "[s]\na=1\nthis is no setting\nb=2\n", 3, {a1, b2}},
                      DamagedCase{"DuplicateKey", "[s]\na=1\nA=3\nb=2\n", 3, {a1, b2}},
                      DamagedCase{"DuplicateSection", "[s]\na=1\n[t]\nx=y\n[S]\nb=2\n", 5, {a1, b2}},
                      DamagedCase{"UnknownEscape", "[s]\na=C:\\q\n", 2, {{u"a"_s, u"C:\\q"_s}}},
                      DamagedCase{"CutEscape", "[s]\na=\\u12\n", 2, {{u"a"_s, u"\\u12"_s}}},
                      DamagedCase{"NotUtf8", "[s]\na=1\nb=\xff\xfe\n", 3, {a1, {u"b"_s, u"\uFFFD\uFFFD"_s}}},
                      DamagedCase{"KeyBeforeAnySection", "a=1\n[s]\nb=2\n", 1, {b2}},
                      DamagedCase{"CutSectionLine", "[s]\na=1\n[t\nx=y\n", 3, {a1}}),
    [](const ::testing::TestParamInfo<DamagedCase>& param) { return std::string(param.param.name); });

TEST_F(SettingsStoreTest, FreeFunctionsShareOneStorePerApplicationInTheSettingsFolder)
{
    const QString previous = SetSettingsFolder(folder());
    SaveSetting(kApp, u"config"_s, u"FirstRun"_s, u"False"_s);
    SaveSetting(u"VARNOOK2"_s, u"CONFIG"_s, u"LoadFull"_s, u"True"_s);
    EXPECT_EQ(GetSetting(kApp, u"config"_s, u"firstrun"_s), u"False"_s);
    EXPECT_EQ(GetSetting(kApp, u"config"_s, u"Absent"_s, u"d"_s), u"d"_s);
    EXPECT_TRUE(GetAllSettings(kApp, u"absent"_s).isEmpty());
    EXPECT_EQ(GetAllSettings(kApp, u"config"_s),
              (QList<SettingPair>{{u"FirstRun"_s, u"False"_s}, {u"LoadFull"_s, u"True"_s}}));
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
    EXPECT_EQ(SettingsFolder(), u"/somewhere/config"_s);
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(SettingsFolder(), QDir::homePath() + u"/.config"_s);
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFolder(), QDir::homePath() + u"/.config"_s);

    if (wasSet)
        qputenv("XDG_CONFIG_HOME", saved);
    SetSettingsFolder(previous);
}

} // namespace
