#pragma once

#include "platform/registry/Hive.h"

#include <QByteArray>
#include <QString>

#include <memory>

// Reads Wine's text registry format into a Hive. Sections are indexed, not decoded: values are
// checked here without being kept (so that every problem is reported with its line) and decoded
// only when a key's values are first used.
class HiveReader {
public:
    static constexpr qsizetype kMaxLineLength = 1024 * 1024;
    static constexpr int kMaxReportedProblems = 50;

    struct Result {
        std::shared_ptr<Hive> hive; // null when the file cannot be read as a registry at all
        QString error;              // why hive is null
    };

    // `fileName` only names the file in messages.
    static Result read(QByteArray text, const QString& fileName);
};
