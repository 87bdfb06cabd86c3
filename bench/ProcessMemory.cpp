#include "bench/ProcessMemory.h"

#include <QByteArray>
#include <QFile>

#include <cstdio>

namespace {

// A field of /proc/self/status ("VmRSS", "VmHWM") in bytes; -1 when unreadable.
std::int64_t statusBytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}

} // namespace

std::int64_t ProcessMemory::resident()
{
    return statusBytes("VmRSS");
}

std::int64_t ProcessMemory::peak()
{
    return statusBytes("VmHWM");
}

void ProcessMemory::resetPeak()
{
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}
