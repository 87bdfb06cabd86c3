// Reading and writing hive files: parse speed, save speed (unchanged, every key changed, and the
// prefix store's atomic save of one change) and peak memory, on a system.reg written by Wine
// itself (when Wine is installed) and on generated hives of realistic and of large size.

#include "bench/HiveKeys.h"
#include "bench/MemoryProbe.h"
#include "bench/SyntheticPrefix.h"
#include "bench/SyntheticShapes.h"

#include "platform/registry/HiveReader.h"
#include "platform/registry/HiveWriter.h"
#include "platform/registry/PrefixStore.h"
#include "platform/RunContext.h"
#include "platform/registry/RegistryApi.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kSeed = 20240601;

struct Corpus {
    std::string name;
    QString path; // the system.reg of a prefix folder of its own
    QByteArray text;
    std::size_t keys = 0;
};

QTemporaryDir& workDir()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/varnook-bench-XXXXXX"));
    return dir;
}

QString corpusDir(const std::string& name)
{
    return workDir().filePath(QString::fromStdString(name));
}

bool finishCorpus(Corpus& corpus)
{
    QFile file(corpus.path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    corpus.text = file.readAll();
    const HiveReader::Result loaded = HiveReader::read(corpus.text, corpus.path);
    if (!loaded.hive || loaded.hive->problemCount() > 0 || HiveWriter::toBytes(*loaded.hive) != corpus.text) {
        std::fprintf(stderr, "%s does not read back exactly; left out\n", corpus.name.c_str());
        return false;
    }
    corpus.keys = HiveKeys::count(*loaded.hive->root());
    return true;
}

std::unique_ptr<Corpus> generated(const std::string& name, const SyntheticHive& machine)
{
    auto corpus = std::make_unique<Corpus>();
    corpus->name = name;
    corpus->path = corpusDir(name) + QStringLiteral("/system.reg");
    QString error;
    if (!SyntheticPrefix::write(corpusDir(name), machine, SyntheticShapes::freshUser(kSeed), error)
        || !finishCorpus(*corpus)) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), qPrintable(error));
        return nullptr;
    }
    return corpus;
}

bool run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment, int seconds)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(seconds * 1000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

// A system.reg as Wine writes it: a prefix booted once for the run.
std::unique_ptr<Corpus> wineWritten()
{
    const QString wineboot = QStandardPaths::findExecutable(QStringLiteral("wineboot"));
    const QString wineserver = QStandardPaths::findExecutable(QStringLiteral("wineserver"));
    if (wineboot.isEmpty() || wineserver.isEmpty()) {
        std::fprintf(stderr, "Wine is not installed; the Wine-written system.reg is left out\n");
        return nullptr;
    }
    auto corpus = std::make_unique<Corpus>();
    corpus->name = "wine";
    const QString prefix = corpusDir(corpus->name);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), prefix);
    environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    environment.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    std::fprintf(stderr, "booting a Wine prefix for a Wine-written system.reg...\n");
    if (!run(wineboot, {QStringLiteral("-i")}, environment, 300)
        || !run(wineserver, {QStringLiteral("-w")}, environment, 120)) {
        std::fprintf(stderr, "wineboot failed; the Wine-written system.reg is left out\n");
        return nullptr;
    }
    corpus->path = prefix + QStringLiteral("/system.reg");
    return finishCorpus(*corpus) ? std::move(corpus) : nullptr;
}

void describe(benchmark::State& state, const Corpus& corpus)
{
    state.SetBytesProcessed(std::int64_t(state.iterations()) * corpus.text.size());
    state.counters["file_MB"] = double(corpus.text.size()) / 1e6;
    state.counters["keys"] = double(corpus.keys);
}

void parse(benchmark::State& state, const Corpus* corpus)
{
    for (auto _ : state) {
        HiveReader::Result result = HiveReader::read(corpus->text, corpus->path);
        benchmark::DoNotOptimize(result.hive.get());
        state.PauseTiming(); // freeing the tree is not parsing
        result = {};
        state.ResumeTiming();
    }
    describe(state, *corpus);
}

void saveToBuffer(benchmark::State& state, const Corpus* corpus, bool allChanged)
{
    const HiveReader::Result loaded = HiveReader::read(corpus->text, corpus->path);
    if (allChanged)
        HiveKeys::markAllChanged(*loaded.hive->root());
    QByteArray bytes;
    bytes.reserve(corpus->text.size() + corpus->text.size() / 8);
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QString error;
        if (!HiveWriter::write(*loaded.hive, buffer, error))
            state.SkipWithError("the write failed");
        benchmark::DoNotOptimize(bytes.data());
    }
    if (bytes != corpus->text)
        state.SkipWithError("the saved bytes differ from the file");
    describe(state, *corpus);
}

