#include "platform/registry/Hive.h"

#include "platform/registry/WineRegFormat.h"

Hive::Hive(const QString& rootPath)
    : m_root(std::make_shared<RegKey>(QString()))
    , m_preamble(rootPath.isEmpty() ? QByteArray() : defaultPreamble(rootPath))
{
}

QByteArray Hive::defaultPreamble(const QString& rootPath)
{
    QByteArray out("WINE REGISTRY Version 2\n;; All keys relative to ");
    wineformat::appendEscaped(out, rootPath, "[]");
    out.append("\n\n#arch=win64\n");
    return out;
}
