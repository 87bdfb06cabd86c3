#pragma once

#include <QString>

// Why the registry this run edits cannot be changed, in plain words; empty when it can.
QString ReadOnlyRegistryReason();

// For every command that writes: when the registry is read-only, says why in an information box
// and returns true, before the command changes anything.
bool RefuseWhenReadOnly();
