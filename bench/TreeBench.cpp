// The tree control on whole prefixes: a load with everything (records, tree and icons), a second
// load, clearing, and expanding and collapsing nodes through the tree view; and a program run
// (open, first load, reload) timed with its peak memory in a process of its own. On a prefix
// shaped like a freshly booted one and on one with a large HKEY_CLASSES_ROOT whose file types
// take their icons from shell32.dll and from icon files in system32.

#include "bench/ProcessMemory.h"
#include "bench/SyntheticIcons.h"
#include "bench/SyntheticPrefix.h"
#include "bench/SyntheticShapes.h"
#include "bench/TreeSession.h"

#include "control/records/Definitions.h"
#include "control/records/SettingsTables.h"
#include "control/tree/Kestrow.h"
#include "platform/RunContext.h"
#include "platform/registry/PrefixStore.h"
#include "platform/settings/Settings.h"
#include "platform/shell/UiSeams.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kSeed = 20240601;
constexpr const char* kProgramChildOption = "--tree-program-run";

// Message boxes the control wanted to show; a benchmark run should have none.
int g_messageBoxes = 0;

QTemporaryDir& workDir()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/varnook-treebench-XXXXXX"));
    return dir;
}

struct PrefixCase {
    std::string name;
    QString dir;
};

std::unique_ptr<PrefixCase> writePrefix(const std::string& name, const SyntheticHive& machine)
{
    auto prefix = std::make_unique<PrefixCase>();
    prefix->name = name;
    prefix->dir = workDir().filePath(QString::fromStdString(name));
    QString error;
    if (!SyntheticPrefix::write(prefix->dir, machine, SyntheticShapes::freshUser(kSeed), error)
        || !SyntheticIcons::writeFiles(QDir(prefix->dir).filePath(QStringLiteral("drive_c/windows/system32")), error)) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), qPrintable(error));
        return nullptr;
    }
    return prefix;
}

// The definition tables as the first program run writes them, in a settings folder of the run.
void writeDefaultSettings(const QString& folder)
{
    SetSettingsFolder(folder);
    SettingsStore& store = ApplicationSettings(SETTINGS_APPLICATION);
    SettingsStore::Batch batch(store);
    for (const DefaultSetting& setting : DefaultDefinitionSettings())
        store.setValue(setting.section, setting.key, setting.value);
}

// The loaded session the benchmarks that start from a loaded tree share: one at a time, of the
// prefix asked for last.
std::unique_ptr<TreeSession>& sharedSession()
{
    static std::unique_ptr<TreeSession> session;
    return session;
}

TreeSession* loadedSession(const PrefixCase& prefix, benchmark::State& state)
{
    static const PrefixCase* loadedPrefix = nullptr;
    std::unique_ptr<TreeSession>& session = sharedSession();
    if (!session || loadedPrefix != &prefix) {
        session.reset();
        session = std::make_unique<TreeSession>(prefix.dir);
        loadedPrefix = &prefix;
    }
    if (!session->opened()) {
        state.SkipWithError(qPrintable(session->error()));
        return nullptr;
    }
    session->activate();
    if (session->control().Count() == 0 && session->load() != 0) {
        state.SkipWithError("the load failed");
        return nullptr;
    }
    return session.get();
}

void describe(benchmark::State& state, Kestrow& control)
{
    int extensions = 0;
    int actions = 0;
    int handlers = 0;
    for (const auto& entry : control.FileTypeCollection()) {
        const FileTypeObject& type = *entry.item;
        extensions += type.FileExtensions.count();
        actions += type.Actions.count();
        handlers += type.ShellExtensions.count();
        for (const auto& ext : type.FileExtensions)
            handlers += ext.item->ShellExtensions.count();
    }
    state.counters["types"] = control.Count();
    state.counters["extensions"] = extensions;
    state.counters["orphans"] = control.OrphanedExtensions().count();
    state.counters["actions"] = actions;
    state.counters["handlers"] = handlers;
    state.counters["nodes"] = control.tree().count();
    state.counters["images"] = control.imlIcons().Count();
    state.counters["boxes"] = g_messageBoxes;
}

// Opening the prefix: reading and indexing its hives, before any load.
void open(benchmark::State& state, const PrefixCase* prefix)
{
    for (auto _ : state) {
        auto store = std::make_unique<PrefixStore>(prefix->dir);
        QString error;
        if (!store->open(error))
            state.SkipWithError(qPrintable(error));
        state.PauseTiming(); // freeing the hives is not opening
        store.reset();
        state.ResumeTiming();
    }
}

