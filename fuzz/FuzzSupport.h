#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every fuzz target shares: one application object (Qt's image plugins and the settings
// store's event-loop turns want one), a private temporary folder for inputs that the code under
// test reads from disk, and a check that turns a broken promise into a crash libFuzzer reports.
namespace fuzz {

inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Aborts with `what` when a property of the code under test does not hold.
inline void require(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "==fuzz== property violated: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

// Called from LLVMFuzzerInitialize; the application lives as long as the process.
inline void startApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* application = nullptr;
    if (!application)
        application = new QCoreApplication(argc, argv);
}

// A folder of this process, removed when it exits normally.
inline const QString& workFolder()
{
    static const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/varnook-fuzz-XXXXXX"));
    static const QString path = dir.path();
    return path;
}

// Writes `bytes` to `name` in the work folder, replacing what was there; returns the path.
inline QString writeInput(const QString& name, const QByteArray& bytes)
{
    const QString path = workFolder() + QLatin1Char('/') + name;
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the input file can be written");
    require(file.write(bytes) == bytes.size(), "the input file is written whole");
    return path;
}

} // namespace fuzz
