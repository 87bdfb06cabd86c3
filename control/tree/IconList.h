#pragma once

#include "platform/shell/IconLocation.h"

#include <QPixmap>
#include <QString>

class ImageList;
class QLabel;
class QListWidget;
class WindowsPathMapper;

// Icons named by icon locations ("SHELL32.DLL,0", "\"C:\\x\\y.dll\",-3"): into an image list
// under a key, into a picture, or all icons of one file into a list. Paths are Windows paths of
// the prefix set with SetIconPrefix().

// Icon sizes.
inline constexpr qint16 ICON_SMALL = 1;
inline constexpr qint16 ICON_LARGE = 2;

// The fallback icon everywhere, drawn for items without an icon of their own and never written to
// the registry: the shell library's icon resource 1, its blank document. On Windows that is also
// index 0; Wine's library lists named groups first, so its index 0 is another picture.
inline const QString kDefaultIconLocation = QStringLiteral("SHELL32.DLL,-1");

// The Wine prefix whose files icon paths name; its environment comes from the current registry.
// An empty folder leaves only Varnook's own icon library.
void SetIconPrefix(const QString& prefixDir);

// How Windows paths of the prefix set with SetIconPrefix() become Linux paths and back (paths of
// the run's prefix are the same whether they name icons or programs). Without a prefix only Linux
// paths map. The reference holds until the next SetIconPrefix().
const WindowsPathMapper& PrefixPathMapper();

// Whether `location` names an icon that can be drawn.
bool HasIcon(const QString& location);

// Adds the icon of `location` in `size` to `imageList` under `key`. Returns the new number of
// images, or -1 when nothing was added (the key is taken, or no icon could be extracted).
long AddIcon(ImageList& imageList, const QString& location, qint16 size, const QString& key);

// The icon of `location` in `size`; the fallback icon when it has none (an empty location
// included); a null pixmap only when even that cannot be drawn.
QPixmap GetIcon(const QString& location, qint16 size);

// Shows GetIcon(location, size) in `picture`.
void SetIconPicture(const QString& location, qint16 size, QLabel* picture);

// Adds every icon of `file` to `imageList` (keys "I." followed by a blank and the index) and one
// item per icon to `list`; returns the number of images in the image list afterwards.
qint16 ListIcons(const QString& file, qint16 size, QListWidget* list, ImageList& imageList);
