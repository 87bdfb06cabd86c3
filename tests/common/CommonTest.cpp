#include "common/GuidText.h"
#include "common/MessageBoxes.h"
#include "tests/support/ScriptedUi.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(MessageBoxes, CarryTheirIconsButtonsAndTitles)
{
    ScriptedUi ui;
    EXPECT_EQ(ShowError(QStringLiteral("Something failed."), 2005), vbOK);
    ui.answer(vbRetry);
    EXPECT_EQ(ShowError(QStringLiteral("Again?"), 2002, QString(), vbRetryCancel), vbRetry);
    EXPECT_EQ(ShowError(QStringLiteral("Titled"), 1, QStringLiteral("Own title")), vbOK);
    ShowInfo(QStringLiteral("Note"));
    ui.answer(vbNo);
    EXPECT_EQ(AskQuestion(QStringLiteral("Sure?"), vbYesNo), vbNo);

    const auto& boxes = ui.boxes();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Error - 2005"));
    EXPECT_EQ(boxes[0].style, vbOKOnly | vbExclamation);
    EXPECT_EQ(boxes[1].style, vbRetryCancel | vbExclamation);
    EXPECT_EQ(boxes[2].title, QStringLiteral("Own title"));
    EXPECT_EQ(boxes[3].title, ApplicationTitle());
    EXPECT_EQ(boxes[3].style, vbOKOnly | vbInformation);
    EXPECT_EQ(boxes[4].title, ApplicationTitle());
    EXPECT_EQ(boxes[4].style, vbYesNo | vbQuestion);
}

TEST(GuidText, WritesTheBytesInMemoryOrder)
{
    GuidBytes zero{};
    EXPECT_EQ(GuidToText(zero), QStringLiteral("{00000000-0000-0000-0000-000000000000}"));
    GuidBytes counting{};
    for (std::size_t i = 0; i < counting.size(); ++i)
        counting[i] = static_cast<std::uint8_t>(i + 1);
    EXPECT_EQ(GuidToText(counting), QStringLiteral("{01020304-0506-0708-090A-0B0C0D0E0F10}"));
    GuidBytes high{};
    high.fill(0xAB);
    EXPECT_EQ(GuidToText(high), QStringLiteral("{ABABABAB-ABAB-ABAB-ABAB-ABABABABABAB}"));
}

TEST(GuidText, NewIdentifiersAreWellFormedAndDistinct)
{
    const QRegularExpression shape(QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
    std::set<QString> seen;
    for (int i = 0; i < 1000; ++i) {
        GuidBytes bytes{};
        EXPECT_EQ(CoCreateGuid(bytes), 0);
        EXPECT_EQ(bytes[7] >> 4, 4);        // version 4, in the Windows layout
        EXPECT_EQ(bytes[8] & 0xC0, 0x80);   // RFC 4122 variant
        const QString text = GuidToText(bytes);
        EXPECT_TRUE(shape.match(text).hasMatch()) << text.toStdString();
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

} // namespace
