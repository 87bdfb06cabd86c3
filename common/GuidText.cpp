#include "common/GuidText.h"

QString GuidToText(const GuidBytes& bytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(38);
    text.append(u'{');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text.append(u'-');
        text.append(QLatin1Char(kDigits[bytes[i] >> 4]));
        text.append(QLatin1Char(kDigits[bytes[i] & 0x0F]));
    }
    text.append(u'}');
    return text;
}
