#include "app/shell/frmAbout.h"
#include "common/LinkLook.h"
#include "control/tree/Kestrow.h"
#include "tests/support/ActiveWindow.h"
#include "tests/support/ScriptedUi.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const char* const kLinks[] = {"lblArtist", "lblWebSite", "lblLicense", "lblVersion"};

QLabel* labelNamed(const frmAbout& about, const char* name)
{
    auto* found = about.findChild<QLabel*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void press(QWidget& widget, Qt::Key key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &up);
}

void click(QWidget& widget)
{
    const QPointF inside(2, 2);
    QMouseEvent down(QEvent::MouseButtonPress, inside, widget.mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, inside, widget.mapToGlobal(inside), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &up);
}

// "name: text" of every label and button, top to bottom and left to right as laid out.
QStringList layoutText(frmAbout& about)
{
    about.layout()->activate();
    QList<QWidget*> widgets;
    for (QWidget* widget : about.findChildren<QWidget*>())
        if (qobject_cast<QLabel*>(widget) || qobject_cast<QPushButton*>(widget))
            widgets << widget;
    std::sort(widgets.begin(), widgets.end(), [](const QWidget* a, const QWidget* b) {
        const QPoint ca = a->geometry().center(), cb = b->geometry().center();
        return ca.y() != cb.y() ? ca.y() < cb.y() : ca.x() < cb.x();
    });
    QStringList lines;
    for (const QWidget* widget : widgets)
        lines << widget->objectName() + QStringLiteral(": ") + widget->property("text").toString();
    return lines;
}

// The licence at the root of the source tree.
QString sourceLicense()
{
    QFile file(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../../LICENSE")));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    return QString::fromUtf8(file.readAll());
}

TEST(About, ShowsArtworkNameVersionAndLinksTopToBottom)
{
    Kestrow control;
    frmAbout about(control, nullptr);

    EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(layoutText(about),
              QStringList({"picArtwork: ", "lblTitle: Varnook ", "lblVersionNumber: Version 2",
                           "lblArtworkBy: Artwork by", "lblArtist: The Varnook developers",
                           "lblWebSite: https://varnook.org/", "lblLicense: License", "lblVersion: Version Info",
                           "cmdOK: OK"}));

    const QFont title = labelNamed(about, "lblTitle")->font();
    EXPECT_EQ(title.family(), QStringLiteral("Arial"));
    EXPECT_EQ(title.pointSize(), 12);
    EXPECT_TRUE(title.bold());

    // The artwork was found and drawn, at a size that shows it.
    const QPixmap artwork = labelNamed(about, "picArtwork")->pixmap();
    const QSizeF shown = artwork.deviceIndependentSize();
    EXPECT_TRUE(shown.width() >= 96 && shown.width() <= 128) << shown.width();
    const QImage image = artwork.toImage();
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0;
    EXPECT_GT(painted, image.width() * image.height() / 4);

    for (const char* name : kLinks) {
        SCOPED_TRACE(name);
        const QLabel* link = labelNamed(about, name);
        EXPECT_TRUE(LinkLook::isLink(link));
        EXPECT_EQ(link->focusPolicy(), Qt::StrongFocus);
        EXPECT_FALSE(link->accessibleName().isEmpty());
        EXPECT_FALSE(link->toolTip().isEmpty());
    }
    EXPECT_TRUE(about.findChild<QPushButton*>(QStringLiteral("cmdOK"))->isDefault());
}

TEST(About, WebLinksOpenTheirPagesByMouseAndKeyboardAndFailQuietly)
{
    const struct {
        const char* link;
        bool byKeyboard;
        bool desktopAccepts;
        const char* url;
    } cases[] = {
        {"lblArtist", false, true, "https://varnook.org/artwork"},
        {"lblArtist", true, true, "https://varnook.org/artwork"},
        {"lblWebSite", false, true, "https://varnook.org/"},
        {"lblWebSite", true, false, "https://varnook.org/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.link) + (c.byKeyboard ? " by keyboard" : " by mouse"));
        Kestrow control;
        frmAbout about(control, nullptr);
        ScriptedUi ui;
        ui.onOpenUrl = [&](const QUrl&) { return c.desktopAccepts; };
        QLabel* link = labelNamed(about, c.link);

        c.byKeyboard ? press(*link, Qt::Key_Space) : click(*link);

        ASSERT_EQ(ui.openedUrls().size(), 1u);
        EXPECT_EQ(ui.openedUrls()[0], QUrl(QLatin1String(c.url)));
        EXPECT_TRUE(ui.boxes().empty());
    }
}

TEST(About, VersionInfoNamesProgramAndControlVersions)
{
    Kestrow control;
    frmAbout about(control, nullptr);
    ScriptedUi ui;

    click(*labelNamed(about, "lblVersion"));

    ASSERT_EQ(ui.boxes().size(), 1u);
    const MessageBoxRequest& box = ui.boxes()[0];
    EXPECT_EQ(box.title, QStringLiteral("Version Information"));
    EXPECT_EQ(box.icon(), vbInformation);
    const QString version =
        QStringLiteral("%1.%2.%3").arg(VARNOOK_VERSION_MAJOR).arg(VARNOOK_VERSION_MINOR).arg(VARNOOK_VERSION_REVISION);
    EXPECT_EQ(box.text, QStringLiteral("Varnook\r\nVersion ") + version + QStringLiteral("\r\n\r\nKestrow Control\r\nVersion ") +
                            control.GetVersionString());
    EXPECT_TRUE(ui.openedUrls().empty());
}

TEST(About, LicenseShowsTheWholeLicenceInParagraphs)
{
    Kestrow control;
    frmAbout about(control, nullptr);
    ScriptedUi ui;

    press(*labelNamed(about, "lblLicense"), Qt::Key_Return);

    ASSERT_EQ(ui.boxes().size(), 1u);
    const MessageBoxRequest& box = ui.boxes()[0];
    EXPECT_EQ(box.title, QStringLiteral("License"));
    EXPECT_EQ(box.icon(), vbInformation);
    // Each paragraph is one line that the box wraps itself; nothing of the licence is missing.
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("MIT License\r\n\r\nCopyright (c) 2026 The Varnook developers\r\n\r\n"
                                                   "Permission is hereby granted, free of charge, to any person obtaining "
                                                   "a copy of this software")));
    EXPECT_EQ(box.text.count(QStringLiteral("\r\n\r\n")), 4);
    EXPECT_EQ(box.text.count(u'\n'), 8);
    EXPECT_EQ(box.text.simplified(), sourceLicense().simplified());
}

TEST(About, TabReachesEveryLinkAndOkOrEscapeClose)
{
    Kestrow control;
    frmAbout about(control, nullptr);
    if (!activate(about))
        GTEST_SKIP() << "the platform did not activate the window";
    ScriptedUi ui;
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));

    QStringList reached;
    for (int i = 0; i < 5; ++i) {
        press(*QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(reached, QStringList({"lblArtist", "lblWebSite", "lblLicense", "lblVersion", "cmdOK"}));

    press(*QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Rejected);

    activate(about);
    about.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_TRUE(ui.openedUrls().empty());
}

} // namespace
