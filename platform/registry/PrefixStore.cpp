#include "platform/registry/PrefixStore.h"

#include "platform/registry/HiveReader.h"
#include "platform/registry/HiveWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kMachineRoot = QStringLiteral("REGISTRY\\Machine");
const QString kUserRoot = QStringLiteral("REGISTRY\\User\\S-1-5-21-0-0-0-1000");

bool canWrite(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// After a rename the directory entry itself must reach the disk too.
void syncDirectory(const QString& dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Where a save writes a hive before the new file takes its name: beside it, under a name of this
// program's own, so that what a save killed at the wrong moment leaves behind is known for ours
// and removed by the next start, never taken for anything of the user's.
const QString kStagingSuffix = QStringLiteral(".varnook-saving");

QString stagingPath(const QString& writePath)
{
    const QFileInfo info(writePath);
    return info.dir().filePath(u'.' + info.fileName() + kStagingSuffix);
}

// Removes what killed saves left of a hive: the staging file, and the temporary files the save
// file makes for it on file systems that cannot write an unnamed file.
void removeLeftovers(const QString& writePath)
{
    const QFileInfo staging(stagingPath(writePath));
    QDir dir = staging.dir();
    const QStringList leftovers =
        dir.entryList({staging.fileName(), staging.fileName() + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden);
    for (const QString& name : leftovers)
        dir.remove(name);
}

QString xdgStateHome()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!state.isEmpty() && QDir::isAbsolutePath(state))
        return state;
    return QDir::homePath() + QStringLiteral("/.local/state");
}

} // namespace

PrefixStore::PrefixStore(QString prefixDir)
    : m_prefixDir(QDir(prefixDir).absolutePath())
{
    m_registry.setCommitHandler([this] { return save(); });
}

PrefixStore::~PrefixStore() = default;

QString PrefixStore::backupDir() const
{
    if (!m_backupDir.isEmpty())
        return m_backupDir;
    QString name = m_prefixDir;
    name.replace(u'/', u'_');
    while (name.startsWith(u'_'))
        name.remove(0, 1);
    return xdgStateHome() + QStringLiteral("/Varnook2/backups/") + name;
}

bool PrefixStore::open(QString& error)
{
    if (!QFileInfo(m_prefixDir).isDir()) {
        error = QStringLiteral("The Wine prefix folder %1 does not exist.").arg(m_prefixDir);
        return false;
    }
    const WineServerProbe::Status server = probeServer();
    if (server.running) {
        m_serverReason =
            QStringLiteral("Wine is running for the prefix %1 (wineserver, process %2). While it runs, Wine keeps "
                           "the registry in memory and would overwrite any change, so Varnook opened the registry "
                           "read-only.\r\n\r\nClose all Wine programs or run \"wineserver -k\", then restart Varnook "
                           "to make changes.")
                .arg(m_prefixDir)
                .arg(server.pid);
    }

    m_files.clear();
    m_files.resize(2);
    m_files[0].fileName = QStringLiteral("system.reg");
    m_files[1].fileName = QStringLiteral("user.reg");
    if (!loadHive(m_files[0], kMachineRoot, true, error) || !loadHive(m_files[1], kUserRoot, false, error))
        return false;

    const bool noWrites = !m_serverReason.isEmpty() || m_readOnlyRequested;
    for (const HiveFile& file : m_files)
        if (!noWrites && !file.readOnly)
            removeLeftovers(file.writePath);
    m_registry.mountMachine(m_files[0].hive, m_files[0].readOnly || noWrites);
    m_registry.mountUser(m_files[1].hive, m_files[1].readOnly || noWrites);
    return true;
}

