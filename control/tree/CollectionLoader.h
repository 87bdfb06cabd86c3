#pragma once

class KestrowCore;
class LoadProgress;

// Loading HKEY_CLASSES_ROOT into the control: extension first, each file type once however many
// extensions name it, orphaned extensions apart, special types from the settings, then the tree.
// `progress` (none: nothing is shown) sees the load and may cancel it. Returns 0, 1001 when the
// user cancelled, 2002 when HKEY_CLASSES_ROOT cannot be opened, or the code of a failure after
// which the user chose Cancel; the control is empty after any failure.
long LoadCollection(KestrowCore& core, bool loadFull, LoadProgress* progress);

// Loads the special file types of the settings table into the control's file types.
void LoadSpecial(KestrowCore& core, bool loadFull);
