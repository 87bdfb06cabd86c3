#include "app/dialogs/frmAdd.h"

#include "app/dialogs/DialogButtonRow.h"
#include "app/dialogs/ItemPanels.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/records/FileTypeObject.h"
#include "control/tree/Kestrow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {

// The kinds in the order cboItems lists them.
constexpr qint16 kKinds[] = {ITEM_FILETYPE, ITEM_FILEEXTENSION, ITEM_ACTION, ITEM_SHELLEXTENSION};

} // namespace

frmAdd::frmAdd(Kestrow& control, QWidget* parent)
    : QDialog(parent)
    , m_control(control)
    , m_adder(control.core())
{
    setObjectName(QStringLiteral("frmAdd"));
    setWindowTitle(QStringLiteral("Add..."));

    auto* lblItems = new QLabel(QStringLiteral("Item:"), this);
    cboItems = new QComboBox(this);
    cboItems->setObjectName(QStringLiteral("cboItems"));
    cboItems->addItems({QStringLiteral("File Type"), QStringLiteral("File Extension"), QStringLiteral("Action"),
                        QStringLiteral("Shell Extension")});
    cboItems->setAccessibleName(QStringLiteral("Item"));
    lblItems->setBuddy(cboItems);

    // Created in tab order: the chooser, the fields of the shown panel, OK, Cancel, help.
    panels = new ItemPanels(ItemPanels::Mode::Add, control.core(), m_adder.tables(), this);
    panels->setObjectName(QStringLiteral("panels"));

    auto* buttons = new DialogButtonRow(*this, QStringLiteral("adding.html"),
                                        {{"btnOK", QStringLiteral("OK")}, {"btnCancel", QStringLiteral("Cancel")}});
    btnOK = buttons->button(0);
    btnCancel = buttons->button(1);
    picHelp = buttons->helpPicture();

    auto* chooser = new QHBoxLayout;
    chooser->addWidget(lblItems);
    chooser->addWidget(cboItems, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(chooser);
    layout->addWidget(panels, 1);
    layout->addLayout(buttons);

    connect(cboItems, &QComboBox::currentIndexChanged, this, &frmAdd::cboItems_Click);
    connect(btnOK, &QPushButton::clicked, this, &frmAdd::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmAdd::btnCancel_Click);

    // Empty fields; the pictures show the default icon until a file type is chosen.
    panels->setFileType({});
    panels->setFileExtension({});
    panels->setAction({});
    panels->setShellExtension({});
    cboItems_Click();
}

bool frmAdd::AddItem(qint16 itemType)
{
    const auto* kind = std::find(std::begin(kKinds), std::end(kKinds), itemType);
    if (kind == std::end(kKinds))
        return false;
    cboItems->setCurrentIndex(int(kind - std::begin(kKinds)));
    return true;
}

void frmAdd::setHost(const QString& typeKey)
{
    const auto type = m_control.core().FileTypeCollection().value(typeKey);
    if (!type)
        return;
    if (!type->Special) {
        FileExtensionFields extension = panels->fileExtension();
        extension.typeKey = type->Key();
        extension.typeName = type->Name;
        panels->setFileExtension(extension);
    }
    ActionFields action = panels->action();
    action.typeKey = type->Key();
    action.typeName = type->Name;
    panels->setAction(action);
    ShellExtensionFields handler = panels->shellExtension();
    handler.typeKey = type->Key();
    handler.typeName = type->Name;
    panels->setShellExtension(handler);
}

void frmAdd::cboItems_Click()
{
    const int index = cboItems->currentIndex();
    panels->showKind(index < 0 ? 0 : kKinds[index]);
}

void frmAdd::btnOK_Click()
{
    // The adder puts the dot before a typed extension; the box shows what was used.
    const auto addShowingExtension = [this](auto fields, auto add) {
        const QString typed = fields.extension;
        const long result = (m_adder.*add)(fields);
        if (fields.extension != typed)
            panels->setExtensionText(fields.extension);
        return result;
    };
    long rc = kResultCancelled;
    switch (panels->kind()) {
    case ITEM_FILETYPE: rc = addShowingExtension(panels->fileType(), &ItemAdder::addFileType); break;
    case ITEM_FILEEXTENSION: rc = addShowingExtension(panels->fileExtension(), &ItemAdder::addExtension); break;
    case ITEM_ACTION: rc = m_adder.addAction(panels->action()); break;
    case ITEM_SHELLEXTENSION: rc = m_adder.addShellExtension(panels->shellExtension()); break;
    default: return;
    }
    if (rc != 0)
        return; // the reason was shown; the input stays
    emit itemAdded(m_adder.addedKey());
    done(int(kResultAccepted));
}

void frmAdd::btnCancel_Click()
{
    done(int(kResultCancelled));
}

void frmAdd::done(int result)
{
    // Escape and the close box reject with 0: for the caller that is a Cancel.
    QDialog::done(result == int(kResultAccepted) ? result : int(kResultCancelled));
}