// A load into a freshly opened prefix and an empty control: nothing decoded, no icon extracted.
// The process itself has loaded before; ProgramRun has the first load of a process.
void load(benchmark::State& state, const PrefixCase* prefix)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<TreeSession>(prefix->dir);
        if (!session->opened()) {
            state.SkipWithError(qPrintable(session->error()));
            break;
        }
        state.ResumeTiming();
        const long rc = session->load();
        state.PauseTiming();
        if (rc != 0)
            state.SkipWithError("the load failed");
        describe(state, session->control());
        session.reset();
        state.ResumeTiming();
    }
}

// Loading again over a loaded tree: clearing what was there included, icons kept.
void reload(benchmark::State& state, const PrefixCase* prefix)
{
    TreeSession* session = loadedSession(*prefix, state);
    if (!session)
        return;
    for (auto _ : state)
        if (session->load() != 0)
            state.SkipWithError("the load failed");
    describe(state, session->control());
}

void clear(benchmark::State& state, const PrefixCase* prefix)
{
    TreeSession* session = loadedSession(*prefix, state);
    if (!session)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        if (session->control().Count() == 0 && session->load() != 0)
            state.SkipWithError("the load failed");
        state.ResumeTiming();
        session->control().Clear();
    }
}

enum class Target { TypeNode, OrphansFolder, BiggestFolder };

int descendants(const KestrowNode& node)
{
    int count = 0;
    for (const auto& child : node.children())
        count += 1 + descendants(*child);
    return count;
}

KestrowNode* findTarget(Kestrow& control, Target target)
{
    KestrowNode* best = nullptr;
    switch (target) {
    case Target::TypeNode: {
        // The file type with the most below it.
        int most = -1;
        for (const auto& top : control.tree().topLevel()) {
            if (!top->key().startsWith(KEY_PREFIX_FILETYPE))
                continue;
            if (const int count = descendants(*top); count > most) {
                most = count;
                best = top.get();
            }
        }
        return best;
    }
    case Target::OrphansFolder:
        return control.GetNodeFromKey(KEY_ORPHANEDEXTFOLDER);
    case Target::BiggestFolder: {
        // The node with the most children, the orphans folder aside.
        std::vector<KestrowNode*> pending;
        for (const auto& top : control.tree().topLevel())
            pending.push_back(top.get());
        while (!pending.empty()) {
            KestrowNode* n = pending.back();
            pending.pop_back();
            if (n->key() != KEY_ORPHANEDEXTFOLDER && (!best || n->childCount() > best->childCount()))
                best = n;
            for (const auto& child : n->children())
                pending.push_back(child.get());
        }
        return best;
    }
    }
    return nullptr;
}

// Expanding (or collapsing) one node by the tree view, as a click on its button does, and
// drawing the view afterwards.
void toggle(benchmark::State& state, const PrefixCase* prefix, Target target, bool expanding)
{
    TreeSession* session = loadedSession(*prefix, state);
    if (!session)
        return;
    Kestrow& control = session->control();
    KestrowNode* node = findTarget(control, target);
    if (!node) {
        state.SkipWithError("no such node");
        return;
    }
    QTreeView* view = control.tvwData();
    const QModelIndex index = control.tree().indexOf(node);
    view->scrollTo(index);
    const auto show = [&](bool expanded) {
        if (expanded)
            view->expand(index);
        else
            view->collapse(index);
        QCoreApplication::processEvents();
    };
    show(!expanding);
    for (auto _ : state) {
        show(expanding);
        state.PauseTiming();
        show(!expanding);
        state.ResumeTiming();
    }
    state.counters["children"] = node->childCount();
    state.counters["rows"] = control.tree().rowCount();
}

// ---- a program run, in a process of its own

// One step of a program run: its wall and CPU time and the resident peak while it ran.
struct StepFigures {
    double wallMs = 0;
    double cpuMs = 0;
    std::int64_t peakBytes = 0;
};

double threadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

template <typename Step>
StepFigures measureStep(Step&& step)
{
    ProcessMemory::resetPeak();
    QElapsedTimer wall;
    wall.start();
    const double cpu = threadCpuMs();
    step();
    return {double(wall.nsecsElapsed()) / 1e6, threadCpuMs() - cpu, ProcessMemory::peak()};
}

