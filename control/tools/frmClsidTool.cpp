#include "control/tools/frmClsidTool.h"

#include "common/HelpTopic.h"
#include "common/LinkLook.h"
#include "control/tools/ClsidQuery.h"
#include "control/tools/GeneratedClsid.h"
#include "control/tree/IconList.h"
#include "control/tree/PredefinedImages.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <unordered_map>

namespace {

const QString kCustomIcon = QStringLiteral("CustomIcon");
const QString kToolBoxIcon = QStringLiteral("ToolBoxIcon");

const QString kClsidInfo = QStringLiteral(
    "A CLSID is a Globally Unique Identifier (GUID), a unique 128-bit integer.\n\n"
    "CLSIDs are used to map information about a component class. COM uses the information mapped by the CLSID to "
    "locate and create an instance of the object associated with the CLSID.\n\n"
    "This tool generates a new CLSID by calling the CoCreateGuid function that in turn calls the RPC function "
    "UuidCreate. To a very high degree of certainty, this function returns a unique value - no other invocation, on "
    "the same or any other system (networked or not), should return the same value.");

template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A label with its text box; the box is read by screen readers under the label's words.
QLineEdit* labelledBox(QWidget* parent, QLabel* label, const char* name)
{
    auto* box = named(new QLineEdit(parent), name);
    label->setBuddy(box);
    QString accessible = label->text();
    accessible.remove(u'&');
    if (accessible.endsWith(u':'))
        accessible.chop(1);
    box->setAccessibleName(accessible);
    return box;
}

} // namespace

