#include "platform/settings/Settings.h"
#include "platform/settings/SettingsStore.h"
#include "tests/support/FullDiskFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

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

    // As an editor or another instance saves: a new file renamed over the old one.
    void writeAsAnotherProgram(const QByteArray& bytes) const
    {
        QSaveFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        ASSERT_TRUE(file.commit());
    }

    QStringList filesInFolder() const
    {
        return QDir(QFileInfo(iniPath()).absolutePath()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // Reads look at the file once per event-loop turn.
    static void nextTurn() { QCoreApplication::processEvents(); }

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
        {QChar(0xFEFF) + u"byte order mark first"_s, QChar(0xFEFF) + u"and in the value"_s},
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
             "# the options\r \r\n" // a stray carriage return before the blanks
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

// ---- another program changes the file while the store is in use

struct Write {
    QString section;
    QString key;
    QString value;
};

struct MergeCase {
    const char* name;
    QByteArray before;      // the file when the store opens it
    QList<Write> mine;      // what this process writes, not yet on disk when the other program writes
    QByteArray theirs;      // what the other program leaves; empty: it removes the file
    QByteArray expected;    // the file after this process saved
};

void PrintTo(const MergeCase& c, std::ostream* os)
{
    *os << c.name;
}

// How this process comes to hold changes that are not on disk while the other program writes.
enum class Holding {
    StaleMemory, // it writes after the other program, in a turn in which it had already looked
    OpenBatch,
    FailedSave,
};

class MergeTest : public SettingsStoreTest,
                  public ::testing::WithParamInterface<std::tuple<MergeCase, Holding>> {};

TEST_P(MergeTest, SavesWhatIsOnDiskWithThisProcessesChangesOnTop)
{
    const auto& [c, holding] = GetParam();
    writeIni(c.before);
    SettingsStore store(kApp, folder());
    store.value(u"s"_s, u"a"_s); // the store has looked at the file in this turn

    const auto writeMine = [&] {
        for (const Write& write : c.mine)
            store.setValue(write.section, write.key, write.value);
    };
    const auto anotherProgramWrites = [&] {
        if (c.theirs.isEmpty())
            ASSERT_TRUE(QFile::remove(iniPath()));
        else
            writeAsAnotherProgram(c.theirs);
    };
    switch (holding) {
    case Holding::StaleMemory:
        anotherProgramWrites();
        writeMine();
        break;
    case Holding::OpenBatch: {
        SettingsStore::Batch batch(store);
        writeMine();
        anotherProgramWrites();
        nextTurn();
        store.value(u"s"_s, u"a"_s); // read again before the batch ends
        break;
    }
    case Holding::FailedSave:
        store.setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 0); });
        writeMine();
        ASSERT_FALSE(store.lastError().isEmpty());
        anotherProgramWrites();
        nextTurn();
        for (const Write& write : c.mine)
            EXPECT_EQ(store.value(write.section, write.key), write.value) << "the failed change is still there";
        store.setSaveFileFactory({});
        EXPECT_TRUE(store.save()) << store.lastError().toStdString();
        break;
    }

    EXPECT_EQ(readBytes(iniPath()).toStdString(), c.expected.toStdString());
    EXPECT_TRUE(store.lastError().isEmpty()) << store.lastError().toStdString();
}

