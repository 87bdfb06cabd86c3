#include "tests/support/WinePrefix.h"

#include "platform/registry/WineServerProbe.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

namespace {

QProcessEnvironment wineEnvironment(const QString& prefix)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), prefix);
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    // No downloads of Mono or Gecko while booting.
    env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    env.remove(QStringLiteral("DISPLAY"));
    return env;
}

QString runIn(const QString& prefix, const QString& program, const QStringList& arguments, int* exitCode)
{
    QProcess process;
    process.setProcessEnvironment(wineEnvironment(prefix));
    process.start(program, arguments);
    process.waitForFinished(180000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAllStandardOutput()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void waitForServer(const QString& prefix)
{
    runIn(prefix, QStringLiteral("wineserver"), {QStringLiteral("-w")}, nullptr);
}

bool copyTree(const QString& from, const QString& to)
{
    QProcess cp;
    cp.start(QStringLiteral("cp"), {QStringLiteral("-a"), from + QStringLiteral("/."), to});
    return cp.waitForFinished(120000) && cp.exitCode() == 0;
}

} // namespace

bool WinePrefix::wineAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("wineboot")).isEmpty();
}

QString WinePrefix::bootedPrefix()
{
    // Every test case runs in a process of its own: the first to need a prefix boots it into the
    // build folder, under a lock, and the others copy that one. A prefix is kept per Wine version,
    // and one that did not boot completely is never taken for one that did.
    static const QString booted = []() -> QString {
        if (!wineAvailable())
            return {};
        QString version = runIn(QDir::tempPath(), QStringLiteral("wine"), {QStringLiteral("--version")}, nullptr);
        version = version.trimmed().replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.]+")), QStringLiteral("-"));
        const QString folder = QStringLiteral(VARNOOK_BOOTED_WINE_PREFIX) + u'-' + version;
        QLockFile lock(folder + QStringLiteral(".lock"));
        lock.setStaleLockTime(0); // a boot takes long; only a lock whose process is gone is stale
        if (!lock.lock())
            return {};
        if (QFile::exists(folder + QStringLiteral("/system.reg")))
            return folder;
        const QString fresh = folder + QStringLiteral(".booting");
        QDir(fresh).removeRecursively();
        if (!QDir().mkpath(fresh))
            return {};
        runIn(fresh, QStringLiteral("wineboot"), {QStringLiteral("-i")}, nullptr);
        waitForServer(fresh);
        if (!QFile::exists(fresh + QStringLiteral("/system.reg")) || !QDir().rename(fresh, folder))
            return {};
        return folder;
    }();
    return booted;
}

WinePrefix::WinePrefix()
{
    const QString booted = bootedPrefix();
    m_valid = !booted.isEmpty() && m_dir.isValid() && copyTree(booted, m_dir.path());
    // wineserver names its directory after the prefix folder's inode, so copies never share one;
    // the name file of Debian's builds is per prefix too.
}

WinePrefix::~WinePrefix()
{
    if (m_valid)
        stopServer();
}

QString WinePrefix::run(const QStringList& arguments, int* exitCode) const
{
    if (!m_serverRunning)
        startServer();
    return runIn(path(), QStringLiteral("wine"), arguments, exitCode);
}

QStringList WinePrefix::query(const QString& key) const
{
    int code = -1;
    const QString out = run({QStringLiteral("reg"), QStringLiteral("query"), key}, &code);
    QStringList values;
    if (code != 0)
        return values;
    for (const QString& line : out.split(u'\n')) {
        if (!line.startsWith(QStringLiteral("    ")))
            continue;
        const QStringList parts = line.mid(4).split(QStringLiteral("    "));
        if (parts.size() >= 2)
            values << parts.mid(0, 2).join(u'|') + u'|' + parts.mid(2).join(QStringLiteral("    "));
    }
    return values;
}

void WinePrefix::startServer() const
{
    QProcess server;
    server.setProcessEnvironment(wineEnvironment(path()));
    server.setProgram(QStringLiteral("wineserver"));
    server.setArguments({QStringLiteral("-p"), QStringLiteral("120")});
    server.startDetached();
    for (int i = 0; i < 100 && !WineServerProbe::probe(path()).running; ++i)
        QThread::msleep(100);
    m_serverRunning = true;
}

void WinePrefix::stopServer() const
{
    runIn(path(), QStringLiteral("wineserver"), {QStringLiteral("-k")}, nullptr);
    waitForServer(path());
    m_serverRunning = false;
}
