#include "tests/support/ScriptedUi.h"

#include <QDialog>

namespace {

int firstButton(int buttons)
{
    switch (buttons) {
    case vbYesNo:
    case vbYesNoCancel: return vbYes;
    case vbRetryCancel: return vbRetry;
    case vbAbortRetryIgnore: return vbAbort;
    default: return vbOK;
    }
}

} // namespace

ScriptedUi::ScriptedUi()
{
    m_previousBox = UiSeams::setMessageBoxHandler([this](const MessageBoxRequest& request) {
        m_boxes.push_back(request);
        if (m_answers.empty())
            return firstButton(request.buttons());
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    });
    m_previousModal = UiSeams::setModalHandler([this](QDialog& dialog) {
        if (onModal)
            return onModal(dialog);
        return int(QDialog::Rejected);
    });
}

ScriptedUi::~ScriptedUi()
{
    UiSeams::setMessageBoxHandler(m_previousBox);
    UiSeams::setModalHandler(m_previousModal);
}