frmClsidTool::frmClsidTool(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmClsidTool"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("CLSID Tool"));

    for (const char* key : {"shellext.default", "error.default", "action.default", "folder.closed", "folder.open",
                            "progfolder.closed", "regbinary.default", "regstring.default", "inf.default"})
        m_imlIcons.Add(QIcon(RenderPredefinedImage(QLatin1String(key), 16)), QLatin1String(key));

    // Widgets in on-screen order, which is the order Tab visits them.
    optGenerate = named(new QRadioButton(QStringLiteral("Generate CLSID"), this), "optGenerate");
    optQuery = named(new QRadioButton(QStringLiteral("Query CLSID"), this), "optQuery");
    auto* modes = new QButtonGroup(this);
    modes->addButton(optGenerate);
    modes->addButton(optQuery);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(optGenerate);
    modeRow->addWidget(optQuery);
    modeRow->addStretch(1);

    m_frames = new QStackedWidget(this);
    frameGenerate = makeGenerateFrame();
    frameQuery = makeQueryFrame();
    m_frames->addWidget(frameGenerate);
    m_frames->addWidget(frameQuery);

    picHelp = named(new QLabel(this), "picHelp");
    LinkLook::SetHelpPicture(picHelp);
    m_links = new LinkLook(this);
    m_links->watch(picHelp);
    btnClose = named(new QPushButton(QStringLiteral("Close"), this), "btnClose");
    btnClose->setToolTip(QStringLiteral("Close this window."));
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(picHelp);
    bottomRow->addStretch(1);
    bottomRow->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(modeRow);
    layout->addWidget(m_frames, 1);
    layout->addLayout(bottomRow);
    resize(520, 460);

    connect(optGenerate, &QRadioButton::toggled, this, &frmClsidTool::showFrame);
    connect(btnGenerate, &QPushButton::clicked, this, &frmClsidTool::btnGenerate_Click);
    connect(btnQuery, &QPushButton::clicked, this, [this] { QueryCLSID(txtClsid->text()); });
    connect(txtClsid, &QLineEdit::returnPressed, btnQuery, &QPushButton::click);
    connect(m_links, &LinkLook::clicked, this, [this] { OpenHelpTopic(this, QStringLiteral("other_clsid_tool.html")); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &QWidget::close);

    lblClsidInfo->setText(kClsidInfo);
    optGenerate->setChecked(true);
    showFrame();
}

QWidget* frmClsidTool::makeGenerateFrame()
{
    auto* frame = named(new QFrame(m_frames), "frameGenerate");
    btnGenerate = named(new QPushButton(QStringLiteral("Generate..."), frame), "btnGenerate");
    lblClsidNumber = named(new QLabel(QStringLiteral("CLSID Number:"), frame), "lblClsidNumber");
    txtClsidNumber = labelledBox(frame, lblClsidNumber, "txtClsidNumber");
    lblClsidString = named(new QLabel(QStringLiteral("CLSID String:"), frame), "lblClsidString");
    txtClsidString = labelledBox(frame, lblClsidString, "txtClsidString");
    // Read-only, but selectable and copyable: the identifier is made to be pasted elsewhere.
    for (QLineEdit* box : {txtClsidNumber, txtClsidString})
        box->setReadOnly(true);
    lblClsidInfo = named(new QLabel(frame), "lblClsidInfo");
    lblClsidInfo->setWordWrap(true);
    lblClsidInfo->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(btnGenerate, 0, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(lblClsidNumber, 1, 0);
    grid->addWidget(txtClsidNumber, 1, 1);
    grid->addWidget(lblClsidString, 2, 0);
    grid->addWidget(txtClsidString, 2, 1);
    grid->addWidget(lblClsidInfo, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
    return frame;
}

QWidget* frmClsidTool::makeQueryFrame()
{
    auto* frame = named(new QFrame(m_frames), "frameQuery");
    lblClsidQuery = named(new QLabel(QStringLiteral("CLSID:"), frame), "lblClsidQuery");
    txtClsid = labelledBox(frame, lblClsidQuery, "txtClsid");
    btnQuery = named(new QPushButton(QStringLiteral("Query..."), frame), "btnQuery");
    btnQuery->setToolTip(QStringLiteral("Query the specified CLSID."));
    tvwQuery = named(new QTreeWidget(frame), "tvwQuery");
    tvwQuery->setHeaderHidden(true);
    tvwQuery->setColumnCount(1);
    tvwQuery->setAccessibleName(QStringLiteral("CLSID information"));
    tvwQuery->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* row = new QHBoxLayout;
    row->addWidget(lblClsidQuery);
    row->addWidget(txtClsid, 1);
    row->addWidget(btnQuery);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(row);
    column->addWidget(tvwQuery, 1);
    return frame;
}

void frmClsidTool::showFrame()
{
    m_frames->setCurrentWidget(optGenerate->isChecked() ? frameGenerate : frameQuery);
}

void frmClsidTool::StartWithQuery(const QString& clsid)
{
    optQuery->setChecked(true);
    txtClsid->setText(clsid);
    QueryCLSID(clsid);
    show();
}

void frmClsidTool::btnGenerate_Click()
{
    const GeneratedClsid generated = GeneratedClsid::Generate();
    txtClsidNumber->setText(generated.number);
    txtClsidString->setText(generated.text);
}

void frmClsidTool::QueryCLSID(const QString& clsid)
{
    tvwQuery->clear();
    m_imlIcons.Remove(kCustomIcon);
    m_imlIcons.Remove(kToolBoxIcon);
    const ClsidQueryResult result = ClsidQuery::QueryCLSID(clsid);
    if (!result.isError()) {
        addQueryIcon(result.defaultIcon, kCustomIcon);
        addQueryIcon(result.toolBoxBitmap, kToolBoxIcon);
    }
    fillTree(result);
}

// The icon a location names, or the default icon when it names none.
void frmClsidTool::addQueryIcon(const QString& location, const QString& key)
{
    if (AddIcon(m_imlIcons, location, ICON_SMALL, key) == -1)
        AddIcon(m_imlIcons, kDefaultIconLocation, ICON_SMALL, key);
}

void frmClsidTool::fillTree(const ClsidQueryResult& result)
{
    std::unordered_map<QString, QTreeWidgetItem*> items;
    for (const ClsidQueryNode& node : result.nodes) {
        QTreeWidgetItem* item = nullptr;
        if (node.parentKey.isEmpty()) {
            item = new QTreeWidgetItem(tvwQuery);
        } else {
            const auto parent = items.find(node.parentKey);
            if (parent == items.end())
                continue;
            item = new QTreeWidgetItem(parent->second);
        }
        item->setText(0, node.text);
        item->setData(0, Qt::UserRole, node.key);
        item->setIcon(0, m_imlIcons.Image(node.image));
        items.emplace(node.key, item);
    }
    if (QTreeWidgetItem* root = nodeFromKey(QStringLiteral("Name")))
        root->setExpanded(true);
}

QTreeWidgetItem* frmClsidTool::nodeFromKey(const QString& key) const
{
    for (QTreeWidgetItemIterator it(tvwQuery); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString().compare(key, Qt::CaseInsensitive) == 0)
            return *it;
    return nullptr;
}
