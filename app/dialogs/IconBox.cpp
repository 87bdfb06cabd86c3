#include "app/dialogs/IconBox.h"

#include "app/dialogs/BrowseForFile.h"
#include "control/records/ErrorNumbers.h"
#include "control/tree/IconList.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

IconBox::IconBox(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("IconBox"));
    setWindowTitle(QStringLiteral("Select Icon..."));

    lblFile = new QLabel(QStringLiteral("File Name:"), this);
    fldFile = new QLineEdit(this);
    fldFile->setObjectName(QStringLiteral("fldFile"));
    fldFile->setToolTip(QStringLiteral("The Name of the Icon File currently being viewed."));
    fldFile->setAccessibleName(QStringLiteral("File Name"));
    lblFile->setBuddy(fldFile);
    btnBrowse = new QPushButton(QStringLiteral("Browse"), this);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    btnBrowse->setToolTip(QStringLiteral("Click here to browse for an Icon File."));

    lblIcons = new QLabel(QStringLiteral("Available Icons:"), this);
    lstIcons = new QListWidget(this);
    lstIcons->setObjectName(QStringLiteral("lstIcons"));
    lstIcons->setAccessibleName(QStringLiteral("Available Icons"));
    lblIcons->setBuddy(lstIcons);
    lstIcons->setViewMode(QListView::IconMode);
    lstIcons->setMovement(QListView::Static);
    lstIcons->setResizeMode(QListView::Adjust);
    lstIcons->setSelectionMode(QAbstractItemView::SingleSelection);
    lstIcons->setIconSize(QSize(32, 32));
    lstIcons->setGridSize(QSize(64, 64));
    lstIcons->setUniformItemSizes(true);
    lstIcons->setMinimumSize(64 * 6 + 24, 64 * 4 + 8);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // No default button: Enter in fldFile reloads the icons and must not close the window.
    for (QPushButton* button : {btnBrowse, btnOK, btnCancel})
        button->setAutoDefault(false);

    auto* fileRow = new QGridLayout;
    fileRow->addWidget(lblFile, 0, 0);
    fileRow->addWidget(fldFile, 0, 1);
    fileRow->addWidget(btnBrowse, 0, 2);
    fileRow->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(lblIcons);
    layout->addWidget(lstIcons, 1);
    layout->addLayout(buttons);

    setTabOrder(fldFile, btnBrowse);
    setTabOrder(btnBrowse, lstIcons);
    setTabOrder(lstIcons, btnOK);
    setTabOrder(btnOK, btnCancel);

    connect(fldFile, &QLineEdit::textEdited, this, [this] { m_changed = true; });
    connect(fldFile, &QLineEdit::returnPressed, this, &IconBox::fldFile_ReturnPressed);
    connect(btnBrowse, &QPushButton::clicked, this, &IconBox::btnBrowse_Click);
    connect(lstIcons, &QListWidget::itemSelectionChanged, this, &IconBox::updateButtons);
    connect(lstIcons, &QListWidget::itemDoubleClicked, this, &IconBox::btnOK_Click);
    connect(btnOK, &QPushButton::clicked, this, &IconBox::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &IconBox::btnCancel_Click);

    updateButtons();
}

void IconBox::Initialize(const QString& iconPath)
{
    if (iconPath.isEmpty()) {
        btnBrowse_Click();
        return;
    }
    const IconLocation location = ParseIconLocation(iconPath);
    LoadIcons(location.path, ICON_LARGE);
    // The icon the type has now is the one chosen until the user picks another.
    if (location.index >= 0 && location.index < lstIcons->count()) {
        lstIcons->setCurrentRow(location.index);
        lstIcons->scrollToItem(lstIcons->currentItem());
    }
}

void IconBox::LoadIcons(const QString& iconPath, qint16 iconSize)
{
    if (m_listing)
        return;
    m_listing = true;
    // The box names the file being listed, so that a choice made meanwhile names the right file.
    if (fldFile->text() != iconPath)
        fldFile->setText(iconPath);
    m_changed = false;
    m_listedFile = iconPath;
    lstIcons->clear();
    imlIcons = ImageList();
    ListIcons(iconPath, iconSize, lstIcons, imlIcons);
    m_listing = false;
    updateButtons();
}

QString IconBox::GetSelectedIconPath() const
{
    const QList<QListWidgetItem*> selected = lstIcons->selectedItems();
    if (selected.isEmpty())
        return QString();
    return m_listedFile + u',' + selected.first()->text();
}

void IconBox::btnBrowse_Click()
{
    if (m_listing)
        return;
    const QString file = BrowseForFile(this, QStringLiteral("Open Icon File..."),
                                       QStringLiteral("Icon File (*.ico)|*.ico|Application (*.exe)|*.exe|Application "
                                                      "Extension (*.dll)|*.dll|All Files (*.*)|*.*"),
                                       fldFile->text());
    if (!file.isEmpty())
        LoadIcons(file, ICON_LARGE);
}

void IconBox::fldFile_ReturnPressed()
{
    if (m_changed && !m_listing)
        LoadIcons(fldFile->text(), ICON_LARGE);
}

void IconBox::updateButtons()
{
    // Without a chosen icon there is nothing to return.
    btnOK->setEnabled(!lstIcons->selectedItems().isEmpty());
}

void IconBox::btnOK_Click()
{
    if (GetSelectedIconPath().isEmpty())
        return;
    done(int(kResultAccepted));
}

void IconBox::btnCancel_Click()
{
    done(int(kResultCancelled));
}

void IconBox::done(int result)
{
    // Escape and the close box reject with 0: for the caller that is a Cancel.
    QDialog::done(result == int(kResultAccepted) ? result : int(kResultCancelled));
}
