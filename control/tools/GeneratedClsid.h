#pragma once

#include "platform/shell/Guid.h"

#include <QString>

// A new class identifier as the CLSID tool shows it.
struct GeneratedClsid {
    QString number; // the sixteen bytes in memory order, each in decimal, joined without separators
    QString text;   // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" of the same bytes

    static GeneratedClsid FromBytes(const GuidBytes& bytes);
    // A fresh identifier from the system's GUID generator.
    static GeneratedClsid Generate();
};
