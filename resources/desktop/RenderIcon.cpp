// Build-time tool: renders an SVG into square PNG images, one per size, for the desktop's icon
// theme. Usage: RenderIcon <input.svg> <output-folder> <icon-name> <size>...
// Writes <output-folder>/<size>x<size>/<icon-name>.png for each size.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

bool renderOne(QSvgRenderer& renderer, int size, const QString& target)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(0, 0, size, size));
    }
    return QDir().mkpath(QFileInfo(target).absolutePath()) && image.save(target, "PNG");
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 5) {
        std::fputs("Usage: RenderIcon <input.svg> <output-folder> <icon-name> <size>...\n", stderr);
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QDir output(QString::fromLocal8Bit(argv[2]));
    QSvgRenderer renderer(input);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "RenderIcon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString name = QString::fromLocal8Bit(argv[3]) + QStringLiteral(".png");
    for (int i = 4; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 1 || size > 4096) {
            std::fprintf(stderr, "RenderIcon: bad size %s\n", argv[i]);
            return 2;
        }
        const QString target = output.filePath(QStringLiteral("%1x%1/%2").arg(size).arg(name));
        if (!renderOne(renderer, size, target)) {
            std::fprintf(stderr, "RenderIcon: cannot write %s\n", target.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
