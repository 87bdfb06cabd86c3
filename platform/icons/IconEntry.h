#pragma once

#include <QtGlobal>

// Where one image of an icon group lies in its file. What the image is (size, depth, format)
// is read from the image data itself: directory entries are often wrong about it.
struct IconEntry {
    qint64 offset = 0;
    qint64 size = 0; // bytes present in the file
};
