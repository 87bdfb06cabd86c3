#include "platform/registry/PrefixLocator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString homeOf(const QProcessEnvironment& environment)
{
    const QString home = environment.value(QStringLiteral("HOME"));
    return home.isEmpty() ? QDir::homePath() : home;
}

bool copyResource(const QString& resource, const QString& target, QString& error)
{
    QFile in(resource);
    if (!in.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("The sample registry %1 is missing from this build.").arg(resource);
        return false;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(in.readAll()) < 0 || !out.commit()) {
        error = QStringLiteral("Varnook cannot create %1: %2").arg(target, out.errorString());
        return false;
    }
    return true;
}

} // namespace

PrefixLocator::Choice PrefixLocator::choose(const QProcessEnvironment& environment)
{
    const QString variable = environment.value(QStringLiteral("WINEPREFIX"));
    if (!variable.isEmpty())
        return {QDir(variable).absolutePath(), Kind::WinePrefixVariable};
    const QString homeWine = QDir(homeOf(environment)).filePath(QStringLiteral(".wine"));
    if (QFileInfo::exists(QDir(homeWine).filePath(QStringLiteral("system.reg"))))
        return {homeWine, Kind::HomeWine};
    return {ownPrefixPath(environment), Kind::OwnPrefix};
}

QString PrefixLocator::ownPrefixPath(const QProcessEnvironment& environment)
{
    QString dataHome = environment.value(QStringLiteral("XDG_DATA_HOME"));
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome))
        dataHome = homeOf(environment) + QStringLiteral("/.local/share");
    return dataHome + QStringLiteral("/Varnook2/prefix");
}

bool PrefixLocator::ensureOwnPrefix(const QString& path, QString& error)
{
    const QDir dir(path);
    if (QFileInfo::exists(dir.filePath(QStringLiteral("system.reg"))))
        return true;
    if (!dir.mkpath(QStringLiteral("drive_c/windows/system32")) || !dir.mkpath(QStringLiteral("dosdevices"))) {
        error = QStringLiteral("Varnook cannot create its registry folder %1.").arg(path);
        return false;
    }
    // Drive C: maps to drive_c, as in every Wine prefix.
    const QString driveC = dir.filePath(QStringLiteral("dosdevices/c:"));
    if (!QFileInfo(driveC).isSymLink())
        QFile::link(QStringLiteral("../drive_c"), driveC);
    // user.reg first: a prefix counts as made once system.reg is there.
    return copyResource(QStringLiteral(":/sample/user.reg"), dir.filePath(QStringLiteral("user.reg")), error) &&
           copyResource(QStringLiteral(":/sample/system.reg"), dir.filePath(QStringLiteral("system.reg")), error);
}
