#include "platform/registry/CommandScope.h"
#include "platform/registry/HiveReader.h"
#include "platform/registry/PrefixStore.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"
#include "tests/support/TestPrefix.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Each saved version gives every one of these keys a text of its own, so that a file mixing two
// versions, or cut short, shows.
constexpr int kKeys = 16;
// Each kill costs a process; a sanitizer build's processes are several times dearer.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kKills = 150;
#else
constexpr int kKills = 300;
#endif

QString payload(int version, int key)
{
    return u"version %1 of key %2; "_s.arg(version).arg(key).repeated(40);
}

// What the saving child and the killing parent share: the version the child is saving, the last
// one whose save returned, and how many saves of this run returned.
struct Progress {
    std::atomic<int> attempting{0};
    std::atomic<int> saved{0};
    std::atomic<bool> started{false};
    std::atomic<int> savesThisRun{0};
};

WineServerProbe::Status noServer(const QString&)
{
    return {};
}

// Writes one version of every key in the current registry, as one command with one save.
bool writeVersion(int version)
{
    CommandScope command;
    for (int k = 0; k < kKeys; ++k) {
        RegKeyHandle key;
        if (RegCreateKeyEx(HKEY_CLASSES_ROOT, u"crash\\k%1"_s.arg(k), 0, QString(), 0, KEY_ALL_ACCESS, nullptr,
                           key.out(), nullptr) != ERROR_SUCCESS)
            return false;
        const QByteArray data = regTextBytes(payload(version, k));
        if (RegSetValueEx(key.get(), QString(), 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(data.constData()),
                          DWORD(data.size())) != ERROR_SUCCESS)
            return false;
    }
    return command.finish() == ERROR_SUCCESS;
}

// The child: a program run that saves version after version until it is killed. It never returns
// into the test framework.
[[noreturn]] void saveUntilKilled(const QString& prefixDir, const QString& backupDir, Progress* progress)
{
    PrefixStore store(prefixDir);
    store.setBackupDir(backupDir);
    store.setServerProbe(noServer);
    QString error;
    if (!store.open(error))
        ::_exit(2);
    Registry::setCurrent(&store.registry());
    progress->started = true;
    for (;;) {
        const int version = progress->attempting + 1;
        progress->attempting = version;
        if (!writeVersion(version))
            ::_exit(3);
        progress->saved = version;
        ++progress->savesThisRun;
    }
}

// The version a registry file holds, when it parses without a problem and every key holds the
// text of that one version; none otherwise.
std::optional<int> versionIn(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const HiveReader::Result read = HiveReader::read(file.readAll(), path);
    if (!read.hive || !read.hive->problems().isEmpty())
        return std::nullopt;
    RegKey::Ptr classes = read.hive->root()->child(u"Software") ? read.hive->root()->child(u"Software")->child(u"Classes")
                                                                : nullptr;
    RegKey::Ptr crash = classes ? classes->child(u"crash") : nullptr;
    if (!crash || crash->children().size() != std::size_t(kKeys))
        return std::nullopt;
    std::optional<int> version;
    for (int k = 0; k < kKeys; ++k) {
        const RegKey::Ptr key = crash->child(u"k%1"_s.arg(k));
        const RegValue* value = key ? key->value(u"") : nullptr;
        if (!value || value->type != REG_SZ)
            return std::nullopt;
        // "version N of key K; ..." names its version; every key must name the same one.
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(value->data.constData()),
                                                value->data.size() / 2 - 1);
        const int named = text.section(u' ', 1, 1).toInt();
        if (version && named != *version)
            return std::nullopt;
        version = named;
        if (value->data != regTextBytes(payload(named, k)))
            return std::nullopt;
    }
    return version;
}

