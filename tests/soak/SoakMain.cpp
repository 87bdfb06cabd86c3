// varnook_soak [steps] [seed] [prefix folder | "sample"]
//
// Applies `steps` random item operations (default 10000) to a copy of a prefix, with saves that
// fail now and then, and checks every step against a model of what HKEY_CLASSES_ROOT should hold.
// A seed (default: from the clock) reproduces a run. With a Wine prefix and Wine installed, Wine's
// own export of HKLM\Software\Classes is compared with the model at the end.

#include "platform/RunContext.h"
#include "tests/soak/SoakRun.h"
#include "tests/soak/SoakWine.h"
#include "tests/support/TestSettings.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void print(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

bool copyPrefix(const QString& from, const QString& to)
{
    if (from == QStringLiteral("sample")) {
        for (const char* name : {"system.reg", "user.reg"})
            if (!QFile::copy(QStringLiteral(":/sample/") + QLatin1String(name), to + u'/' + QLatin1String(name)) ||
                !QFile::setPermissions(to + u'/' + QLatin1String(name), QFile::ReadOwner | QFile::WriteOwner))
                return false;
        return true;
    }
    QProcess cp;
    cp.start(QStringLiteral("cp"), {QStringLiteral("-a"), from + QStringLiteral("/."), to});
    return cp.waitForFinished(600000) && cp.exitCode() == 0;
}

QString figures(const SoakRun::Figures& f, quint64 seed, qint64 ms)
{
    return QStringLiteral("steps %1, faults %2 (full disk %3, foreign change %4, wineserver %5), refused saves %6, "
                          "reloads %7, seed %8, %9 s")
        .arg(f.steps)
        .arg(f.fullDisks + f.foreignChanges + f.serverStarts)
        .arg(f.fullDisks)
        .arg(f.foreignChanges)
        .arg(f.serverStarts)
        .arg(f.refusedSaves)
        .arg(f.reloads)
        .arg(seed)
        .arg(double(ms) / 1000.0, 0, 'f', 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    bool ok = true;
    const int steps = args.size() > 1 ? args[1].toInt(&ok) : 10000;
    const quint64 seed = args.size() > 2 ? args[2].toULongLong(&ok) : quint64(QDateTime::currentMSecsSinceEpoch());
    const QString source = args.size() > 3 ? args[3] : QStringLiteral("sample");
    if (!ok || steps <= 0) {
        print(QStringLiteral("usage: varnook_soak [steps] [seed] [prefix folder | sample]"));
        return 2;
    }

    RunContext context;
    TestSettings settings;
    QTemporaryDir work;
    if (!copyPrefix(source, work.path())) {
        print(QStringLiteral("cannot copy the prefix %1").arg(source));
        return 2;
    }
    const bool wine = source != QStringLiteral("sample") && QFileInfo(work.filePath(QStringLiteral("drive_c"))).isDir() &&
                      SoakWine::available();
    print(QStringLiteral("soak of %1 (%2 steps, seed %3)").arg(source).arg(steps).arg(seed));

    QElapsedTimer clock;
    clock.start();
    SoakRun soak({work.path(), seed, 50, true});
    bool good = soak.open();
    for (int done = 0; good && done < steps; done += 1000) {
        good = soak.run(std::min(1000, steps - done));
        print(figures(soak.figures(), seed, clock.elapsed()));
    }
    if (good)
        good = soak.settle();
    if (good && wine) {
        QString error;
        const QString text = SoakWine::exportClasses(work.path(), error);
        const QStringList differences =
            text.isEmpty() ? QStringList{error}
                           : SoakSnapshot::differences(soak.model().expected(), SoakSnapshot::ofRegExport(text, soak.roots()));
        good = differences.isEmpty();
        print(good ? QStringLiteral("Wine's export matches the model")
                   : QStringLiteral("Wine's export differs from the model:\n  ") + differences.join(QStringLiteral("\n  ")));
    }
    for (const QString& line : soak.figures().divergence)
        print(line);
    print(QStringLiteral("the model holds %1 file types, %2 extensions, %3 handler classes and %4 keys of other programs")
              .arg(soak.model().types.size())
              .arg(soak.model().extensions.size())
              .arg(soak.model().classes.size())
              .arg(soak.model().foreign.size()));
    print(QStringLiteral("%1: %2").arg(good ? QStringLiteral("passed") : QStringLiteral("FAILED"),
                                       figures(soak.figures(), seed, clock.elapsed())));
    return good ? 0 : 1;
}
