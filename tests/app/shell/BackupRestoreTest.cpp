#include "app/shell/BackupRestore.h"
#include "platform/registry/CommandScope.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"
#include "tests/support/FullDiskFile.h"
#include "tests/support/RegistryProbe.h"
#include "tests/support/TestPrefix.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kSections = "\n[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n"
                             "\n[Software\\\\Classes\\\\txtfile] 1\n@=\"Text Document\"\n";

// Where the store keeps the backups of a prefix when nobody tells it otherwise, for one test.
class StateHome {
public:
    StateHome()
        : m_previous(qgetenv("XDG_STATE_HOME"))
    {
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_dir.path()));
    }
    ~StateHome() { qputenv("XDG_STATE_HOME", m_previous); }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};

class BackupRestoreTest : public ::testing::Test {
protected:
    BackupRestoreTest() { prefix.open(); }

    void writeBackup(const QString& name, const QByteArray& bytes)
    {
        QDir().mkpath(store().backupDir());
        QFile file(QDir(store().backupDir()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QStringList backupNames() { return QDir(prefix.store().backupDir()).entryList(QDir::Files, QDir::Name); }
    PrefixStore& store() { return prefix.store(); }
    static QStringList rows(const BackupRestore& restore)
    {
        QStringList lines;
        for (const BackupRestore::Entry& entry : restore.entries())
            lines << BackupRestore::dateText(entry) + u' ' + entry.backup.fileName + u' ' +
                         BackupRestore::differencesText(entry);
        return lines;
    }

    TestPrefix prefix{kSections};
};

TEST_F(BackupRestoreTest, ListsThisPrefixsBackupsNewestFirstAndCountsWhatChangedSince)
{
    const QByteArray system = TestPrefix::systemHeader();
    writeBackup(u"system.reg.20240101-090000-000"_s, system + kSections);
    writeBackup(u"system.reg.20240301-090000-000"_s,
                system + kSections + "\n[Software\\\\Classes\\\\.old] 1\n@=\"oldfile\"\n");
    writeBackup(u"system.reg.20240201-090000-000"_s,
                system + "\n[Software\\\\Classes\\\\.txt] 1\n@=\"textfile\"\n");
    writeBackup(u"user.reg.20240215-090000-000"_s, TestPrefix::userHeader());
    writeBackup(u"system.reg.20240110-090000-000"_s, "this is no registry file");
    writeBackup(u"system.reg.20240120-090000-000"_s, system + "\n[Software\\\\Classes\\\\.bad] 1\n\"x\"=dword:zz\n");
    writeBackup(u"system.reg.notes"_s, system); // not named as a backup
    writeBackup(u"sam.reg.20240401-090000-000"_s, system);

    BackupRestore restore(store());
    for (std::size_t i = 0; i < restore.entries().size(); ++i)
        restore.compare(i);
    EXPECT_EQ(rows(restore), (QStringList{
                                 u"2024-03-01 09:00:00 system.reg 0 added, 1 removed, 0 changed"_s,
                                 u"2024-02-15 09:00:00 user.reg None"_s,
                                 u"2024-02-01 09:00:00 system.reg 1 added, 0 removed, 1 changed"_s,
                                 u"2024-01-20 09:00:00 system.reg Cannot be read"_s,
                                 u"2024-01-10 09:00:00 system.reg Cannot be read"_s,
                                 u"2024-01-01 09:00:00 system.reg None"_s,
                             }));
    for (const std::size_t unreadable : {3u, 4u}) {
        QString error;
        EXPECT_FALSE(restore.restore(unreadable, error));
        EXPECT_TRUE(error.startsWith(u"Varnook cannot read the backup"_s)) << error.toStdString();
    }
    EXPECT_TRUE(probe::keyExists(u"txtfile"_s));
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), TestPrefix::systemHeader() + kSections);
}

TEST_F(BackupRestoreTest, AnotherPrefixsBackupsAreNotListed)
{
    StateHome state;
    TestPrefix other{kSections};
    for (TestPrefix* each : {&prefix, &other}) {
        PrefixStore& opened = each->open();
        opened.setBackupDir(QString()); // the folder of each prefix under XDG_STATE_HOME
        RegKeyHandle key;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u".new"_s, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr),
                  ERROR_SUCCESS);
    }
    BackupRestore restore(other.store());
    ASSERT_EQ(restore.entries().size(), 1u);
    EXPECT_TRUE(restore.entries()[0].backup.path.startsWith(other.store().backupDir() + u'/'));
    EXPECT_NE(other.store().backupDir(), prefix.store().backupDir());
}

