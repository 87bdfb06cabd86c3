#pragma once

#include "control/records/CaseInsensitiveHash.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"

#include <QString>

#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

// An insertion-ordered collection of shared records under text keys compared without regard to
// letter case. Adding a key that is present fails and changes nothing; looking up or removing a
// missing key fails. Add, lookup and removal by key take constant time.
template <typename T>
class KeyedCollection {
public:
    using Ptr = std::shared_ptr<T>;

    struct Entry {
        QString key;
        Ptr item;
    };

    KeyedCollection() = default;
    // Entries are shared records: a copy would share them, which no caller wants by accident.
    KeyedCollection(const KeyedCollection&) = delete;
    KeyedCollection& operator=(const KeyedCollection&) = delete;
    KeyedCollection(KeyedCollection&&) noexcept = default;
    KeyedCollection& operator=(KeyedCollection&&) noexcept = default;

    // Throws OperationError 457 when the key is present.
    void add(const QString& key, Ptr item)
    {
        if (!tryAdd(key, std::move(item)))
            throw OperationError(kErrDuplicateKey, QStringLiteral("This key is already associated with an element of this collection"));
    }

    // Returns false, changing nothing, when the key is present.
    bool tryAdd(const QString& key, Ptr item)
    {
        if (m_index.find(key) != m_index.end())
            return false;
        m_entries.push_back(Entry{key, std::move(item)});
        m_index.emplace(key, std::prev(m_entries.end()));
        return true;
    }

    // Throws OperationError 5 when the key is missing.
    const Ptr& item(const QString& key) const
    {
        auto it = m_index.find(key);
        if (it == m_index.end())
            throw OperationError(kErrMissingKey, QStringLiteral("Invalid procedure call or argument"));
        return it->second->item;
    }

    // Null when the key is missing.
    Ptr value(const QString& key) const
    {
        auto it = m_index.find(key);
        return it == m_index.end() ? nullptr : it->second->item;
    }

    bool contains(const QString& key) const { return m_index.find(key) != m_index.end(); }

    // Throws OperationError 5 when the key is missing.
    void remove(const QString& key)
    {
        if (!tryRemove(key))
            throw OperationError(kErrMissingKey, QStringLiteral("Invalid procedure call or argument"));
    }

    bool tryRemove(const QString& key)
    {
        auto it = m_index.find(key);
        if (it == m_index.end())
            return false;
        m_entries.erase(it->second);
        m_index.erase(it);
        return true;
    }

    void clear()
    {
        m_index.clear();
        m_entries.clear();
    }

    int count() const { return static_cast<int>(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    // The first member in insertion order; null when empty.
    Ptr first() const { return m_entries.empty() ? nullptr : m_entries.front().item; }

    // Entries in insertion order.
    auto begin() const { return m_entries.begin(); }
    auto end() const { return m_entries.end(); }

    // A copy of the keys, for loops that remove while they walk.
    std::vector<QString> keys() const
    {
        std::vector<QString> keys;
        keys.reserve(m_entries.size());
        for (const Entry& e : m_entries)
            keys.push_back(e.key);
        return keys;
    }

private:
    std::list<Entry> m_entries;
    std::unordered_map<QString, typename std::list<Entry>::iterator, CaseInsensitiveHash, CaseInsensitiveEqual> m_index;
};
