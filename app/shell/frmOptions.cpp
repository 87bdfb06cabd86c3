#include "app/shell/frmOptions.h"

#include "app/shell/Startup.h"
#include "app/shell/StartupFlags.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// Only a tick counts: a greyed box is off.
bool isOn(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

} // namespace

frmOptions::frmOptions(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Preferences"));

    auto* layout = new QVBoxLayout(this);
    chkLoadOnStartup = addOption(layout, "chkLoadOnStartup", QStringLiteral("Load file type information on startup."),
                                 QStringLiteral("If you select this file type information will be loaded from the "
                                                "registry when Varnook is started."));
    addRule(layout);
    chkLoadFull = addOption(layout, "chkLoadFull", QStringLiteral("Load all file type information during initial loading."),
                            QStringLiteral("If you do not select this actions and shell extension will only be loaded "
                                           "once you click on a file type. This can improve initial loading time a lot."));
    addRule(layout);
    chkRefreshOnSelect =
        addOption(layout, "chkRefreshOnSelect", QStringLiteral("Refresh file type information when selected."),
                  QStringLiteral("If you select this all file type information (including file extensions, actions and "
                                 "shell extensions) will be refreshed from the registry when you select a file type."));
    addRule(layout);
    chkShowSplash = addOption(layout, "chkShowSplash", QStringLiteral("Show splash screen while loading."),
                              QStringLiteral("Select this to display the Varnook splash screen while information is "
                                             "being loaded from the registry."));

    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    layout->addSpacing(style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing));
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOK, &QPushButton::clicked, this, &frmOptions::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmOptions::btnCancel_Click);

    loadFlags();
}

QCheckBox* frmOptions::addOption(QVBoxLayout* layout, const char* name, const QString& caption,
                                 const QString& explanation)
{
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QLatin1String(name));
    auto* label = new QLabel(explanation, this);
    label->setWordWrap(true);
    label->setFixedWidth(fontMetrics().averageCharWidth() * 60);
    // The explanation stands under the caption, not under the box.
    label->setContentsMargins(style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                                  style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing),
                              0, 0, 0);
    label->setBuddy(box);
    layout->addWidget(box);
    layout->addWidget(label);
    return box;
}

void frmOptions::addRule(QVBoxLayout* layout)
{
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);
}

void frmOptions::loadFlags()
{
    const StartupFlags& flags = StartupFlags::current();
    chkLoadOnStartup->setChecked(flags.LoadOnStartup);
    chkLoadFull->setChecked(flags.LoadFull);
    chkRefreshOnSelect->setChecked(flags.RefreshOnSelect);
    chkShowSplash->setChecked(flags.ShowSplash);
}

void frmOptions::btnOK_Click()
{
    SaveOptions({isOn(chkLoadOnStartup), isOn(chkLoadFull), isOn(chkRefreshOnSelect), isOn(chkShowSplash)});
    accept();
}

void frmOptions::btnCancel_Click()
{
    reject();
}
