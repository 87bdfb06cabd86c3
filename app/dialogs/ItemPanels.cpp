#include "app/dialogs/ItemPanels.h"

#include "app/dialogs/BrowseForFile.h"
#include "app/dialogs/FieldRules.h"
#include "app/dialogs/IconBox.h"
#include "app/dialogs/frmAssoc.h"
#include "app/dialogs/frmEditFlags.h"
#include "app/shell/ItemCommands.h"
#include "common/MessageBoxes.h"
#include "control/records/Definitions.h"
#include "control/records/ErrorNumbers.h"
#include "control/tools/GeneratedClsid.h"
#include "control/tree/IconList.h"
#include "control/tree/KestrowCore.h"
#include "platform/shell/UiSeams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QString kProgramFilter = QStringLiteral(
    "Application (*.exe)|*.exe|MS-DOS Application (*.com)|*.com|Batch Script (*.bat;*.cmd)|*.bat;*.cmd|"
    "WSH Script (*.js;*.vb)|*.js;*.vb|All Files (*.*)|*.*");
const QString kProgramTitle = QStringLiteral("Select Application...");

constexpr qint16 kSmall = 1;
constexpr qint16 kLarge = 2;

// "Application:            (Not Running)" -> "Application (Not Running)": what a screen reader says.
QString accessibleText(const QString& label)
{
    return label.simplified().remove(u':').trimmed();
}

// A read-only box looks like the window it sits on, so that nobody tries to type into it.
void makeReadOnly(QLineEdit* box)
{
    box->setReadOnly(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    box->setPalette(palette);
}

QLabel* newPicture(QWidget* parent, const char* name, int side)
{
    auto* picture = new QLabel(parent);
    picture->setObjectName(QLatin1String(name));
    picture->setFixedSize(side, side);
    picture->setAlignment(Qt::AlignCenter);
    return picture;
}

void selectByData(QComboBox* list, int value)
{
    list->setCurrentIndex(value < 0 ? -1 : list->findData(value));
}

} // namespace

ItemPanels::ItemPanels(Mode mode, KestrowCore& control, const HandlerTables& tables, QWidget* parent)
    : QWidget(parent)
    , m_mode(mode)
    , m_control(control)
    , m_tables(tables)
{
    setObjectName(QStringLiteral("ItemPanels"));
    m_stack = new QStackedWidget(this);
    m_stack->addWidget(createTypePanel());
    m_stack->addWidget(createExtensionPanel());
    m_stack->addWidget(createActionPanel());
    m_stack->addWidget(createShellExPanel());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stack);
    // Wide enough for a CLSID and a command line of common length, in either window.
    setMinimumWidth(fontMetrics().averageCharWidth() * 90);

    // No button here is a default button: Enter in a text box must not press one.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    showKind(0);
}

// ---- building

void ItemPanels::addRow(QGridLayout* grid, const QString& label, QWidget* field)
{
    // An empty grid counts one row already.
    const int row = grid->count() == 0 ? 0 : grid->rowCount();
    auto* caption = new QLabel(label, field->parentWidget());
    caption->setBuddy(field);
    field->setAccessibleName(accessibleText(label));
    grid->addWidget(caption, row, 0);
    grid->addWidget(field, row, 1);
}

QLineEdit* ItemPanels::addTextRow(QGridLayout* grid, const char* name, const QString& label, bool readOnly)
{
    auto* box = new QLineEdit(grid->parentWidget());
    box->setObjectName(QLatin1String(name));
    if (readOnly)
        makeReadOnly(box);
    addRow(grid, label, box);
    return box;
}

QComboBox* ItemPanels::addListRow(QGridLayout* grid, const char* name, const QString& label)
{
    auto* list = new QComboBox(grid->parentWidget());
    list->setObjectName(QLatin1String(name));
    addRow(grid, label, list);
    return list;
}

// A button beside the field of the row added last.
QPushButton* ItemPanels::addButton(QGridLayout* grid, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, grid->parentWidget());
    button->setObjectName(QLatin1String(name));
    grid->addWidget(button, grid->rowCount() - 1, 2);
    return button;
}

