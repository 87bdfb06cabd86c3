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
    m_previousOpenUrl = UiSeams::setOpenUrlHandler([this](const QUrl& url) {
        m_openedUrls.push_back(url);
        return onOpenUrl ? onOpenUrl(url) : true;
    });
    m_previousProperties = UiSeams::setFilePropertiesHandler([this](const FilePropertiesRequest& request) {
        m_propertiesRequests.push_back(request);
        return onFileProperties ? onFileProperties(request) : true;
    });
    m_previousBrowse = UiSeams::setBrowseHandler([this](const FileBrowseRequest& request) {
        m_browseRequests.push_back(request);
        return nextChosenFile();
    });
    m_previousSaveFile = UiSeams::setSaveFileHandler([this](const FileSaveRequest& request) {
        m_saveRequests.push_back(request);
        return nextChosenFile();
    });
}

ScriptedUi::~ScriptedUi()
{
    UiSeams::setMessageBoxHandler(m_previousBox);
    UiSeams::setModalHandler(m_previousModal);
    UiSeams::setOpenUrlHandler(m_previousOpenUrl);
    UiSeams::setFilePropertiesHandler(m_previousProperties);
    UiSeams::setBrowseHandler(m_previousBrowse);
    UiSeams::setSaveFileHandler(m_previousSaveFile);
}

QString ScriptedUi::nextChosenFile()
{
    if (m_chosenFiles.empty())
        return QString();
    QString chosen = m_chosenFiles.front();
    m_chosenFiles.pop_front();
    return chosen;
}

void ScriptedUi::clear()
{
    m_boxes.clear();
    m_openedUrls.clear();
    m_propertiesRequests.clear();
    m_browseRequests.clear();
    m_saveRequests.clear();
}