class SaveCrash : public ::testing::Test {
protected:
    void SetUp() override
    {
        void* shared = ::mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        ASSERT_NE(shared, MAP_FAILED);
        progress = new (shared) Progress;
        // Version 0, saved by an ordinary run (which backs up into a folder of its own). The kills
        // are timed by how long that first save with its backup takes, which differs a lot
        // between an optimised and a sanitizer build.
        prefix.open();
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(writeVersion(0));
        saveTime = std::max(std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start),
                            std::chrono::microseconds(200));
    }
    void TearDown() override
    {
        if (progress)
            ::munmap(progress, sizeof(Progress));
    }

    // Starts a run that saves until it is killed `delay` after `saves` of its saves returned;
    // returns whether it was killed so.
    bool killRunAfter(int saves, std::chrono::microseconds delay)
    {
        progress->started = false;
        progress->savesThisRun = 0;
        const pid_t child = ::fork();
        if (child < 0)
            return false;
        if (child == 0)
            saveUntilKilled(prefix.path(), backups.path(), progress);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while ((!progress->started || progress->savesThisRun < saves) && std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(child, &status, WNOHANG) == child)
                return false; // it ended on its own: it could not open the prefix
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        std::this_thread::sleep_for(delay);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    QStringList filesIn(const QString& dir) const
    {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    TestPrefix prefix{"\n[Software\\\\Classes] 1796572859\n"};
    QTemporaryDir backups;
    Progress* progress = nullptr;
    std::chrono::microseconds saveTime{0};
};

TEST_F(SaveCrash, AKilledSaveLeavesAWholeSavedVersionAndNothingElse)
{
    const unsigned seed = std::random_device{}();
    RecordProperty("seed", std::to_string(seed));
    std::mt19937 random(seed);
    int lowest = 0;
    int killedBeforeFirstSave = 0;
    QSet<QString> checked; // backups found whole already
    for (int round = 0; round < kKills; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round << ", seed " << seed);
        // A third of the kills come while the run backs up the file or saves it the first time,
        // the others during a later save.
        const int saves = std::uniform_int_distribution<int>(0, 2)(random);
        const auto delay =
            std::chrono::microseconds(std::uniform_int_distribution<qint64>(0, saveTime.count() * 3 / 2)(random));
        ASSERT_TRUE(killRunAfter(saves, delay));
        if (progress->savesThisRun == 0)
            ++killedBeforeFirstSave;

        // The file is a whole saved version: the last one saved or the one being saved, never older.
        const std::optional<int> version = versionIn(prefix.filePath(u"system.reg"_s));
        ASSERT_TRUE(version) << "system.reg is torn or does not parse";
        EXPECT_GE(*version, std::max<int>(lowest, progress->saved));
        EXPECT_LE(*version, progress->attempting.load());
        lowest = *version;

        // Every backup the store lists is a whole file of a version saved before.
        PrefixStore later(prefix.path());
        later.setBackupDir(backups.path());
        for (const PrefixStore::Backup& backup : later.backups()) {
            if (checked.contains(backup.path))
                continue;
            checked.insert(backup.path);
            const std::optional<int> backedUp = versionIn(backup.path);
            ASSERT_TRUE(backedUp) << backup.path.toStdString() << " is a half backup";
            EXPECT_LE(*backedUp, *version);
        }
        EXPECT_EQ(filesIn(backups.path()).size(), qsizetype(later.backups().size()))
            << "the backup folder holds something that is not a backup";

        // The next start reads that version and leaves no temporary file beside the hive.
        later.setServerProbe(noServer);
        QString error;
        ASSERT_TRUE(later.open(error)) << error.toStdString();
        EXPECT_EQ(filesIn(prefix.path()), (QStringList{u"system.reg"_s, u"user.reg"_s}));
    }
    // Both kinds of moment were hit: before the first save returned, and later.
    EXPECT_GT(killedBeforeFirstSave, 0);
    EXPECT_LT(killedBeforeFirstSave, kKills);
    EXPECT_GT(lowest, 0);
}

} // namespace
