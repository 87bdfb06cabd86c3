#pragma once

#include "control/tree/Kestrow.h"
#include "platform/registry/PrefixStore.h"

#include <QString>

// A prefix opened as the program opens it, with a Kestrow control on screen over it and no icon
// extracted yet. The session made or activated last is the one registry calls and icon paths go
// to.
class TreeSession {
public:
    explicit TreeSession(const QString& prefixDir);
    ~TreeSession();
    TreeSession(const TreeSession&) = delete;
    TreeSession& operator=(const TreeSession&) = delete;

    void activate();

    bool opened() const { return m_opened; }
    const QString& error() const { return m_error; }
    Kestrow& control() { return m_control; }

    // LoadCollection with everything, neither progress box nor splash screen.
    long load();

private:
    static inline TreeSession* s_active = nullptr;

    QString m_prefixDir;
    PrefixStore m_store;
    QString m_error;
    bool m_opened = false;
    Kestrow m_control;
};
