#include "common/ReadOnlyRegistry.h"

#include "common/MessageBoxes.h"
#include "platform/RunContext.h"
#include "platform/registry/PrefixStore.h"
#include "platform/registry/Registry.h"

QString ReadOnlyRegistryReason()
{
    // HKEY_CLASSES_ROOT lives in the machine hive: a user hive that cannot be written does not matter.
    const Registry* registry = RunContext::exists() ? Registry::current() : nullptr;
    if (!registry || !registry->isReadOnly(registry->machineHive().get()))
        return QString();
    if (const PrefixStore* prefix = RunContext::current().prefix(); prefix && prefix->isReadOnly())
        return prefix->readOnlyReason();
    return QStringLiteral("The registry is open read-only, so nothing can be changed.");
}

bool RefuseWhenReadOnly()
{
    const QString reason = ReadOnlyRegistryReason();
    if (reason.isEmpty())
        return false;
    ShowInfo(reason);
    return true;
}
