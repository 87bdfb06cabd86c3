#pragma once

#include "bench/SyntheticHive.h"

#include <QString>

// Lays out a prefix folder as Wine does, from generated hives: system.reg, user.reg, drive_c with
// windows/system32, and dosdevices/c: pointing at drive_c, so that the program and its tree
// benchmarks can open it like a user's prefix.
class SyntheticPrefix {
public:
    static bool write(const QString& dir, const SyntheticHive& machine, const SyntheticHive& user, QString& error);
};
