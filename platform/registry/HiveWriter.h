#pragma once

#include "platform/registry/Hive.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

// Writes a Hive in Wine's text registry format. Sections of keys that did not change since they
// were read are copied verbatim; changed keys are written exactly as Wine's server writes them,
// so a file Wine wrote comes back byte for byte when nothing changed.
class HiveWriter {
public:
    // Streams the hive to `device`. Returns false and sets `error` when the device fails.
    static bool write(const Hive& hive, QIODevice& device, QString& error);

    // The whole file as one buffer (tests and small hives).
    static QByteArray toBytes(const Hive& hive);

    // Appends the section of one key as Wine writes it (key line, options, values).
    static void appendSection(QByteArray& out, const RegKey& key, const QByteArray& escapedPath);
};