QFrame* ItemPanels::createTypePanel()
{
    frameType = new QFrame(this);
    frameType->setObjectName(QStringLiteral("frameType"));
    auto* grid = new QGridLayout(frameType);
    grid->setColumnStretch(1, 1);

    txtTypeName = addTextRow(grid, "txtTypeName", QStringLiteral("Name:"));
    txtTypeInternalName = addTextRow(grid, "txtTypeInternalName", QStringLiteral("Internal Name:"), m_mode == Mode::Edit);
    if (m_mode == Mode::Add)
        txtTypeExtension = addTextRow(grid, "txtTypeExtension", QStringLiteral("Extension:"));
    txtTypeDefaultIcon = addTextRow(grid, "txtTypeDefaultIcon", QStringLiteral("Default Icon:"));
    btnTypeDefaultIcon = addButton(grid, "btnTypeDefaultIcon", QStringLiteral("Edit..."));
    txtTypeCLSID = addTextRow(grid, "txtTypeCLSID", QStringLiteral("CLSID:"));
    btnTypeCLSID = addButton(grid, "btnTypeCLSID", QStringLiteral("Generate"));
    txtTypeFlags = addTextRow(grid, "txtTypeFlags", QStringLiteral("Flags:"));
    btnTypeFlags = addButton(grid, "btnTypeFlags", QStringLiteral("Edit..."));
    chkTypeQuickView = new QCheckBox(QStringLiteral(" QuickView:"), frameType);
    chkTypeQuickView->setObjectName(QStringLiteral("chkTypeQuickView"));
    chkTypeQuickView->setAccessibleName(QStringLiteral("QuickView"));
    // The caption stands left of its box, in the column of the other captions.
    chkTypeQuickView->setLayoutDirection(Qt::RightToLeft);
    grid->addWidget(chkTypeQuickView, grid->rowCount(), 0);

    // The pictures show the default icon large and small, beside the fields.
    picTypeIconLarge = newPicture(frameType, "picTypeIconLarge", 40);
    picTypeIconSmall = newPicture(frameType, "picTypeIconSmall", 24);
    auto* pictures = new QVBoxLayout;
    pictures->addWidget(picTypeIconLarge);
    pictures->addWidget(picTypeIconSmall);
    pictures->addStretch();
    grid->addLayout(pictures, 0, 3, 3, 1);
    grid->setRowStretch(grid->rowCount(), 1);

    connect(btnTypeDefaultIcon, &QPushButton::clicked, this, &ItemPanels::btnTypeDefaultIcon_Click);
    connect(txtTypeDefaultIcon, &QLineEdit::editingFinished, this, &ItemPanels::drawTypeIcons);
    connect(btnTypeFlags, &QPushButton::clicked, this, &ItemPanels::btnTypeFlags_Click);
    connect(btnTypeCLSID, &QPushButton::clicked, this, &ItemPanels::btnTypeCLSID_Click);
    return frameType;
}

QFrame* ItemPanels::createExtensionPanel()
{
    frameExt = new QFrame(this);
    frameExt->setObjectName(QStringLiteral("frameExt"));
    auto* grid = new QGridLayout(frameExt);
    grid->setColumnStretch(1, 1);

    txtExt = addTextRow(grid, "txtExt", QStringLiteral("Extension:"), m_mode == Mode::Edit);
    txtExtAssoc = addTextRow(grid, "txtExtAssoc", QStringLiteral("Associated With:"), true);
    btnExtAssoc = addButton(grid, "btnExtAssoc", QStringLiteral("Change"));
    txtExtContentType = addTextRow(grid, "txtExtContentType", QStringLiteral("Content Type:"));
    txtExtInfoTip = addTextRow(grid, "txtExtInfoTip", QStringLiteral("Info Tip:"));

    picExtIconLarge = newPicture(frameExt, "picExtIconLarge", 40);
    picExtIconSmall = newPicture(frameExt, "picExtIconSmall", 24);
    auto* pictures = new QVBoxLayout;
    pictures->addWidget(picExtIconLarge);
    pictures->addWidget(picExtIconSmall);
    pictures->addStretch();
    grid->addLayout(pictures, 0, 3, 3, 1);
    grid->setRowStretch(grid->rowCount(), 1);

    connect(btnExtAssoc, &QPushButton::clicked, this, [this] { chooseType(txtExtAssoc, ITEM_FILEEXTENSION); });
    return frameExt;
}

