#include "control/tree/IconList.h"

#include "common/Trace.h"
#include "control/tree/ImageList.h"
#include "platform/RunContext.h"
#include "platform/icons/IconResolver.h"
#include "platform/shell/PrefixEnvironment.h"
#include "platform/shell/WindowsPathMapper.h"

#include <QCoreApplication>
#include <QHash>
#include <QLabel>
#include <QListWidget>

#include <memory>

namespace {

constexpr int kTrace = 700;
constexpr qsizetype kMaxSharedPixmaps = 1024;

// What icon extraction keeps for a run: the resolver of the prefix's paths and the pixmaps shared
// by the types that show one icon of a library.
struct IconState {
    std::unique_ptr<IconResolver> resolver;
    QHash<qint64, QPixmap> converted; // by the cache key of the extracted image
};

IconState& iconState()
{
    return RunContext::current().state<IconState>();
}

IconResolver& resolver()
{
    auto& slot = iconState().resolver;
    if (!slot)
        slot = std::make_unique<IconResolver>(WindowsPathMapper(QString(), PrefixEnvironment()));
    return *slot;
}

// The icon of `size` at a parsed location, decoding only that size; false when there is none.
bool extractOne(const IconLocation& parsed, qint16 size, QPixmap& image)
{
    QImage extracted;
    const bool large = size == ICON_LARGE;
    if (resolver().extract(parsed.path, parsed.index, large ? &extracted : nullptr, large ? nullptr : &extracted) < 1)
        return false;
    // Thousands of types show one icon of a library: while the extractor hands out the same image,
    // they share one pixmap instead of converting a copy each.
    QHash<qint64, QPixmap>& converted = iconState().converted;
    if (const auto it = converted.constFind(extracted.cacheKey()); it != converted.constEnd()) {
        image = *it;
        return true;
    }
    if (converted.size() >= kMaxSharedPixmaps)
        converted.clear();
    image = QPixmap::fromImage(extracted);
    converted.insert(extracted.cacheKey(), image);
    return true;
}

} // namespace

void SetIconPrefix(const QString& prefixDir)
{
    iconState().resolver = std::make_unique<IconResolver>(
        WindowsPathMapper(prefixDir, prefixDir.isEmpty() ? PrefixEnvironment() : PrefixEnvironment::fromRegistry()));
}

const WindowsPathMapper& PrefixPathMapper()
{
    return resolver().mapper();
}

bool HasIcon(const QString& location)
{
    const IconLocation parsed = ParseIconLocation(location);
    QImage small;
    return !parsed.path.isEmpty() && resolver().extract(parsed.path, parsed.index, nullptr, &small) >= 1;
}

long AddIcon(ImageList& imageList, const QString& location, qint16 size, const QString& key)
{
    if (imageList.Contains(key))
        return -1;
    const IconLocation parsed = ParseIconLocation(location);
    if (parsed.path.isEmpty() && !location.contains(u','))
        return -1;
    QPixmap image;
    if (!extractOne(parsed, size, image) || image.isNull())
        return -1;
    const int position = imageList.Add(QIcon(image), key);
    TraceEvent(QStringLiteral("AddIcon"),
               [&] { return QStringLiteral("added icon %1: %2").arg(position).arg(location); }, kTrace);
    return position;
}

QPixmap GetIcon(const QString& location, qint16 size)
{
    TraceEvent(QStringLiteral("GetIcon"), [&] { return QStringLiteral("getting icon: ") + location; }, kTrace);
    const QString used = location.trimmed().isEmpty() ? kDefaultIconLocation : location;
    const IconLocation parsed = ParseIconLocation(used);
    QPixmap image;
    if (!extractOne(parsed, size, image)) {
        if (used != kDefaultIconLocation)
            return GetIcon(kDefaultIconLocation, size);
        return QPixmap();
    }
    return image;
}

void SetIconPicture(const QString& location, qint16 size, QLabel* picture)
{
    picture->setPixmap(GetIcon(location, size));
}

qint16 ListIcons(const QString& file, qint16 size, QListWidget* list, ImageList& imageList)
{
    TraceEvent(QStringLiteral("ListIcons"),
               [&] { return QStringLiteral("listing icons for ") + list->objectName(); }, kTrace);
    const int count = resolver().extract(ParseIconLocation(file).path, -1, nullptr, nullptr);
    for (int i = 0; i < count; ++i) {
        QCoreApplication::processEvents();
        const QString number = QStringLiteral(" %1").arg(i);
        const QString key = QStringLiteral("I.") + number;
        AddIcon(imageList, file + u',' + number, size, key);
        auto* item = new QListWidgetItem(imageList.Image(key), QString::number(i), list);
        item->setData(Qt::UserRole, key);
    }
    return static_cast<qint16>(imageList.Count());
}
