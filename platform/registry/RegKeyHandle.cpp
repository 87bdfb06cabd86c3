#include "platform/registry/RegKeyHandle.h"

#include "platform/registry/RegistryApi.h"

RegKeyHandle& RegKeyHandle::operator=(RegKeyHandle&& other) noexcept
{
    if (this != &other) {
        close();
        m_key = other.release();
    }
    return *this;
}

HKEY* RegKeyHandle::out()
{
    close();
    return &m_key;
}

HKEY RegKeyHandle::release()
{
    const HKEY key = m_key;
    m_key = 0;
    return key;
}

void RegKeyHandle::close()
{
    if (m_key != 0) {
        RegCloseKey(m_key);
        m_key = 0;
    }
}