QFrame* ItemPanels::createActionPanel()
{
    frameAction = new QFrame(this);
    frameAction->setObjectName(QStringLiteral("frameAction"));
    auto* grid = new QGridLayout(frameAction);
    grid->setColumnStretch(1, 1);

    if (m_mode == Mode::Edit) {
        txtActionName = addTextRow(grid, "txtActionName", QStringLiteral("Name:"));
    } else {
        cboActionName = addListRow(grid, "cboActionName", QStringLiteral("Name:"));
        cboActionName->setEditable(true);
        cboActionName->setInsertPolicy(QComboBox::NoInsert);
        cboActionName->addItems({QStringLiteral("Open"), QStringLiteral("Print"), QStringLiteral("Print To"),
                                 QStringLiteral("Edit"), QStringLiteral("Explore"), QStringLiteral("Find"),
                                 QStringLiteral("New")});
        cboActionName->setCurrentIndex(-1);
        txtActionAssoc = addTextRow(grid, "txtActionAssoc", QStringLiteral("Associated With:"), true);
        btnActionAssoc = addButton(grid, "btnActionAssoc", QStringLiteral("Change"));
        connect(btnActionAssoc, &QPushButton::clicked, this, [this] { chooseType(txtActionAssoc, ITEM_ACTION); });
    }
    txtActionCommand = addTextRow(grid, "txtActionCommand", QStringLiteral("Command:"));
    btnActionCommand = addButton(grid, "btnActionCommand", QStringLiteral("Browse"));
    chkActionDDE = new QCheckBox(QStringLiteral("Uses DDE (Dynamic Data Exchange)"), frameAction);
    chkActionDDE->setObjectName(QStringLiteral("chkActionDDE"));
    grid->addWidget(chkActionDDE, grid->rowCount(), 0, 1, 3);

    frameActionDDE = new QFrame(frameAction);
    frameActionDDE->setObjectName(QStringLiteral("frameActionDDE"));
    frameActionDDE->setFrameShape(QFrame::StyledPanel);
    auto* dde = new QGridLayout(frameActionDDE);
    dde->setColumnStretch(1, 1);
    txtActionDDEMesg = addTextRow(dde, "txtActionDDEMesg", QStringLiteral("Message:"));
    txtActionDDEApp = addTextRow(dde, "txtActionDDEApp", QStringLiteral("Application:"));
    btnActionDDEApp = addButton(dde, "btnActionDDEApp", QStringLiteral("Browse"));
    txtActionDDEAppNoRun = addTextRow(dde, "txtActionDDEAppNoRun", QStringLiteral("Application:            (Not Running)"));
    btnActionDDEAppNoRun = addButton(dde, "btnActionDDEAppNoRun", QStringLiteral("Browse"));
    txtActionDDETopic = addTextRow(dde, "txtActionDDETopic", QStringLiteral("Topic:"));
    grid->addWidget(frameActionDDE, grid->rowCount(), 0, 1, 3);
    frameActionDDE->setVisible(false);
    grid->setRowStretch(grid->rowCount(), 1);

    connect(btnActionCommand, &QPushButton::clicked, this, [this] { browse(txtActionCommand, kProgramTitle, kProgramFilter); });
    connect(btnActionDDEApp, &QPushButton::clicked, this, [this] { browse(txtActionDDEApp, kProgramTitle, kProgramFilter); });
    connect(btnActionDDEAppNoRun, &QPushButton::clicked, this,
            [this] { browse(txtActionDDEAppNoRun, kProgramTitle, kProgramFilter); });
    connect(chkActionDDE, &QCheckBox::toggled, frameActionDDE, &QWidget::setVisible);
    return frameAction;
}

