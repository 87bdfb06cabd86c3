#pragma once

#include <QString>

#include <concepts>
#include <utility>

// The trace hook: every operation reports its progress and the errors it caught here. Traces are
// not stored; with QT_LOGGING_RULES="varnook.trace.debug=true" they go to the debug log.
void TraceEvent(const QString& procedure, const QString& message, int level);

// True when traces go anywhere.
bool TraceEnabled();

// For loops over thousands of items: the message is built only when traces go anywhere.
template <typename MakeMessage>
    requires std::invocable<MakeMessage>
void TraceEvent(const QString& procedure, MakeMessage&& makeMessage, int level)
{
    if (TraceEnabled())
        TraceEvent(procedure, QString(std::forward<MakeMessage>(makeMessage)()), level);
}
