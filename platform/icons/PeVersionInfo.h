#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// The version resource (VS_VERSIONINFO) of a PE image, as a Windows property sheet shows it: the
// file and product versions of its fixed part (VS_FIXEDFILEINFO) and the texts of one string
// table (StringFileInfo): FileDescription, CompanyName, ProductName, FileVersion, ProductVersion,
// LegalCopyright, OriginalFilename and whatever else it holds. Of several tables the US English
// one (language 0409) or the Unicode one (code page 04b0) is taken, else the first.
//
// Every read is bounds-checked; a damaged resource yields what could be read before the damage,
// never more work or memory than its size, which is capped at kMaxResourceBytes.
class PeVersionInfo {
public:
    struct Version {
        quint16 major = 0;
        quint16 minor = 0;
        quint16 build = 0;
        quint16 revision = 0;

        // "10.0.19041.1"
        QString toString() const;
        bool operator==(const Version&) const = default;
    };

    // Whether the fixed part was there (its signature checked); the versions are 0.0.0.0 without.
    bool hasFixedInfo = false;
    Version fileVersion;
    Version productVersion;

    // The key of the string table the texts come from ("040904b0": language, code page), and its
    // texts as name and value, in stored order.
    QString stringTable;
    QList<std::pair<QString, QString>> strings;

    // The text of a string, names compared without regard to case; a null QString when missing.
    QString value(const QString& name) const;

    // The version resource of the PE image at `path`; nullopt when the file is not a regular
    // file, not a PE image, or has no version resource.
    static std::optional<PeVersionInfo> read(const QString& path);
    // Parses the bytes of a VS_VERSIONINFO resource.
    static PeVersionInfo parse(const QByteArray& resource);

    // Real version resources are a few KiB; the rest of a bigger one is treated as cut off.
    static constexpr qint64 kMaxResourceBytes = 256 * 1024;
};