QFrame* ItemPanels::createShellExPanel()
{
    frameShellEx = new QFrame(this);
    frameShellEx->setObjectName(QStringLiteral("frameShellEx"));
    auto* grid = new QGridLayout(frameShellEx);
    grid->setColumnStretch(1, 1);

    txtShellExName = addTextRow(grid, "txtShellExName", QStringLiteral("Name:"));
    if (m_mode == Mode::Edit) {
        txtShellExInternalName = addTextRow(grid, "txtShellExInternalName", QStringLiteral("Internal Name:"), true);
        txtShellExCLSID = addTextRow(grid, "txtShellExCLSID", QStringLiteral("CLSID:"), true);
        btnShellExCLSID = addButton(grid, "btnShellExCLSID", QStringLiteral("Query..."));
    } else {
        txtShellExAssoc = addTextRow(grid, "txtShellExAssoc", QStringLiteral("Associated With:"), true);
        btnShellExAssoc = addButton(grid, "btnShellExAssoc", QStringLiteral("Change"));
        txtShellExCLSID = addTextRow(grid, "txtShellExCLSID", QStringLiteral("CLSID:"));
        btnShellExCLSID = addButton(grid, "btnShellExCLSID", QStringLiteral("Generate"));
        connect(btnShellExAssoc, &QPushButton::clicked, this,
                [this] { chooseType(txtShellExAssoc, ITEM_SHELLEXTENSION); });
    }
    txtShellExInproc32 = addTextRow(grid, "txtShellExInproc32", QStringLiteral("Inproc Server 32:"));
    btnShellExInproc32 = addButton(grid, "btnShellExInproc32", QStringLiteral("Browse"));
    lstShellExThread = addListRow(grid, "lstShellExThread", QStringLiteral("Threading Model:"));
    for (const HandlerTables::ThreadModel& model : m_tables.threadModels())
        lstShellExThread->addItem(model.text);
    lstShellExType = addListRow(grid, "lstShellExType", QStringLiteral("Extension Type:"));
    for (const HandlerTables::Group& group : m_tables.groups())
        lstShellExType->addItem(group.name, group.index);
    // Nothing is chosen until the user or the record chooses.
    lstShellExThread->setCurrentIndex(-1);
    lstShellExType->setCurrentIndex(-1);
    chkShellExApproved = new QCheckBox(QStringLiteral(" Approved:"), frameShellEx);
    chkShellExApproved->setObjectName(QStringLiteral("chkShellExApproved"));
    chkShellExApproved->setAccessibleName(QStringLiteral("Approved"));
    chkShellExApproved->setLayoutDirection(Qt::RightToLeft);
    grid->addWidget(chkShellExApproved, grid->rowCount(), 0);
    grid->setRowStretch(grid->rowCount(), 1);

    connect(btnShellExCLSID, &QPushButton::clicked, this, &ItemPanels::btnShellExCLSID_Click);
    connect(btnShellExInproc32, &QPushButton::clicked, this, [this] {
        browse(txtShellExInproc32, QStringLiteral("Select 32bit Inprocess Server..."),
               QStringLiteral("Application Extension (*.dll)|*.dll|All Files (*.*)|*.*"));
    });
    return frameShellEx;
}

// ---- the panel shown

void ItemPanels::showKind(qint16 itemType)
{
    QFrame* panels[] = {frameType, frameExt, frameShellEx, frameAction};
    m_kind = itemType >= ITEM_FILETYPE && itemType <= ITEM_ACTION ? itemType : 0;
    m_stack->setVisible(m_kind != 0);
    if (m_kind != 0)
        m_stack->setCurrentWidget(panels[m_kind - 1]);
}

QWidget* ItemPanels::firstField() const
{
    switch (m_kind) {
    case ITEM_FILETYPE:
        return txtTypeName;
    case ITEM_FILEEXTENSION:
        return m_mode == Mode::Add ? static_cast<QWidget*>(txtExt) : txtExtContentType;
    case ITEM_ACTION:
        return m_mode == Mode::Add ? static_cast<QWidget*>(cboActionName) : txtActionName;
    case ITEM_SHELLEXTENSION:
        return txtShellExName;
    default:
        return nullptr;
    }
}

// ---- fields in and out

void ItemPanels::setFileType(const FileTypeFields& fields)
{
    txtTypeName->setText(fields.name);
    txtTypeInternalName->setText(fields.internalName);
    if (txtTypeExtension)
        txtTypeExtension->setText(fields.extension);
    txtTypeDefaultIcon->setText(fields.defaultIcon);
    txtTypeCLSID->setText(fields.clsid);
    txtTypeFlags->setText(fields.flags);
    chkTypeQuickView->setChecked(fields.quickView);
    drawTypeIcons();
}

