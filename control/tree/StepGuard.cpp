#include "control/tree/StepGuard.h"

#include "common/MessageBoxes.h"

#include <algorithm>

StepGuard::StepGuard(std::function<QString()> context)
    : m_context(std::move(context))
{
}

bool StepGuard::askRetry(long number, const QString& description)
{
    const int answer = ShowError(description + QStringLiteral("\r\n\r\n") + m_context(), number, QString(), vbRetryCancel);
    if (answer == vbRetry)
        return true;
    m_code = number;
    return false;
}

bool StepGuard::failed(long number, const QString& description, std::initializer_list<long> ignored)
{
    if (std::find(ignored.begin(), ignored.end(), number) != ignored.end())
        return true;
    return askRetry(number, description);
}
