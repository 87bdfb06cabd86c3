#pragma once

#include <QString>

#include <functional>
#include <initializer_list>

// Runs the steps of a long operation of the control (loading, binding). A step that fails with
// one of the ignored numbers is passed over; any other failure is shown with Retry and Cancel:
// Retry passes over the failed step, Cancel ends the operation with the failure's number.
class StepGuard {
public:
    // `context` is added to every message below its description ("Extension: .txt").
    explicit StepGuard(std::function<QString()> context);

    // False when the step failed and the user chose Cancel; code() then tells the number.
    bool run(const std::function<void()>& step, std::initializer_list<long> ignored = {});
    long code() const { return m_code; }

    // Shows a failure as run() does; true for Retry.
    bool askRetry(long number, const QString& description);

private:
    std::function<QString()> m_context;
    long m_code = 0;
};
