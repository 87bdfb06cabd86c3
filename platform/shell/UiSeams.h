#pragma once

#include <QString>

#include <functional>

class QDialog;
class QUrl;
class QWidget;

// Message-box style and result numbers, as the system uses them ("buttons value OR 48").
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbAbortRetryIgnore = 2;
inline constexpr int vbYesNoCancel = 3;
inline constexpr int vbYesNo = 4;
inline constexpr int vbRetryCancel = 5;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;
inline constexpr int vbDefaultButton2 = 256;
inline constexpr int vbDefaultButton3 = 512;

inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbAbort = 3;
inline constexpr int vbRetry = 4;
inline constexpr int vbIgnore = 5;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

struct MessageBoxRequest {
    QString title;
    QString text;
    int style = vbOKOnly; // buttons + icon + default button
    QWidget* owner = nullptr;

    int buttons() const { return style & 0x0F; }
    int icon() const { return style & 0xF0; }
};

// A request to show the properties of a file of the prefix.
struct FilePropertiesRequest {
    QString linuxPath;        // the file, as a Linux path
    QWidget* owner = nullptr; // the window the properties belong to
};

// A request to ask the user for an existing file.
struct FileBrowseRequest {
    QString title;
    // Qt name filters, e.g. "Application (*.exe);;Batch file (*.bat *.cmd)"; empty: every file.
    // Extensions match without regard to case.
    QString filter;
    QString startFolder;      // Linux folder the dialog opens in; empty: the current folder
    QWidget* owner = nullptr; // none: the active window
};

// A request to ask the user for a file to save to.
struct FileSaveRequest {
    QString title;
    QString filter;           // Qt name filters, e.g. "Registration Files (*.reg)"
    QString suggestedPath;    // Linux path the dialog proposes: folder and file name
    QString defaultSuffix;    // added (with its dot) to a chosen name that has no suffix, e.g. "reg"
    QWidget* owner = nullptr; // none: the active window
};

// The places where the program waits on the user or hands work to the desktop. Each has a
// real implementation; tests replace it with a scripted answer and record what was asked.
class UiSeams {
public:
    using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;
    using ModalHandler = std::function<int(QDialog&)>;
    using OpenUrlHandler = std::function<bool(const QUrl&)>;
    using FilePropertiesHandler = std::function<bool(const FilePropertiesRequest&)>;
    using BrowseHandler = std::function<QString(const FileBrowseRequest&)>;
    using SaveFileHandler = std::function<QString(const FileSaveRequest&)>;

    // Shows a message box; returns the button pressed (vbOK, vbYes, ...). Without an owner in the
    // request the box belongs to the active window.
    static int messageBox(const MessageBoxRequest& request);
    // Runs a dialog modally; returns its result code.
    static int execModal(QDialog& dialog);
    // Opens a URL, or a local file (QUrl::fromLocalFile), with the desktop; returns whether the
    // desktop accepted the request.
    static bool openUrl(const QUrl& url);
    // Shows the properties of a file of the prefix. The program installs its properties window as
    // handler; without one the file is shown in the file manager. Returns whether that was
    // accepted; false for a file that does not exist.
    static bool showFileProperties(const QString& linuxPath, QWidget* owner);
    // Asks the user for an existing file; returns its Linux path, empty when cancelled.
    static QString browseForFile(const FileBrowseRequest& request);
    // Asks the user for a file to save to; returns its Linux path, empty when cancelled.
    static QString saveFileName(const FileSaveRequest& request);

    // Each setter returns the handler it replaces; an empty handler restores the real behaviour.
    static MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);
    static ModalHandler setModalHandler(ModalHandler handler);
    static OpenUrlHandler setOpenUrlHandler(OpenUrlHandler handler);
    static FilePropertiesHandler setFilePropertiesHandler(FilePropertiesHandler handler);
    static BrowseHandler setBrowseHandler(BrowseHandler handler);
    static SaveFileHandler setSaveFileHandler(SaveFileHandler handler);
};
