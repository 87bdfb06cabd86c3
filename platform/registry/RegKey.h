#pragma once

#include "platform/registry/RegistryTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

struct RegValue {
    QString name; // empty: the default value
    DWORD type = REG_NONE;
    QByteArray data;
};

// One key of a hive. A key loaded from a file keeps the text of its section and decodes its
// values only when they are first asked for; an unchanged key is written back exactly as read.
class RegKey {
public:
    using Ptr = std::shared_ptr<RegKey>;

    explicit RegKey(QString name, std::int64_t modified = 0);

    const QString& name() const { return m_name; }
    RegKey* parent() const { return m_parent; }
    std::int64_t modified() const { return m_modified; }
    bool isDeleted() const { return m_deleted; }
    bool isLink() const { return m_link; }
    bool isChanged() const { return m_changed; }
    int depth() const;

    // Wine's order of names: UTF-16 units compared after lowering their case.
    static int compareNames(QStringView a, QStringView b);

    // ---- subkeys
    const std::vector<Ptr>& children() const { return m_children; }
    Ptr child(QStringView name) const;
    // Inserts a new child in order; the caller has checked that no child of that name exists.
    Ptr addChild(QString name, std::int64_t modified);
    // Detaches the named child and marks its whole subtree deleted. Returns false when missing.
    bool removeChild(const QString& name);

    // ---- values (decoded on first access)
    const std::vector<RegValue>& values() const;
    const RegValue* value(QStringView name) const;
    void setValue(const QString& name, DWORD type, const QByteArray& data);
    bool removeValue(const QString& name);
    void removeAllValues();

    // ---- class name (REG_CREATE's lpClass); null when none
    const std::optional<QString>& className() const;
    void setClassName(const QString& className);

    // Marks the key as changed now (its section is written anew). Its values stay undecoded:
    // a key whose values were never asked for is written with its value lines as they were read.
    void touch(std::int64_t now);
    bool valuesDecoded() const { return m_decoded != nullptr; }

    // ---- loading and saving (used by HiveReader and HiveWriter)
    struct Section {
        const char* text = nullptr; // from '[' to the end of the section's last line
        std::uint32_t length = 0;
        std::uint32_t line = 0; // line number of the key line, for messages
    };
    const Section& section() const { return m_section; }
    bool hasSection() const { return m_section.text != nullptr; }
    void setSection(const Section& section) { m_section = section; }
    void setLink(bool link) { m_link = link; }
    void setModified(std::int64_t modified) { m_modified = modified; }
    // Gives the key values decoded by the reader, replacing the section text as their source.
    void adoptValues(std::vector<RegValue> values, std::optional<QString> className);
    void markChanged() { m_changed = true; }

private:
    struct Decoded;
    struct NameHash {
        std::size_t operator()(QStringView name) const;
    };
    struct NameEqual {
        bool operator()(QStringView a, QStringView b) const { return compareNames(a, b) == 0; }
    };
    // The names are views of the subkeys' own names, which never change.
    using ChildIndex = std::unordered_map<QStringView, Ptr, NameHash, NameEqual>;

    static std::unique_ptr<Decoded> makeDecoded(std::vector<RegValue> values, std::optional<QString> className);
    void decodeSection() const;
    std::vector<RegValue>::iterator findValue(QStringView name) const;
    static void markSubtreeDeleted(RegKey& key);

    QString m_name;
    RegKey* m_parent = nullptr;
    std::vector<Ptr> m_children;
    // Made on the first lookup that would otherwise search many subkeys.
    mutable std::unique_ptr<ChildIndex> m_childIndex;
    std::int64_t m_modified = 0;
    Section m_section;
    // Decoded values and class; present once a value was asked for or changed.
    struct Decoded {
        std::vector<RegValue> values;
        std::optional<QString> className;
    };
    mutable std::unique_ptr<Decoded> m_decoded;
    bool m_deleted = false;
    bool m_link = false;
    bool m_changed = false;
};
