#include "control/records/ErrorNumbers.h"
#include "control/records/OperationError.h"
#include "control/tree/StepGuard.h"
#include "tests/support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

TEST(StepGuard, AFailureIsShownWithRetryAndCancel)
{
    const struct {
        const char* label;
        std::function<void()> step;
        long number;
        QString description;
    } failures[] = {
        {"operation error", [] { throw OperationError(2005, u"Error creating Action Key"_s); }, 2005,
         u"Error creating Action Key"_s},
        {"out of memory", [] { throw std::bad_alloc(); }, kErrorOutOfMemory, u"Out of memory"_s},
        {"anything else", [] { throw std::runtime_error("broken step"); }, kErrorInternal, u"broken step"_s},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.label);
        ScriptedUi ui;
        StepGuard guard([] { return u"Extension: .txt"_s; });
        ui.answer(vbRetry);
        EXPECT_TRUE(guard.run(failure.step));
        EXPECT_EQ(guard.code(), 0);
        ASSERT_EQ(ui.boxes().size(), 1u);
        const MessageBoxRequest& box = ui.boxes()[0];
        EXPECT_EQ(box.title, u"Error - %1"_s.arg(failure.number));
        EXPECT_EQ(box.text, failure.description + u"\r\n\r\nExtension: .txt"_s);
        EXPECT_EQ(box.buttons(), vbRetryCancel);
        EXPECT_EQ(box.icon(), vbExclamation);

        ui.answer(vbCancel);
        EXPECT_FALSE(guard.run(failure.step));
        EXPECT_EQ(guard.code(), failure.number);
        EXPECT_EQ(ui.boxes().size(), 2u);
    }
}

TEST(StepGuard, StepsThatSucceedOrFailAsExpectedAskNothing)
{
    ScriptedUi ui;
    StepGuard guard([] { return QString(); });
    int ran = 0;
    EXPECT_TRUE(guard.run([&] { ++ran; }));
    EXPECT_TRUE(guard.run([] { throw OperationError(kErrDuplicateKey, u"in use"_s); },
                          {kErrDuplicateNodeKey, kErrDuplicateKey}));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(guard.code(), 0);
    EXPECT_TRUE(ui.boxes().empty());
    // A number that is not among the ignored ones is asked about.
    ui.answer(vbCancel);
    EXPECT_FALSE(guard.run([] { throw OperationError(kErrMissingKey, u"missing"_s); }, {kErrDuplicateKey}));
    EXPECT_EQ(guard.code(), kErrMissingKey);
}

} // namespace