TEST_F(BackupRestoreTest, RestoringBacksUpTheCurrentFileAndReplacesTheRegistry)
{
    const QByteArray original = prefix.readFile(u"system.reg"_s);
    writeBackup(u"system.reg.20240101-090000-000"_s,
                original + "\n[Software\\\\Classes\\\\vnkfile] 1\n@=\"Varnook File\"\n");
    ASSERT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, u"txtfile"_s), ERROR_SUCCESS); // saved, with a backup of its own
    const QByteArray current = prefix.readFile(u"system.reg"_s);
    const QStringList before = backupNames();

    BackupRestore restore(store());
    const std::size_t oldest = restore.entries().size() - 1;
    ASSERT_TRUE(restore.entries()[oldest].backup.path.endsWith(u".20240101-090000-000"_s));
    QString error;
    ASSERT_TRUE(restore.restore(oldest, error)) << error.toStdString();

    // The file before the restore is the newest backup now.
    const QStringList after = backupNames();
    ASSERT_EQ(after.size(), before.size() + 1);
    QFile newest(QDir(store().backupDir()).filePath(after.last()));
    ASSERT_TRUE(newest.open(QIODevice::ReadOnly));
    EXPECT_EQ(newest.readAll(), current);

    for (bool reread : {false, true}) {
        SCOPED_TRACE(reread ? "next run" : "in memory");
        EXPECT_TRUE(probe::keyExists(u"txtfile"_s));
        EXPECT_TRUE(probe::keyExists(u"vnkfile"_s));
        if (!reread)
            prefix.reopen();
    }
    // The store knows the file it wrote: the next change saves.
    ASSERT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, u"vnkfile"_s), ERROR_SUCCESS);
    EXPECT_TRUE(store().lastError().isEmpty()) << store().lastError().toStdString();
    EXPECT_FALSE(prefix.readFile(u"system.reg"_s).contains("vnkfile"));
}

TEST(BackupRestore, ARefusedOrFailedRestoreChangesNothing)
{
    const auto wineRunning = [](const QString&) { return WineServerProbe::Status{true, 77, {}}; };
    const struct {
        const char* name;
        std::function<void(PrefixStore&)> beforeOpen;
        std::function<void(PrefixStore&, TestPrefix&)> afterOpen;
        const char* error;
    } cases[] = {
        {"started read-only", [](PrefixStore& s) { s.setReadOnlyRequested(true); }, nullptr,
         "The registry is read-only"},
        {"Wine running", [&](PrefixStore& s) { s.setServerProbe(wineRunning); }, nullptr, "The registry is read-only"},
        {"Wine started since", nullptr, [&](PrefixStore& s, TestPrefix&) { s.setServerProbe(wineRunning); },
         "Wine is running for the prefix"},
        {"changed by another program", nullptr,
         [](PrefixStore&, TestPrefix& p) { p.writeFile(u"system.reg"_s, TestPrefix::systemHeader()); },
         "was changed by another program"},
        {"disk full", nullptr,
         [](PrefixStore& s, TestPrefix&) {
             s.setSaveFileFactory([](const QString& path) { return std::make_unique<FullDiskFile>(path, 10); });
         },
         "No space left on device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestPrefix prefix{kSections};
        QTemporaryDir backups;
        PrefixStore store(prefix.path());
        store.setBackupDir(backups.path());
        store.setServerProbe([](const QString&) { return WineServerProbe::Status{}; });
        if (c.beforeOpen)
            c.beforeOpen(store);
        QString error;
        ASSERT_TRUE(store.open(error)) << error.toStdString();
        Registry::setCurrent(&store.registry());
        if (c.afterOpen)
            c.afterOpen(store, prefix);
        QFile backup(QDir(backups.path()).filePath(u"system.reg.20240101-090000-000"_s));
        ASSERT_TRUE(backup.open(QIODevice::WriteOnly));
        backup.write(TestPrefix::systemHeader() + "\n[Software\\\\Classes\\\\.old] 1\n");
        backup.close();
        const QByteArray onDisk = prefix.readFile(u"system.reg"_s);

        BackupRestore restore(store);
        EXPECT_FALSE(restore.restore(0, error));
        EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
        EXPECT_EQ(prefix.readFile(u"system.reg"_s), onDisk);
        EXPECT_FALSE(probe::keyExists(u".old"_s));
        EXPECT_TRUE(probe::keyExists(u"txtfile"_s));
    }
}

} // namespace
