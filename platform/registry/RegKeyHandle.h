#pragma once

#include "platform/registry/RegistryTypes.h"

// Owns an open registry handle and closes it when it goes out of scope.
class RegKeyHandle {
public:
    RegKeyHandle() = default;
    explicit RegKeyHandle(HKEY key)
        : m_key(key)
    {
    }
    ~RegKeyHandle() { close(); }
    RegKeyHandle(RegKeyHandle&& other) noexcept
        : m_key(other.release())
    {
    }
    RegKeyHandle& operator=(RegKeyHandle&& other) noexcept;
    RegKeyHandle(const RegKeyHandle&) = delete;
    RegKeyHandle& operator=(const RegKeyHandle&) = delete;

    HKEY get() const { return m_key; }
    bool isOpen() const { return m_key != 0; }
    // For the out-parameter of RegOpenKeyEx and RegCreateKeyEx; closes what was held.
    HKEY* out();
    HKEY release();
    void close();

private:
    HKEY m_key = 0;
};
