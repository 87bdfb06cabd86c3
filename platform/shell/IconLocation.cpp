#include "platform/shell/IconLocation.h"

#include <cmath>

namespace {

// The number at the start of a text, as a numeric-prefix conversion reads it: blanks skipped,
// an optional sign, digits with an optional fraction; no digits give 0. Rounded half to even.
int leadingNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 0x80)
        ++i;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 0x80)
            ++i;
    }
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    if (!ok)
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded > 2147483647.0 || rounded < -2147483648.0)
        return 0;
    return static_cast<int>(rounded);
}

} // namespace

IconLocation ParseIconLocation(const QString& location)
{
    QString text = location;
    if (text.startsWith(u'"')) {
        const qsizetype close = text.indexOf(u'"', 1);
        if (close > 0 && close != text.size() - 1 && text.mid(close + 1).trimmed().startsWith(u',')) {
            // Only the path is quoted: "C:\x y\z.dll",3
            IconLocation parsed{text.mid(1, close - 1), 0};
            parsed.index = leadingNumber(text.mid(text.indexOf(u',', close) + 1));
            return parsed;
        }
        text = text.mid(1, text.size() - 2);
    }
    const qsizetype comma = text.indexOf(u',');
    if (comma < 0)
        return IconLocation{text, 0};
    return IconLocation{text.left(comma), leadingNumber(text.mid(comma + 1))};
}
