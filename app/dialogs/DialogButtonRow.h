#pragma once

#include <QHBoxLayout>
#include <QList>
#include <QString>

#include <initializer_list>

class QDialog;
class QLabel;
class QPushButton;

// The bottom row of an item window: the help picture at the left, which opens the window's help
// page when clicked or pressed by keyboard, and the window's buttons at the right. No button is a
// default button, so that Enter in a text box presses none of them.
class DialogButtonRow : public QHBoxLayout {
public:
    struct Button {
        const char* name; // the object name, e.g. "btnOK"
        QString caption;
    };

    DialogButtonRow(QDialog& dialog, const QString& helpPage, std::initializer_list<Button> buttons);

    // The buttons in the order given.
    QPushButton* button(qsizetype index) const { return m_buttons.at(index); }
    QLabel* helpPicture() const { return m_help; }

private:
    QList<QPushButton*> m_buttons;
    QLabel* m_help = nullptr;
};
