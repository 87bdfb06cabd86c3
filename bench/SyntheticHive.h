#pragma once

#include "platform/registry/RegistryTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <map>
#include <memory>

// A registry tree built in memory by a benchmark and written as Wine's server writes a hive file:
// keys depth-first in Wine's name order, one section per key that has values or no subkeys, and
// every key stamped with its own time. It keeps a tree of its own rather than the engine's, so
// that making a benchmark's input does not run the code being measured; only the formatting of
// single lines is shared with the engine.
class SyntheticHive {
public:
    struct Key;

    // `rootPath` is the path the file's header names, e.g. "REGISTRY\\Machine"; key times start
    // at `firstTime` (Unix seconds) and advance a little with every key created.
    explicit SyntheticHive(QString rootPath, std::int64_t firstTime = 1700000000);
    ~SyntheticHive();
    SyntheticHive(SyntheticHive&&) noexcept;
    SyntheticHive& operator=(SyntheticHive&&) noexcept;

    Key& root() { return *m_root; }
    // Finds or creates the key at `path` ("a\\b\\c") below `from` (the root when null).
    Key& key(QStringView path, Key* from = nullptr);

    void setString(Key& key, const QString& name, const QString& text, DWORD type = REG_SZ);
    void setMultiString(Key& key, const QString& name, const QStringList& items);
    void setDword(Key& key, const QString& name, std::uint32_t value);
    void setQword(Key& key, const QString& name, std::uint64_t value);
    void setBytes(Key& key, const QString& name, const QByteArray& bytes, DWORD type = REG_BINARY);
    // A symbolic link key, as Wine keeps them below Wow6432Node; `target` is an absolute
    // registry path such as "\\Registry\\Machine\\Software\\Classes\\Wow6432Node".
    void setLink(Key& key, const QString& target);

    std::size_t keyCount() const { return m_keyCount; }
    std::size_t valueCount() const { return m_valueCount; }

    QByteArray toText() const;
    bool writeFile(const QString& path, QString& error) const;

private:
    void setValue(Key& key, const QString& name, DWORD type, QByteArray data);

    QString m_rootPath;
    std::unique_ptr<Key> m_root;
    std::int64_t m_clock; // FILETIME of the key created last
    std::size_t m_keyCount = 0;
    std::size_t m_valueCount = 0;
};
