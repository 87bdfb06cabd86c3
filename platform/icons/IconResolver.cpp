#include "platform/icons/IconResolver.h"

#include <QFileInfo>

#include <algorithm>

IconResolver::IconResolver(WindowsPathMapper mapper, StandInIconLibrary standIn)
    : m_mapper(std::move(mapper))
    , m_standIn(std::move(standIn))
{
}

int IconResolver::extract(const QString& path, int index, QImage* large, QImage* small)
{
    const QString file = resolve(path);
    if (!file.isEmpty())
        return m_extractor.extract(file, index, large, small);
    if (isShellLibrary(path))
        return m_standIn.extract(index, large, small);
    return 0;
}

QString IconResolver::resolve(const QString& path)
{
    const auto known = m_resolved.constFind(path);
    if (known != m_resolved.cend())
        return *known;
    QString file = m_mapper.map(path);
    if (!QFileInfo(file).isFile())
        file.clear();
    if (m_resolved.size() >= kMaxRememberedPaths)
        m_resolved.clear();
    m_resolved.insert(path, file);
    return file;
}

bool IconResolver::isShellLibrary(const QString& path)
{
    const QString name = path.trimmed();
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('\\')), name.lastIndexOf(QLatin1Char('/')));
    return name.mid(slash + 1).compare(QLatin1String("shell32.dll"), Qt::CaseInsensitive) == 0;
}
