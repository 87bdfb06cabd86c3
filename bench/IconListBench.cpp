// The icon picker's listing: every icon of a library put into an icon-mode list with ListIcons, as
// the picker shows a file, for libraries of 50 and 300 icon groups whose groups hold the sizes a
// shell library carries (48, 32 and 16 pixels at 32 bits, and a 256-pixel PNG).

#include "control/tree/IconList.h"
#include "control/tree/ImageList.h"
#include "platform/RunContext.h"
#include "tests/support/TestPeWriter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>
#include <string>

namespace {

QString writeLibrary(const QTemporaryDir& dir, int groups)
{
    TestPeWriter writer(TestPeWriter::Bits::Pe32Plus);
    for (int id = 1; id <= groups; ++id) {
        const QRgb colour = qRgba(40 + id % 200, 90, 200 - id % 150, 255);
        writer.addGroup(id, {TestIconData::png(256, colour), TestIconData::dib(48, 32, colour),
                             TestIconData::dib(32, 32, colour), TestIconData::dib(16, 32, colour)});
    }
    const QString path = dir.filePath(QStringLiteral("library%1.dll").arg(groups));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(writer.build()) < 0 || !file.commit())
        return QString();
    return path;
}

// `cold`: every listing reads the file anew, as the first look at a file does; else the icon
// caches hold it, as when the picker shows the same file again.
void listIcons(benchmark::State& state, QString path, int groups, bool cold)
{
    QListWidget list;
    list.setViewMode(QListView::IconMode);
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            SetIconPrefix(QString()); // a new resolver, with empty caches
            state.ResumeTiming();
        }
        list.clear();
        ImageList images;
        const qint16 listed = ListIcons(path, 2, &list, images);
        if (listed != groups) {
            state.SkipWithError("not every icon was listed");
            break;
        }
    }
    state.counters["icons"] = groups;
    state.counters["per_icon_us"] =
        benchmark::Counter(double(groups) * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RunContext context;
    SetIconPrefix(QString()); // Linux paths name the files
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    QTemporaryDir dir;
    for (const int groups : {50, 300}) {
        const QString path = writeLibrary(dir, groups);
        if (path.isEmpty()) {
            std::fprintf(stderr, "cannot write the library of %d icons\n", groups);
            return 1;
        }
        for (const bool cold : {true, false})
            benchmark::RegisterBenchmark(("ListIcons/" + std::to_string(groups) + (cold ? "/cold" : "/cached")).c_str(),
                                         listIcons, path, groups, cold)
                ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
