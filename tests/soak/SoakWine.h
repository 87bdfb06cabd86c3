#pragma once

#include <QString>

// Wine's own view of a prefix the soak changed.
class SoakWine {
public:
    static bool available();
    // The text of `wine reg export HKLM\Software\Classes` in the prefix; empty, with `error` set,
    // when Wine could not export it. The wineserver it starts is stopped before this returns.
    static QString exportClasses(const QString& prefixDir, QString& error);
};
