#include "platform/RunContext.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Every test case runs in a run context of its own, made before its fixture and ended after it,
// so that no registry, setting, seam or cache of one case is seen by the next.
class ContextPerTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { m_context = std::make_unique<RunContext>(); }
    void OnTestEnd(const ::testing::TestInfo&) override { m_context.reset(); }

    std::unique_ptr<RunContext> m_context;
};

} // namespace

// Every test program runs with an application object, headless unless told otherwise: the
// windows, images and icons under test need one.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // What suites set up once lives in this one; each case gets its own on top.
    RunContext program;
    ::testing::UnitTest::GetInstance()->listeners().Append(new ContextPerTest);
    return RUN_ALL_TESTS();
}
