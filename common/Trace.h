#pragma once

#include <QString>

// The trace hook: every operation reports its progress and the errors it caught here. Traces are
// not stored; with QT_LOGGING_RULES="varnook.trace.debug=true" they go to the debug log.
void TraceEvent(const QString& procedure, const QString& message, int level);
