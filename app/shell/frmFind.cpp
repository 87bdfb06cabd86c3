#include "app/shell/frmFind.h"

#include "common/HelpTopic.h"
#include "common/LinkLook.h"
#include "common/MessageBoxes.h"
#include "control/tree/Kestrow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <utility>

namespace {

// Only a tick counts.
bool isOn(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

} // namespace

frmFind::frmFind(Kestrow& control, ItemFinder& finder)
    : m_control(control)
    , m_finder(finder)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find..."));
    setModal(false);

    // The boxes are made in on-screen order, which is the order Tab visits them.
    auto* form = new QVBoxLayout;
    auto* findRow = new QHBoxLayout;
    auto* findLabel = new QLabel(QStringLiteral("Find What:"), this);
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setAccessibleName(QStringLiteral("Find what"));
    findLabel->setBuddy(txtFind);
    findRow->addWidget(findLabel);
    findRow->addWidget(txtFind, 1);
    form->addLayout(findRow);

    const QString items = QStringLiteral("Items:");
    QGridLayout* itemGrid = addGroup(form, items);
    chkType = addBox(itemGrid, "chkType", QStringLiteral("File Types"), items);
    chkExt = addBox(itemGrid, "chkExt", QStringLiteral("File Extensions"), items);
    chkAction = addBox(itemGrid, "chkAction", QStringLiteral("Actions"), items);
    chkShellExt = addBox(itemGrid, "chkShellExt", QStringLiteral("Shell Extensions"), items);

    const QString criteria = QStringLiteral("Criteria:");
    QGridLayout* criteriaGrid = addGroup(form, criteria);
    chkCritName = addBox(criteriaGrid, "chkCritName", QStringLiteral("Name"), criteria);
    chkCritInternalName = addBox(criteriaGrid, "chkCritInternalName", QStringLiteral("Internal Name"), criteria);
    chkCritExt = addBox(criteriaGrid, "chkCritExt", QStringLiteral("Extension"), criteria);
    chkCritCLSID = addBox(criteriaGrid, "chkCritCLSID", QStringLiteral("CLSID"), criteria);
    chkCritCommand = addBox(criteriaGrid, "chkCritCommand", QStringLiteral("Command"), criteria);
    chkCritInproc32 = addBox(criteriaGrid, "chkCritInproc32", QStringLiteral("Inproc32 Server"), criteria);

    auto* note = new QLabel(QStringLiteral("Note that this does not search in alphabetical order, but in the order in "
                                           "which the items were loaded from the registry."),
                            this);
    note->setObjectName(QStringLiteral("lblNote"));
    note->setWordWrap(true);
    // As wide as the boxes above it.
    note->setFixedWidth(form->sizeHint().width());
    form->addSpacing(style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing));
    form->addWidget(note);

    auto* buttons = new QVBoxLayout;
    btnFind = new QPushButton(QStringLiteral("Find Next"), this);
    btnFind->setObjectName(QStringLiteral("btnFind"));
    btnFind->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    picHelp = new QLabel(this);
    picHelp->setObjectName(QStringLiteral("picHelp"));
    LinkLook::SetHelpPicture(picHelp);
    m_links = new LinkLook(this);
    m_links->watch(picHelp);
    buttons->addWidget(btnFind);
    buttons->addWidget(btnCancel);
    buttons->addStretch(1);
    buttons->addWidget(picHelp, 0, Qt::AlignRight | Qt::AlignBottom);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (QCheckBox* box : {chkType, chkExt, chkAction, chkShellExt})
        connect(box, &QCheckBox::toggled, this, &frmFind::SetCriterias);
    connect(btnFind, &QPushButton::clicked, this, &frmFind::btnFind_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmFind::reject);
    connect(m_links, &LinkLook::clicked, this, [this] { OpenHelpTopic(this, QStringLiteral("other_find.html")); });

    SetCriterias();
}

QGridLayout* frmFind::addGroup(QVBoxLayout* form, const QString& caption)
{
    form->addSpacing(style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing));
    auto* label = new QLabel(caption, this);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    form->addWidget(label);
    // The boxes stand indented under their caption, in two columns.
    const int indent = style()->pixelMetric(QStyle::PM_IndicatorWidth);
    auto* grid = new QGridLayout;
    grid->setContentsMargins(indent, 0, 0, 0);
    grid->setHorizontalSpacing(indent * 2);
    form->addLayout(grid);
    return grid;
}

QCheckBox* frmFind::addBox(QGridLayout* grid, const char* name, const QString& caption, const QString& group)
{
    // Filled row by row.
    const int index = grid->count();
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(group + u' ' + caption);
    grid->addWidget(box, index / 2, index % 2);
    return box;
}

void frmFind::SetCriterias()
{
    const FindCriteria enabled = ItemFinder::EnabledCriteria(request().items);
    const std::pair<QCheckBox*, FindCriterion> boxes[] = {
        {chkCritName, FindCriterion::Name},   {chkCritInternalName, FindCriterion::InternalName},
        {chkCritExt, FindCriterion::Extension}, {chkCritCLSID, FindCriterion::CLSID},
        {chkCritCommand, FindCriterion::Command}, {chkCritInproc32, FindCriterion::Inproc32}};
    for (const auto& [box, criterion] : boxes)
        box->setEnabled(enabled.testFlag(criterion));
}

FindRequest frmFind::request() const
{
    FindRequest request{txtFind->text(), {}, {}};
    request.items.setFlag(FindItem::FileType, isOn(chkType));
    request.items.setFlag(FindItem::FileExtension, isOn(chkExt));
    request.items.setFlag(FindItem::Action, isOn(chkAction));
    request.items.setFlag(FindItem::ShellExtension, isOn(chkShellExt));
    // A tick counts while its box is disabled, too.
    request.criteria.setFlag(FindCriterion::Name, isOn(chkCritName));
    request.criteria.setFlag(FindCriterion::InternalName, isOn(chkCritInternalName));
    request.criteria.setFlag(FindCriterion::Extension, isOn(chkCritExt));
    request.criteria.setFlag(FindCriterion::CLSID, isOn(chkCritCLSID));
    request.criteria.setFlag(FindCriterion::Command, isOn(chkCritCommand));
    request.criteria.setFlag(FindCriterion::Inproc32, isOn(chkCritInproc32));
    return request;
}

void frmFind::btnFind_Click()
{
    const FindRequest asked = request();
    if (!asked.items) {
        ShowInfo(QStringLiteral("You have to select at least one item to find."));
        return;
    }
    if (!asked.criteria) {
        ShowInfo(QStringLiteral("You have to select at least one search criteria."));
        return;
    }
    const auto found = m_finder.FindNext(m_control.core(), asked);
    if (!found) {
        ShowInfo(QStringLiteral("Nothing found.\r\n\r\nTo continue searching from the top click 'Find Next'."));
        return;
    }
    KestrowNode* node = m_control.GetNodeFromKey(found->Key());
    m_control.SelectNode(node);
    m_control.window()->activateWindow();
    m_control.tvwData()->setFocus(Qt::OtherFocusReason);
    emit itemFound(node);
}

void frmFind::done(int result)
{
    // The next showing starts empty; the finder keeps its place.
    clearChoices();
    QDialog::done(result);
}

void frmFind::clearChoices()
{
    txtFind->clear();
    for (QCheckBox* box : findChildren<QCheckBox*>())
        box->setChecked(false);
    txtFind->setFocus(Qt::OtherFocusReason);
}
