#include "platform/registry/PrefixLocator.h"
#include "platform/registry/PrefixStore.h"
#include "platform/registry/RegistryApi.h"
#include "platform/registry/RegistryBatch.h"
#include "tests/support/FullDiskFile.h"
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
    HKEY key = 0;
    LONG rc = RegCreateKeyEx(HKEY_CLASSES_ROOT, path, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    const QByteArray data = regTextBytes(text);
    rc = RegSetValueEx(key, QString(), 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(data.constData()),
                       DWORD(data.size()));
    RegCloseKey(key);
    return rc;
}

quint64 inodeOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}

TEST(PrefixStore, SavesAtomicallyAndReadsBackNextRun)
{
    TestPrefix prefix(kSections);
    prefix.open();
    const quint64 before = inodeOf(prefix.filePath(QStringLiteral("system.reg")));
    {
        RegistryBatch batch;
        ASSERT_EQ(setDefault(QStringLiteral(".log"), QStringLiteral("txtfile")), ERROR_SUCCESS);
    }
    EXPECT_NE(inodeOf(prefix.filePath(QStringLiteral("system.reg"))), before); // a new file, renamed over
    EXPECT_TRUE(prefix.readFile(QStringLiteral("system.reg")).contains("[Software\\\\Classes\\\\.log]"));
    // No temporary files are left behind.
    EXPECT_EQ(QDir(prefix.path()).entryList(QDir::Files).size(), 2);

    prefix.reopen();
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral(".LOG"), 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(PrefixStore, KeepsTheLastFewBackups)
{
    TestPrefix prefix(kSections);
    const QByteArray original = prefix.readFile(QStringLiteral("system.reg"));
    QTemporaryDir backups;
    for (int run = 0; run < PrefixStore::kBackupsKept + 3; ++run) {
        PrefixStore& store = prefix.open();
        store.setBackupDir(backups.path());
        // Several saves in one run make one backup.
        setDefault(QStringLiteral(".a%1").arg(run), QStringLiteral("x"));
        setDefault(QStringLiteral(".b%1").arg(run), QStringLiteral("x"));
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

TEST(PrefixStore, DoesNotClobberAFileChangedByAnotherProgram)
{
    TestPrefix prefix(kSections);
    PrefixStore& store = prefix.open();
    QString reported;
    store.setSaveFailureHandler([&](const QString& message) { reported = message; });
    const QByteArray theirs = TestPrefix::systemHeader() + "\n[Software\\\\Classes\\\\.theirs] 1\n";
    prefix.writeFile(QStringLiteral("system.reg"), theirs);

    ASSERT_EQ(setDefault(QStringLiteral(".mine"), QStringLiteral("x")), ERROR_SUCCESS);
    EXPECT_EQ(prefix.readFile(QStringLiteral("system.reg")), theirs);
    EXPECT_TRUE(reported.contains(QStringLiteral("changed by another program"))) << reported.toStdString();
    EXPECT_FALSE(store.save());
}

TEST(PrefixStore, ARunningWineServerMakesItReadOnly)
{
    TestPrefix prefix(kSections);
    PrefixStore store(prefix.path());
    store.setServerProbe([](const QString&) { return WineServerProbe::Status{true, 4242, QString()}; });
    QString error;
    ASSERT_TRUE(store.open(error));
    EXPECT_TRUE(store.isReadOnly());
    EXPECT_TRUE(store.readOnlyReason().contains(QStringLiteral("wineserver -k")));
    EXPECT_TRUE(store.readOnlyReason().contains(QStringLiteral("4242")));
    Registry::setCurrent(&store.registry());
    EXPECT_EQ(setDefault(QStringLiteral(".x"), QStringLiteral("y")), ERROR_ACCESS_DENIED);
    Registry::setCurrent(nullptr);
}

TEST(PrefixStore, AServerStartedAfterLoadingStopsTheSave)
{
    TestPrefix prefix(kSections);
    PrefixStore& store = prefix.open();
    bool running = false;
    store.setServerProbe([&](const QString&) { return WineServerProbe::Status{running, 77, QString()}; });
    const QByteArray before = prefix.readFile(QStringLiteral("system.reg"));
    running = true;
    ASSERT_EQ(setDefault(QStringLiteral(".x"), QStringLiteral("y")), ERROR_SUCCESS);
    EXPECT_EQ(prefix.readFile(QStringLiteral("system.reg")), before);
    EXPECT_TRUE(store.lastError().contains(QStringLiteral("Wine started running")));
    running = false;
    EXPECT_TRUE(store.save()); // the change was kept in memory and goes out once Wine is gone
    EXPECT_TRUE(prefix.readFile(QStringLiteral("system.reg")).contains(".x]"));
}

TEST(PrefixStore, AFullDiskLeavesTheOldFile)
{
    TestPrefix prefix(kSections);
    PrefixStore& store = prefix.open();
    store.setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 10); });
    const QByteArray before = prefix.readFile(QStringLiteral("system.reg"));
    {
        RegistryBatch batch;
        setDefault(QStringLiteral(".big"), QString(5000, u'x'));
        EXPECT_FALSE(batch.commit());
    }
    EXPECT_EQ(prefix.readFile(QStringLiteral("system.reg")), before);
    EXPECT_TRUE(store.lastError().contains(QStringLiteral("No space left on device"))) << store.lastError().toStdString();
    EXPECT_EQ(QDir(prefix.path()).entryList(QDir::Files).size(), 2);
}

