#include "app/shell/frmOptions.h"
#include "tests/app/shell/ShellTestSupport.h"
#include "tests/support/TestSettings.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

const char* const kBoxes[] = {"chkLoadOnStartup", "chkLoadFull", "chkRefreshOnSelect", "chkShowSplash"};

QCheckBox* box(const frmOptions& dialog, const char* name)
{
    auto* found = dialog.findChild<QCheckBox*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// The names of the ticked boxes.
QString ticked(const frmOptions& dialog)
{
    QStringList names;
    for (const char* name : kBoxes)
        if (box(dialog, name)->isChecked())
            names << QLatin1String(name);
    return names.join(u' ');
}

void pressKey(QWidget& widget, Qt::Key key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

TEST(Options, OkSetsTheFlagsAndStoresThemInOrder)
{
    const auto T = Qt::Checked, F = Qt::Unchecked, grey = Qt::PartiallyChecked;
    const struct {
        const char* name;
        const char* before;
        const char* shown;
        Qt::CheckState set[4]; // in the order of kBoxes
        const char* after;
        QStringList stored;
    } cases[] = {
        {"all off", "LoadOnStartup ShowSplash LoadFull RefreshOnSelect",
         "chkLoadOnStartup chkLoadFull chkRefreshOnSelect chkShowSplash", {F, F, F, F}, "ShowProgress",
         {"LoadOnStartup=False", "LoadFull=False", "RefreshOnSelect=False", "ShowSplash=False", "ShowProgress=True"}},
        {"greyed counts as off", "LoadOnStartup ShowSplash LoadFull RefreshOnSelect",
         "chkLoadOnStartup chkLoadFull chkRefreshOnSelect chkShowSplash", {grey, T, grey, grey}, "ShowProgress LoadFull",
         {"LoadOnStartup=False", "LoadFull=True", "RefreshOnSelect=False", "ShowSplash=False", "ShowProgress=True"}},
        // Even when both were on, the splash screen and the progress box end up opposite.
        {"splash on turns progress off", "ShowProgress ShowSplash", "chkShowSplash", {T, T, T, T},
         "LoadOnStartup ShowSplash LoadFull RefreshOnSelect",
         {"LoadOnStartup=True", "LoadFull=True", "RefreshOnSelect=True", "ShowSplash=True", "ShowProgress=False"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestSettings settings(false);
        setFlags(QString::fromLatin1(c.before));
        frmOptions dialog;
        EXPECT_EQ(ticked(dialog), QString::fromLatin1(c.shown));
        for (int i = 0; i < 4; ++i)
            box(dialog, kBoxes[i])->setCheckState(c.set[i]);
        dialog.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();

        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(flagsOn(), QString::fromLatin1(c.after));
        EXPECT_EQ(configPairs(), c.stored);
    }
}

TEST(Options, CancelAndEscapeChangeNeitherFlagsNorStore)
{
    TestSettings settings(false);
    const QString before = QStringLiteral("LoadOnStartup ShowSplash LoadFull RefreshOnSelect");
    for (const bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape ? "Escape" : "Cancel");
        setFlags(before);
        frmOptions dialog;
        dialog.show();
        for (const char* name : kBoxes)
            box(dialog, name)->setChecked(false);
        if (byEscape)
            pressKey(dialog, Qt::Key_Escape);
        else
            dialog.findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();

        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(flagsOn(), before);
        EXPECT_FALSE(QFile::exists(ApplicationSettings(SETTINGS_APPLICATION).filePath()));
    }
}

TEST(Options, EnterPressesOk)
{
    TestSettings settings(false);
    setFlags(QStringLiteral("LoadOnStartup ShowSplash LoadFull RefreshOnSelect"));
    frmOptions dialog;
    dialog.show();
    box(dialog, "chkLoadFull")->setChecked(false);
    pressKey(dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(StartupFlags::current().LoadFull);
    EXPECT_EQ(GetSetting(SETTINGS_APPLICATION, SECTION_CONFIG, QStringLiteral("LoadFull")), QStringLiteral("False"));
}

} // namespace
