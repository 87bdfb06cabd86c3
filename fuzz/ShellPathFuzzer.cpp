// Paths of the registry: icon locations, the file part of commands, %NAME% expansion, and the
// mapping of Windows paths into a prefix and back, on a small prefix of its own (drive C: with
// a second drive inside it and a third that shares its folder). A mapped path exists, is canonical
// and stays inside the prefix; mapped back and forth it names the same file.

#include "fuzz/FuzzSupport.h"

#include "platform/shell/CommandFile.h"
#include "platform/shell/IconLocation.h"
#include "platform/shell/PrefixEnvironment.h"
#include "platform/shell/WindowsPathMapper.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QFileInfo>

namespace {

struct Prefix {
    QString folder;
    QString driveC; // canonical
};

void makeFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    fuzz::require(file.open(QIODevice::WriteOnly), "the prefix can be made");
}

const Prefix& prefix()
{
    static const Prefix made = [] {
        const QString folder = fuzz::workFolder() + QStringLiteral("/prefix");
        const QString c = folder + QStringLiteral("/drive_c");
        for (const char* file : {"windows/system32/notepad.exe", "windows/system32/Shell32.dll",
                                 "windows/syswow64/Wow32.dll", "windows/win.ini", "Program Files/App One/app.exe",
                                 "Program Files/App One/Sub Dir/x.y.z", "MixedCase/File.TXT", "MixedCase/file.txt",
                                 "users/Public/Desktop/desktop.ini"})
            makeFile(c + QLatin1Char('/') + QString::fromLatin1(file));
        QDir().mkpath(folder + QStringLiteral("/dosdevices"));
        QFile::link(QStringLiteral("../drive_c"), folder + QStringLiteral("/dosdevices/c:"));
        QFile::link(QStringLiteral("../drive_c/Program Files"), folder + QStringLiteral("/dosdevices/d:"));
        QFile::link(QStringLiteral("../drive_c"), folder + QStringLiteral("/dosdevices/e:"));
        QFile::link(QStringLiteral("windows/system32"), c + QStringLiteral("/sys-link"));
        return Prefix{folder, QFileInfo(c).canonicalFilePath()};
    }();
    return made;
}

bool insidePrefix(const QString& path)
{
    return path == prefix().driveC || path.startsWith(prefix().driveC + QLatin1Char('/'));
}

QString textFrom(FuzzedDataProvider& input, std::size_t maxBytes)
{
    return QString::fromStdString(input.ConsumeRandomLengthString(maxBytes));
}

void checkIconLocation(const QString& path, int index)
{
    const IconLocation any = ParseIconLocation(path);
    fuzz::require(path.contains(any.path), "an icon location's path is part of it");
    if (path.contains(u'"'))
        return;
    const QString number = QString::number(index);
    if (!path.contains(u',')) {
        const IconLocation plain = ParseIconLocation(path + u',' + number);
        fuzz::require(plain.path == path && plain.index == index, "path,index splits into path and index");
    }
    const IconLocation quoted = ParseIconLocation(u'"' + path + QStringLiteral("\",") + number);
    fuzz::require(quoted.path == path && quoted.index == index, "\"path\",index splits into path and index");
}

void checkCommandFile(const QString& path, const QString& arguments)
{
    const QString any = ExtractCommandFile(path + arguments);
    fuzz::require(any.isEmpty() || (path + arguments).startsWith(any), "a command's file starts the command");
    if (path.contains(u'"'))
        return;
    const QString quoted = u'"' + path + u'"';
    fuzz::require(ExtractCommandFile(quoted + u' ' + arguments) == quoted, "a quoted file is taken whole");
    if (!path.isEmpty() && !path.mid(1).contains(u' '))
        fuzz::require(ExtractCommandFile(path + u' ' + arguments) == path + u' ', "an unquoted file ends at a blank");
}

void checkMapping(const WindowsPathMapper& mapper, const QString& windowsPath, const QString& below)
{
    const QString found = mapper.map(windowsPath);
    if (!found.isEmpty()) {
        fuzz::require(QFileInfo(found).canonicalFilePath() == found, "a mapped path exists and is canonical");
        if (!mapper.environment().expand(windowsPath.trimmed()).startsWith(u'/'))
            fuzz::require(insidePrefix(found), "a Windows path maps inside the prefix");
        if (insidePrefix(found))
            fuzz::require(mapper.map(mapper.toWindowsPath(found)) == found, "a file's Windows path maps back to it");
    }

    // A Linux path inside drive C: gets a path on C: or D: (E: shares C:'s folder) that names it again.
    const QString linuxPath = QDir::cleanPath(prefix().driveC + QLatin1Char('/') + below);
    if (!insidePrefix(linuxPath))
        return;
    const QString windows = mapper.toWindowsPath(linuxPath);
    fuzz::require(windows.size() >= 3 && (windows[0] == u'C' || windows[0] == u'D') && windows.mid(1, 2) == ":\\",
                  "a path inside the prefix is on one of its drives");
    const QFileInfo info(linuxPath);
    if (info.exists() && !below.contains(u'\\'))
        fuzz::require(mapper.map(windows) == info.canonicalFilePath(), "a file's Windows path maps back to it");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    prefix();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    PrefixEnvironment environment;
    environment.set(QStringLiteral("SystemRoot"), QStringLiteral("C:\\windows"));
    environment.set(QStringLiteral("ProgramFiles"), QStringLiteral("C:\\Program Files"));
    environment.set(QStringLiteral("PATH"), QStringLiteral("%SystemRoot%;C:\\Program Files\\App One"));
    static const char* const kNames[] = {"A", "B", "SystemRoot", "PATH", "windir", "ProgramFiles"};
    const int variables = input.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < variables; ++i) {
        const QString name = QString::fromLatin1(input.PickValueInArray(kNames));
        environment.set(name, textFrom(input, 64));
    }
    const int index = input.ConsumeIntegral<int>();
    const QString arguments = textFrom(input, 16);
    const QString below = textFrom(input, 64);
    const QString path = QString::fromStdString(input.ConsumeRemainingBytesAsString());

    checkIconLocation(path, index);
    checkCommandFile(path, arguments);
    const QString expanded = environment.expand(path);
    fuzz::require(expanded.size() <= PrefixEnvironment::kMaxExpandedLength, "an expansion is cut at the limit");
    checkMapping(WindowsPathMapper(prefix().folder, environment), path, below);
    return 0;
}
