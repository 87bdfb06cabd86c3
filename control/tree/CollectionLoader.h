#pragma once

class Kestrow;

// Loading HKEY_CLASSES_ROOT into the control: extension first, each file type once however many
// extensions name it, orphaned extensions apart, special types from the settings, then the tree.
// See Kestrow::LoadCollection for the results.
long LoadCollection(Kestrow& control, bool& showProgressBox, bool& showSplashScreen, bool loadFull);

// Loads the special file types of the settings table into the control's file types.
void LoadSpecial(Kestrow& control, bool loadFull);
