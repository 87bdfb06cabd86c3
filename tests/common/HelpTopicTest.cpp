#include "common/HelpTopic.h"
#include "common/LinkLook.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct HelpCase {
    const char* name;
    bool pagePresent;
    bool desktopAccepts;
    bool opened;
    const char* errorTitle; // "" when no box
};

void PrintTo(const HelpCase& c, std::ostream* os)
{
    *os << c.name;
}

class HelpPages : public ::testing::TestWithParam<HelpCase> {};

TEST_P(HelpPages, OpenExistingPagesAndNameTheMissingOnes)
{
    const HelpCase& c = GetParam();
    QTemporaryDir folder;
    if (c.pagePresent) {
        QFile page(QDir(folder.path()).filePath(QStringLiteral("other_find.html")));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    }
    ScriptedUi ui;
    ui.onOpenUrl = [&](const QUrl&) { return c.desktopAccepts; };

    EXPECT_EQ(OpenHelpPage(folder.path(), QStringLiteral("other_find.html")), c.opened);

    if (c.pagePresent) {
        ASSERT_EQ(ui.openedUrls().size(), 1u);
    }
    if (*c.errorTitle == 0) {
        EXPECT_TRUE(ui.boxes().empty());
        EXPECT_EQ(ui.openedUrls().front(), QUrl::fromLocalFile(folder.filePath(QStringLiteral("other_find.html"))));
        return;
    }
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].title, QString::fromLatin1(c.errorTitle));
    EXPECT_EQ(ui.boxes()[0].text,
              QStringLiteral("Error opening help file 'other_find.html'.\r\n\r\nMake sure the 'Help' directory exists."));
}

INSTANTIATE_TEST_SUITE_P(, HelpPages,
                         ::testing::Values(HelpCase{"opened", true, true, true, ""},
                                           HelpCase{"missing", false, true, false, "Error - 2"},
                                           HelpCase{"refused", true, false, false, "Error - 31"}),
                         [](const auto& param) { return testName(param.param.name); });

TEST(HelpTopic, LooksBesideTheFileItIsLinkedInto)
{
    // The test program is that file; no help folder stands beside it.
    EXPECT_EQ(HelpFolder(), QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Help")));
    ScriptedUi ui;
    EXPECT_FALSE(OpenHelpTopic(nullptr, QStringLiteral("index.html")));
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].title, QStringLiteral("Error - 2"));
    EXPECT_TRUE(ui.boxes()[0].text.contains(QStringLiteral("'index.html'")));
}

TEST(LinkLook, ReportsClicksFromMouseAndKeyboardOnlyWhileALink)
{
    QLabel label(QStringLiteral("Command:"));
    label.resize(100, 20);
    LinkLook links;
    links.watch(&label);
    int clicks = 0;
    QObject::connect(&links, &LinkLook::clicked, [&](QLabel* clicked) {
        EXPECT_EQ(clicked, &label);
        ++clicks;
    });
    auto clickAndPress = [&] {
        QTest::mouseClick(&label, Qt::LeftButton);
        QTest::mouseClick(&label, Qt::RightButton);
        QTest::keyClick(&label, Qt::Key_Space);
        QTest::keyClick(&label, Qt::Key_Return);
    };

    clickAndPress();
    EXPECT_EQ(clicks, 0);

    LinkLook::SetLabelStyle(&label, QStringLiteral("Click here to view the file property pages."));
    EXPECT_TRUE(LinkLook::isLink(&label));
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(label.focusPolicy(), Qt::StrongFocus);
    clickAndPress();
    EXPECT_EQ(clicks, 3);

    LinkLook::ResetLabelStyle(&label);
    EXPECT_FALSE(LinkLook::isLink(&label));
    EXPECT_TRUE(label.toolTip().isEmpty());
    EXPECT_EQ(label.focusPolicy(), Qt::NoFocus);
    clickAndPress();
    EXPECT_EQ(clicks, 3);
}

} // namespace