FileTypeFields ItemPanels::fileType() const
{
    FileTypeFields fields;
    fields.name = txtTypeName->text();
    fields.internalName = txtTypeInternalName->text();
    if (txtTypeExtension)
        fields.extension = txtTypeExtension->text();
    fields.defaultIcon = txtTypeDefaultIcon->text();
    fields.clsid = txtTypeCLSID->text();
    fields.flags = txtTypeFlags->text();
    fields.quickView = chkTypeQuickView->isChecked();
    return fields;
}

void ItemPanels::setFileExtension(const FileExtensionFields& fields)
{
    txtExt->setText(fields.extension);
    txtExtAssoc->setText(fields.typeName);
    txtExtAssoc->setProperty("typeKey", fields.typeKey);
    m_loadedExtTypeKey = fields.typeKey;
    txtExtContentType->setText(fields.contentType);
    txtExtInfoTip->setText(fields.infoTip);
    drawExtensionIcons();
}

FileExtensionFields ItemPanels::fileExtension() const
{
    FileExtensionFields fields;
    fields.extension = txtExt->text();
    fields.typeKey = txtExtAssoc->property("typeKey").toString();
    fields.typeName = txtExtAssoc->text();
    fields.contentType = txtExtContentType->text();
    fields.infoTip = txtExtInfoTip->text();
    return fields;
}

void ItemPanels::setAction(const ActionFields& fields)
{
    if (txtActionName)
        txtActionName->setText(fields.name);
    if (cboActionName)
        cboActionName->setEditText(fields.name);
    if (txtActionAssoc) {
        txtActionAssoc->setText(fields.typeName);
        txtActionAssoc->setProperty("typeKey", fields.typeKey);
    }
    txtActionCommand->setText(fields.command);
    txtActionDDEMesg->setText(fields.ddeMessage);
    txtActionDDEApp->setText(fields.ddeApp);
    txtActionDDEAppNoRun->setText(fields.ddeAppNoRun);
    txtActionDDETopic->setText(fields.ddeTopic);
    chkActionDDE->setChecked(fields.usesDde);
    frameActionDDE->setVisible(fields.usesDde);
}

ActionFields ItemPanels::action() const
{
    ActionFields fields;
    fields.name = txtActionName ? txtActionName->text() : cboActionName->currentText();
    if (txtActionAssoc) {
        fields.typeKey = txtActionAssoc->property("typeKey").toString();
        fields.typeName = txtActionAssoc->text();
    }
    fields.command = txtActionCommand->text();
    fields.usesDde = chkActionDDE->isChecked();
    fields.ddeMessage = txtActionDDEMesg->text();
    fields.ddeApp = txtActionDDEApp->text();
    fields.ddeAppNoRun = txtActionDDEAppNoRun->text();
    fields.ddeTopic = txtActionDDETopic->text();
    return fields;
}

void ItemPanels::setShellExtension(const ShellExtensionFields& fields)
{
    txtShellExName->setText(fields.name);
    if (txtShellExInternalName)
        txtShellExInternalName->setText(fields.internalName);
    if (txtShellExAssoc) {
        txtShellExAssoc->setText(fields.typeName);
        txtShellExAssoc->setProperty("typeKey", fields.typeKey);
    }
    txtShellExCLSID->setText(fields.clsid);
    txtShellExInproc32->setText(fields.inproc32);
    lstShellExThread->setCurrentIndex(fields.threadModel < lstShellExThread->count() ? fields.threadModel : -1);
    selectByData(lstShellExType, fields.group);
    lstShellExType->setEnabled(fields.groupEditable);
    chkShellExApproved->setChecked(fields.approved);
}

ShellExtensionFields ItemPanels::shellExtension() const
{
    ShellExtensionFields fields;
    fields.name = txtShellExName->text();
    if (txtShellExInternalName)
        fields.internalName = txtShellExInternalName->text();
    if (txtShellExAssoc) {
        fields.typeKey = txtShellExAssoc->property("typeKey").toString();
        fields.typeName = txtShellExAssoc->text();
    }
    fields.clsid = txtShellExCLSID->text();
    fields.inproc32 = txtShellExInproc32->text();
    fields.threadModel = lstShellExThread->currentIndex();
    fields.group = lstShellExType->currentIndex() < 0 ? -1 : lstShellExType->currentData().toInt();
    fields.groupEditable = lstShellExType->isEnabled();
    fields.approved = chkShellExApproved->isChecked();
    return fields;
}

