#include "platform/RunContext.h"

#include "platform/registry/PrefixStore.h"

#include <QtGlobal>

namespace {

RunContext* g_current = nullptr;

} // namespace

RunContext::RunContext()
    : m_previous(g_current)
{
    g_current = this;
}

RunContext::~RunContext()
{
    // State first, newest first: a later state may use an earlier one while it goes.
    while (!m_state.empty())
        m_state.pop_back();
    m_registry = nullptr;
    m_prefix.reset();
    g_current = m_previous;
}

RunContext& RunContext::current()
{
    if (!g_current)
        qFatal("No RunContext: main() and every test create one before anything else runs.");
    return *g_current;
}

bool RunContext::exists()
{
    return g_current != nullptr;
}

void RunContext::setPrefix(std::unique_ptr<PrefixStore> prefix)
{
    m_prefix = std::move(prefix);
    m_registry = m_prefix ? &m_prefix->registry() : nullptr;
}
