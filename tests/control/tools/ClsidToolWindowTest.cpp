#include "control/tools/frmClsidTool.h"
#include "control/tree/IconList.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestIconData.h"
#include "tests/support/TestPrefix.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

constexpr QRgb kRed = qRgb(200, 0, 0);
const QString kIconClass = u"{AAAAAAAA-0000-0000-0000-000000000001}"_s;
const QString kInfoText =
    u"A CLSID is a Globally Unique Identifier (GUID), a unique 128-bit integer.\n\n"
    "CLSIDs are used to map information about a component class. COM uses the information mapped by the CLSID to "
    "locate and create an instance of the object associated with the CLSID.\n\n"
    "This tool generates a new CLSID by calling the CoCreateGuid function that in turn calls the RPC function "
    "UuidCreate. To a very high degree of certainty, this function returns a unique value - no other invocation, on "
    "the same or any other system (networked or not), should return the same value."_s;

// A class whose default icon is a red .ico file and whose toolbox icon names a file that is not
// there.
const QByteArray kClsidRegistry = R"(
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}] 1
@="Icon Class"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\DefaultIcon] 1
@="C:\\icons\\red.ico"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\ToolBoxBitmap32] 1
@="C:\\icons\\missing.ico,0"
)";

QImage imageOf(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

class ClsidToolWindowTest : public ::testing::Test {
protected:
    ClsidToolWindowTest()
        : prefix(kClsidRegistry)
    {
        prefix.open();
        QDir().mkpath(prefix.filePath(u"drive_c/icons"_s));
        prefix.writeFile(u"drive_c/icons/red.ico"_s,
                         TestIconData::icoFile({TestIconData::png(16, kRed), TestIconData::png(32, kRed)}));
        SetIconPrefix(prefix.path());
        window = new frmClsidTool;
    }
    ~ClsidToolWindowTest() override { delete window.data(); }

    template <typename T>
    T* child(const char* name) const
    {
        T* widget = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QTreeWidget* tree() const { return child<QTreeWidget>("tvwQuery"); }
    QString text(const QString& key) const
    {
        QTreeWidgetItem* node = window->nodeFromKey(key);
        return node ? node->text(0) : u"<no node>"_s;
    }

    TestPrefix prefix;
    ScriptedUi ui;
    QPointer<frmClsidTool> window;
};

TEST_F(ClsidToolWindowTest, OpensInGenerateModeWithItsOwnTexts)
{
    window->show();
    EXPECT_EQ(window->windowTitle(), u"CLSID Tool"_s);
    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(child<QRadioButton>("optGenerate")->text(), u"Generate CLSID"_s);
    EXPECT_EQ(child<QRadioButton>("optQuery")->text(), u"Query CLSID"_s);
    EXPECT_TRUE(child<QRadioButton>("optGenerate")->isChecked());
    EXPECT_TRUE(child<QWidget>("frameGenerate")->isVisible());
    EXPECT_FALSE(child<QWidget>("frameQuery")->isVisible());
    EXPECT_EQ(child<QPushButton>("btnGenerate")->text(), u"Generate..."_s);
    EXPECT_EQ(child<QLabel>("lblClsidNumber")->text(), u"CLSID Number:"_s);
    EXPECT_EQ(child<QLabel>("lblClsidString")->text(), u"CLSID String:"_s);
    EXPECT_EQ(child<QLabel>("lblClsidInfo")->text(), kInfoText);
    EXPECT_EQ(child<QLabel>("lblClsidQuery")->text(), u"CLSID:"_s);
    EXPECT_EQ(child<QPushButton>("btnQuery")->text(), u"Query..."_s);
    EXPECT_EQ(child<QPushButton>("btnQuery")->toolTip(), u"Query the specified CLSID."_s);
    EXPECT_EQ(child<QLabel>("picHelp")->toolTip(), u"Click here for help!"_s);
    EXPECT_EQ(child<QPushButton>("btnClose")->text(), u"Close"_s);
    EXPECT_EQ(child<QPushButton>("btnClose")->toolTip(), u"Close this window."_s);
    // Every box and the tree can be told apart without seeing them.
    EXPECT_EQ(child<QLineEdit>("txtClsidNumber")->accessibleName(), u"CLSID Number"_s);
    EXPECT_EQ(child<QLineEdit>("txtClsidString")->accessibleName(), u"CLSID String"_s);
    EXPECT_EQ(child<QLineEdit>("txtClsid")->accessibleName(), u"CLSID"_s);
    EXPECT_FALSE(tree()->accessibleName().isEmpty());
}

TEST_F(ClsidToolWindowTest, TheOptionsShowOneFrameAtATime)
{
    window->show();
    QTest::mouseClick(child<QRadioButton>("optQuery"), Qt::LeftButton);
    EXPECT_TRUE(child<QWidget>("frameQuery")->isVisible());
    EXPECT_FALSE(child<QWidget>("frameGenerate")->isVisible());
    QTest::mouseClick(child<QRadioButton>("optGenerate"), Qt::LeftButton);
    EXPECT_TRUE(child<QWidget>("frameGenerate")->isVisible());
    EXPECT_FALSE(child<QWidget>("frameQuery")->isVisible());
}

TEST_F(ClsidToolWindowTest, GenerateShowsANewIdentifierEachTime)
{
    window->show();
    auto* number = child<QLineEdit>("txtClsidNumber");
    auto* string = child<QLineEdit>("txtClsidString");
    QTest::mouseClick(child<QPushButton>("btnGenerate"), Qt::LeftButton);
    const QString first = string->text();
    EXPECT_EQ(first.size(), 38);
    EXPECT_FALSE(number->text().isEmpty());
    EXPECT_TRUE(string->isReadOnly());
    QTest::mouseClick(child<QPushButton>("btnGenerate"), Qt::LeftButton);
    EXPECT_EQ(string->text().size(), 38);
    EXPECT_NE(string->text(), first);
}

TEST_F(ClsidToolWindowTest, StartWithQueryShowsTheClassInQueryMode)
{
    window->StartWithQuery(kIconClass);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(child<QRadioButton>("optQuery")->isChecked());
    EXPECT_TRUE(child<QWidget>("frameQuery")->isVisible());
    EXPECT_EQ(child<QLineEdit>("txtClsid")->text(), kIconClass);

    ASSERT_EQ(tree()->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree()->topLevelItem(0);
    EXPECT_EQ(root->text(0), u"Name: Icon Class"_s);
    EXPECT_TRUE(root->isExpanded());
    ASSERT_EQ(root->childCount(), 7);
    for (int i = 0; i < root->childCount(); ++i)
        EXPECT_FALSE(root->child(i)->isExpanded()) << root->child(i)->text(0).toStdString();
    EXPECT_EQ(window->nodeFromKey(u"Version"_s)->parent()->text(0), u"Basic Information"_s);

    // The default icon's own picture; the toolbox icon names none and shows the default icon.
    EXPECT_EQ(text(u"DefaultIcon"_s), u"Default Icon: C:\\icons\\red.ico"_s);
    const QImage custom = imageOf(window->nodeFromKey(u"DefaultIcon"_s)->icon(0));
    EXPECT_EQ(custom.pixel(8, 8), kRed);
    EXPECT_EQ(custom, imageOf(window->imlIcons().Image(u"CustomIcon"_s)));
    const QImage fallback = GetIcon(kDefaultIconLocation, ICON_SMALL).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(imageOf(window->nodeFromKey(u"ToolBoxBitmap32"_s)->icon(0)), fallback);
    EXPECT_EQ(imageOf(window->nodeFromKey(u"Version"_s)->icon(0)),
              imageOf(window->imlIcons().Image(u"regstring.default"_s)));
}

TEST_F(ClsidToolWindowTest, EachQueryReplacesTheTreeAndItsIcons)
{
    window->StartWithQuery(kIconClass);
    ASSERT_TRUE(window->imlIcons().Contains(u"CustomIcon"_s));
    auto* box = child<QLineEdit>("txtClsid");

    box->setText(kIconClass.left(36));
    QTest::mouseClick(child<QPushButton>("btnQuery"), Qt::LeftButton);
    ASSERT_EQ(tree()->topLevelItemCount(), 1);
    EXPECT_EQ(tree()->topLevelItem(0)->text(0), u"Error: Invalid CLSID. Error Number: -2"_s);
    EXPECT_EQ(tree()->topLevelItem(0)->childCount(), 0);
    EXPECT_FALSE(window->imlIcons().Contains(u"CustomIcon"_s));
    EXPECT_FALSE(window->imlIcons().Contains(u"ToolBoxIcon"_s));

    // Enter in the box queries too.
    box->setText(u"{AAAAAAAA-0000-0000-0000-000000000009}"_s);
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_EQ(tree()->topLevelItemCount(), 1);
    EXPECT_EQ(tree()->topLevelItem(0)->text(0), u"Error opening CLSID Key. Error Number: 2"_s);

    box->setText(u" "_s + kIconClass.toLower() + u" "_s);
    QTest::mouseClick(child<QPushButton>("btnQuery"), Qt::LeftButton);
    EXPECT_EQ(text(u"Name"_s), u"Name: Icon Class"_s);
    EXPECT_TRUE(window->imlIcons().Contains(u"CustomIcon"_s));
}

TEST_F(ClsidToolWindowTest, HelpOpensTheToolsPage)
{
    window->show();
    QLabel* picHelp = child<QLabel>("picHelp");
    const QPointF middle = QRectF(picHelp->rect()).center();
    QMouseEvent release(QEvent::MouseButtonRelease, middle, picHelp->mapToGlobal(middle), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(picHelp, &release);
    // The page beside the library when the build put the help folder there, else the box naming it.
    if (ui.boxes().empty()) {
        ASSERT_EQ(ui.openedUrls().size(), 1u);
        EXPECT_EQ(ui.openedUrls()[0].fileName(), u"other_clsid_tool.html"_s);
    } else {
        ASSERT_EQ(ui.boxes().size(), 1u);
        EXPECT_TRUE(ui.boxes()[0].text.contains(u"'other_clsid_tool.html'"_s));
    }
}

TEST_F(ClsidToolWindowTest, TabGoesFromTheOptionsThroughTheShownFrameToClose)
{
    window->StartWithQuery(kIconClass);
    QStringList order;
    QWidget* first = child<QRadioButton>("optGenerate");
    for (QWidget* widget = first; order.isEmpty() || widget != first; widget = widget->nextInFocusChain())
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisible())
            order << widget->objectName();
    EXPECT_EQ(order.join(u' '), u"optGenerate optQuery txtClsid btnQuery tvwQuery picHelp btnClose"_s);
}

TEST_F(ClsidToolWindowTest, CloseEndsTheWindowAndTheRegistryFileStaysAsItWas)
{
    const QByteArray before = prefix.readFile(u"system.reg"_s);
    window->StartWithQuery(kIconClass);
    QTest::mouseClick(child<QRadioButton>("optGenerate"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("btnGenerate"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("btnClose"), Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), before);
}

} // namespace
