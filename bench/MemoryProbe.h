#pragma once

#include <QString>

#include <cstdint>

// Peak memory of loading or saving one hive file, measured in a fresh process of its own so that
// nothing the benchmark allocated before (or freed into the allocator's pools) hides or inflates
// the figure. The benchmark program re-runs itself with kChildOption to be that process.
class MemoryProbe {
public:
    enum class Task { Load, Save, SaveAllTouched, SaveAllChanged };

    struct Result {
        bool ok = false;
        QString error;
        std::int64_t fileBytes = 0;
        std::int64_t loadPeakBytes = 0; // resident peak while reading and parsing, above the start
        std::int64_t savePeakBytes = 0; // resident peak while saving, above the start (hive included)
        std::int64_t saveExtraBytes = 0; // what the save itself added on top of the loaded hive
    };

    static constexpr const char* kChildOption = "--probe-memory";

    // In the benchmark process: runs `program kChildOption <task> <file>` and reads its answer.
    static Result measure(const QString& program, Task task, const QString& file);

    // In the child: performs the task on `file` and prints the figures; returns the exit code.
    static int runChild(const QString& task, const QString& file);
};
