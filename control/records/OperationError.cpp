#include "control/records/OperationError.h"

OperationError::OperationError(long number, QString description, QString source)
    : m_number(number)
    , m_description(std::move(description))
    , m_source(std::move(source))
    , m_what(QStringLiteral("%1: %2").arg(m_number).arg(m_description).toUtf8())
{
}

QString OperationError::traceText(const QString& itemKey) const
{
    QString text = QStringLiteral("%1: %2").arg(m_number).arg(m_description);
    if (!itemKey.isEmpty())
        text += QStringLiteral(" (%1)").arg(itemKey);
    return text;
}