// What one confirmed change costs on disk: the prefix store's save (server check, stamp check,
// temporary file, flush to disk, rename, directory sync) after a one-value change.
void atomicSave(benchmark::State& state, const Corpus* corpus)
{
    QTemporaryDir prefix(workDir().filePath(QStringLiteral("save-XXXXXX")));
    QFile::copy(corpus->path, prefix.filePath(QStringLiteral("system.reg")));
    PrefixStore store(prefix.path());
    store.setBackupDir(prefix.filePath(QStringLiteral("backups")));
    QString error;
    if (!store.open(error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    Registry& registry = store.registry();
    HKEY key = 0;
    DWORD disposition = 0;
    // Creating the key saves once, which also takes the run's backup outside the timed loop.
    if (registry.RegCreateKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\VarnookBench"), 0, QString(), 0,
            KEY_ALL_ACCESS, nullptr, &key, &disposition)
        != ERROR_SUCCESS) {
        state.SkipWithError("cannot create the benchmark's key");
        return;
    }
    std::uint32_t counter = 0;
    for (auto _ : state) {
        ++counter;
        const QByteArray data = regTextBytes(QString::number(counter));
        if (registry.RegSetValueEx(key, QStringLiteral("counter"), 0, REG_SZ,
                reinterpret_cast<const std::uint8_t*>(data.constData()), DWORD(data.size()))
                != ERROR_SUCCESS
            || !store.lastError().isEmpty()) {
            state.SkipWithError(qPrintable(store.lastError()));
            break;
        }
    }
    registry.RegCloseKey(key);
    describe(state, *corpus);
}

void peakMemory(benchmark::State& state, const Corpus* corpus, MemoryProbe::Task task)
{
    MemoryProbe::Result result;
    for (auto _ : state)
        result
            = MemoryProbe::measure(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath(), task, corpus->path);
    if (!result.ok) {
        state.SkipWithError(qPrintable(result.error));
        return;
    }
    const auto size = double(result.fileBytes);
    state.counters["file_MB"] = size / 1e6;
    if (task == MemoryProbe::Task::Load) {
        state.counters["peak_MB"] = double(result.loadPeakBytes) / 1e6;
        state.counters["peak_ratio"] = double(result.loadPeakBytes) / size;
    } else {
        state.counters["peak_MB"] = double(result.savePeakBytes) / 1e6;
        state.counters["peak_ratio"] = double(result.savePeakBytes) / size;
        state.counters["save_extra_ratio"] = double(result.saveExtraBytes) / size;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == MemoryProbe::kChildOption)
        return MemoryProbe::runChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));

    QCoreApplication application(argc, argv);
    RunContext context;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    std::vector<std::unique_ptr<Corpus>> corpora;
    corpora.push_back(wineWritten());
    corpora.push_back(generated("fresh", SyntheticShapes::freshMachine(kSeed)));
    corpora.push_back(generated("classes", SyntheticShapes::largeClasses({}, kSeed)));
    corpora.push_back(generated("generic200k", SyntheticShapes::generic(200000, kSeed)));

    for (const auto& corpus : corpora) {
        if (!corpus)
            continue;
        const Corpus* c = corpus.get();
        const std::string& n = c->name;
        benchmark::RegisterBenchmark(("Parse/" + n).c_str(), parse, c)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("SaveUnchanged/" + n).c_str(), saveToBuffer, c, false)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("SaveAllChanged/" + n).c_str(), saveToBuffer, c, true)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("AtomicSaveOneChange/" + n).c_str(), atomicSave, c)
            ->UseRealTime() // waiting for the disk is part of it
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("PeakMemory/load/" + n).c_str(), peakMemory, c, MemoryProbe::Task::Load)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("PeakMemory/save/" + n).c_str(), peakMemory, c, MemoryProbe::Task::Save)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(
            ("PeakMemory/saveAllTouched/" + n).c_str(), peakMemory, c, MemoryProbe::Task::SaveAllTouched)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(
            ("PeakMemory/saveAllChanged/" + n).c_str(), peakMemory, c, MemoryProbe::Task::SaveAllChanged)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
