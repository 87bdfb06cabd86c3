#pragma once

#include <QChar>
#include <QString>

#include <cstddef>

// Hashing and equality of texts without regard to letter case, as registry names compare: for
// unordered containers keyed by item keys.
struct CaseInsensitiveHash {
    std::size_t operator()(const QString& key) const noexcept
    {
        // The case-folded code points, as the case-insensitive comparison sees them.
        std::size_t h = 1469598103934665603ull;
        const qsizetype n = key.size();
        for (qsizetype i = 0; i < n; ++i) {
            char32_t c = key.at(i).unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < n && key.at(i + 1).isLowSurrogate())
                c = QChar::surrogateToUcs4(char16_t(c), key.at(++i).unicode());
            const char32_t folded = c < 0x80 ? ((c >= 'A' && c <= 'Z') ? c + 32 : c) : QChar::toCaseFolded(c);
            h = (h ^ folded) * 1099511628211ull;
        }
        return h;
    }
};

struct CaseInsensitiveEqual {
    bool operator()(const QString& a, const QString& b) const noexcept
    {
        return a.compare(b, Qt::CaseInsensitive) == 0;
    }
};
