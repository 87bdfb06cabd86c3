#include "bench/MemoryProbe.h"

#include "bench/HiveKeys.h"
#include "bench/ProcessMemory.h"

#include "platform/registry/HiveReader.h"
#include "platform/registry/HiveWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

#include <cstdio>

namespace {

const char* taskName(MemoryProbe::Task task)
{
    switch (task) {
    case MemoryProbe::Task::Load:
        return "load";
    case MemoryProbe::Task::Save:
        return "save";
    case MemoryProbe::Task::SaveAllTouched:
        return "save-all-touched";
    case MemoryProbe::Task::SaveAllChanged:
        return "save-all-changed";
    }
    return "";
}

} // namespace

MemoryProbe::Result MemoryProbe::measure(const QString& program, Task task, const QString& file)
{
    Result result;
    QProcess child;
    child.start(program, {QString::fromLatin1(kChildOption), QString::fromLatin1(taskName(task)), file});
    if (!child.waitForFinished(600000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        result.error
            = QStringLiteral("the measuring process failed: ") + QString::fromLocal8Bit(child.readAllStandardError());
        return result;
    }
    const QList<QByteArray> numbers = child.readAllStandardOutput().trimmed().split(' ');
    if (numbers.size() != 4) {
        result.error = QStringLiteral("the measuring process gave no figures");
        return result;
    }
    result.fileBytes = numbers[0].toLongLong();
    result.loadPeakBytes = numbers[1].toLongLong();
    result.savePeakBytes = numbers[2].toLongLong();
    result.saveExtraBytes = numbers[3].toLongLong();
    result.ok = true;
    return result;
}

int MemoryProbe::runChild(const QString& task, const QString& file)
{
    ProcessMemory::resetPeak();
    const std::int64_t start = ProcessMemory::resident();

    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(file));
        return 1;
    }
    QByteArray text = in.readAll();
    in.close();
    const std::int64_t fileBytes = text.size();
    HiveReader::Result loaded = HiveReader::read(std::move(text), file);
    if (!loaded.hive || loaded.hive->problemCount() > 0) {
        std::fprintf(stderr, "cannot parse %s\n", qPrintable(file));
        return 1;
    }
    const std::int64_t loadPeak = ProcessMemory::peak() - start;

    std::int64_t savePeak = 0;
    std::int64_t saveExtra = 0;
    if (task != QLatin1String("load")) {
        if (task == QLatin1String("save-all-changed"))
            HiveKeys::markAllChanged(*loaded.hive->root());
        else if (task == QLatin1String("save-all-touched"))
            HiveKeys::touchAll(*loaded.hive->root());
        ProcessMemory::resetPeak();
        const std::int64_t beforeSave = ProcessMemory::resident();
        // As the prefix store saves: streamed into a temporary file beside the target, then renamed.
        QSaveFile out(QFileInfo(file).absolutePath() + QStringLiteral("/probe-") + task + QStringLiteral(".reg"));
        QString error;
        if (!out.open(QIODevice::WriteOnly) || !HiveWriter::write(*loaded.hive, out, error) || !out.commit()) {
            std::fprintf(stderr, "cannot save: %s\n", qPrintable(error.isEmpty() ? out.errorString() : error));
            return 1;
        }
        const std::int64_t peak = ProcessMemory::peak();
        savePeak = peak - start;
        saveExtra = peak - beforeSave;
        QFile::remove(out.fileName());
    }
    std::printf("%lld %lld %lld %lld\n", static_cast<long long>(fileBytes), static_cast<long long>(loadPeak),
        static_cast<long long>(savePeak), static_cast<long long>(saveExtra));
    return 0;
}
