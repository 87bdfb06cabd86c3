#include "control/tree/frmSplash.h"

#include "control/tree/PredefinedImages.h"

#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 292;
constexpr int kArtworkHeight = 190;
constexpr int kMargin = 20;

// The artwork's own colours, so the window reads the same on light and dark desktops; the border
// takes the text colour.
const QColor kBackground(0xFF, 0xFF, 0xFF);
const QColor kText(0x26, 0x32, 0x3F);
const QColor kMutedText(0x5E, 0x6B, 0x78);

QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& geometry, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

} // namespace

frmSplash::frmSplash(QWidget* parent)
    : QFrame(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFrameStyle(QFrame::Box | QFrame::Plain);

    const int inner = kWidth - 2 * kMargin;
    picLogo = makeLabel(this, QStringLiteral("picLogo"), QRect(1, 1, kWidth - 2, kArtworkHeight));
    lblMsg = makeLabel(this, QStringLiteral("lblMsg"), QRect(kMargin, 200, inner, 22));
    lblInfoMsg = makeLabel(this, QStringLiteral("lblInfoMsg"), QRect(kMargin, 222, inner, 20));
    pbar = new QProgressBar(this);
    pbar->setObjectName(QStringLiteral("pbar"));
    pbar->setGeometry(kMargin, 248, inner, 12);
    pbar->setTextVisible(false);
    lblCurrent = makeLabel(this, QStringLiteral("lblCurrent"), QRect(kMargin, 263, inner / 2, 20));
    lblMax = makeLabel(this, QStringLiteral("lblMax"), QRect(kMargin + inner / 2, 263, inner - inner / 2, 20),
                       Qt::AlignRight);

    QPalette colours = palette();
    colours.setColor(QPalette::Window, kBackground);
    colours.setColor(QPalette::WindowText, kText);
    setPalette(colours);
    setAutoFillBackground(true);
    colours.setColor(QPalette::WindowText, kMutedText);
    for (QLabel* muted : {lblInfoMsg, lblCurrent, lblMax})
        muted->setPalette(colours);
    QFont bold = lblMsg->font();
    bold.setBold(true);
    lblMsg->setFont(bold);

    setFixedSize(kWidth, kHeight);
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - rect().center());
    picLogo->setPixmap(RenderArtwork(QStringLiteral(":/images/splash.svg"), picLogo->size(), devicePixelRatioF()));
    setMax(pbar->maximum());
    Update(pbar->minimum());
}

void frmSplash::setMax(int NewMax)
{
    pbar->setMaximum(NewMax);
    lblMax->setText(QString::number(NewMax));
}

void frmSplash::setMessage(const QString& Message)
{
    lblMsg->setText(Message);
}

void frmSplash::Update(int Current)
{
    if (Current >= pbar->minimum() && Current <= pbar->maximum())
        pbar->setValue(Current);
    lblCurrent->setText(QString::number(Current));
}

void frmSplash::setInfoMsg(const QString& Message)
{
    lblInfoMsg->setText(Message);
}
