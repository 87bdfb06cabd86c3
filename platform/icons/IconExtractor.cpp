#include "platform/icons/IconExtractor.h"

#include "platform/icons/IconImageDecoder.h"

#include <algorithm>

IconExtractor::IconExtractor(qint64 imageBudgetBytes)
    : m_images(qsizetype(std::max<qint64>(imageBudgetBytes / 1024, 1)))
{
}

int IconExtractor::extract(const QString& file, int index, QImage* large, QImage* small)
{
    QString version;
    const auto parsed = m_files.file(file, &version);
    if (!parsed)
        return 0;
    if (!large && !small)
        return index == -1 ? parsed->groupCount() : 0;

    const QString key = version + QLatin1Char('#') + QString::number(index);
    if (const IconPair* cached = m_images.object(key))
        return cached->deliver(large, small);

    const int group = index >= 0 ? (index < parsed->groupCount() ? index : -1) : parsed->groupWithId(-qint64(index));
    auto* pair = new IconPair;
    if (group >= 0)
        *pair = IconImageDecoder::decodeGroup(*parsed, group, kLargeSize, kSmallSize);
    const int made = pair->deliver(large, small);
    m_images.insert(key, pair, qsizetype((pair->large.sizeInBytes() + pair->small.sizeInBytes()) / 1024 + 1));
    return made;
}
