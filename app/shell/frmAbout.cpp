#include "app/shell/frmAbout.h"

#include "app/shell/Startup.h"
#include "common/LinkLook.h"
#include "common/MessageBoxes.h"
#include "control/tree/Kestrow.h"
#include "platform/shell/UiSeams.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>
#include <QSvgRenderer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const char* const kWebSiteUrl = "https://varnook.org/";
const char* const kArtworkUrl = "https://varnook.org/artwork";
constexpr int kArtworkSide = 112;

// The artwork is drawn from its vector source at the screen's pixel density, so it stays sharp.
QPixmap artwork(qreal pixelRatio)
{
    QSvgRenderer renderer(QStringLiteral(":/images/varnook.svg"));
    QPixmap pixmap(QSize(kArtworkSide, kArtworkSide) * pixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(pixelRatio);
    return pixmap;
}

// The licence with each paragraph on one line, so that the box wraps it to its own width; blank
// lines between paragraphs are Windows line breaks, as in the other boxes.
QString licenseText()
{
    QFile file(QStringLiteral(":/LICENSE"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    static const QRegularExpression blankLine(QStringLiteral("\\n\\s*\\n"));
    QStringList paragraphs = QString::fromUtf8(file.readAll()).split(blankLine, Qt::SkipEmptyParts);
    for (QString& paragraph : paragraphs)
        paragraph = paragraph.simplified();
    paragraphs.removeAll(QString());
    return paragraphs.join(QStringLiteral("\r\n\r\n"));
}

} // namespace

frmAbout::frmAbout(Kestrow& control, QWidget* parent)
    : QDialog(parent)
    , m_control(control)
    , m_links(new LinkLook(this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));

    picArtwork = new QLabel(this);
    picArtwork->setObjectName(QStringLiteral("picArtwork"));
    picArtwork->setPixmap(artwork(devicePixelRatioF()));
    picArtwork->setAccessibleName(QStringLiteral("Varnook artwork"));

    lblTitle = new QLabel(QStringLiteral("Varnook "), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setFont(QFont(QStringLiteral("Arial"), 12, QFont::Bold));

    lblVersionNumber = new QLabel(QStringLiteral("Version 2"), this);
    lblVersionNumber->setObjectName(QStringLiteral("lblVersionNumber"));

    lblArtworkBy = new QLabel(QStringLiteral("Artwork by"), this);
    lblArtworkBy->setObjectName(QStringLiteral("lblArtworkBy"));
    lblArtist = addLink("lblArtist", QStringLiteral("The Varnook developers"), QLatin1String(kArtworkUrl),
                        QStringLiteral("Artwork by The Varnook developers"));
    lblWebSite = addLink("lblWebSite", QLatin1String(kWebSiteUrl), QStringLiteral("Visit the Varnook web site."),
                         QStringLiteral("Varnook web site"));
    lblLicense = addLink("lblLicense", QStringLiteral("License"), QStringLiteral("Show the license."),
                         QStringLiteral("License"));
    lblVersion = addLink("lblVersion", QStringLiteral("Version Info"),
                         QStringLiteral("Show the versions of Varnook and of the Kestrow control."),
                         QStringLiteral("Version Info"));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);

    auto* artistRow = new QHBoxLayout;
    artistRow->addStretch();
    artistRow->addWidget(lblArtworkBy);
    artistRow->addWidget(lblArtist);
    artistRow->addStretch();
    auto* infoRow = new QHBoxLayout;
    infoRow->addStretch();
    infoRow->addWidget(lblLicense);
    infoRow->addSpacing(fontMetrics().averageCharWidth() * 4);
    infoRow->addWidget(lblVersion);
    infoRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const int side = fontMetrics().averageCharWidth() * 4;
    layout->setContentsMargins(side, layout->contentsMargins().top(), side, layout->contentsMargins().bottom());
    layout->addWidget(picArtwork, 0, Qt::AlignHCenter);
    layout->addWidget(lblTitle, 0, Qt::AlignHCenter);
    layout->addWidget(lblVersionNumber, 0, Qt::AlignHCenter);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addLayout(artistRow);
    layout->addWidget(lblWebSite, 0, Qt::AlignHCenter);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addLayout(infoRow);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(cmdOK, 0, Qt::AlignHCenter);

    // Tab goes through the links in reading order; OK has the focus, so Enter closes the box.
    setTabOrder(lblArtist, lblWebSite);
    setTabOrder(lblWebSite, lblLicense);
    setTabOrder(lblLicense, lblVersion);
    setTabOrder(lblVersion, cmdOK);
    cmdOK->setFocus();

    connect(m_links, &LinkLook::clicked, this, &frmAbout::link_Click);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

QLabel* frmAbout::addLink(const char* name, const QString& text, const QString& toolTip, const QString& accessibleName)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setAccessibleName(accessibleName);
    LinkLook::SetLabelStyle(label, toolTip);
    m_links->watch(label);
    return label;
}

void frmAbout::link_Click(QLabel* label)
{
    // A web page the desktop cannot open is not worth a message in an About box.
    if (label == lblArtist)
        UiSeams::openUrl(QUrl(QLatin1String(kArtworkUrl)));
    else if (label == lblWebSite)
        UiSeams::openUrl(QUrl(QLatin1String(kWebSiteUrl)));
    else if (label == lblLicense)
        lblLicense_Click();
    else if (label == lblVersion)
        lblVersion_Click();
}

void frmAbout::lblVersion_Click()
{
    const QStringList lines{QStringLiteral("Varnook"), QStringLiteral("Version ") + ProgramVersion(), QString(),
                            QStringLiteral("Kestrow Control"), QStringLiteral("Version ") + m_control.GetVersionString()};
    ShowInfo(lines.join(QStringLiteral("\r\n")), QStringLiteral("Version Information"));
}

void frmAbout::lblLicense_Click()
{
    ShowInfo(licenseText(), QStringLiteral("License"));
}
