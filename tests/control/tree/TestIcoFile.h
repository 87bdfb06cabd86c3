#pragma once

#include <QByteArray>
#include <QRgb>

// Icon files made by the tree tests: one colour each, so that a test can tell which file an
// image of the tree came from.
class TestIcoFile {
public:
    // An .ico file holding one icon in 16 and 32 pixels (PNG images), filled with `colour`.
    static QByteArray oneColour(QRgb colour);
};
