#include "app/shell/frmProperties.h"

#include "common/MessageBoxes.h"
#include "control/tree/IconList.h"
#include "control/tree/PredefinedImages.h"
#include "platform/shell/FileManager.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kIconSize = 32;

// Room for a path of 40 to 70 average characters, wider when the text needs it.
int fieldWidth(const QFontMetrics& metrics, const QString& text)
{
    const int character = metrics.averageCharWidth();
    return std::clamp(metrics.horizontalAdvance(text) + 2 * character, 40 * character, 70 * character);
}

// The file's own icon for programs, libraries and icon files, the shell's default for other
// files; the stock drawing for folders and drives.
QPixmap iconOf(const FilePropertiesInfo& info)
{
    if (info.isFolder())
        return RenderPredefinedImage(info.displayName().endsWith(u'\\') ? QStringLiteral("drive.default")
                                                                         : QStringLiteral("folder.closed"),
                                     kIconSize);
    return GetIcon(u'"' + info.linuxPath() + QStringLiteral("\",0"), ICON_LARGE);
}

} // namespace

frmProperties::frmProperties(const FilePropertiesInfo& info, QWidget* owner)
    : QDialog(owner, Qt::Window)
    , m_linuxPath(info.linuxPath())
{
    setObjectName(QStringLiteral("frmProperties"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(info.displayName() + QStringLiteral(" Properties"));

    auto* layout = new QVBoxLayout(this);
    addHeader(layout, info);
    frameGeneral = addGroup(layout, "frameGeneral", QStringLiteral("General"), info.generalFields());
    if (const QList<FilePropertiesInfo::Field> fields = info.versionFields(); !fields.isEmpty())
        frameVersion = addGroup(layout, "frameVersion", QStringLiteral("Version"), fields);
    layout->addStretch();

    auto* buttons = new QDialogButtonBox(this);
    btnShowInFileManager = buttons->addButton(QStringLiteral("Show in File Manager"), QDialogButtonBox::ActionRole);
    btnShowInFileManager->setObjectName(QStringLiteral("btnShowInFileManager"));
    btnClose = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    layout->addWidget(buttons);

    connect(btnShowInFileManager, &QPushButton::clicked, this, &frmProperties::btnShowInFileManager_Click);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    btnClose->setFocus();
}

bool frmProperties::ShowFor(const QString& linuxPath, QWidget* owner)
{
    if (linuxPath.isEmpty() || !QFileInfo::exists(linuxPath))
        return false;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* open = qobject_cast<frmProperties*>(window);
        if (open && open->isVisible() && open->parentWidget() == owner && open->linuxPath() == linuxPath) {
            open->raise();
            open->activateWindow();
            return true;
        }
    }
    auto* window = new frmProperties(FilePropertiesInfo(linuxPath, PrefixPathMapper()), owner);
    window->show();
    return true;
}

void frmProperties::addHeader(QVBoxLayout* layout, const FilePropertiesInfo& info)
{
    auto* row = new QHBoxLayout;
    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(iconOf(info));
    picIcon->setFixedSize(kIconSize, kIconSize);
    picIcon->setScaledContents(true);
    row->addWidget(picIcon);
    row->addSpacing(style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing));
    txtName = addField(QStringLiteral("Name"), QStringLiteral("Name"), info.displayName());
    row->addWidget(txtName, 1);
    layout->addLayout(row);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);
}

QGroupBox* frmProperties::addGroup(QVBoxLayout* layout, const char* name, const QString& title,
                                   const QList<FilePropertiesInfo::Field>& fields)
{
    auto* group = new QGroupBox(title, this);
    group->setObjectName(QLatin1String(name));
    auto* form = new QFormLayout(group);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    for (const FilePropertiesInfo::Field& field : fields) {
        QString caption = field.label;
        if (caption.endsWith(u':'))
            caption.chop(1);
        auto* label = new QLabel(field.label, group);
        label->setObjectName(QStringLiteral("lbl") + field.name);
        QLineEdit* edit = addField(field.name, caption, field.text);
        label->setBuddy(edit);
        form->addRow(label, edit);
    }
    layout->addWidget(group);
    return group;
}

QLineEdit* frmProperties::addField(const QString& name, const QString& accessibleName, const QString& text)
{
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(QStringLiteral("txt") + name);
    edit->setAccessibleName(accessibleName);
    edit->setReadOnly(true);
    edit->setFrame(false);
    // Read-only values on the window's own background, as a property sheet shows them; still
    // reachable with Tab, selectable and copyable.
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    edit->setPalette(palette);
    edit->setCursorPosition(0);
    const int width = fieldWidth(edit->fontMetrics(), text);
    edit->setMinimumWidth(width);
    if (edit->fontMetrics().horizontalAdvance(text) > width)
        edit->setToolTip(text); // the whole of a long value without scrolling through it
    return edit;
}

void frmProperties::btnShowInFileManager_Click()
{
    if (!FileManager().showItem(m_linuxPath))
        ShowInfo(QStringLiteral("The file could not be shown in a file manager."));
}
