#pragma once

#include <QString>

// An icon location as the registry holds it ("SHELL32.DLL,0", "\"C:\\x y\\z.dll\",-3"): the file
// and the icon index (index -1 counts, other negative numbers are resource IDs).
struct IconLocation {
    QString path;
    int index = 0;
};

// Splits a location into its file and icon index.
IconLocation ParseIconLocation(const QString& location);