std::string mergeCaseName(const ::testing::TestParamInfo<std::tuple<MergeCase, Holding>>& info)
{
    const char* const holdings[] = {"StaleMemory", "OpenBatch", "FailedSave"};
    return std::string(std::get<0>(info.param).name) + "_" + holdings[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeTest,
    ::testing::Combine(
        ::testing::Values(
            MergeCase{"TheirNewRowsSectionsAndCommentsAreKeptInTheirOrder",
                      "[config]\nLoadFull=True\n\n[special]\n0_Key=Folder\n",
                      {{u"config"_s, u"LoadFull"_s, u"False"_s}},
                      "; by hand\n[special]\n0_Key=Folder\n; a row of mine\n1_Key=Drive\n\n[config]\nLoadFull=True\n"
                      "\n[extra]\nx=1\n",
                      "; by hand\n\n[special]\n0_Key=Folder\n; a row of mine\n1_Key=Drive\n\n[config]\nLoadFull=False\n"
                      "\n[extra]\nx=1\n"},
            MergeCase{"TheirChangeToAKeyThisProcessNeverSetIsKept", "[s]\na=1\nb=1\n", {{u"s"_s, u"a"_s, u"2"_s}},
                      "[s]\na=1\nb=9\n", "[s]\na=2\nb=9\n"},
            MergeCase{"ThisProcessesChangeWinsOverTheirOlderValue", "[s]\na=1\n", {{u"s"_s, u"a"_s, u"2"_s}},
                      "[s]\na=3\nb=1\n", "[s]\na=2\nb=1\n"},
            MergeCase{"AKeyTheyRemovedIsWrittenAgain", "[s]\na=1\nb=1\n", {{u"s"_s, u"b"_s, u"2"_s}}, "[s]\na=1\n",
                      "[s]\na=1\nb=2\n"},
            MergeCase{"NewKeysGoAtTheEndOfTheirSectionsAndTheirSpellingIsKept",
                      "[s]\na=1\n",
                      {{u"S"_s, u"A"_s, u"2"_s}, {u"s"_s, u"new"_s, u"1"_s}, {u"t"_s, u"x"_s, u"1"_s}},
                      "[T]\ny=2\n\n[S]\nA=1\nc=3\n",
                      "[T]\ny=2\nx=1\n\n[S]\nA=2\nc=3\nnew=1\n"},
            MergeCase{"AFileRemovedMeanwhileGetsAllThisProcessHolds", "[s]\na=1\nb=1\n", {{u"s"_s, u"a"_s, u"2"_s}},
                      "", "[s]\na=2\nb=1\n"}),
        ::testing::Values(Holding::StaleMemory, Holding::OpenBatch, Holding::FailedSave)),
    mergeCaseName);

TEST_F(SettingsStoreTest, ARowAddedByHandIsSeenInTheNextTurnAndAtOnceAfterRefresh)
{
    writeIni("[special]\n0_Key=Folder\n");
    SettingsStore store(kApp, folder());
    EXPECT_EQ(store.pairs(u"special"_s).size(), 1);

    writeAsAnotherProgram("[special]\n0_Key=Folder\n1_Key=Drive\n");
    EXPECT_EQ(store.pairs(u"special"_s).size(), 1) << "within a turn reads answer from what they looked at";
    store.refresh();
    EXPECT_EQ(store.value(u"special"_s, u"1_Key"_s), u"Drive"_s);

    writeAsAnotherProgram("[special]\n0_Key=Folder\n1_Key=Drive\n2_Key=Printers\n");
    nextTurn();
    EXPECT_EQ(store.pairs(u"special"_s).size(), 3);
}

TEST_F(SettingsStoreTest, ASettingWrittenInANewTurnWinsEvenWhenMemoryHeldTheSameValue)
{
    writeIni("[config]\nShowSplash=True\n");
    SettingsStore store(kApp, folder());
    store.value(u"config"_s, u"ShowSplash"_s);
    writeAsAnotherProgram("[config]\nShowSplash=False\n");
    nextTurn();

    store.setValue(u"config"_s, u"ShowSplash"_s, u"True"_s);
    EXPECT_EQ(readBytes(iniPath()), "[config]\nShowSplash=True\n");
}

TEST_F(SettingsStoreTest, AFileReplacedWithTheSameSizeAndTimeIsNoticed)
{
    writeIni("[s]\na=1\n");
    SettingsStore store(kApp, folder());
    EXPECT_EQ(store.value(u"s"_s, u"a"_s), u"1"_s);

    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(iniPath()).constData(), &before), 0);
    const QString replacement = iniPath() + u".new"_s;
    {
        QFile file(replacement);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[s]\na=2\n");
    }
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(replacement).constData(), times, 0), 0);
    ASSERT_EQ(::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(iniPath()).constData()), 0);
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(iniPath()).constData(), &after), 0);
    ASSERT_TRUE(after.st_size == before.st_size && after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
                after.st_mtim.tv_nsec == before.st_mtim.tv_nsec && after.st_ino != before.st_ino);

    nextTurn();
    EXPECT_EQ(store.value(u"s"_s, u"a"_s), u"2"_s);
}

