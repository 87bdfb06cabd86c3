#include "common/ReadOnlyRegistry.h"

#include "platform/RunContext.h"
#include "platform/registry/Registry.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// HKEY_CLASSES_ROOT lives in the machine hive: only that hive decides.
TEST(ReadOnlyRegistry, RefusesOnlyWhenTheClassesCannotBeWritten)
{
    ScriptedUi ui;
    for (const bool machineReadOnly : {false, true}) {
        Registry registry;
        registry.mountMachine(std::make_shared<Hive>(), machineReadOnly);
        registry.mountUser(std::make_shared<Hive>(), true);
        RunContext::current().setRegistry(&registry);
        EXPECT_EQ(RefuseWhenReadOnly(), machineReadOnly);
        RunContext::current().setRegistry(nullptr);
    }
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].text, QStringLiteral("The registry is open read-only, so nothing can be changed."));
}

} // namespace
