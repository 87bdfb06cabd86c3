#include "platform/icons/StandInIconLibrary.h"

#include "platform/icons/IconExtractor.h"

#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>

StandInIconLibrary::StandInIconLibrary(QString folder)
    : m_folder(std::move(folder))
{
}

QString StandInIconLibrary::defaultFolder()
{
    return QStringLiteral(":/images/shell32");
}

QString StandInIconLibrary::fileOf(int index) const
{
    return m_folder + QLatin1Char('/') + QString::number(index) + QLatin1String(".svg");
}

int StandInIconLibrary::count() const
{
    if (m_count < 0) {
        m_count = 0;
        while (QFileInfo::exists(fileOf(m_count)))
            ++m_count;
    }
    return m_count;
}

int StandInIconLibrary::extract(int index, QImage* large, QImage* small)
{
    if (!large && !small)
        return index == -1 ? count() : 0;
    const qint64 position = index >= 0 ? qint64(index) : -qint64(index) - 1;
    if (position >= count())
        return 0;
    const int icon = int(position);
    auto rendered = m_rendered.constFind(icon);
    if (rendered == m_rendered.cend()) {
        const QString file = fileOf(icon);
        rendered = m_rendered.insert(icon, {render(file, IconExtractor::kLargeSize), render(file, IconExtractor::kSmallSize)});
    }
    return rendered->deliver(large, small);
}

QImage StandInIconLibrary::render(const QString& svgFile, int size)
{
    QSvgRenderer renderer(svgFile);
    if (!renderer.isValid())
        return {};
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return image;
}