bool PrefixStore::loadHive(HiveFile& file, const QString& rootPath, bool required, QString& error)
{
    file.path = QDir(m_prefixDir).filePath(file.fileName);
    const QFileInfo info(file.path);
    file.writePath = file.path;
    if (info.isSymLink()) {
        // Write through the link to its target, so the link itself stays as the user made it.
        file.writePath = info.canonicalFilePath();
        if (file.writePath.isEmpty()) {
            error = QStringLiteral("%1 is a symbolic link to %2, which does not exist.")
                        .arg(file.path, info.symLinkTarget());
            return false;
        }
    }

    if (!info.exists()) {
        if (required) {
            error = QStringLiteral("The Wine prefix %1 has no %2.").arg(m_prefixDir, file.fileName);
            return false;
        }
        file.hive = std::make_shared<Hive>(rootPath);
    } else {
        keepVersion(file);
        QFile in(file.writePath);
        if (!in.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("Varnook cannot read %1: %2").arg(file.path, in.errorString());
            return false;
        }
        // Read into a buffer of the file's exact size: the hive keeps these bytes while it lives.
        QByteArray bytes(in.size(), Qt::Uninitialized);
        const qint64 got = in.read(bytes.data(), bytes.size());
        if (got < 0) {
            error = QStringLiteral("Varnook cannot read %1: %2").arg(file.path, in.errorString());
            return false;
        }
        bytes.truncate(got);
        if (const QByteArray appended = in.readAll(); !appended.isEmpty())
            bytes += appended; // written since the size was taken
        const HiveReader::Result result = HiveReader::read(std::move(bytes), file.path);
        if (!result.hive) {
            error = result.error;
            return false;
        }
        file.hive = result.hive;
        const Hive& hive = *file.hive;
        if (!hive.problems().isEmpty()) {
            file.readOnly = true;
            QString list = hive.problems().join(QStringLiteral("\r\n"));
            if (hive.problemCount() > hive.problems().size())
                list += QStringLiteral("\r\n... and %1 more.").arg(hive.problemCount() - hive.problems().size());
            file.readOnlyReason = QStringLiteral("Varnook could not read all of %1, so it opened it read-only to "
                                                 "lose nothing:\r\n%2")
                                      .arg(file.path, list);
        }
    }

    const QString folder = QFileInfo(file.writePath).absolutePath();
    if (!file.readOnly && (!canWrite(folder) || (info.exists() && !canWrite(file.writePath)))) {
        file.readOnly = true;
        file.readOnlyReason =
            QStringLiteral("Varnook may not write %1 (the file or its folder is read-only), so it opened it "
                           "read-only.")
                .arg(file.path);
    }
    return true;
}

bool PrefixStore::isReadOnly() const
{
    if (m_readOnlyRequested || !m_serverReason.isEmpty())
        return true;
    for (const HiveFile& file : m_files)
        if (file.readOnly)
            return true;
    return false;
}

QString PrefixStore::readOnlyReason() const
{
    QStringList reasons;
    if (m_readOnlyRequested)
        reasons << QStringLiteral("Varnook was started read-only: it shows the registry of %1 and changes nothing.")
                       .arg(m_prefixDir);
    if (!m_serverReason.isEmpty())
        reasons << m_serverReason;
    for (const HiveFile& file : m_files)
        if (file.readOnly)
            reasons << file.readOnlyReason;
    return reasons.join(QStringLiteral("\r\n\r\n"));
}

bool PrefixStore::hasUnsavedChanges() const
{
    for (const HiveFile& file : m_files)
        if (file.hive && file.hive->isDirty())
            return true;
    return false;
}

bool PrefixStore::save(Report report)
{
    QStringList errors;
    for (HiveFile& file : m_files) {
        if (!file.hive || !file.hive->isDirty())
            continue;
        QString error;
        if (!saveHive(file, error))
            errors << error;
    }
    if (errors.isEmpty()) {
        m_lastError.clear();
        return true;
    }
    fail(errors.join(QStringLiteral("\r\n\r\n")), report);
    return false;
}

void PrefixStore::fail(const QString& message, Report report)
{
    m_lastError = message;
    if (m_onSaveFailure && report == Report::ToHandler)
        m_onSaveFailure(message);
}

