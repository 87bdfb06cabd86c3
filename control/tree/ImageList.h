#pragma once

#include "control/records/CaseInsensitiveHash.h"

#include <QIcon>
#include <QString>

#include <unordered_map>
#include <vector>

// An ordered list of images, each at a 1-based position and optionally under a unique text key
// (compared without regard to letter case). The tree shows node images from it by key.
class ImageList {
public:
    int Count() const { return static_cast<int>(m_images.size()); }

    // Appends an image; returns its position (the new count), or -1 when the key is taken.
    int Add(const QIcon& image, const QString& key = QString());
    // Replaces the image at a position (1-based); false when there is none.
    bool Replace(int position, const QIcon& image);
    // The position of the image under `key`; 0 when none.
    int Index(const QString& key) const;
    bool Contains(const QString& key) const { return Index(key) != 0; }
    // Removes the image under `key`; the later images move up one position. False when none.
    bool Remove(const QString& key);

    QIcon Image(const QString& key) const;
    QIcon Image(int position) const;
    QString Key(int position) const;

private:
    struct Entry {
        QString key;
        QIcon image;
    };
    void reindexFrom(std::size_t first);

    std::vector<Entry> m_images;
    std::unordered_map<QString, std::size_t, CaseInsensitiveHash, CaseInsensitiveEqual> m_byKey;
};
