#pragma once

#include <QImage>

// The large and the small image of one icon; a null image where there is none.
struct IconPair {
    QImage large;
    QImage small;

    // Hands the images to ExtractIconEx-style out-parameters (either may be null) and returns how
    // many were made, the large and the small one counted separately.
    int deliver(QImage* largeOut, QImage* smallOut) const
    {
        int made = 0;
        if (largeOut) {
            *largeOut = large;
            made += large.isNull() ? 0 : 1;
        }
        if (smallOut) {
            *smallOut = small;
            made += small.isNull() ? 0 : 1;
        }
        return made;
    }
};
