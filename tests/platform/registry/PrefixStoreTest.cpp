#include "platform/registry/PrefixLocator.h"
#include "platform/registry/PrefixStore.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"
#include "platform/registry/CommandScope.h"
#include "tests/support/FullDiskFile.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/TestPrefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace Qt::StringLiterals;

const QByteArray kSections = R"(
[Software\\Classes\\.txt] 1796572859
#time=1dd859afc1305be
@="txtfile"

[Software\\Classes\\txtfile] 1796572859
#time=1dd859afc1305be
@="Text Document"
)";

LONG setDefault(const QString& path, const QString& text)
{
    RegKeyHandle key;
    const LONG rc =
        RegCreateKeyEx(HKEY_CLASSES_ROOT, path, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    const QByteArray data = regTextBytes(text);
    return RegSetValueEx(key.get(), QString(), 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(data.constData()),
                         DWORD(data.size()));
}

// A prefix of two keys in system.reg.
class PrefixStoreTest : public ::testing::Test {
protected:
    QString systemPath() const { return prefix.filePath(u"system.reg"_s); }
    QByteArray systemReg() const { return prefix.readFile(u"system.reg"_s); }
    quint64 systemInode() const
    {
        struct stat st {};
        ::stat(QFile::encodeName(systemPath()).constData(), &st);
        return st.st_ino;
    }
    // Files in the prefix folder: system.reg and user.reg unless something was left behind.
    qsizetype fileCount() const { return QDir(prefix.path()).entryList(QDir::Files).size(); }

    TestPrefix prefix {kSections};
};

TEST_F(PrefixStoreTest, SavesAtomicallyAndReadsBackNextRun)
{
    prefix.open();
    const quint64 before = systemInode();
    {
        CommandScope batch;
        ASSERT_EQ(setDefault(u".log"_s, u"txtfile"_s), ERROR_SUCCESS);
    }
    EXPECT_NE(systemInode(), before); // a new file, renamed over
    EXPECT_TRUE(systemReg().contains("[Software\\\\Classes\\\\.log]"));
    EXPECT_EQ(fileCount(), 2) << "no temporary files are left behind";

    prefix.reopen();
    EXPECT_TRUE(probe::keyExists(u".LOG"_s));
}

TEST_F(PrefixStoreTest, KeepsTheLastFewBackups)
{
    const QByteArray original = systemReg();
    QTemporaryDir backups;
    for (int run = 0; run < PrefixStore::kBackupsKept + 3; ++run) {
        prefix.open().setBackupDir(backups.path());
        // Several saves in one run make one backup.
        setDefault(u".a%1"_s.arg(run), u"x"_s);
        setDefault(u".b%1"_s.arg(run), u"x"_s);
        if (run == 0) {
            const QStringList first = QDir(backups.path()).entryList(QDir::Files);
            ASSERT_EQ(first.size(), 1);
            QFile copy(QDir(backups.path()).filePath(first.first()));
            ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
            EXPECT_EQ(copy.readAll(), original);
        }
        QThread::msleep(2); // distinct backup names
    }
    EXPECT_EQ(QDir(backups.path()).entryList(QDir::Files).size(), PrefixStore::kBackupsKept);
}

TEST_F(PrefixStoreTest, DoesNotClobberAFileChangedByAnotherProgram)
{
    PrefixStore& store = prefix.open();
    QString reported;
    store.setSaveFailureHandler([&](const QString& message) { reported = message; });
    const QByteArray theirs = TestPrefix::systemHeader() + "\n[Software\\\\Classes\\\\.theirs] 1\n";
    prefix.writeFile(u"system.reg"_s, theirs);

    ASSERT_EQ(setDefault(u".mine"_s, u"x"_s), ERROR_SUCCESS);
    EXPECT_EQ(systemReg(), theirs);
    EXPECT_TRUE(reported.contains(u"changed by another program"_s)) << reported.toStdString();
    EXPECT_FALSE(store.save());
}

TEST_F(PrefixStoreTest, AFileWithTheSameBytesPutInItsPlaceIsNoChange)
{
    // Wine's server writes its registry files anew when it exits, through a file renamed over the
    // old one, with the same bytes when nothing changed: a save or a restore after that must go ahead.
    enum class How { RenamedOver, WrittenInPlace };
    const struct {
        const char* what;
        bool sameBytes;
        How how;
        bool saves;
    } cases[] = {
        {"the same bytes in a new file", true, How::RenamedOver, true},
        {"other bytes of the same size in a new file", false, How::RenamedOver, false},
        {"the same bytes written into the file itself", true, How::WrittenInPlace, false},
    };
    for (const auto& c : cases) {
        for (const bool savedBefore : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (savedBefore ? ", after a save" : ", after loading"));
            TestPrefix fresh{kSections};
            fresh.open();
            if (savedBefore) {
                ASSERT_EQ(setDefault(u".before"_s, u"x"_s), ERROR_SUCCESS);
            }
            const QString path = fresh.filePath(u"system.reg"_s);
            QByteArray bytes = fresh.readFile(u"system.reg"_s);
            if (!c.sameBytes)
                bytes.replace("Text Document", "Text Dokument");
            if (c.how == How::RenamedOver) {
                fresh.writeFile(u"reg1234.tmp"_s, bytes);
                ASSERT_TRUE(QFile::remove(path));
                ASSERT_TRUE(QFile::rename(fresh.filePath(u"reg1234.tmp"_s), path));
            } else {
                fresh.writeFile(u"system.reg"_s, bytes);
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::ReadWrite));
                ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                             QFileDevice::FileModificationTime));
            }

            // A restore of a backup asks the same question as a save.
            EXPECT_EQ(fresh.store().restoreRefusal(u"system.reg"_s).isEmpty(), c.saves);
            EXPECT_EQ(setDefault(u".after"_s, u"y"_s) == ERROR_SUCCESS && fresh.store().save(), c.saves);
            const QByteArray onDisk = fresh.readFile(u"system.reg"_s);
            EXPECT_EQ(onDisk.contains("[Software\\\\Classes\\\\.after]"), c.saves);
            if (!c.saves) {
                EXPECT_EQ(onDisk, bytes);
            }
            // Once accepted, the new file is the one later saves compare with.
            if (c.saves) {
                EXPECT_EQ(setDefault(u".later"_s, u"z"_s), ERROR_SUCCESS);
                EXPECT_TRUE(fresh.readFile(u"system.reg"_s).contains("[Software\\\\Classes\\\\.later]"));
            }
        }
    }
}

