#include "platform/registry/RegistryBatch.h"

#include "platform/registry/Registry.h"

RegistryBatch::RegistryBatch(Registry* registry)
    : m_registry(registry ? registry : Registry::current())
{
    if (m_registry)
        m_registry->beginBatch();
}

RegistryBatch::~RegistryBatch()
{
    commit();
}

bool RegistryBatch::commit()
{
    if (!m_open || !m_registry)
        return true;
    m_open = false;
    return m_registry->endBatch();
}
