#pragma once

#include "control/tree/Kestrow.h"

#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

// Clicks a node of the control as a user does: scrolled into view, then pressed with the mouse.
inline void ClickNode(Kestrow& control, const QString& key, Qt::MouseButton button = Qt::LeftButton)
{
    KestrowNode* n = control.GetNodeFromKey(key);
    ASSERT_NE(n, nullptr) << key.toStdString();
    control.SelectNode(n);
    QTreeView* view = control.tvwData();
    const QRect rect = view->visualRect(view->currentIndex());
    ASSERT_TRUE(rect.isValid()) << key.toStdString();
    QTest::mouseClick(view->viewport(), button, Qt::NoModifier, rect.center());
}
