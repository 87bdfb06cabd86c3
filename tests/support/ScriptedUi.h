#pragma once

#include "tests/support/QStringPrinter.h"

#include "platform/shell/UiSeams.h"

#include <QString>

#include <deque>
#include <functional>
#include <vector>

class QDialog;

// Replaces the message boxes and modal dialogs for the life of a test: records every box that
// would have been shown and answers from a script (vbOK, or the first button, when the script is
// empty). Modal dialogs are handed to `onModal`, which plays the user and returns the result.
class ScriptedUi {
public:
    ScriptedUi();
    ~ScriptedUi();
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    void answer(int button) { m_answers.push_back(button); }
    const std::vector<MessageBoxRequest>& boxes() const { return m_boxes; }
    void clear() { m_boxes.clear(); }

    std::function<int(QDialog&)> onModal;

private:
    std::deque<int> m_answers;
    std::vector<MessageBoxRequest> m_boxes;
    UiSeams::MessageBoxHandler m_previousBox;
    UiSeams::ModalHandler m_previousModal;
};
