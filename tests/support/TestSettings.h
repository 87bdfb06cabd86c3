#pragma once

#include <QString>
#include <QTemporaryDir>

// Settings in a temporary folder for the life of a test, holding the default definition tables.
class TestSettings {
public:
    explicit TestSettings(bool withDefaultTables = true);
    ~TestSettings();
    TestSettings(const TestSettings&) = delete;
    TestSettings& operator=(const TestSettings&) = delete;

    QString folder() const { return m_dir.path(); }
    // Stores one value of the application "Varnook2".
    void set(const QString& section, const QString& key, const QString& value) const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
