#include "platform/shell/UiSeams.h"

#include "platform/RunContext.h"
#include "platform/shell/FileDialogFilters.h"
#include "platform/shell/FileManager.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <utility>

namespace {

// The handlers tests put in place of the real windows, kept by the run context.
struct Handlers {
    UiSeams::MessageBoxHandler messageBox;
    UiSeams::ModalHandler modal;
    UiSeams::OpenUrlHandler openUrl;
    UiSeams::FilePropertiesHandler fileProperties;
    UiSeams::BrowseHandler browse;
    UiSeams::SaveFileHandler saveFile;
};

Handlers& handlers()
{
    return RunContext::current().state<Handlers>();
}

// Windows without an owner would float free of the program and could hide behind it.
QWidget* ownerOrActiveWindow(QWidget* owner)
{
    return owner ? owner : QApplication::activeWindow();
}

QMessageBox::StandardButtons buttonsFor(int buttons)
{
    switch (buttons) {
    case vbOKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case vbAbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case vbYesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case vbYesNo: return QMessageBox::Yes | QMessageBox::No;
    case vbRetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
    }
}

QMessageBox::Icon iconFor(int icon)
{
    switch (icon) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int resultFor(int button)
{
    switch (button) {
    case QMessageBox::Ok: return vbOK;
    case QMessageBox::Cancel: return vbCancel;
    case QMessageBox::Abort: return vbAbort;
    case QMessageBox::Retry: return vbRetry;
    case QMessageBox::Ignore: return vbIgnore;
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    default: return vbCancel;
    }
}

int showMessageBox(const MessageBoxRequest& request)
{
    QMessageBox box(iconFor(request.icon()), request.title, request.text, buttonsFor(request.buttons()),
                    ownerOrActiveWindow(request.owner));
    // Message texts use Windows line breaks.
    box.setText(QString(request.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    const int defaultIndex = (request.style & vbDefaultButton3) ? 2 : (request.style & vbDefaultButton2) ? 1 : 0;
    const QList<QMessageBox::StandardButton> order{QMessageBox::Ok,    QMessageBox::Yes,   QMessageBox::No,
                                                   QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore,
                                                   QMessageBox::Cancel};
    QList<QAbstractButton*> ordered;
    for (QMessageBox::StandardButton b : order)
        if (QAbstractButton* button = box.button(b))
            ordered << button;
    if (defaultIndex < ordered.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(ordered[defaultIndex]));
    return resultFor(box.exec());
}

QString browseWithDialog(const FileBrowseRequest& request)
{
    return QFileDialog::getOpenFileName(ownerOrActiveWindow(request.owner), request.title, request.startFolder,
                                        CaseInsensitiveNameFilters(request.filter), nullptr,
                                        QFileDialog::HideNameFilterDetails);
}

QString saveWithDialog(const FileSaveRequest& request)
{
    QFileDialog dialog(ownerOrActiveWindow(request.owner), request.title, request.suggestedPath,
                       CaseInsensitiveNameFilters(request.filter));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The dialog adds the suffix before it asks about overwriting, so the question is about the
    // file that will be written.
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.suggestedPath);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

} // namespace

int UiSeams::messageBox(const MessageBoxRequest& request)
{
    if (handlers().messageBox)
        return handlers().messageBox(request);
    return showMessageBox(request);
}

int UiSeams::execModal(QDialog& dialog)
{
    if (handlers().modal)
        return handlers().modal(dialog);
    return dialog.exec();
}

bool UiSeams::openUrl(const QUrl& url)
{
    if (handlers().openUrl)
        return handlers().openUrl(url);
    return QDesktopServices::openUrl(url);
}

bool UiSeams::showFileProperties(const QString& linuxPath, QWidget* owner)
{
    if (handlers().fileProperties)
        return handlers().fileProperties({linuxPath, owner});
    return FileManager().showItem(linuxPath);
}

QString UiSeams::browseForFile(const FileBrowseRequest& request)
{
    if (handlers().browse)
        return handlers().browse(request);
    return browseWithDialog(request);
}

QString UiSeams::saveFileName(const FileSaveRequest& request)
{
    if (handlers().saveFile)
        return handlers().saveFile(request);
    return saveWithDialog(request);
}

UiSeams::MessageBoxHandler UiSeams::setMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(handlers().messageBox, std::move(handler));
}

UiSeams::ModalHandler UiSeams::setModalHandler(ModalHandler handler)
{
    return std::exchange(handlers().modal, std::move(handler));
}

UiSeams::OpenUrlHandler UiSeams::setOpenUrlHandler(OpenUrlHandler handler)
{
    return std::exchange(handlers().openUrl, std::move(handler));
}

UiSeams::FilePropertiesHandler UiSeams::setFilePropertiesHandler(FilePropertiesHandler handler)
{
    return std::exchange(handlers().fileProperties, std::move(handler));
}

UiSeams::BrowseHandler UiSeams::setBrowseHandler(BrowseHandler handler)
{
    return std::exchange(handlers().browse, std::move(handler));
}

UiSeams::SaveFileHandler UiSeams::setSaveFileHandler(SaveFileHandler handler)
{
    return std::exchange(handlers().saveFile, std::move(handler));
}