void ItemPanels::setExtensionText(const QString& dotted)
{
    if (m_kind == ITEM_FILETYPE && txtTypeExtension)
        txtTypeExtension->setText(dotted);
    else if (m_kind == ITEM_FILEEXTENSION)
        txtExt->setText(dotted);
}

// ---- buttons

void ItemPanels::btnTypeDefaultIcon_Click()
{
    IconBox picker(this);
    picker.Initialize(txtTypeDefaultIcon->text());
    if (UiSeams::execModal(picker) != kResultAccepted)
        return;
    // Without a chosen icon the text stays as it was.
    if (const QString location = picker.GetSelectedIconPath(); !location.isEmpty()) {
        txtTypeDefaultIcon->setText(location);
        drawTypeIcons();
    }
}

void ItemPanels::btnTypeFlags_Click()
{
    const QString text = txtTypeFlags->text().trimmed();
    const std::optional<quint32> flags = text.isEmpty() ? std::optional<quint32>(0) : ParseFlagsText(text);
    if (!flags) {
        ShowInfo(kInvalidFlagsMessage);
        return;
    }
    frmEditFlags chooser(this);
    chooser.Initialize(*flags);
    if (UiSeams::execModal(chooser) == kResultAccepted)
        txtTypeFlags->setText(QString::number(chooser.ReturnSelectedFlags()));
}

void ItemPanels::btnTypeCLSID_Click()
{
    txtTypeCLSID->setText(GeneratedClsid::Generate().text);
}

void ItemPanels::btnShellExCLSID_Click()
{
    if (m_mode == Mode::Edit)
        emit clsidQueryRequested(txtShellExCLSID->text());
    else
        txtShellExCLSID->setText(GeneratedClsid::Generate().text);
}

void ItemPanels::chooseType(QLineEdit* box, qint16 msgType)
{
    frmAssoc chooser(m_control, this);
    // The edit window keeps the chooser's own prompt, which is the one for an extension.
    if (m_mode == Mode::Add) {
        chooser.SetMessage(msgType);
        chooser.ShowConfirmation(false);
    }
    if (UiSeams::execModal(chooser) != kResultAccepted || chooser.GetSelectedTypeKey().isEmpty())
        return;
    const QString typeKey = chooser.GetSelectedTypeKey();
    if (m_mode == Mode::Edit && box == txtExtAssoc) {
        // Moving the last extension of a file type removes that type: ask now, while the user
        // still sees what was chosen.
        FileExtensionObject loaded;
        loaded.HostTypeKey = m_loadedExtTypeKey;
        const QString question = ItemCommands(m_control).associateQuestion(loaded, typeKey);
        if (!question.isEmpty() && AskQuestion(question, vbYesNo) != vbYes)
            return;
    }
    box->setText(chooser.GetSelectedTypeName());
    box->setProperty("typeKey", typeKey);
    if (box == txtExtAssoc)
        drawExtensionIcons();
}

void ItemPanels::browse(QLineEdit* box, const QString& title, const QString& filter)
{
    if (const QString file = BrowseForFile(this, title, filter, box->text()); !file.isEmpty())
        box->setText(file);
}

// ---- pictures

void ItemPanels::drawTypeIcons()
{
    const QString location = txtTypeDefaultIcon->text();
    SetIconPicture(location, kLarge, picTypeIconLarge);
    SetIconPicture(location, kSmall, picTypeIconSmall);
}

void ItemPanels::drawExtensionIcons()
{
    const auto type = std::dynamic_pointer_cast<FileTypeObject>(
        m_control.GetItemFromKey(txtExtAssoc->property("typeKey").toString()));
    const QString location = type ? type->IconPath : kDefaultIconLocation;
    SetIconPicture(location, kLarge, picExtIconLarge);
    SetIconPicture(location, kSmall, picExtIconSmall);
}