TEST_F(PrefixStoreTest, ARunningWineServerMakesItReadOnly)
{
    PrefixStore store(prefix.path());
    store.setServerProbe([](const QString&) { return WineServerProbe::Status{true, 4242, QString()}; });
    QString error;
    ASSERT_TRUE(store.open(error));
    EXPECT_TRUE(store.isReadOnly());
    EXPECT_TRUE(store.readOnlyReason().contains(u"wineserver -k"_s));
    EXPECT_TRUE(store.readOnlyReason().contains(u"4242"_s));
    Registry::setCurrent(&store.registry());
    EXPECT_EQ(setDefault(u".x"_s, u"y"_s), ERROR_ACCESS_DENIED);
}

TEST_F(PrefixStoreTest, AServerStartedAfterLoadingStopsTheSave)
{
    PrefixStore& store = prefix.open();
    bool running = false;
    store.setServerProbe([&](const QString&) { return WineServerProbe::Status{running, 77, QString()}; });
    const QByteArray before = systemReg();
    running = true;
    ASSERT_EQ(setDefault(u".x"_s, u"y"_s), ERROR_SUCCESS);
    EXPECT_EQ(systemReg(), before);
    EXPECT_TRUE(store.lastError().contains(u"Wine started running"_s));
    running = false;
    EXPECT_TRUE(store.save()); // the change was kept in memory and goes out once Wine is gone
    EXPECT_TRUE(systemReg().contains(".x]"));
}

TEST_F(PrefixStoreTest, AFullDiskLeavesTheOldFile)
{
    PrefixStore& store = prefix.open();
    store.setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 10); });
    const QByteArray before = systemReg();
    {
        CommandScope batch;
        setDefault(u".big"_s, QString(5000, u'x'));
        EXPECT_EQ(batch.finish(), ERROR_CANTWRITE);
    }
    EXPECT_EQ(systemReg(), before);
    EXPECT_TRUE(store.lastError().contains(u"No space left on device"_s)) << store.lastError().toStdString();
    EXPECT_EQ(fileCount(), 2);
}

TEST_F(PrefixStoreTest, ProblemsInAFileMakeItReadOnlyAndNamed)
{
    prefix.writeFile(u"system.reg"_s,
                     TestPrefix::systemHeader() + kSections + "\n[Software\\\\Classes\\\\bad] 1\n\"x\"=hex: 01\n");
    PrefixStore& store = prefix.open();
    EXPECT_TRUE(store.isReadOnly());
    EXPECT_TRUE(store.readOnlyReason().contains(systemPath() + u":15:"_s)) << store.readOnlyReason().toStdString();
    const QByteArray before = systemReg();
    EXPECT_EQ(setDefault(u".x"_s, u"y"_s), ERROR_ACCESS_DENIED);
    EXPECT_EQ(systemReg(), before);
}

