#include "control/tree/PredefinedImages.h"

#include <QPainter>
#include <QSvgRenderer>

const QStringList& PredefinedImageKeys()
{
    static const QStringList keys{
        QStringLiteral("exclamation.default"), QStringLiteral("orphaned.default"),
        QStringLiteral("cdrom.default"),       QStringLiteral("controlfolder.closed"),
        QStringLiteral("drive.default"),       QStringLiteral("docfolder.closed"),
        QStringLiteral("action.default"),      QStringLiteral("shellext.default"),
        QStringLiteral("favfolder.closed"),    QStringLiteral("folder.closed"),
        QStringLiteral("folder.open"),         QStringLiteral("globe.default"),
        QStringLiteral("help.default"),        QStringLiteral("printer.default"),
        QStringLiteral("progfolder.closed"),   QStringLiteral("search.default"),
        QStringLiteral("inf.default"),         QStringLiteral("stop.default"),
        QStringLiteral("go.default"),          QStringLiteral("error.default"),
        QStringLiteral("regbinary.default"),   QStringLiteral("regstring.default"),
    };
    return keys;
}

QString PredefinedImagePath(const QString& key)
{
    return QStringLiteral(":/images/predefined/") + key + QStringLiteral(".svg");
}

QPixmap RenderPredefinedImage(const QString& key, int size)
{
    if (!PredefinedImageKeys().contains(key))
        return {};
    return RenderArtwork(PredefinedImagePath(key), QSize(size, size));
}

QPixmap RenderArtwork(const QString& path, const QSize& size, qreal devicePixelRatio)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid() || size.isEmpty())
        return {};
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}
