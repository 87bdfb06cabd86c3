#include "bench/SyntheticPrefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool SyntheticPrefix::write(const QString& dir, const SyntheticHive& machine, const SyntheticHive& user, QString& error)
{
    const QDir prefix(dir);
    if (!prefix.mkpath(QStringLiteral("drive_c/windows/system32")) || !prefix.mkpath(QStringLiteral("dosdevices"))) {
        error = QStringLiteral("cannot create the prefix folders in %1").arg(dir);
        return false;
    }
    const QString driveC = prefix.filePath(QStringLiteral("dosdevices/c:"));
    if (!QFileInfo(driveC).isSymLink() && !QFile::link(QStringLiteral("../drive_c"), driveC)) {
        error = QStringLiteral("cannot link %1 to ../drive_c").arg(driveC);
        return false;
    }
    return user.writeFile(prefix.filePath(QStringLiteral("user.reg")), error)
        && machine.writeFile(prefix.filePath(QStringLiteral("system.reg")), error);
}
