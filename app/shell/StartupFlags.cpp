#include "app/shell/StartupFlags.h"

StartupFlags& StartupFlags::current()
{
    static StartupFlags flags;
    return flags;
}
