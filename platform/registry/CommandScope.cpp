#include "platform/registry/CommandScope.h"

#include "platform/registry/Registry.h"

CommandScope::CommandScope(Registry* registry)
    : m_registry(registry ? registry : Registry::current())
{
    if (m_registry)
        m_registry->beginBatch();
}

CommandScope::~CommandScope()
{
    finish();
}

long CommandScope::finish(long result)
{
    if (!m_open || !m_registry)
        return result;
    m_open = false;
    const bool saved = m_registry->endBatch();
    if (result != ERROR_SUCCESS)
        return result;
    return saved ? ERROR_SUCCESS : ERROR_CANTWRITE;
}
