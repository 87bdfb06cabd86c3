#include "common/Trace.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcTrace, "varnook.trace", QtWarningMsg)
}

void TraceEvent(const QString& procedure, const QString& message, int level)
{
    qCDebug(lcTrace).noquote() << level << procedure << message;
}

bool TraceEnabled()
{
    return lcTrace().isDebugEnabled();
}
