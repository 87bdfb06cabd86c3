#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// What a part of HKEY_CLASSES_ROOT holds, in a form two sources can be compared in: key paths
// below HKEY_CLASSES_ROOT and value names in lower case (names compare without regard to case),
// each value as "type:text". A key without values is present with an empty map.
class SoakSnapshot {
public:
    using Values = QMap<QString, QString>;

    void addKey(const QString& path) { m_keys[path.toLower()]; }
    void setValue(const QString& path, const QString& name, unsigned type, const QString& text);
    const QMap<QString, Values>& keys() const { return m_keys; }
    bool operator==(const SoakSnapshot& other) const { return m_keys == other.m_keys; }

    // The subtrees below HKEY_CLASSES_ROOT of the current registry whose top keys are `roots`
    // (paths; absent ones are left out), without the keys `skip` names.
    static SoakSnapshot ofRegistry(const QStringList& roots, const std::function<bool(const QString&)>& skip = {});
    // The names of the keys directly below HKEY_CLASSES_ROOT.
    static QStringList topKeys();
    // The same subtrees as a `reg export` of HKLM\Software\Classes shows them (text of the file).
    static SoakSnapshot ofRegExport(const QString& exportText, const QStringList& roots);

    // One line for each key or value in which the two differ, at most `limit`.
    static QStringList differences(const SoakSnapshot& expected, const SoakSnapshot& actual, int limit = 20);

private:
    QMap<QString, Values> m_keys;
};
