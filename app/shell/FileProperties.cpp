#include "app/shell/FileProperties.h"

#include "app/shell/frmProperties.h"
#include "common/MessageBoxes.h"
#include "control/tree/IconList.h"
#include "platform/shell/UiSeams.h"
#include "platform/shell/WindowsPathMapper.h"

#include <QFileInfo>

namespace {

// Further blanks of an unquoted command tried as the end of its file; enough for any real path.
constexpr int kMaxBlanksTried = 32;

// The file part without the blank after it and without its quotes.
QString bareFile(const QString& commandFile)
{
    QString file = commandFile;
    if (file.endsWith(u' '))
        file.chop(1);
    if (file.size() >= 2 && file.startsWith(u'"') && file.endsWith(u'"'))
        file = file.mid(1, file.size() - 2);
    return file;
}

// The Linux path of the file `command` names in the prefix; empty when it names none.
QString commandFilePath(const QString& command, const WindowsPathMapper& mapper)
{
    const QString file = bareFile(ExtractCommandFile(command));
    if (file.trimmed().isEmpty())
        return {};
    if (QString found = mapper.map(file); !found.isEmpty() || command.startsWith(u'"'))
        return found;
    // Server paths are stored unquoted, blanks and all ("C:\Program Files\App\app.dll"): as Windows
    // does when it starts an unquoted command, each later blank is tried as the end of the file.
    qsizetype blank = file.size(); // the blank that ended the file part, if any
    for (int tried = 0; blank < command.size() && tried < kMaxBlanksTried; ++tried) {
        blank = command.indexOf(u' ', blank + 1);
        if (blank < 0)
            blank = command.size();
        if (const QString found = mapper.map(command.left(blank)); QFileInfo(found).isFile())
            return found;
    }
    return {};
}

} // namespace

void ShowFileProperties(const QString& command, QWidget* owner)
{
    const QString linuxPath = commandFilePath(command, PrefixPathMapper());
    if (linuxPath.isEmpty() || !UiSeams::showFileProperties(linuxPath, owner))
        ShowInfo(QStringLiteral("Error displaying file properties.\r\n\r\n"
                                "Either the file does not exist or the path was in an invalid format."));
}

void InstallFilePropertiesWindow()
{
    UiSeams::setFilePropertiesHandler([](const FilePropertiesRequest& request) {
        return frmProperties::ShowFor(request.linuxPath, request.owner);
    });
}