TEST_F(SettingsStoreTest, ADamagedFileWrittenMeanwhileIsReportedAndCopiedAsideBeforeTheNextSave)
{
    writeIni("[s]\na=1\n");
    SettingsStore store(kApp, folder());
    EXPECT_TRUE(store.problems().isEmpty());

    const QByteArray damaged = "[s]\na=1\njunk\nb=2\n";
    writeAsAnotherProgram(damaged);
    nextTurn();
    EXPECT_EQ(store.value(u"s"_s, u"b"_s), u"2"_s);
    ASSERT_EQ(store.problems().size(), 1);
    EXPECT_TRUE(store.problems()[0].startsWith(iniPath() + u", line 3:"_s)) << store.problems()[0].toStdString();
    const QString copy = store.damagedCopyPath();
    EXPECT_TRUE(copy.startsWith(iniPath() + u".damaged-"_s)) << copy.toStdString();
    EXPECT_TRUE(store.problemReport().contains(copy));

    store.setValue(u"s"_s, u"c"_s, u"3"_s);
    EXPECT_EQ(readBytes(copy), damaged);
    EXPECT_EQ(readBytes(iniPath()), "[s]\na=1\nb=2\nc=3\n");
    EXPECT_EQ(filesInFolder().size(), 2) << filesInFolder().join(u' ').toStdString();

    writeAsAnotherProgram("[s]\na=1\n");
    nextTurn();
    store.value(u"s"_s, u"a"_s);
    EXPECT_TRUE(store.problems().isEmpty()) << "a sound file read again has no problems";
    EXPECT_TRUE(store.damagedCopyPath().isEmpty());
}

TEST_F(SettingsStoreTest, GenerationChangesWhenTheFileChangedAndNotWhenItWasOnlyTouched)
{
    writeIni("[s]\na=1\n");
    SettingsStore store(kApp, folder());
    nextTurn();
    const quint64 start = SettingsStore::generation();

    nextTurn();
    store.value(u"s"_s, u"a"_s);
    EXPECT_EQ(SettingsStore::generation(), start) << "a look that finds nothing new";

    writeAsAnotherProgram("[s]\na=1\n");
    nextTurn();
    EXPECT_EQ(store.value(u"s"_s, u"a"_s), u"1"_s);
    EXPECT_EQ(SettingsStore::generation(), start) << "a new file with the same settings";

    writeAsAnotherProgram("[s]\na=2\n");
    nextTurn();
    store.lookForChanges();
    EXPECT_NE(SettingsStore::generation(), start) << "a look that finds a change";
    EXPECT_EQ(store.value(u"s"_s, u"a"_s), u"2"_s);
}

// A save file that lets another program write the settings file while it is being written.
class InterruptedFile : public QSaveFile {
public:
    InterruptedFile(const QString& name, std::function<void()> meanwhile)
        : QSaveFile(name)
        , m_meanwhile(std::move(meanwhile))
    {
    }

protected:
    qint64 writeData(const char* data, qint64 length) override
    {
        m_meanwhile();
        return QSaveFile::writeData(data, length);
    }

private:
    std::function<void()> m_meanwhile;
};

TEST_F(SettingsStoreTest, AChangeMadeWhileSavingIsMergedAndOneThatNeverStopsFailsTheSave)
{
    writeIni("[s]\na=1\n");
    SettingsStore store(kApp, folder());
    int attempts = 0;
    store.setSaveFileFactory([&](const QString& path) {
        ++attempts;
        return std::make_unique<InterruptedFile>(path, [this, attempts] {
            if (attempts == 1)
                writeAsAnotherProgram("[s]\na=1\nb=2\n");
        });
    });
    store.setValue(u"s"_s, u"a"_s, u"mine"_s);
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(readBytes(iniPath()), "[s]\na=mine\nb=2\n");

    attempts = 0;
    int theirs = 0;
    store.setSaveFileFactory([&](const QString& path) {
        ++attempts;
        return std::make_unique<InterruptedFile>(
            path, [&] { writeAsAnotherProgram("[s]\nb=" + QByteArray::number(++theirs) + "\n"); });
    });
    store.setValue(u"s"_s, u"c"_s, u"mine"_s);
    EXPECT_EQ(attempts, 3);
    EXPECT_FALSE(store.lastError().isEmpty());
    EXPECT_EQ(readBytes(iniPath()), "[s]\nb=3\n") << "the other program's file is left as it was";
    store.setSaveFileFactory({});
    nextTurn();
    EXPECT_EQ(store.value(u"s"_s, u"c"_s), u"mine"_s);
    EXPECT_TRUE(store.save());
    EXPECT_EQ(readBytes(iniPath()), "[s]\nb=3\nc=mine\n");
}

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
