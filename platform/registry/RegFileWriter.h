#pragma once

#include "platform/registry/RegKey.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Builds a registry export file in the format Wine's regedit imports ("Windows Registry Editor
// Version 5.00": UTF-16LE with a byte-order mark, CRLF line ends), so that keys written here can
// be carried into another prefix with `regedit /s`.
//
// Text values are written as text only when their bytes are exactly what an import would store
// (REG_SZ with one closing NUL, REG_DWORD of 4 bytes); anything else is written as hex with its
// type number, so that an import restores every byte.
class RegFileWriter {
public:
    RegFileWriter();

    // Appends a key and its values, in the given order. `path` is the full key path with its root
    // name ("HKEY_CLASSES_ROOT\\txtfile"). Returns false, and writes nothing, for a path a
    // line of the file cannot hold (empty, or holding a line break).
    bool addKey(const QString& path, const std::vector<RegValue>& values);

    // The file's text, CRLF line ends included, without the byte-order mark.
    const QString& text() const { return m_text; }
    // The file's bytes: byte-order mark and UTF-16LE.
    QByteArray bytes() const;

    // Writes the file atomically: a failed save leaves any earlier file as it was. On failure
    // `error` names the file and says what went wrong.
    bool save(const QString& fileName, QString& error) const;

    // One value as its lines of the file (continuations included, without the final CRLF).
    static QString valueText(const RegValue& value);

private:
    QString m_text;
};
