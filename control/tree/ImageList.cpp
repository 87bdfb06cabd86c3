#include "control/tree/ImageList.h"

int ImageList::Add(const QIcon& image, const QString& key)
{
    if (!key.isEmpty()) {
        if (m_byKey.find(key) != m_byKey.end())
            return -1;
        m_byKey.emplace(key, m_images.size());
    }
    m_images.push_back(Entry{key, image});
    return Count();
}

bool ImageList::Replace(int position, const QIcon& image)
{
    if (position < 1 || position > Count())
        return false;
    m_images[static_cast<std::size_t>(position - 1)].image = image;
    return true;
}

int ImageList::Index(const QString& key) const
{
    auto it = m_byKey.find(key);
    return it == m_byKey.end() ? 0 : static_cast<int>(it->second) + 1;
}

bool ImageList::Remove(const QString& key)
{
    auto it = m_byKey.find(key);
    if (it == m_byKey.end())
        return false;
    const std::size_t at = it->second;
    m_byKey.erase(it);
    m_images.erase(m_images.begin() + static_cast<std::ptrdiff_t>(at));
    reindexFrom(at);
    return true;
}

void ImageList::reindexFrom(std::size_t first)
{
    for (std::size_t i = first; i < m_images.size(); ++i)
        if (!m_images[i].key.isEmpty())
            m_byKey[m_images[i].key] = i;
}

QIcon ImageList::Image(const QString& key) const
{
    return Image(Index(key));
}

QIcon ImageList::Image(int position) const
{
    if (position < 1 || position > Count())
        return QIcon();
    return m_images[static_cast<std::size_t>(position - 1)].image;
}

QString ImageList::Key(int position) const
{
    if (position < 1 || position > Count())
        return QString();
    return m_images[static_cast<std::size_t>(position - 1)].key;
}
