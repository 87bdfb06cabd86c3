#pragma once

#include "platform/FileStamp.h"
#include "platform/registry/Hive.h"
#include "platform/registry/Registry.h"
#include "platform/registry/WineServerProbe.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// The registry of one prefix folder: system.reg (HKEY_LOCAL_MACHINE, and with it
// HKEY_CLASSES_ROOT) and user.reg (HKEY_CURRENT_USER), loaded into a Registry and saved back
// atomically, with a backup before the first save of a run. It refuses to write when Wine runs for
// the prefix, when a file changed on disk since it was read, or when a file could not be read
// completely; the registry is then read-only and readOnlyReason() says why in plain words.
class PrefixStore {
public:
    explicit PrefixStore(QString prefixDir);
    ~PrefixStore();
    PrefixStore(const PrefixStore&) = delete;
    PrefixStore& operator=(const PrefixStore&) = delete;

    // Whether the user asked for a registry that is only read; set before open().
    void setReadOnlyRequested(bool requested) { m_readOnlyRequested = requested; }
    bool isReadOnlyRequested() const { return m_readOnlyRequested; }

    // Loads the hives. Returns false, with `error` set, when the prefix cannot be used at all.
    bool open(QString& error);

    const QString& prefixDir() const { return m_prefixDir; }
    Registry& registry() { return m_registry; }

    bool isReadOnly() const;
    // Why (part of) the registry is read-only; empty when it is not.
    QString readOnlyReason() const;

    // How a failed save is reported: to the save failure handler, or only through lastError().
    enum class Report { ToHandler, Quietly };

    // Writes every changed hive. Returns false, with lastError() set, when one could not be saved;
    // the changes then stay in memory, the file on disk is untouched, and the next save tries again.
    bool save(Report report = Report::ToHandler);
    const QString& lastError() const { return m_lastError; }
    // Whether changes made in memory are not on disk yet (a save failed).
    bool hasUnsavedChanges() const;

    // ---- backups
    struct Backup {
        QString path;     // the backup file
        QString fileName; // the prefix file it is a copy of: "system.reg" or "user.reg"
        QDateTime taken;  // local time, from its name
        qint64 size = 0;
    };
    // The backups of this prefix's registry files, newest first.
    std::vector<Backup> backups() const;
    // The hive in memory of "system.reg" or "user.reg"; null for any other name or before open().
    std::shared_ptr<const Hive> hiveOf(const QString& fileName) const;
    // Why a backup of `fileName` cannot be restored now (read-only, Wine running, the file changed
    // by another program); empty when it can.
    QString restoreRefusal(const QString& fileName);
    // Puts a backup back in place of its file: the current file is backed up first, the backup's
    // contents are saved over it atomically and replace the hive in memory. Returns false, with
    // `error` set, when refused or failed; the file and the registry are then unchanged.
    bool restore(const Backup& backup, QString& error);

    // Told about every failed save (the program shows it to the user).
    void setSaveFailureHandler(std::function<void(const QString&)> handler) { m_onSaveFailure = std::move(handler); }

    // ---- seams for tests
    using SaveFileFactory = std::function<std::unique_ptr<QSaveFile>(const QString& path)>;
    void setSaveFileFactory(SaveFileFactory factory) { m_saveFileFactory = std::move(factory); }
    using ServerProbe = std::function<WineServerProbe::Status(const QString& prefixDir)>;
    void setServerProbe(ServerProbe probe) { m_serverProbe = std::move(probe); }
    void setBackupDir(const QString& dir) { m_backupDir = dir; }
    QString backupDir() const;

    static constexpr int kBackupsKept = 10;

private:
    struct HiveFile {
        QString fileName;  // "system.reg"
        QString path;      // in the prefix folder
        QString writePath; // where the bytes go: the target of a symbolic link
        std::shared_ptr<Hive> hive;
        FileStamp stamp;
        // The version of the file read or written last, kept open: when Wine puts a file with the
        // same bytes in its place (its server rewrites the registry when it exits), that is no
        // change of another program's to keep.
        std::unique_ptr<QFile> version;
        bool readOnly = false;
        QString readOnlyReason;
        bool backedUp = false;
    };

    bool loadHive(HiveFile& file, const QString& rootPath, bool required, QString& error);
    bool saveHive(HiveFile& file, QString& error);
    // Takes the file now at the write path as the version read or written last.
    static void keepVersion(HiveFile& file);
    // Whether the file at the write path, though another file than the one read or written last,
    // holds the same bytes; it then becomes the version kept.
    static bool sameBytesInItsPlace(HiveFile& file);
    // Whether another program changed the file since it was read or written last.
    static bool changedByOthers(HiveFile& file);
    bool backup(HiveFile& file, QString& error);
    HiveFile* fileNamed(const QString& fileName);
    const HiveFile* fileNamed(const QString& fileName) const;
    WineServerProbe::Status probeServer() const;
    void fail(const QString& message, Report report);

    QString m_prefixDir;
    Registry m_registry;
    std::vector<HiveFile> m_files;
    QString m_serverReason;
    bool m_readOnlyRequested = false;
    QString m_lastError;
    QString m_backupDir;
    std::function<void(const QString&)> m_onSaveFailure;
    SaveFileFactory m_saveFileFactory;
    ServerProbe m_serverProbe;
};
