#include "platform/shell/WindowsPathMapper.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

bool hasDrive(const QString& path)
{
    return path.size() >= 2 && path.at(0).isLetter() && path.at(0).unicode() < 0x80 && path.at(1) == QLatin1Char(':');
}

// The names of a path, with "." dropped and ".." applied; ".." never climbs above the start.
QStringList components(QStringView path)
{
    QStringList names;
    QString text = path.toString();
    text.replace(QLatin1Char('/'), QLatin1Char('\\'));
    for (const QString& name : text.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (name == QLatin1String("."))
            continue;
        if (name == QLatin1String("..")) {
            if (!names.isEmpty())
                names.removeLast();
            continue;
        }
        names.append(name);
    }
    return names;
}

// The path below the system folder when `path` lies in it ("C:\windows\system32\x.dll" -> "x.dll").
QString belowFolder(const QString& path, const QString& folder)
{
    if (!hasDrive(path) || !hasDrive(folder) || path.at(0).toLower() != folder.at(0).toLower())
        return {};
    const QStringList pathNames = components(QStringView(path).mid(2));
    const QStringList folderNames = components(QStringView(folder).mid(2));
    if (pathNames.size() <= folderNames.size())
        return {};
    for (qsizetype i = 0; i < folderNames.size(); ++i) {
        if (pathNames.at(i).compare(folderNames.at(i), Qt::CaseInsensitive) != 0)
            return {};
    }
    return pathNames.mid(folderNames.size()).join(QLatin1Char('\\'));
}

struct Drive {
    QChar letter;      // upper case
    QString canonical; // the drive's folder, links resolved
};

// `path` (absolute and clean) as a Windows path on the drive whose folder is the deepest folder of
// the path; the lower letter when drives share a folder. Empty when no folder of the path is a
// drive's. This is Wine's own rule: it walks up the path as written and compares each folder
// with the drives, so a link inside a drive stays on that drive.
QString onDrive(const QString& path, const QList<Drive>& drives)
{
    for (QString folder = path;;) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        for (const Drive& drive : drives) {
            if (canonical.isEmpty() || drive.canonical != canonical)
                continue;
            QString below = path.mid(folder == QLatin1String("/") ? 0 : folder.size());
            if (below.isEmpty())
                below = QStringLiteral("/");
            return QString(drive.letter) + QLatin1Char(':') + below.replace(QLatin1Char('/'), QLatin1Char('\\'));
        }
        if (folder == QLatin1String("/"))
            return {};
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        folder = slash > 0 ? folder.left(slash) : QStringLiteral("/");
    }
}

// `path` (absolute and clean) with the links of its deepest existing folder resolved.
QString resolved(const QString& path)
{
    for (QString folder = path;;) {
        if (QFileInfo::exists(folder)) {
            const QString canonical = QFileInfo(folder).canonicalFilePath();
            return QDir::cleanPath(canonical + path.mid(folder.size()));
        }
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            return path;
        folder = folder.left(slash);
    }
}

} // namespace

WindowsPathMapper::WindowsPathMapper(QString prefixDir, PrefixEnvironment environment)
    : m_prefixDir(std::move(prefixDir))
    , m_environment(std::move(environment))
{
}

QString WindowsPathMapper::map(const QString& path) const
{
    QString expanded = m_environment.expand(path.trimmed());
    if (expanded.isEmpty())
        return {};
    if (expanded.startsWith(QLatin1Char('/'))) {
        const QFileInfo info(expanded);
        return info.exists() ? info.canonicalFilePath() : QString();
    }
    // Win32 long-path form: "\\?\C:\..." is "C:\...".
    if (expanded.startsWith(QLatin1String("\\\\?\\")) && hasDrive(expanded.mid(4)))
        expanded = expanded.mid(4);
    if (expanded.size() >= 2 && isSeparator(expanded.at(0)) && isSeparator(expanded.at(1)))
        return {};

    if (hasDrive(expanded)) {
        if (QString found = mapAbsolute(expanded); !found.isEmpty())
            return found;
        // A 32-bit installer that wrote to system32 in a 64-bit prefix actually wrote to syswow64.
        const QString below = belowFolder(expanded, m_environment.systemRoot() + QLatin1String("\\system32"));
        if (below.isEmpty())
            return {};
        return mapAbsolute(m_environment.systemRoot() + QLatin1String("\\syswow64\\") + below);
    }
    if (isSeparator(expanded.at(0)))
        return mapAbsolute(m_environment.systemRoot().left(2) + expanded);

    for (const QString& folder : searchPath()) {
        if (QString found = mapAbsolute(folder + QLatin1Char('\\') + expanded); !found.isEmpty())
            return found;
    }
    return {};
}

QString WindowsPathMapper::toWindowsPath(const QString& linuxPath) const
{
    if (linuxPath.isEmpty())
        return {};
    QList<Drive> drives;
    for (char16_t letter = u'a'; letter <= u'z'; ++letter) {
        if (const QString root = driveRoot(QChar(letter)); !root.isEmpty())
            drives.append({QChar(letter).toUpper(), QFileInfo(root).canonicalFilePath()});
    }
    const QString path = QDir::cleanPath(QFileInfo(linuxPath).absoluteFilePath());
    if (QString found = onDrive(path, drives); !found.isEmpty())
        return found;
    // A link from outside into a drive, in a prefix without the Z: drive.
    if (QString found = onDrive(resolved(path), drives); !found.isEmpty())
        return found;
    return QLatin1String("Z:") + QString(path).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

QString WindowsPathMapper::driveRoot(QChar letter) const
{
    const QString link = m_prefixDir + QLatin1String("/dosdevices/") + letter.toLower() + QLatin1Char(':');
    if (QFileInfo(link).isDir())
        return link;
    if (letter.toLower() == QLatin1Char('c') && !QFileInfo::exists(m_prefixDir + QLatin1String("/dosdevices"))) {
        const QString driveC = m_prefixDir + QLatin1String("/drive_c");
        if (QFileInfo(driveC).isDir())
            return driveC;
    }
    return {};
}

QStringList WindowsPathMapper::searchPath() const
{
    const QString root = m_environment.systemRoot();
    QStringList folders{root + QLatin1String("\\system32"), root + QLatin1String("\\syswow64"), root};
    const QString path = m_environment.expand(m_environment.value(QStringLiteral("PATH")));
    for (const QString& entry : path.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString folder = entry.trimmed();
        const bool known = std::any_of(folders.cbegin(), folders.cend(), [&](const QString& f) {
            return f.compare(folder, Qt::CaseInsensitive) == 0;
        });
        if (hasDrive(folder) && !known)
            folders.append(folder);
    }
    return folders;
}

QString WindowsPathMapper::mapAbsolute(const QString& windowsPath) const
{
    return mapOnDrive(windowsPath.at(0), components(QStringView(windowsPath).mid(2)));
}

QString WindowsPathMapper::mapOnDrive(QChar drive, const QStringList& names) const
{
    QString current = driveRoot(drive);
    if (current.isEmpty())
        return {};
    for (const QString& name : names) {
        current = findEntry(current, name);
        if (current.isEmpty())
            return {};
    }
    return QFileInfo(current).canonicalFilePath();
}

QString WindowsPathMapper::findEntry(const QString& folder, const QString& name)
{
    const QString exact = folder + QLatin1Char('/') + name;
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder + QLatin1Char('/') + entry;
    }
    return {};
}
