#include "control/tools/GeneratedClsid.h"

#include "common/GuidText.h"

GeneratedClsid GeneratedClsid::FromBytes(const GuidBytes& bytes)
{
    GeneratedClsid generated;
    for (const std::uint8_t byte : bytes)
        generated.number += QString::number(byte);
    generated.text = GuidToText(bytes);
    return generated;
}

GeneratedClsid GeneratedClsid::Generate()
{
    GuidBytes bytes{};
    CoCreateGuid(bytes);
    return FromBytes(bytes);
}
