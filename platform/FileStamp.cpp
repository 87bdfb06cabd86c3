#include "platform/FileStamp.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

FileStamp fromStat(const struct stat& st)
{
    return {true, st.st_size, qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, st.st_ino};
}

} // namespace

FileStamp FileStamp::of(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? fromStat(st) : FileStamp{};
}

FileStamp FileStamp::ofOpenFile(int descriptor)
{
    struct stat st {};
    return ::fstat(descriptor, &st) == 0 ? fromStat(st) : FileStamp{};
}
