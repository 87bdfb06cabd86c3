#pragma once

// The five start-up options, filled once by the start-up from the section "config", changed only
// by the Options dialog and read by the main window. They live as long as the run context.
struct StartupFlags {
    bool ShowProgress = false;
    bool ShowSplash = true;
    bool LoadOnStartup = true;
    bool LoadFull = true;
    bool RefreshOnSelect = true;

    static StartupFlags& current();
};
