#include "control/tree/StepGuard.h"

#include "common/MessageBoxes.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"

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

bool StepGuard::run(const std::function<void()>& step, std::initializer_list<long> ignored)
{
    try {
        step();
        return true;
    } catch (const OperationError& e) {
        if (std::find(ignored.begin(), ignored.end(), e.number()) != ignored.end())
            return true;
        return askRetry(e.number(), e.description());
    } catch (const std::bad_alloc&) {
        return askRetry(kErrorOutOfMemory, QStringLiteral("Out of memory"));
    } catch (const std::exception& e) {
        return askRetry(kErrorInternal, QString::fromLocal8Bit(e.what()));
    }
}
