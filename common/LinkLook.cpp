#include "common/LinkLook.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace {

const char* const kHelpPicture = "varnookHelpPicture";

void setLinkFocus(QLabel* label, bool link)
{
    label->setFocusPolicy(link ? Qt::StrongFocus : Qt::NoFocus);
    // A focused link needs a visible mark; the label draws none of its own.
    label->setStyleSheet(link ? QStringLiteral("QLabel:focus { outline: 1px dotted; background: palette(highlight); "
                                               "color: palette(highlighted-text); }")
                              : QString());
}

// A question mark in a blue disc: the same everywhere, where styles draw the standard help icon
// in very different ways (or as a life buoy).
QPixmap helpPixmap(int size, qreal ratio)
{
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1f, 0x4e, 0x9c), 1));
    painter.setBrush(QColor(0x2f, 0x6f, 0xd6));
    painter.drawEllipse(QRectF(0.5, 0.5, size - 1, size - 1));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(size * 2 / 3);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("?"));
    return pixmap;
}

} // namespace

LinkLook::LinkLook(QObject* parent)
    : QObject(parent)
{
}

void LinkLook::watch(QLabel* label)
{
    label->installEventFilter(this);
}

void LinkLook::SetLabelStyle(QLabel* label, const QString& toolTip)
{
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(palette);
    label->setToolTip(toolTip);
    label->setCursor(Qt::PointingHandCursor);
    setLinkFocus(label, true);
}

void LinkLook::ResetLabelStyle(QLabel* label)
{
    QFont font = label->font();
    font.setUnderline(false);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 0));
    label->setPalette(palette);
    label->setToolTip(QString());
    label->unsetCursor();
    setLinkFocus(label, false);
}

bool LinkLook::isLink(const QLabel* label)
{
    return label->font().underline() || label->property(kHelpPicture).toBool();
}

void LinkLook::SetHelpPicture(QLabel* label)
{
    label->setPixmap(helpPixmap(label->style()->pixelMetric(QStyle::PM_LargeIconSize), label->devicePixelRatioF()));
    label->setProperty(kHelpPicture, true);
    label->setToolTip(QStringLiteral("Click here for help!"));
    label->setAccessibleName(QStringLiteral("Help"));
    label->setCursor(Qt::PointingHandCursor);
    setLinkFocus(label, true);
}

bool LinkLook::eventFilter(QObject* watched, QEvent* event)
{
    auto* label = qobject_cast<QLabel*>(watched);
    if (!label || !isLink(label) || !label->isEnabled())
        return QObject::eventFilter(watched, event);
    bool activated = false;
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        activated = mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint());
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        activated = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    }
    if (!activated)
        return QObject::eventFilter(watched, event);
    emit clicked(label);
    return true;
}
