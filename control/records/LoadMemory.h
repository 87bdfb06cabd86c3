#pragma once

#include <utility>

// A record's memory of its last load or write: `T` is the record's own bundle of LoadedValue
// fields together with the registry place they were read from.
//
// The memory belongs to the record object, not to the values it holds. A copy of a record is a
// new record that remembers nothing, so writing it writes every field. Assigning another record's
// values to a record keeps what the record assigned to remembers, so writing it changes only what
// differs from its own load (and everything, should the values name another place).
template <typename T>
class LoadMemory {
public:
    LoadMemory() = default;
    LoadMemory(const LoadMemory&)
        : m_memory()
    {
    }
    LoadMemory& operator=(const LoadMemory&) { return *this; }
    ~LoadMemory() = default;

    const T& operator*() const { return m_memory; }
    const T* operator->() const { return &m_memory; }

    void remember(T memory) { m_memory = std::move(memory); }
    void forget() { m_memory = T(); }

private:
    T m_memory;
};