TEST(PrefixStore, ProblemsInAFileMakeItReadOnlyAndNamed)
{
    TestPrefix prefix(kSections + "\n[Software\\\\Classes\\\\bad] 1\n\"x\"=hex: 01\n");
    PrefixStore& store = prefix.open();
    EXPECT_TRUE(store.isReadOnly());
    EXPECT_TRUE(store.readOnlyReason().contains(prefix.filePath(QStringLiteral("system.reg")) + QStringLiteral(":15:")))
        << store.readOnlyReason().toStdString();
    const QByteArray before = prefix.readFile(QStringLiteral("system.reg"));
    EXPECT_EQ(setDefault(QStringLiteral(".x"), QStringLiteral("y")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(prefix.readFile(QStringLiteral("system.reg")), before);
}

TEST(PrefixStore, UnusablePrefixesAreRefusedWithAReason)
{
    QTemporaryDir empty;
    QString error;
    PrefixStore missing(empty.filePath(QStringLiteral("nope")));
    EXPECT_FALSE(missing.open(error));
    EXPECT_TRUE(error.contains(QStringLiteral("does not exist")));

    PrefixStore noSystem(empty.path());
    EXPECT_FALSE(noSystem.open(error));
    EXPECT_TRUE(error.contains(QStringLiteral("has no system.reg")));

    QFile::link(empty.filePath(QStringLiteral("elsewhere.reg")), empty.filePath(QStringLiteral("system.reg")));
    PrefixStore dangling(empty.path());
    EXPECT_FALSE(dangling.open(error));
    EXPECT_TRUE(error.contains(QStringLiteral("symbolic link")));

    TestPrefix notRegistry;
    notRegistry.writeFile(QStringLiteral("system.reg"), "hello\n");
    PrefixStore garbage(notRegistry.path());
    EXPECT_FALSE(garbage.open(error));
    EXPECT_TRUE(error.contains(QStringLiteral("system.reg:1:")));
}

TEST(PrefixStore, SymlinkedHiveIsWrittenThroughItsLink)
{
    TestPrefix prefix(kSections);
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("real-system.reg"));
    ASSERT_TRUE(QFile::rename(prefix.filePath(QStringLiteral("system.reg")), target));
    ASSERT_TRUE(QFile::link(target, prefix.filePath(QStringLiteral("system.reg"))));
    prefix.open();
    ASSERT_EQ(setDefault(QStringLiteral(".linked"), QStringLiteral("x")), ERROR_SUCCESS);
    EXPECT_TRUE(QFileInfo(prefix.filePath(QStringLiteral("system.reg"))).isSymLink());
    QFile real(target);
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    EXPECT_TRUE(real.readAll().contains(".linked]"));
}

TEST(PrefixStore, MissingUserHiveIsCreatedOnlyWhenChanged)
{
    TestPrefix prefix(kSections);
    QFile::remove(prefix.filePath(QStringLiteral("user.reg")));
    prefix.open();
    setDefault(QStringLiteral(".x"), QStringLiteral("y"));
    EXPECT_FALSE(QFileInfo::exists(prefix.filePath(QStringLiteral("user.reg"))));
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Varnook"), 0, QString(), 0, KEY_ALL_ACCESS,
                             nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(prefix.readFile(QStringLiteral("user.reg")).startsWith(TestPrefix::userHeader()));
}

TEST(PrefixStore, ReadOnlyFolderIsOpenedReadOnly)
{
    // Root may write anywhere, so look at the folder as an ordinary user would, in a child process.
    TestPrefix prefix(kSections);
    ::chmod(QFile::encodeName(prefix.path()).constData(), 0555);
    ::chmod(QFile::encodeName(prefix.filePath(QStringLiteral("system.reg"))).constData(), 0444);
    ::chmod(QFile::encodeName(prefix.filePath(QStringLiteral("user.reg"))).constData(), 0444);
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
        ::_exit(store.isReadOnly() && store.readOnlyReason().contains(QStringLiteral("read-only")) ? 0 : 5);
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
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    EXPECT_EQ(PrefixLocator::choose(env).kind, PrefixLocator::Kind::OwnPrefix);
    EXPECT_EQ(PrefixLocator::choose(env).path, home.filePath(QStringLiteral("data/Varnook2/prefix")));

    QDir(home.path()).mkpath(QStringLiteral(".wine"));
    EXPECT_EQ(PrefixLocator::choose(env).kind, PrefixLocator::Kind::OwnPrefix); // no system.reg yet
    QFile reg(home.filePath(QStringLiteral(".wine/system.reg")));
    ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
    reg.close();
    EXPECT_EQ(PrefixLocator::choose(env).kind, PrefixLocator::Kind::HomeWine);

    env.insert(QStringLiteral("WINEPREFIX"), QStringLiteral("/somewhere/prefix"));
    EXPECT_EQ(PrefixLocator::choose(env).path, QStringLiteral("/somewhere/prefix"));
    EXPECT_EQ(PrefixLocator::choose(env).kind, PrefixLocator::Kind::WinePrefixVariable);
}

TEST(PrefixLocator, OwnPrefixComesFromTheSampleAndOpens)
{
    QTemporaryDir data;
    const QString path = data.filePath(QStringLiteral("Varnook2/prefix"));
    QString error;
    ASSERT_TRUE(PrefixLocator::ensureOwnPrefix(path, error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(path + QStringLiteral("/dosdevices/c:")).isSymLink());
    PrefixStore store(path);
    store.setServerProbe([](const QString&) { return WineServerProbe::Status{}; });
    ASSERT_TRUE(store.open(error)) << error.toStdString();
    EXPECT_FALSE(store.isReadOnly()) << store.readOnlyReason().toStdString();
    // A second call leaves an existing prefix alone.
    QFile sys(path + QStringLiteral("/system.reg"));
    ASSERT_TRUE(sys.open(QIODevice::Append));
    sys.write("\n[Mine] 1\n");
    sys.close();
    ASSERT_TRUE(PrefixLocator::ensureOwnPrefix(path, error));
    ASSERT_TRUE(sys.open(QIODevice::ReadOnly));
    EXPECT_TRUE(sys.readAll().endsWith("[Mine] 1\n"));
}

} // namespace
