#pragma once

#include <QString>

#include <functional>

class QDialog;
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

// The places where the program waits on the user. Each has a
// real implementation; tests replace it with a scripted answer and record what was asked.
class UiSeams {
public:
    using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;
    using ModalHandler = std::function<int(QDialog&)>;

    // Shows a message box; returns the button pressed (vbOK, vbYes, ...).
    static int messageBox(const MessageBoxRequest& request);
    // Runs a dialog modally; returns its result code.
    static int execModal(QDialog& dialog);

    // Each setter returns the handler it replaces; an empty handler restores the real behaviour.
    static MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);
    static ModalHandler setModalHandler(ModalHandler handler);
};
