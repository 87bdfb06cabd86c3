#pragma once

#include <QObject>

class QLabel;

// Labels that act as links: underlined, blue, with the hand pointer and a tool tip. A label is a
// link exactly while it is underlined. Clicks reach the owner through an event filter, from the
// mouse (a left click) and from the keyboard (Enter or Space while a link has the focus), so that
// links are as usable without a mouse as buttons.
class LinkLook : public QObject {
    Q_OBJECT

public:
    explicit LinkLook(QObject* parent = nullptr);

    // Watches a label for clicks; it reports them only while the label is a link.
    void watch(QLabel* label);

    // The link look with a tool tip; the label takes the keyboard focus by Tab.
    static void SetLabelStyle(QLabel* label, const QString& toolTip);
    // The plain look: black, no tool tip, the default pointer, no keyboard focus.
    static void ResetLabelStyle(QLabel* label);
    static bool isLink(const QLabel* label);
    // A help picture: the help icon with the tool tip "Click here for help!", clickable like a
    // link.
    static void SetHelpPicture(QLabel* label);

signals:
    void clicked(QLabel* label);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
