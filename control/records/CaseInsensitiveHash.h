#pragma once

#include <QChar>
#include <QString>

#include <cstddef>

// Hashing and equality of texts without regard to letter case, as registry names compare: for
// unordered containers keyed by item keys.
struct CaseInsensitiveHash {
    // Deliberately not noexcept: libstdc++ then keeps each element's hash beside it, so a lookup
    // compares hashes before texts and never hashes the keys already in a bucket again.
    std::size_t operator()(const QString& key) const
    {
        // The case-folded code points, as the case-insensitive comparison sees them.
        std::size_t h = 1469598103934665603ull;
        const qsizetype n = key.size();
        const QChar* units = key.constData();
        for (qsizetype i = 0; i < n; ++i) {
            char32_t c = units[i].unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < n && units[i + 1].isLowSurrogate())
                c = QChar::surrogateToUcs4(char16_t(c), units[++i].unicode());
            const char32_t folded = c < 0x80 ? ((c >= 'A' && c <= 'Z') ? c + 32 : c) : QChar::toCaseFolded(c);
            h = (h ^ folded) * 1099511628211ull;
        }
        return h;
    }
};

struct CaseInsensitiveEqual {
    bool operator()(const QString& a, const QString& b) const noexcept
    {
        // Case folding maps each code point to one of the same length, so texts of different
        // lengths never match; plain ASCII, nearly every key, is compared here without a call.
        const qsizetype n = a.size();
        if (n != b.size())
            return false;
        const char16_t* pa = reinterpret_cast<const char16_t*>(a.constData());
        const char16_t* pb = reinterpret_cast<const char16_t*>(b.constData());
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t ca = pa[i];
            const char16_t cb = pb[i];
            if (ca == cb)
                continue;
            if (ca >= 0x80 || cb >= 0x80)
                return a.compare(b, Qt::CaseInsensitive) == 0;
            if ((ca | 0x20) != (cb | 0x20) || (ca | 0x20) < 'a' || (ca | 0x20) > 'z')
                return false;
        }
        return true;
    }
};
