#include "app/shell/StartupFlags.h"

#include "platform/RunContext.h"

StartupFlags& StartupFlags::current()
{
    return RunContext::current().state<StartupFlags>();
}