TEST_F(PrefixStoreTest, UnusablePrefixesAreRefusedWithAReason)
{
    QTemporaryDir empty;
    QString error;
    EXPECT_FALSE(PrefixStore(empty.filePath(u"nope"_s)).open(error));
    EXPECT_TRUE(error.contains(u"does not exist"_s));

    EXPECT_FALSE(PrefixStore(empty.path()).open(error));
    EXPECT_TRUE(error.contains(u"has no system.reg"_s));

    QFile::link(empty.filePath(u"elsewhere.reg"_s), empty.filePath(u"system.reg"_s));
    EXPECT_FALSE(PrefixStore(empty.path()).open(error));
    EXPECT_TRUE(error.contains(u"symbolic link"_s));

    prefix.writeFile(u"system.reg"_s, "hello\n");
    EXPECT_FALSE(PrefixStore(prefix.path()).open(error));
    EXPECT_TRUE(error.contains(u"system.reg:1:"_s));
}

TEST_F(PrefixStoreTest, SymlinkedHiveIsWrittenThroughItsLink)
{
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(u"real-system.reg"_s);
    ASSERT_TRUE(QFile::rename(systemPath(), target));
    ASSERT_TRUE(QFile::link(target, systemPath()));
    prefix.open();
    ASSERT_EQ(setDefault(u".linked"_s, u"x"_s), ERROR_SUCCESS);
    EXPECT_TRUE(QFileInfo(systemPath()).isSymLink());
    QFile real(target);
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    EXPECT_TRUE(real.readAll().contains(".linked]"));
}

TEST_F(PrefixStoreTest, MissingUserHiveIsCreatedOnlyWhenChanged)
{
    QFile::remove(prefix.filePath(u"user.reg"_s));
    prefix.open();
    setDefault(u".x"_s, u"y"_s);
    EXPECT_FALSE(QFileInfo::exists(prefix.filePath(u"user.reg"_s)));
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\Varnook"_s, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(prefix.readFile(u"user.reg"_s).startsWith(TestPrefix::userHeader()));
}

TEST_F(PrefixStoreTest, ReadOnlyFolderIsOpenedReadOnly)
{
    // Root may write anywhere, so look at the folder as an ordinary user would, in a child process.
    ::chmod(QFile::encodeName(prefix.path()).constData(), 0555);
    ::chmod(QFile::encodeName(systemPath()).constData(), 0444);
    ::chmod(QFile::encodeName(prefix.filePath(u"user.reg"_s)).constData(), 0444);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        PrefixStore store(prefix.path());
        store.setServerProbe([](const QString&) { return WineServerProbe::Status{}; });
        QString error;
        if (!store.open(error))
            ::_exit(4);
        ::_exit(store.isReadOnly() && store.readOnlyReason().contains(u"read-only"_s) ? 0 : 5);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::chmod(QFile::encodeName(prefix.path()).constData(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(PrefixLocator, ChoosesTheVariableThenHomeWineThenItsOwn)
{
    QTemporaryDir home;
    QProcessEnvironment env;
    env.insert(u"HOME"_s, home.path());
    env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
    EXPECT_EQ(PrefixLocator::choose(env).kind, PrefixLocator::Kind::OwnPrefix);
    EXPECT_EQ(PrefixLocator::choose(env).path, home.filePath(u"data/Varnook2/prefix"_s));

    QDir(home.path()).mkpath(u".wine"_s);
    EXPECT_EQ(PrefixLocator::choose(env).kind, PrefixLocator::Kind::OwnPrefix); // no system.reg yet
    QFile reg(home.filePath(u".wine/system.reg"_s));
    ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
    reg.close();
    EXPECT_EQ(PrefixLocator::choose(env).kind, PrefixLocator::Kind::HomeWine);

    env.insert(u"WINEPREFIX"_s, u"/somewhere/prefix"_s);
    EXPECT_EQ(PrefixLocator::choose(env).path, u"/somewhere/prefix"_s);
    EXPECT_EQ(PrefixLocator::choose(env).kind, PrefixLocator::Kind::WinePrefixVariable);
}

TEST(PrefixLocator, OwnPrefixComesFromTheSampleAndOpens)
{
    QTemporaryDir data;
    const QString path = data.filePath(u"Varnook2/prefix"_s);
    QString error;
    ASSERT_TRUE(PrefixLocator::ensureOwnPrefix(path, error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(path + u"/dosdevices/c:"_s).isSymLink());
    PrefixStore store(path);
    store.setServerProbe([](const QString&) { return WineServerProbe::Status{}; });
    ASSERT_TRUE(store.open(error)) << error.toStdString();
    EXPECT_FALSE(store.isReadOnly()) << store.readOnlyReason().toStdString();
    // A second call leaves an existing prefix alone.
    QFile sys(path + u"/system.reg"_s);
    ASSERT_TRUE(sys.open(QIODevice::Append));
    sys.write("\n[Mine] 1\n");
    sys.close();
    ASSERT_TRUE(PrefixLocator::ensureOwnPrefix(path, error));
    ASSERT_TRUE(sys.open(QIODevice::ReadOnly));
    EXPECT_TRUE(sys.readAll().endsWith("[Mine] 1\n"));
}

} // namespace
