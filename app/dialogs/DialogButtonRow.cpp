#include "app/dialogs/DialogButtonRow.h"

#include "common/HelpTopic.h"
#include "common/LinkLook.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

DialogButtonRow::DialogButtonRow(QDialog& dialog, const QString& helpPage, std::initializer_list<Button> buttons)
{
    m_help = new QLabel(&dialog);
    m_help->setObjectName(QStringLiteral("picHelp"));
    LinkLook::SetHelpPicture(m_help);
    auto* links = new LinkLook(&dialog);
    links->watch(m_help);
    QObject::connect(links, &LinkLook::clicked, &dialog, [&dialog, helpPage] { OpenHelpTopic(&dialog, helpPage); });

    addWidget(m_help, 0, Qt::AlignLeft | Qt::AlignVCenter);
    addStretch(1);
    for (const Button& entry : buttons) {
        auto* button = new QPushButton(entry.caption, &dialog);
        button->setObjectName(QLatin1String(entry.name));
        button->setAutoDefault(false);
        addWidget(button);
        m_buttons << button;
    }
    // The buttons in their order, then the help picture.
    QWidget* previous = nullptr;
    for (QWidget* next : m_buttons) {
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    }
    if (previous)
        QWidget::setTabOrder(previous, m_help);
}
