#include "platform/shell/Guid.h"

#include <QRandomGenerator>

long CoCreateGuid(GuidBytes& bytes)
{
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(words[i / 4] >> (8 * (i % 4)));
    // Data3 is little-endian in memory: its high nibble (the version) is the top of byte 7.
    bytes[7] = static_cast<std::uint8_t>((bytes[7] & 0x0F) | 0x40);
    // The variant "10" sits in the top bits of Data4[0].
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    return 0;
}
