#include "app/dialogs/BrowseForFile.h"

#include "app/shell/FileProperties.h"
#include "control/tree/IconList.h"
#include "platform/shell/UiSeams.h"
#include "platform/shell/WindowsPathMapper.h"

#include <QFileInfo>
#include <QStringList>

namespace {

// The folder the dialog opens in: that of the file the text names, else drive C.
QString startFolder(const QString& currentText)
{
    const WindowsPathMapper& mapper = PrefixPathMapper();
    QString file = ExtractCommandFile(currentText.trimmed()).trimmed();
    if (file.size() >= 2 && file.startsWith(u'"') && file.endsWith(u'"'))
        file = file.mid(1, file.size() - 2);
    if (!file.isEmpty()) {
        const QString found = mapper.map(file);
        if (!found.isEmpty())
            return QFileInfo(found).isDir() ? found : QFileInfo(found).absolutePath();
    }
    return mapper.driveRoot(u'C');
}

} // namespace

QString QtNameFilters(const QString& windowsFilter)
{
    const QStringList parts = windowsFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // The description names its patterns in Windows form; the patterns that follow it are shown instead.
        const qsizetype open = description.lastIndexOf(u'(');
        if (open > 0 && description.endsWith(u')'))
            description = description.left(open).trimmed();
        const QString patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts).join(u' ');
        filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

QString BrowseForFile(QWidget* owner, const QString& title, const QString& filter, const QString& currentText)
{
    FileBrowseRequest request;
    request.title = title;
    request.filter = QtNameFilters(filter);
    request.startFolder = startFolder(currentText);
    request.owner = owner;
    const QString chosen = UiSeams::browseForFile(request);
    return chosen.isEmpty() ? QString() : PrefixPathMapper().toWindowsPath(chosen);
}
