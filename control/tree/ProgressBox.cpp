#include "control/tree/ProgressBox.h"

#include <QCloseEvent>
#include <QFontInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include <cmath>
#include <initializer_list>

namespace {

constexpr int kWidth = 380;
constexpr int kMargin = 12;
constexpr int kLineHeight = 20;

QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& geometry, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

QString counterText(int current, int maximum)
{
    return QStringLiteral("%1   out of   %2").arg(current).arg(maximum);
}

// Worked out in single precision and rounded down, so 29 of 100 reads 29 and 2 of 3 reads 66. A
// maximum of 0 has no fraction to show and reads 0. Formatting the floored value, rather than
// converting it to int, keeps a huge ratio from overflowing.
QString percentText(int current, int maximum)
{
    const float percent = maximum == 0 ? 0.0f : float(current) / float(maximum) * 100.0f;
    return u' ' + QString::number(std::floor(percent), 'f', 0) + QStringLiteral(" %");
}

} // namespace

ProgressBox::ProgressBox(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("ProgressBox"));

    // The message layout shows this label alone over the area the progress widgets use.
    lblBigMesg = makeLabel(this, QStringLiteral("lblBigMesg"),
                           QRect(kMargin, 8, kWidth - 2 * kMargin, MessageLayoutHeight - 16));
    lblBigMesg->setWordWrap(true);
    QFont bigFont = lblBigMesg->font();
    bigFont.setPixelSize(QFontInfo(bigFont).pixelSize() * 115 / 100);
    bigFont.setBold(true);
    lblBigMesg->setFont(bigFont);

    lblMesg = makeLabel(this, QStringLiteral("lblMesg"), QRect(kMargin, 12, 270, kLineHeight));
    lblPercent = makeLabel(this, QStringLiteral("lblPercent"), QRect(kWidth - kMargin - 80, 12, 80, kLineHeight),
                           Qt::AlignRight);
    barProgress = new QProgressBar(this);
    barProgress->setObjectName(QStringLiteral("barProgress"));
    barProgress->setGeometry(kMargin, 36, kWidth - 2 * kMargin, 18);
    barProgress->setTextVisible(false);
    lblProgressMesg = makeLabel(this, QStringLiteral("lblProgressMesg"), QRect(kMargin, 62, 130, kLineHeight));
    lblProgress = makeLabel(this, QStringLiteral("lblProgress"), QRect(kMargin + 130, 62, 226, kLineHeight));
    // Starts below the message layout's height, so that layout cuts it off.
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(kWidth - kMargin - 96, MessageLayoutHeight + 1, 96, 26);

    connect(btnCancel, &QPushButton::clicked, this, &ProgressBox::btnCancel_Click);

    setFixedWidth(kWidth);
    btnCancel->setText(QStringLiteral("Cancel"));
    lblProgressMesg->setText(QStringLiteral("Entries processed:"));
    HideMessage();
    setMin(0);
    barProgress->setValue(m_MinItem);
    setMax(1);
    lblPercent->setText(percentText(m_MinItem, barProgress->maximum()));
    lblProgress->setText(counterText(m_MinItem, m_MaxItem));
    lblMesg->setText(QStringLiteral("Loading..."));
}

void ProgressBox::HideCancelButton()
{
    setFixedHeight(MessageLayoutHeight);
}

void ProgressBox::ShowCancelButton()
{
    setFixedHeight(ProgressLayoutHeight);
}

void ProgressBox::setMin(int MinItem)
{
    m_MinItem = MinItem;
    barProgress->setMinimum(MinItem);
}

void ProgressBox::setMax(int MaxItem)
{
    m_MaxItem = MaxItem;
    barProgress->setMaximum(MaxItem);
}

void ProgressBox::Update(int Current)
{
    barProgress->setValue(Current);
    lblPercent->setText(percentText(Current, barProgress->maximum()));
    lblProgress->setText(counterText(Current, m_MaxItem));
}

void ProgressBox::DisplayMessage(const QString& Message)
{
    HideCancelButton();
    setProgressWidgetsVisible(false);
    lblBigMesg->setText(Message);
    lblBigMesg->setVisible(true);
}

void ProgressBox::HideMessage()
{
    setProgressWidgetsVisible(true);
    lblBigMesg->setVisible(false);
    ShowCancelButton();
}

void ProgressBox::showEvent(QShowEvent* event)
{
    // A show by the caller starts a new operation; the window system re-showing it does not.
    if (!event->spontaneous())
        m_cancelCode = 0;
    QWidget::showEvent(event);
}

void ProgressBox::closeEvent(QCloseEvent* event)
{
    // Only the caller closes the box: closed by the user, it would take Cancel away while the
    // operation goes on behind a disabled main window.
    if (event->spontaneous())
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void ProgressBox::btnCancel_Click()
{
    m_cancelCode = CancelledByUser;
}

// "Entries processed:" belongs to the counter and goes with it.
void ProgressBox::setProgressWidgetsVisible(bool visible)
{
    const std::initializer_list<QWidget*> widgets{barProgress, lblMesg, lblProgress, lblProgressMesg, lblPercent,
                                                  btnCancel};
    for (QWidget* widget : widgets)
        widget->setVisible(visible);
}
