#include "control/records/Definitions.h"
#include "control/records/FileTypeObject.h"
#include "platform/registry/PrefixStore.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"
#include "platform/registry/CommandScope.h"
#include "tests/interop/InteropSupport.h"

#include <QMap>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using RecordsInterop = WineRegistryTest;

// The text `wine reg query` shows for one value of a key, or nothing.
QString valueOf(const QStringList& values, const QString& name)
{
    for (const QString& v : values)
        if (v.section(u'|', 0, 0) == name)
            return v.section(u'|', 2);
    return QString();
}

TEST_F(RecordsInterop, EveryFileTypeOfAFreshPrefixLoadsAndMatchesWine)
{
    // Extension first, each type once, as the control loads them.
    QMap<QString, std::shared_ptr<FileTypeObject>> types;
    RegKeyHandle root;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, QString(), 0, KEY_READ, root.out()), ERROR_SUCCESS);
    QString name;
    int extensions = 0;
    for (DWORD i = 0;; ++i) {
        DWORD chars = 260;
        if (RegEnumKeyEx(root.get(), i, &name, &chars) != ERROR_SUCCESS)
            break;
        if (!name.startsWith(u'.'))
            continue;
        ++extensions;
        auto ext = std::make_shared<FileExtensionObject>();
        ext->Extension = name;
        ASSERT_EQ(ext->LoadMe(true), 0) << name.toStdString();
        const QString key = ext->InternalName.toLower();
        if (!types.contains(key)) {
            auto type = std::make_shared<FileTypeObject>();
            type->InternalName = ext->InternalName;
            types.insert(key, type);
        }
        auto type = types.value(key);
        type->FileExtensions.tryAdd(ext->Key(), ext);
        if (type->Loaded() == LOAD_NOTLOADED)
            type->LoadMe(true);
    }
    root.close();
    EXPECT_GE(extensions, 10);
    int loaded = 0;
    for (const auto& type : types)
        loaded += type->Loaded() == LOAD_FULL;
    EXPECT_GE(loaded, 8);
    EXPECT_TRUE(ui.boxes().empty()) << ui.boxes().front().text.toStdString();

    auto txt = std::make_shared<FileTypeObject>();
    txt->InternalName = QStringLiteral("txtfile");
    ASSERT_EQ(txt->LoadMe(true), 0);
    EXPECT_EQ(txt->Name, valueOf(wine.query(QStringLiteral("HKCR\\txtfile")), QStringLiteral("(Default)")));
    for (const char* verb : {"open", "print"}) {
        const auto action = std::dynamic_pointer_cast<ActionObject>(
            txt->GetItem(ITEM_ACTION, QStringLiteral("ac__.%1.txtfile").arg(QLatin1String(verb))));
        ASSERT_TRUE(action) << verb;
        EXPECT_EQ(action->Command,
                  valueOf(wine.query(QStringLiteral("HKCR\\txtfile\\shell\\%1\\command").arg(QLatin1String(verb))),
                          QStringLiteral("(Default)")))
            << verb;
        EXPECT_FALSE(action->Command.isEmpty());
    }
    const auto ini = types.value(QStringLiteral("inifile"));
    ASSERT_TRUE(ini);
    const QStringList iniValues = wine.query(QStringLiteral("HKCR\\.ini"));
    const auto iniExt = ini->FileExtensions.first();
    EXPECT_EQ(iniExt->InternalName, valueOf(iniValues, QStringLiteral("(Default)")));
    EXPECT_EQ(iniExt->ContentType, valueOf(iniValues, QStringLiteral("Content Type")));
}

TEST_F(RecordsInterop, AnAssociationWrittenThroughTheRecordsIsWinesAndGoesAway)
{
    const QString clsid = QStringLiteral("{5A5A5A5A-1234-4321-8888-0123456789AB}");
    auto type = std::make_shared<FileTypeObject>();
    type->InternalName = QStringLiteral("varnook.test");
    type->Name = QStringLiteral("Varnook Test Document");
    auto ext = std::make_shared<FileExtensionObject>();
    ext->Extension = QStringLiteral(".vntest");
    ext->InternalName = type->InternalName;
    ext->ContentType = QStringLiteral("text/x-vntest");
    type->FileExtensions.add(ext->Key(), ext);
    auto open = std::make_shared<ActionObject>();
    open->HostInternalName = type->InternalName;
    open->CommandKey = QStringLiteral("open");
    open->Command = QStringLiteral("\"C:\\windows\\notepad.exe\" \"%1\"");
    type->Actions.add(open->Key(), open);
    auto handler = std::make_shared<ShellExtensionObject>();
    handler->HostInternalName = type->InternalName;
    handler->ExtTypeKey = QStringLiteral("ContextMenuHandlers");
    handler->ExtTypeGroup = true;
    handler->ExtTypeIndex = 1;
    handler->InternalName = QStringLiteral("VarnookMenu");
    handler->CLSID = clsid;
    handler->Name = QStringLiteral("Varnook Menu");
    handler->Inproc32 = QStringLiteral("C:\\windows\\system32\\varnookmenu.dll");
    handler->ThreadModel = QStringLiteral("Apartment");
    type->ShellExtensions.add(handler->Key(), handler);
    {
        CommandScope batch;
        ASSERT_EQ(type->WriteMe(true), 0);
        ASSERT_EQ(batch.finish(), 0) << store->lastError().toStdString();
    }

    const QStringList lines = wine.run({QStringLiteral("cmd"), QStringLiteral("/c"),
                                        QStringLiteral("assoc .vntest & ftype varnook.test")})
                                  .split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << lines.join(u'|').toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\.vntest\\s*=varnook\\.test$")).match(lines[0]).hasMatch())
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("=") + open->Command)) << lines[1].toStdString();
    EXPECT_EQ(valueOf(wine.query(QStringLiteral("HKCR\\.vntest")), QStringLiteral("Content Type")), ext->ContentType);
    EXPECT_EQ(valueOf(wine.query(QStringLiteral("HKCR\\varnook.test\\shellex\\ContextMenuHandlers\\VarnookMenu")),
                      QStringLiteral("(Default)")),
              clsid);
    EXPECT_EQ(wine.query(QStringLiteral("HKCR\\CLSID\\") + clsid + QStringLiteral("\\InprocServer32")),
              (QStringList{"(Default)|REG_SZ|" + handler->Inproc32, "ThreadingModel|REG_SZ|Apartment"}));

    // Removal, as the control does it for a file type with everything in it.
    wine.stopServer();
    QString error;
    store = std::make_unique<PrefixStore>(wine.path()); // Wine rewrote the files; read them again
    ASSERT_TRUE(store->open(error)) << error.toStdString();
    Registry::setCurrent(&store->registry());
    {
        CommandScope batch;
        ASSERT_EQ(handler->RemoveMe(true), 0);
        ASSERT_EQ(type->RemoveMe(true), 0);
        ASSERT_EQ(batch.finish(), 0) << store->lastError().toStdString();
    }
    for (const QString& key : {QStringLiteral("HKCR\\.vntest"), QStringLiteral("HKCR\\varnook.test"),
                               QStringLiteral("HKCR\\CLSID\\") + clsid}) {
        int code = 0;
        wine.run({QStringLiteral("reg"), QStringLiteral("query"), key}, &code);
        EXPECT_NE(code, 0) << key.toStdString() << " is still there";
    }
}

} // namespace
