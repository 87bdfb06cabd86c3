#include "common/HelpTopic.h"

#include "common/MessageBoxes.h"
#include "platform/shell/UiSeams.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <dlfcn.h>

namespace {

constexpr long kFileNotFound = 2;
constexpr long kNoAssociation = 31;

// The file this copy of the routine was linked into: the program, or the library.
QString deliverableFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&HelpFolder), &info) == 0 || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
}

} // namespace

QString HelpFolder()
{
    const QDir beside(deliverableFolder());
    const QString local = beside.filePath(QStringLiteral("Help"));
    const QString installed = QDir::cleanPath(beside.filePath(QStringLiteral("../share/varnook2/Help")));
    return !QFileInfo(local).isDir() && QFileInfo(installed).isDir() ? installed : local;
}

bool OpenHelpTopic(QWidget* /*owner*/, const QString& page)
{
    return OpenHelpPage(HelpFolder(), page);
}

bool OpenHelpPage(const QString& folder, const QString& page)
{
    // The desktop accepts a file URL whether or not the file is there, and the browser would show
    // its own error: check first, so the user learns which page is missing.
    const QString path = QDir(folder).filePath(page);
    const long rc = !QFileInfo(path).isFile() ? kFileNotFound
                    : !UiSeams::openUrl(QUrl::fromLocalFile(path)) ? kNoAssociation
                                                                   : 0;
    if (rc == 0)
        return true;
    ShowError(QStringLiteral("Error opening help file '") + page +
                  QStringLiteral("'.\r\n\r\nMake sure the 'Help' directory exists."),
              rc);
    return false;
}
