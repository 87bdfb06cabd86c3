#pragma once

#include "platform/icons/IconFileCache.h"
#include "platform/icons/IconPair.h"

#include <QCache>
#include <QImage>
#include <QString>

// Icons of files, with the rules of ExtractIconEx: an .ico file holds one icon, a PE image one per
// icon group. Files are parsed once (IconFileCache) and the images made for an icon are kept, so
// asking again for the same icon costs a file status check.
class IconExtractor {
public:
    explicit IconExtractor(qint64 imageBudgetBytes = kDefaultImageBudget);

    // `file` is a Linux path. With index -1 and both outputs null: the number of icons in the file.
    // Index >= 0: the icon at that position (PE images: named groups first, then IDs ascending, as
    // the resource directory lists them); index < 0: the group with resource ID -index. Fills
    // the large (kLargeSize) and the small (kSmallSize) image where asked and returns how many
    // images it made; 0 when the file is missing, unreadable or has no such icon.
    int extract(const QString& file, int index, QImage* large, QImage* small);

    IconFileCache& files() { return m_files; }

    static constexpr int kLargeSize = 32;
    static constexpr int kSmallSize = 16;
    static constexpr qint64 kDefaultImageBudget = 8 * 1024 * 1024;

private:
    IconFileCache m_files;
    QCache<QString, IconPair> m_images; // key: file version and index; cost in KiB
};
