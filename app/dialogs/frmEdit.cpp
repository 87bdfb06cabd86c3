#include "app/dialogs/frmEdit.h"

#include "app/dialogs/DialogButtonRow.h"
#include "app/dialogs/ItemPanels.h"
#include "common/MessageBoxes.h"
#include "control/records/ErrorNumbers.h"
#include "control/tree/ItemKinds.h"
#include "control/tree/Kestrow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kCaptions[] = {QStringLiteral("Edit File Type..."), QStringLiteral("Edit File Extension..."),
                             QStringLiteral("Edit Shell Extension..."), QStringLiteral("Edit Action...")};
const QString kEmptyCaption = QStringLiteral("Edit...");

} // namespace

frmEdit::frmEdit(Kestrow& control, QWidget* parent)
    : QDialog(parent)
    , m_control(control)
    , m_editor(control.core())
{
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(kEmptyCaption);
    setModal(false);

    panels = new ItemPanels(ItemPanels::Mode::Edit, control.core(), m_editor.tables(), this);

    auto* buttons = new DialogButtonRow(*this, QStringLiteral("editing.html"),
                                        {{"btnOK", QStringLiteral("OK")},
                                         {"btnCancel", QStringLiteral("Cancel")},
                                         {"btnApply", QStringLiteral("Apply")}});
    btnOK = buttons->button(0);
    btnCancel = buttons->button(1);
    btnApply = buttons->button(2);
    picHelp = buttons->helpPicture();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panels);
    layout->addStretch(1);
    layout->addLayout(buttons);

    // The panel's fields come first (they were made first), then the buttons.
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, btnApply);
    setTabOrder(btnApply, picHelp);

    connect(btnOK, &QPushButton::clicked, this, &frmEdit::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmEdit::btnCancel_Click);
    connect(btnApply, &QPushButton::clicked, this, &frmEdit::btnApply_Click);
    connect(panels, &ItemPanels::clsidQueryRequested, this, [this](const QString& clsid) { m_control.ShowClsidTool(clsid); });
}

void frmEdit::EditItem(qint16 itemType, const std::shared_ptr<ItemObject>& item)
{
    Reset();
    if (!IsItemKind(itemType) || !item || item->ItemType() != itemType)
        return;
    if (item->Locked) {
        ShowInfo(QStringLiteral("The operation could not be performed because there is a lock active on the item you "
                                "selected.\r\n\r\nClose all edit windows and then try again."));
        return;
    }
    m_kind = itemType;
    m_item = item;
    panels->showKind(itemType);
    setWindowTitle(kCaptions[itemType - 1]);
    showRecord();
    show();
    raise();
    activateWindow();
    if (QWidget* first = panels->firstField())
        first->setFocus();
}

void frmEdit::showRecord()
{
    switch (m_kind) {
    case ITEM_FILETYPE:
        panels->setFileType(m_editor.load(*std::static_pointer_cast<FileTypeObject>(m_item)));
        break;
    case ITEM_FILEEXTENSION:
        panels->setFileExtension(m_editor.load(*std::static_pointer_cast<FileExtensionObject>(m_item)));
        break;
    case ITEM_SHELLEXTENSION:
        panels->setShellExtension(m_editor.load(*std::static_pointer_cast<ShellExtensionObject>(m_item)));
        break;
    case ITEM_ACTION:
        panels->setAction(m_editor.load(*std::static_pointer_cast<ActionObject>(m_item)));
        break;
    default:
        break;
    }
}

void frmEdit::Reset()
{
    setWindowTitle(kEmptyCaption);
    panels->showKind(0);
    if (m_item)
        m_item->Locked = false;
    m_item.reset();
    m_kind = 0;
}

void frmEdit::releaseIfGone()
{
    if (!m_item || m_control.GetItemFromKey(m_item->Key()) == m_item)
        return;
    Reset();
    hide();
}

void frmEdit::done(int result)
{
    Reset();
    QDialog::done(result);
}

long frmEdit::btnApply_Click()
{
    long rc = kResultCancelled;
    switch (m_kind) {
    case ITEM_FILETYPE:
        rc = m_editor.apply(std::static_pointer_cast<FileTypeObject>(m_item), panels->fileType());
        break;
    case ITEM_FILEEXTENSION:
        rc = m_editor.apply(std::static_pointer_cast<FileExtensionObject>(m_item), panels->fileExtension());
        break;
    case ITEM_SHELLEXTENSION:
        rc = m_editor.apply(std::static_pointer_cast<ShellExtensionObject>(m_item), panels->shellExtension());
        break;
    case ITEM_ACTION:
        rc = m_editor.apply(std::static_pointer_cast<ActionObject>(m_item), panels->action());
        break;
    default:
        break;
    }
    if (rc == 0) {
        // The fields show the record as written: a moved handler's new internal name, the file
        // type an extension now belongs to (which the next Change asks about).
        showRecord();
        emit applied(m_item);
    }
    return rc;
}

void frmEdit::btnOK_Click()
{
    // A refusal or a No keeps the window open with what was typed; anything else ends it, a
    // failure too (it was reported).
    if (m_item && btnApply_Click() == kResultCancelled)
        return;
    accept();
}

void frmEdit::btnCancel_Click()
{
    reject();
}

