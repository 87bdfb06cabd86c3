#pragma once

#include "platform/shell/PrefixEnvironment.h"

#include <QString>
#include <QStringList>

// Finds the file in a prefix folder that a Windows program running in the prefix would open for
// a path: drive letters go through the prefix's dosdevices links, every later name is matched
// exactly first and else without regard to case (as Wine does), and bare or relative names are
// looked up along the Windows search path.
class WindowsPathMapper {
public:
    WindowsPathMapper(QString prefixDir, PrefixEnvironment environment);

    // The existing file or folder `path` names, as a canonical Linux path; empty when there is
    // none. %NAME% references are expanded first. Paths that already are absolute Linux paths
    // (starting with '/') are taken as they are. Network paths are not followed.
    QString map(const QString& path) const;

    // The Windows path a program in the prefix sees for a Linux file, as `winepath -w` gives it:
    // "C:\dir\file", or "C:\" for a drive's own folder. Relative paths are taken from the
    // current folder. Walking up from the path as written, the first folder that is a drive's
    // folder (dosdevices/<letter>:, compared with links resolved) names the drive, the lower letter
    // when drives share a folder; the rest of the path follows as written, so names keep their case
    // and need not exist. When no folder is a drive's, the same walk on the path with its links
    // resolved; else "Z:\" + the path, as Wine's Z: drive shows it. Empty for an empty path.
    QString toWindowsPath(const QString& linuxPath) const;

    // The Linux folder of a drive (dosdevices/<letter>:, or drive_c for C: when the prefix has
    // no dosdevices folder); empty when the prefix has no such drive.
    QString driveRoot(QChar letter) const;

    const PrefixEnvironment& environment() const { return m_environment; }

private:
    // The Windows folders a bare file name is looked up in, in order: system32, syswow64 (the
    // 32-bit system folder of a 64-bit prefix), the Windows folder, then PATH.
    QStringList searchPath() const;
    // `names` of a path below the root of `drive`; "." and ".." already resolved.
    QString mapOnDrive(QChar drive, const QStringList& names) const;
    QString mapAbsolute(const QString& windowsPath) const;
    static QString findEntry(const QString& folder, const QString& name);

    QString m_prefixDir;
    PrefixEnvironment m_environment;
};
