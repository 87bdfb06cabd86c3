#pragma once

#include "tests/support/QStringPrinter.h"

#include "platform/shell/UiSeams.h"

#include <QString>
#include <QUrl>

#include <deque>
#include <functional>
#include <vector>

class QDialog;

// Replaces the message boxes, modal dialogs and desktop requests for the life of a test and
// records every request:
// - message boxes are answered from a script (vbOK, or the first button, when the script is empty);
// - modal dialogs are handed to `onModal`, which plays the user and returns the result (rejected
//   when unset);
// - opened URLs and file-properties requests are accepted unless `onOpenUrl` or `onFileProperties`
//   says otherwise;
// - file dialogs, to open or to save, return the scripted files in turn (`chooseFile`), and are
//   cancelled when the script is empty.
class ScriptedUi {
public:
    ScriptedUi();
    ~ScriptedUi();
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    void answer(int button) { m_answers.push_back(button); }
    const std::vector<MessageBoxRequest>& boxes() const { return m_boxes; }

    // The next file dialog returns `linuxPath`; an empty path cancels it.
    void chooseFile(const QString& linuxPath) { m_chosenFiles.push_back(linuxPath); }

    const std::vector<QUrl>& openedUrls() const { return m_openedUrls; }
    const std::vector<FilePropertiesRequest>& propertiesRequests() const { return m_propertiesRequests; }
    const std::vector<FileBrowseRequest>& browseRequests() const { return m_browseRequests; }
    const std::vector<FileSaveRequest>& saveRequests() const { return m_saveRequests; }

    // Forgets every recorded request; the scripts stay.
    void clear();

    std::function<int(QDialog&)> onModal;
    std::function<bool(const QUrl&)> onOpenUrl;
    std::function<bool(const FilePropertiesRequest&)> onFileProperties;

private:
    QString nextChosenFile();

    std::deque<int> m_answers;
    std::deque<QString> m_chosenFiles;
    std::vector<MessageBoxRequest> m_boxes;
    std::vector<QUrl> m_openedUrls;
    std::vector<FilePropertiesRequest> m_propertiesRequests;
    std::vector<FileBrowseRequest> m_browseRequests;
    std::vector<FileSaveRequest> m_saveRequests;
    UiSeams::MessageBoxHandler m_previousBox;
    UiSeams::ModalHandler m_previousModal;
    UiSeams::OpenUrlHandler m_previousOpenUrl;
    UiSeams::FilePropertiesHandler m_previousProperties;
    UiSeams::BrowseHandler m_previousBrowse;
    UiSeams::SaveFileHandler m_previousSaveFile;
};
