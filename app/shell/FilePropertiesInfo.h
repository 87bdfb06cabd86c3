#pragma once

#include "platform/icons/PeVersionInfo.h"

#include <QDateTime>
#include <QFileDevice>
#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

class WindowsPathMapper;

// What the properties window shows of one file or folder: where it is (as a Windows program of
// the prefix and as Linux sees it), its type, size, dates, permissions and owner, and for
// programs and libraries their version resource. Read once, when made.
class FilePropertiesInfo {
public:
    // One row of the window: `name` names its field ("WindowsPath" -> txtWindowsPath), `label`
    // is its caption.
    struct Field {
        QString name;
        QString label;
        QString text;

        bool operator==(const Field&) const = default;
    };

    // Gathers the properties of `linuxPath`; `mapper` gives its Windows path.
    FilePropertiesInfo(const QString& linuxPath, const WindowsPathMapper& mapper);

    bool exists() const { return m_exists; }
    bool isFolder() const { return m_folder; }
    // The name shown in the caption: the file's name, or the path of a drive or the root folder.
    QString displayName() const;
    const QString& linuxPath() const { return m_linuxPath; }
    const std::optional<PeVersionInfo>& version() const { return m_version; }

    // The rows of the group "General", in order; rows without a value (a folder's size, a date
    // the file system does not keep) are left out.
    QList<Field> generalFields(const QLocale& locale = QLocale()) const;
    // The rows of the group "Version"; none when the file has no version resource.
    QList<Field> versionFields() const;

    // "1.46 MiB (1,536,000 bytes)"; "500 bytes" below one KiB.
    static QString sizeText(qint64 bytes, const QLocale& locale = QLocale());
    // "drwxr-xr-x (755)", as ls writes the mode.
    static QString permissionText(QFileDevice::Permissions permissions, bool folder);

private:
    QString m_linuxPath;
    QString m_windowsPath;
    bool m_exists = false;
    bool m_folder = false;
    qint64 m_size = 0;
    QDateTime m_created;
    QDateTime m_modified;
    QDateTime m_accessed;
    QFileDevice::Permissions m_permissions;
    QString m_owner;
    QString m_group;
    QString m_mimeType;
    QString m_mimeDescription;
    std::optional<PeVersionInfo> m_version;
};