bool PrefixStore::saveHive(HiveFile& file, QString& error)
{
    if (file.readOnly) {
        error = file.readOnlyReason;
        return false;
    }
    const WineServerProbe::Status server = probeServer();
    if (server.running) {
        error = QStringLiteral("Wine started running for the prefix %1 (wineserver, process %2), so your change "
                               "was not saved to %3: Wine would overwrite it. Close all Wine programs or run "
                               "\"wineserver -k\", then make the change again.")
                    .arg(m_prefixDir)
                    .arg(server.pid)
                    .arg(file.fileName);
        return false;
    }
    if (changedByOthers(file)) {
        error = QStringLiteral("%1 was changed by another program after Varnook read it. Varnook did not save, so "
                               "nothing of that program's change is lost; your last change was not saved. Start "
                               "Varnook again to see the registry as it is now.")
                    .arg(file.path);
        return false;
    }
    if (!backup(file, error))
        return false;

    // The new file is written whole and flushed under a name of its own, then renamed over the
    // hive: a crash at any moment leaves the old file or the new one, and at most a staging file.
    const QString staging = stagingPath(file.writePath);
    QFile::remove(staging);
    std::unique_ptr<QSaveFile> out =
        m_saveFileFactory ? m_saveFileFactory(staging) : std::make_unique<QSaveFile>(staging);
    if (!out->open(QIODevice::WriteOnly)) {
        error = QStringLiteral("Varnook cannot save %1: %2. Nothing was changed on disk.").arg(file.path, out->errorString());
        return false;
    }
    QString writeError;
    if (!HiveWriter::write(*file.hive, *out, writeError) || !out->commit()) {
        const QString reason = writeError.isEmpty() ? out->errorString() : writeError;
        out->cancelWriting();
        error = QStringLiteral("Varnook could not save %1: %2. The file on disk was left as it was.")
                    .arg(file.path, reason);
        return false;
    }
    // The hive keeps its permissions, which a new file would not have.
    struct stat current {};
    if (::stat(QFile::encodeName(file.writePath).constData(), &current) == 0)
        ::chmod(QFile::encodeName(staging).constData(), current.st_mode & 07777);
    if (::rename(QFile::encodeName(staging).constData(), QFile::encodeName(file.writePath).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(staging);
        error = QStringLiteral("Varnook could not save %1: %2. The file on disk was left as it was.")
                    .arg(file.path, reason);
        return false;
    }
    syncDirectory(QFileInfo(file.writePath).absolutePath());
    keepVersion(file);
    file.hive->setDirty(false);
    return true;
}

void PrefixStore::keepVersion(HiveFile& file)
{
    auto version = std::make_unique<QFile>(file.writePath);
    if (version->open(QIODevice::ReadOnly)) {
        file.stamp = FileStamp::ofOpenFile(version->handle());
        file.version = std::move(version);
    } else {
        file.stamp = FileStamp::of(file.writePath);
        file.version.reset();
    }
}

bool PrefixStore::changedByOthers(HiveFile& file)
{
    return FileStamp::of(file.writePath) != file.stamp && !sameBytesInItsPlace(file);
}

bool PrefixStore::sameBytesInItsPlace(HiveFile& file)
{
    if (!file.version)
        return false;
    auto current = std::make_unique<QFile>(file.writePath);
    if (!current->open(QIODevice::ReadOnly))
        return false;
    const FileStamp stamp = FileStamp::ofOpenFile(current->handle());
    // A file changed in place is the kept version too: its old bytes are gone, so it counts as changed.
    if (stamp.inode == file.stamp.inode || stamp.size != file.stamp.size || !file.version->seek(0))
        return false;
    constexpr qint64 kChunk = qint64(1) << 20;
    qint64 compared = 0;
    for (;;) {
        const QByteArray kept = file.version->read(kChunk);
        const QByteArray now = current->read(kChunk);
        if (kept != now)
            return false;
        if (kept.isEmpty())
            break;
        compared += kept.size();
    }
    if (compared != stamp.size)
        return false; // a read that failed on both sides proves nothing
    file.stamp = stamp;
    file.version = std::move(current);
    return true;
}

bool PrefixStore::backup(HiveFile& file, QString& error)
{
    if (file.backedUp || !file.stamp.exists)
        return true;
    const QDir dir(backupDir());
    if (!dir.mkpath(QStringLiteral("."))) {
        error = QStringLiteral("Varnook did not save %1 because it could not create the backup folder %2.")
                    .arg(file.path, dir.path());
        return false;
    }
    // A restore backs up a second time in a run, perhaps within the same millisecond: the later
    // backup takes the next free name instead of replacing the earlier one.
    QDateTime taken = QDateTime::currentDateTime();
    QString target;
    do {
        target = dir.filePath(file.fileName + u'.' + taken.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")));
        taken = taken.addMSecs(1);
    } while (QFileInfo::exists(target));
    if (!QFile::copy(file.writePath, target)) {
        error = QStringLiteral("Varnook did not save %1 because it could not back it up to %2.")
                    .arg(file.path, target);
        return false;
    }
    file.backedUp = true;

    // Keep the newest few backups of this file.
    QStringList backups = dir.entryList({file.fileName + QStringLiteral(".*")}, QDir::Files, QDir::Name);
    while (backups.size() > kBackupsKept)
        QFile::remove(dir.filePath(backups.takeFirst()));
    return true;
}

PrefixStore::HiveFile* PrefixStore::fileNamed(const QString& fileName)
{
    for (HiveFile& file : m_files)
        if (file.fileName == fileName)
            return &file;
    return nullptr;
}

const PrefixStore::HiveFile* PrefixStore::fileNamed(const QString& fileName) const
{
    return const_cast<PrefixStore*>(this)->fileNamed(fileName);
}

WineServerProbe::Status PrefixStore::probeServer() const
{
    return m_serverProbe ? m_serverProbe(m_prefixDir) : WineServerProbe::probe(m_prefixDir);
}

std::vector<PrefixStore::Backup> PrefixStore::backups() const
{
    std::vector<Backup> found;
    const QDir dir(backupDir());
    for (const QString& fileName : {QStringLiteral("system.reg"), QStringLiteral("user.reg")}) {
        const QFileInfoList entries = dir.entryInfoList({fileName + QStringLiteral(".*")}, QDir::Files);
        for (const QFileInfo& entry : entries) {
            // Only what backup() names so: "system.reg.20240131-235959-123".
            const QString stamp = entry.fileName().mid(fileName.size() + 1);
            const QDateTime taken = QDateTime::fromString(stamp, QStringLiteral("yyyyMMdd-HHmmss-zzz"));
            if (taken.isValid())
                found.push_back({entry.absoluteFilePath(), fileName, taken, entry.size()});
        }
    }
    std::sort(found.begin(), found.end(), [](const Backup& a, const Backup& b) {
        return a.taken != b.taken ? a.taken > b.taken : a.fileName < b.fileName;
    });
    return found;
}

std::shared_ptr<const Hive> PrefixStore::hiveOf(const QString& fileName) const
{
    const HiveFile* file = fileNamed(fileName);
    return file ? file->hive : nullptr;
}

QString PrefixStore::restoreRefusal(const QString& fileName)
{
    HiveFile* file = fileNamed(fileName);
    if (!file || !file->hive)
        return QStringLiteral("Varnook has not opened %1 of the prefix %2, so it cannot restore it.")
            .arg(fileName, m_prefixDir);
    if (m_readOnlyRequested || !m_serverReason.isEmpty() || file->readOnly)
        return QStringLiteral("The registry is read-only, so Varnook cannot restore %1.\r\n\r\n%2")
            .arg(file->path, readOnlyReason());
    if (const WineServerProbe::Status server = probeServer(); server.running)
        return QStringLiteral("Wine is running for the prefix %1 (wineserver, process %2) and would overwrite the "
                              "restored file. Close all Wine programs or run \"wineserver -k\", then restore the "
                              "backup again.")
            .arg(m_prefixDir)
            .arg(server.pid);
    if (changedByOthers(*file))
        return QStringLiteral("%1 was changed by another program after Varnook read it. Start Varnook again to see "
                              "the registry as it is now, then restore the backup.")
            .arg(file->path);
    return QString();
}

bool PrefixStore::restore(const Backup& backup, QString& error)
{
    HiveFile* file = fileNamed(backup.fileName);
    const QFileInfo source(backup.path);
    if (!file || QDir(source.absolutePath()) != QDir(backupDir()) ||
        !source.fileName().startsWith(backup.fileName + u'.')) {
        error = QStringLiteral("%1 is not a backup of this prefix's registry.").arg(backup.path);
        return false;
    }
    if (error = restoreRefusal(backup.fileName); !error.isEmpty())
        return false;

    QFile in(backup.path);
    if (!in.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Varnook cannot read the backup %1: %2").arg(backup.path, in.errorString());
        return false;
    }
    HiveReader::Result read = HiveReader::read(in.readAll(), backup.path);
    if (in.error() != QFileDevice::NoError) {
        error = QStringLiteral("Varnook cannot read the backup %1: %2").arg(backup.path, in.errorString());
        return false;
    }
    if (!read.hive) {
        error = QStringLiteral("The backup %1 is not a registry file Varnook can read:\r\n%2").arg(backup.path, read.error);
        return false;
    }
    if (!read.hive->problems().isEmpty()) {
        error = QStringLiteral("The backup %1 is damaged, so Varnook does not restore it:\r\n%2")
                    .arg(backup.path, read.hive->problems().first());
        return false;
    }

    // The current file gets a backup of its own, so that the restore itself can be undone.
    const std::shared_ptr<Hive> previous = file->hive;
    file->backedUp = false;
    file->hive = read.hive;
    file->hive->setDirty(true);
    if (!saveHive(*file, error)) {
        file->hive = previous;
        return false;
    }
    if (file == &m_files[0])
        m_registry.mountMachine(file->hive);
    else
        m_registry.mountUser(file->hive);
    return true;
}
