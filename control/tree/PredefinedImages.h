#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

// The images the tree's image list starts with, and the drawing of the library's artwork.

// The keys of the predefined images in list order: key i goes to position i + 1.
const QStringList& PredefinedImageKeys();

// The resource holding the drawing of a predefined image (":/images/predefined/<key>.svg").
QString PredefinedImagePath(const QString& key);

// The predefined image of `key`, `size` pixels square; a null pixmap when `key` is not predefined.
QPixmap RenderPredefinedImage(const QString& key, int size);

// An SVG drawing of the library at `size` device-independent pixels, sharp at `devicePixelRatio`; a
// null pixmap when `path` holds no drawing.
QPixmap RenderArtwork(const QString& path, const QSize& size, qreal devicePixelRatio = 1.0);
