#include "common/MessageBoxes.h"
#include "tests/support/ActiveWindow.h"
#include "tests/support/ScriptedUi.h"

#include <gtest/gtest.h>

namespace {

TEST(MessageBoxes, BelongToTheActiveWindow)
{
    ScriptedUi ui;
    ShowInfo(QStringLiteral("Nothing open yet."));

    QWidget main;
    ASSERT_TRUE(activate(main));
    ShowError(QStringLiteral("Error writing action data to registry."), 2005);
    ShowInfo(QStringLiteral("Done."));
    AskQuestion(QStringLiteral("Remove?"), vbYesNo);

    QWidget tool;
    ASSERT_TRUE(activate(tool));
    ShowInfo(QStringLiteral("From the tool window."));

    const auto& boxes = ui.boxes();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].owner, nullptr);
    for (std::size_t i = 1; i <= 3; ++i)
        EXPECT_EQ(boxes[i].owner, &main) << boxes[i].text.toStdString();
    EXPECT_EQ(boxes[4].owner, &tool);
}

} // namespace
