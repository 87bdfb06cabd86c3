// Settings files: whatever loads must save (with one more key) and load again to the same values,
// without problems, and a file the store wrote must come back as it was.

#include "fuzz/FuzzSupport.h"

#include "platform/settings/IniText.h"
#include "platform/settings/SettingsStore.h"

#include <QFile>
#include <QStringList>

namespace {

const QString kApplication = QStringLiteral("Fuzz");

// The section names a file's lines give, as the store reads them; the store's own reading
// decides which of them hold keys.
QStringList sectionNames(const QByteArray& bytes)
{
    QStringList names;
    for (const QByteArray& raw : bytes.split('\n')) {
        QString line = TrimIniBlanks(QString::fromUtf8(raw));
        if (line.endsWith(u'\r'))
            line = TrimIniBlanks(line.chopped(1));
        if (line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']'))
            names << UnescapeIniText(TrimIniBlanks(line.mid(1, line.size() - 2)), nullptr);
    }
    return names;
}

using Snapshot = QList<std::pair<QString, QList<SettingPair>>>;

Snapshot snapshot(const SettingsStore& store, const QStringList& sections)
{
    Snapshot result;
    for (const QString& section : sections)
        result.append({section, store.pairs(section)});
    return result;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString folder = fuzz::workFolder() + QStringLiteral("/settings");
    QDir(folder).removeRecursively(); // and the damaged copies of the last input
    QDir().mkpath(folder + QLatin1Char('/') + kApplication);
    const QString file = folder + QLatin1Char('/') + kApplication + QLatin1Char('/') + kApplication + ".ini";
    {
        QFile out(file);
        fuzz::require(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size(), "the input is written");
    }

    const QStringList sections = sectionNames(bytes) << QStringLiteral("Fuzz probe");
    Snapshot expected;
    {
        SettingsStore store(kApplication, folder);
        // A key of its own makes the store save; what it read must come back with that key.
        store.setValue(QStringLiteral("Fuzz probe"), QStringLiteral("key"), QStringLiteral(" value "));
        expected = snapshot(store, sections);
        fuzz::require(store.save(), "a store saves");
    }
    const QByteArray saved = fileBytes(file);

    SettingsStore reloaded(kApplication, folder);
    fuzz::require(reloaded.problems().isEmpty(), "a saved settings file reads without problems");
    fuzz::require(snapshot(reloaded, sections) == expected, "a saved settings file loads to the same values");

    // Saved again with nothing else changed, the file stays as it was.
    reloaded.setValue(QStringLiteral("Fuzz probe"), QStringLiteral("key"), QStringLiteral("other"));
    reloaded.setValue(QStringLiteral("Fuzz probe"), QStringLiteral("key"), QStringLiteral(" value "));
    fuzz::require(reloaded.save(), "a store saves again");
    fuzz::require(fileBytes(file) == saved, "a settings file the store wrote saves as it was");
    // The stores count event-loop turns with queued calls; one turn here ends them.
    QCoreApplication::processEvents();
    return 0;
}
