#pragma once

#include "bench/SyntheticHive.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

// The hives the benchmarks run on, each the same for the same seed.
class SyntheticShapes {
public:
    // How much association data a large HKEY_CLASSES_ROOT holds.
    struct ClassesCounts {
        int extensions = 20000;
        int fileTypes = 10000;
        int actions = 40000; // verbs, spread over the file types
        int handlers = 5000; // shell-extension handlers, spread over file types and extensions
        int classes = 30000; // keys below CLSID, the handlers' classes among them
        // Icon files in system32 that the file types' icons come from in turn with shell32.dll;
        // none leaves every icon in shell32.dll.
        QStringList iconFiles;
    };

    // system.reg and user.reg shaped like those of a freshly booted 64-bit Wine prefix: COM
    // classes, interfaces and type libraries, services, time zones, fonts, a few associations.
    static SyntheticHive freshMachine(std::uint64_t seed);
    static SyntheticHive freshUser(std::uint64_t seed);

    // Adds file types, extensions, verbs, handlers, classes, a MIME database and an approved list
    // below Software\Classes of a machine hive.
    static void addClasses(SyntheticHive& machine, const ClassesCounts& counts, std::uint64_t seed);

    // A fresh machine hive with a large HKEY_CLASSES_ROOT.
    static SyntheticHive largeClasses(const ClassesCounts& counts, std::uint64_t seed);

    // A machine hive of at least `keyCount` keys of no particular meaning: mixed depths, names
    // and value types, escapes and long binary values included.
    static SyntheticHive generic(std::size_t keyCount, std::uint64_t seed);
};
