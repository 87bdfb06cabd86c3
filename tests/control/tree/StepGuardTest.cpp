#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"
#include "control/tree/StepGuard.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

namespace {

struct Failure {
    const char* label;
    std::function<void()> step;
    long number;
    QString description;
};

class StepGuardFailure : public ::testing::TestWithParam<Failure> {
protected:
    ScriptedUi ui;
    StepGuard guard{[] { return QStringLiteral("Extension: .txt"); }};
};

TEST_P(StepGuardFailure, IsShownWithRetryAndCancel)
{
    const Failure& failure = GetParam();
    ui.answer(vbRetry);
    EXPECT_TRUE(guard.run(failure.step));
    EXPECT_EQ(guard.code(), 0);
    ASSERT_EQ(ui.boxes().size(), 1u);
    const MessageBoxRequest& box = ui.boxes()[0];
    EXPECT_EQ(box.title, QStringLiteral("Error - %1").arg(failure.number));
    EXPECT_EQ(box.text, failure.description + QStringLiteral("\r\n\r\nExtension: .txt"));
    EXPECT_EQ(box.buttons(), vbRetryCancel);
    EXPECT_EQ(box.icon(), vbExclamation);

    ui.answer(vbCancel);
    EXPECT_FALSE(guard.run(failure.step));
    EXPECT_EQ(guard.code(), failure.number);
    EXPECT_EQ(ui.boxes().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StepGuardFailure,
    ::testing::Values(
        Failure{"operation error", [] { throw OperationError(2005, QStringLiteral("Error creating Action Key")); }, 2005,
                QStringLiteral("Error creating Action Key")},
        Failure{"out of memory", [] { throw std::bad_alloc(); }, kErrorOutOfMemory, QStringLiteral("Out of memory")},
        Failure{"anything else", [] { throw std::runtime_error("broken step"); }, kErrorInternal,
                QStringLiteral("broken step")}),
    [](const auto& param) { return testName(param.param.label); });

TEST(StepGuard, StepsThatSucceedOrFailAsExpectedAskNothing)
{
    ScriptedUi ui;
    StepGuard guard([] { return QString(); });
    int ran = 0;
    EXPECT_TRUE(guard.run([&] { ++ran; }));
    EXPECT_TRUE(guard.run([] { throw OperationError(kErrDuplicateKey, QStringLiteral("in use")); },
                          {kErrDuplicateNodeKey, kErrDuplicateKey}));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(guard.code(), 0);
    EXPECT_TRUE(ui.boxes().empty());
    // A number that is not among the ignored ones is asked about.
    ui.answer(vbCancel);
    EXPECT_FALSE(guard.run([] { throw OperationError(kErrMissingKey, QStringLiteral("missing")); }, {kErrDuplicateKey}));
    EXPECT_EQ(guard.code(), kErrMissingKey);
}

} // namespace
