#include "platform/registry/WineServerProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A live server holds a write lock on the first byte of its "lock" file.
bool lockHeld(const QString& lockPath, qint64& pid)
{
    const QByteArray path = QFile::encodeName(lockPath);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    const bool held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    if (held)
        pid = lock.l_pid;
    return held;
}

QStringList candidateBaseDirs(const QString& prefixDir)
{
    const QString uid = QString::number(::getuid());
    QStringList bases{QStringLiteral("/tmp/.wine-%1").arg(uid)};
    // Debian's builds keep the base directory's name in the prefix.
    QFile nameFile(QDir(prefixDir).filePath(QStringLiteral("wineserver")));
    if (nameFile.open(QIODevice::ReadOnly)) {
        const QString name = QString::fromLocal8Bit(nameFile.read(256)).trimmed();
        if (!name.isEmpty() && !name.contains(u'/')) {
            const QString tmp = qEnvironmentVariable("TMPDIR", QStringLiteral("/tmp"));
            bases << QDir(tmp).filePath(name) << QStringLiteral("/tmp/") + name
                  << QStringLiteral("/run/user/%1/%2").arg(uid, name);
        }
    }
    bases << QStringLiteral("/run/user/%1/.wine-%1").arg(uid);
    bases.removeDuplicates();
    return bases;
}

// Without a known layout: a wineserver process working in a directory of the right name.
WineServerProbe::Status findServerProcess(const QString& dirName)
{
    WineServerProbe::Status status;
    const QDir proc(QStringLiteral("/proc"));
    const QStringList entries = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile comm(proc.filePath(entry + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly) || !comm.readAll().startsWith("wineserver"))
            continue;
        const QString cwd = QFileInfo(proc.filePath(entry + QStringLiteral("/cwd"))).symLinkTarget();
        if (QFileInfo(cwd).fileName() == dirName) {
            status.running = true;
            status.pid = pid;
            status.serverDir = cwd;
            return status;
        }
    }
    return status;
}

} // namespace

QString WineServerProbe::serverDirName(const QString& prefixDir)
{
    struct stat st {};
    if (::stat(QFile::encodeName(prefixDir).constData(), &st) != 0)
        return QString();
    return QStringLiteral("server-%1-%2")
        .arg(static_cast<qulonglong>(st.st_dev), 0, 16)
        .arg(static_cast<qulonglong>(st.st_ino), 0, 16);
}

WineServerProbe::Status WineServerProbe::probe(const QString& prefixDir)
{
    Status status;
    const QString dirName = serverDirName(prefixDir);
    if (dirName.isEmpty())
        return status;
    for (const QString& base : candidateBaseDirs(prefixDir)) {
        const QString serverDir = QDir(base).filePath(dirName);
        qint64 pid = 0;
        if (lockHeld(QDir(serverDir).filePath(QStringLiteral("lock")), pid)) {
            status.running = true;
            status.pid = pid;
            status.serverDir = serverDir;
            return status;
        }
    }
    return findServerProcess(dirName);
}
