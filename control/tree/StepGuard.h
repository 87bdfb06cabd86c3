#pragma once

#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"

#include <QString>

#include <functional>
#include <initializer_list>
#include <new>

// Runs the steps of a long operation of the control (loading, binding). A step that fails with
// one of the ignored numbers is passed over; any other failure is shown with Retry and Cancel:
// Retry passes over the failed step, Cancel ends the operation with the failure's number.
class StepGuard {
public:
    // `context` is added to every message below its description ("Extension: .txt").
    explicit StepGuard(std::function<QString()> context);

    // False when the step failed and the user chose Cancel; code() then tells the number. A
    // template, as it runs once for every item of a load.
    template <typename Step>
    bool run(Step&& step, std::initializer_list<long> ignored = {})
    {
        try {
            step();
            return true;
        } catch (const OperationError& e) {
            return failed(e.number(), e.description(), ignored);
        } catch (const std::bad_alloc&) {
            return askRetry(kErrorOutOfMemory, QStringLiteral("Out of memory"));
        } catch (const std::exception& e) {
            return askRetry(kErrorInternal, QString::fromLocal8Bit(e.what()));
        }
    }
    long code() const { return m_code; }

    // Shows a failure as run() does; true for Retry.
    bool askRetry(long number, const QString& description);

private:
    bool failed(long number, const QString& description, std::initializer_list<long> ignored);

    std::function<QString()> m_context;
    long m_code = 0;
};
