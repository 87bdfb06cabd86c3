#include "bench/TreeSession.h"

#include "control/tree/IconList.h"

TreeSession::TreeSession(const QString& prefixDir)
    : m_prefixDir(prefixDir)
    , m_store(prefixDir)
{
    m_opened = m_store.open(m_error);
    activate();
    m_control.resize(400, 800);
    m_control.show();
}

TreeSession::~TreeSession()
{
    if (s_active == this) {
        SetIconPrefix(QString());
        s_active = nullptr;
    }
}

void TreeSession::activate()
{
    if (s_active == this)
        return;
    Registry::setCurrent(&m_store.registry());
    SetIconPrefix(m_prefixDir);
    s_active = this;
}

long TreeSession::load()
{
    bool progress = false;
    bool splash = false;
    return m_control.LoadCollection(progress, splash, true);
}
