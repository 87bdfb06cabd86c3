#include "control/records/Definitions.h"
#include "control/records/FileTypeObject.h"
#include "control/records/RegistryAccess.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"
#include "tests/interop/InteropSupport.h"
#include "tests/support/RegistryRecords.h"

#include <gtest/gtest.h>

// Writing back what Wine's own registry holds, unchanged, leaves Wine's file as Wine wrote it; a
// change is one section of that file, and Wine reads it.

namespace {

using RecordsUnchangedWriteInterop = WineRegistryTest;

QStringList subkeys(HKEY parent)
{
    QStringList names;
    RegKeyHandle key;
    if (RegOpenKeyEx(parent, QString(), 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return names;
    QString name;
    for (DWORD index = 0;; ++index) {
        DWORD chars = kTextBufferChars;
        if (RegEnumKeyEx(key.get(), index, &name, &chars) != ERROR_SUCCESS)
            break;
        names << name;
    }
    return names;
}

TEST_F(RecordsUnchangedWriteInterop, EveryFileTypeWrittenBackUnchangedLeavesWinesFileAndOneChangeIsOneSection)
{
    const QString systemReg = wine.filePath(QStringLiteral("system.reg"));
    const QByteArray original = readFile(systemReg);
    ASSERT_FALSE(original.isEmpty());

    RegistryRecords records = RegistryRecords::load();
    // A fresh prefix names few types through extensions: every other key is loaded as a type too
    // (txtfile, exefile, Folder and their kind), so that all of Wine's verbs and handlers are written.
    for (const QString& name : subkeys(HKEY_CLASSES_ROOT)) {
        if (name.startsWith(u'.') || records.type(name))
            continue;
        auto type = std::make_shared<FileTypeObject>();
        type->InternalName = name;
        if (type->LoadMe(true) == 0)
            records.types.add(type->Key(), type);
    }
    int full = 0;
    int members = 0;
    for (const auto& entry : records.types) {
        full += entry.item->Loaded() == LOAD_FULL;
        members += entry.item->FileExtensions.count() + entry.item->Actions.count() + entry.item->ShellExtensions.count();
    }
    ASSERT_GE(full, 100);
    ASSERT_GE(members, 40);

    EXPECT_EQ(records.writeAll(), 0) << store->lastError().toStdString();
    EXPECT_FALSE(store->registry().machineHive()->isDirty());
    EXPECT_TRUE(readFile(systemReg) == original) << "system.reg was rewritten";

    const auto ini = records.type(QStringLiteral("inifile"));
    ASSERT_TRUE(ini);
    const auto open = ini->Actions.value(ActionKey(QStringLiteral("open"), QStringLiteral("inifile")));
    ASSERT_TRUE(open);
    open->Command = QStringLiteral("C:\\windows\\system32\\notepad.exe /p %1");
    ASSERT_EQ(open->WriteMe(), 0) << store->lastError().toStdString();

    const QMap<QByteArray, QByteArray> before = sectionsOf(original);
    const QMap<QByteArray, QByteArray> after = sectionsOf(readFile(systemReg));
    ASSERT_EQ(after.keys(), before.keys());
    QList<QByteArray> changed;
    for (auto it = after.begin(); it != after.end(); ++it)
        if (before.value(it.key()) != it.value())
            changed << it.key();
    EXPECT_EQ(changed, QList<QByteArray>{"[Software\\\\Classes\\\\inifile\\\\shell\\\\open\\\\command"});

    EXPECT_EQ(wine.query(QStringLiteral("HKCR\\inifile\\shell\\open\\command")),
              QStringList{QStringLiteral("(Default)|REG_SZ|") + open->Command});
}

} // namespace
