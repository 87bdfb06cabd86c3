#pragma once

class PrefixStore;

// Whether the program may end now: yes when every change is on disk, after one more save of what a
// failed save left in memory; otherwise the user is told why it cannot be saved and decides whether
// to close anyway and lose it.
bool MayCloseWithUnsavedChanges(PrefixStore& store);
