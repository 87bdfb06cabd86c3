#include "tests/soak/SoakWine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>

namespace {

int runWine(const QString& prefixDir, const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), prefixDir);
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    env.remove(QStringLiteral("DISPLAY"));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(180000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

} // namespace

bool SoakWine::available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty();
}

QString SoakWine::exportClasses(const QString& prefixDir, QString& error)
{
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("classes.reg"));
    // Wine's drive Z: is the root of the file system.
    const QString windowsPath = QStringLiteral("Z:") + QString(file).replace(u'/', u'\\');
    const int rc = runWine(prefixDir, QStringLiteral("wine"),
                           {QStringLiteral("reg"), QStringLiteral("export"), QStringLiteral("HKLM\\Software\\Classes"),
                            windowsPath, QStringLiteral("/y")});
    runWine(prefixDir, QStringLiteral("wineserver"), {QStringLiteral("-k")});
    runWine(prefixDir, QStringLiteral("wineserver"), {QStringLiteral("-w")});
    QFile exported(file);
    if (rc != 0 || !exported.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("wine reg export failed (exit code %1)").arg(rc);
        return {};
    }
    const QByteArray bytes = exported.readAll();
    // regedit's files are UTF-16 with a byte order mark.
    QStringDecoder decode(QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf16LE));
    return decode(bytes);
}