// In the child: opens the prefix and loads it twice, as a user's program run does, and prints
// the resident size at the start and the figures of the three steps.
int runProgramChild(const QString& prefixDir, const QString& settingsDir)
{
    SetSettingsFolder(settingsDir);
    const std::int64_t start = ProcessMemory::resident();
    std::unique_ptr<TreeSession> session;
    long firstResult = -1;
    long secondResult = -1;
    const StepFigures steps[] = {
        measureStep([&] { session = std::make_unique<TreeSession>(prefixDir); }),
        measureStep([&] { firstResult = session->opened() ? session->load() : -1; }),
        measureStep([&] { secondResult = session->opened() ? session->load() : -1; }),
    };
    if (!session->opened() || firstResult != 0 || secondResult != 0) {
        std::fprintf(stderr, "the prefix did not load: %s\n", qPrintable(session->error()));
        return 1;
    }
    std::printf("%lld", static_cast<long long>(start));
    for (const StepFigures& step : steps)
        std::printf(" %.3f %.3f %lld", step.wallMs, step.cpuMs, static_cast<long long>(step.peakBytes));
    std::printf("\n");
    return 0;
}

// The user's view of a program run: opening the prefix, the first load (nothing decoded, no icon
// extracted, fresh memory) and a reload, each with its time and resident peak.
void programRun(benchmark::State& state, const PrefixCase* prefix)
{
    QList<QByteArray> numbers;
    for (auto _ : state) {
        QProcess child;
        child.start(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath(),
            {QString::fromLatin1(kProgramChildOption), prefix->dir, SettingsFolder()});
        if (!child.waitForFinished(600000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            state.SkipWithError(qPrintable(QString::fromLocal8Bit(child.readAllStandardError())));
            return;
        }
        numbers = child.readAllStandardOutput().trimmed().split(' ');
    }
    if (numbers.size() != 10) {
        state.SkipWithError("the program run gave no figures");
        return;
    }
    state.counters["start_MB"] = numbers[0].toDouble() / 1e6;
    double peak = 0;
    const char* const steps[] = {"open", "load", "reload"};
    for (int i = 0; i < 3; ++i) {
        const std::string step = steps[i];
        state.counters[step + "_ms"] = numbers[1 + 3 * i].toDouble();
        state.counters[step + "_cpu_ms"] = numbers[2 + 3 * i].toDouble();
        state.counters[step + "_peak_MB"] = numbers[3 + 3 * i].toDouble() / 1e6;
        peak = std::max(peak, numbers[3 + 3 * i].toDouble() / 1e6);
    }
    state.counters["peak_MB"] = peak;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The headless platform says so every time a window is shown; that is no news here.
    static const QtMessageHandler qtHandler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (!message.contains(QLatin1String("propagateSizeHints")))
            qtHandler(type, context, message);
    });
    QApplication application(argc, argv);
    RunContext context;
    UiSeams::setMessageBoxHandler([](const MessageBoxRequest& request) {
        ++g_messageBoxes;
        std::fprintf(stderr, "message box: %s\n", qPrintable(request.text));
        return request.buttons() == vbRetryCancel ? vbCancel : vbOK;
    });
    if (argc == 4 && std::string(argv[1]) == kProgramChildOption)
        return runProgramChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const QString settingsDir = workDir().filePath(QStringLiteral("settings"));
    writeDefaultSettings(settingsDir);

    SyntheticShapes::ClassesCounts counts;
    counts.iconFiles = SyntheticIcons::fileNames();
    std::vector<std::unique_ptr<PrefixCase>> prefixes;
    prefixes.push_back(writePrefix("fresh", SyntheticShapes::freshMachine(kSeed)));
    prefixes.push_back(writePrefix("large", SyntheticShapes::largeClasses(counts, kSeed)));

    const std::vector<std::pair<std::string, Target>> targets = {
        {"type", Target::TypeNode}, {"orphans", Target::OrphansFolder}, {"biggest", Target::BiggestFolder}};
    for (const auto& prefix : prefixes) {
        if (!prefix)
            continue;
        const PrefixCase* p = prefix.get();
        const std::string& n = p->name;
        const int loads = n == "large" ? 5 : 20;
        benchmark::RegisterBenchmark(("Open/" + n).c_str(), open, p)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Load/" + n).c_str(), load, p)
            ->Iterations(loads)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Reload/" + n).c_str(), reload, p)
            ->Iterations(loads)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Clear/" + n).c_str(), clear, p)
            ->Iterations(loads)
            ->Unit(benchmark::kMillisecond);
        for (const auto& [targetName, target] : targets) {
            benchmark::RegisterBenchmark(("Expand/" + n + "/" + targetName).c_str(), toggle, p, target, true)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("Collapse/" + n + "/" + targetName).c_str(), toggle, p, target, false)
                ->Unit(benchmark::kMillisecond);
        }
        benchmark::RegisterBenchmark(("ProgramRun/" + n).c_str(), programRun, p)
            ->Iterations(1)
            ->Repetitions(3)
            ->DisplayAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sharedSession().reset(); // its widgets go before the application object
    return 0;
}
