#include "control/records/Definitions.h"
#include "control/records/FileTypeObject.h"
#include "control/tools/ItemExport.h"
#include "platform/registry/CommandScope.h"
#include "platform/registry/PrefixStore.h"
#include "platform/registry/RegKeyHandle.h"
#include "platform/registry/RegistryApi.h"
#include "tests/interop/InteropSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using ExportInterop = WineRegistryTest;

const QString kClsid = u"{7A5E0C11-3F2B-4C6D-9E8F-0123456789AB}"_s;
const QString kApproved = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved"_s;

QByteArray raw(std::initializer_list<int> values)
{
    QByteArray data;
    for (int v : values)
        data += char(v);
    return data;
}

void put(HKEY root, const QString& path, const QString& name, DWORD type, const QByteArray& data)
{
    RegKeyHandle key;
    ASSERT_EQ(RegCreateKeyEx(root, path, 0, QString(), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.out(),
                             nullptr),
              ERROR_SUCCESS)
        << path.toStdString();
    ASSERT_EQ(RegSetValueEx(key.get(), name, 0, type, reinterpret_cast<const std::uint8_t*>(data.constData()),
                            DWORD(data.size())),
              ERROR_SUCCESS)
        << path.toStdString() << " " << name.toStdString();
}

void putText(const QString& path, const QString& name, const QString& text, DWORD type = REG_SZ)
{
    put(HKEY_CLASSES_ROOT, path, name, type, regTextBytes(text));
}

// Every key and value of root\path in the current registry, in enumeration order: "key" lines
// for keys, "key|name|type|hex bytes" for values, the paths relative to root\path.
void dump(HKEY parent, const QString& path, const QString& relative, QStringList& out)
{
    RegKeyHandle key;
    if (RegOpenKeyEx(parent, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS) {
        out << relative + u" missing"_s;
        return;
    }
    out << relative;
    for (DWORD i = 0;; ++i) {
        QString name;
        DWORD chars = 16384;
        DWORD type = 0;
        std::uint8_t data[4096];
        DWORD size = sizeof data;
        if (RegEnumValue(key.get(), i, &name, &chars, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        out << u"%1|%2|%3|%4"_s.arg(relative, name).arg(type).arg(
            QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(data), int(size)).toHex(',')));
    }
    QStringList names;
    for (DWORD i = 0;; ++i) {
        QString name;
        DWORD chars = 260;
        if (RegEnumKeyEx(key.get(), i, &name, &chars) != ERROR_SUCCESS)
            break;
        names << name;
    }
    for (const QString& name : names)
        dump(key.get(), name, relative + u'\\' + name, out);
}

QStringList dumpAll()
{
    QStringList out;
    for (const QString& path : {u"vnkexport"_s, u".vnkx"_s, u"CLSID\\"_s + kClsid})
        dump(HKEY_CLASSES_ROOT, path, path, out);
    RegKeyHandle list;
    std::uint8_t data[520];
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kApproved, 0, KEY_READ, list.out()) == ERROR_SUCCESS &&
        RegQueryValueEx(list.get(), kClsid, nullptr, &type, data, &size) == ERROR_SUCCESS)
        out << u"approved %1 %2"_s.arg(type).arg(regTextFromBytes(data, size));
    return out;
}

// A type with every kind of value (text with escapes and characters beyond the BMP, wrapped
// binary, a DWORD of 3 bytes, empty text, an empty key, an empty default), an extension, an action
// with DDE and a handler with its class and approval, exported from one prefix and imported with
// Wine's regedit into a fresh one, reads back key for key and byte for byte.
TEST_F(ExportInterop, ATypeExportedFromOnePrefixImportsWholeIntoAnother)
{
    {
        CommandScope batch;
        putText(u"vnkexport"_s, QString(), u"Varnook \"Export\" Test"_s);
        put(HKEY_CLASSES_ROOT, u"vnkexport"_s, u"EditFlags"_s, REG_DWORD, raw({0, 0, 1, 0}));
        putText(u"vnkexport"_s, u"Path \"quoted\""_s, u"C:\\dir\\a\nb\rc"_s);
        putText(u"vnkexport"_s, u"Wide"_s, u"café 中文 \U0001F600"_s);
        QByteArray blob;
        for (int i = 0; i < 60; ++i)
            blob += char(i * 7);
        put(HKEY_CLASSES_ROOT, u"vnkexport"_s, u"Blob"_s, REG_BINARY, blob);
        put(HKEY_CLASSES_ROOT, u"vnkexport"_s, u"Multi"_s, REG_MULTI_SZ,
            regTextBytes(u"one"_s) + regTextBytes(u"two"_s) + raw({0, 0}));
        put(HKEY_CLASSES_ROOT, u"vnkexport"_s, u"Q"_s, REG_QWORD, raw({1, 2, 3, 4, 5, 6, 7, 8}));
        // Text without its closing NUL is left out: the file keeps its bytes (see the writer's
        // tests), but Wine's own import stores such REG_SZ data changed (it adds a NUL).
        put(HKEY_CLASSES_ROOT, u"vnkexport"_s, u"EmptyText"_s, REG_SZ, QByteArray());
        put(HKEY_CLASSES_ROOT, u"vnkexport"_s, u"Short"_s, REG_DWORD, raw({1, 2, 3}));
        put(HKEY_CLASSES_ROOT, u"vnkexport"_s, u"None"_s, REG_NONE, QByteArray());
        put(HKEY_CLASSES_ROOT, u"vnkexport"_s, u"Custom"_s, 0x1234, raw({0xfe, 0xff}));
        putText(u"vnkexport\\DefaultIcon"_s, QString(), u"%SystemRoot%\\system32\\shell32.dll,-1"_s, REG_EXPAND_SZ);
        putText(u"vnkexport\\EmptyDefault"_s, QString(), QString());
        RegKeyHandle empty;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u"vnkexport\\Empty"_s, 0, QString(), 0, KEY_ALL_ACCESS, nullptr,
                                 empty.out(), nullptr),
                  ERROR_SUCCESS);
        putText(u"vnkexport\\shell\\open\\command"_s, QString(), u"notepad.exe \"%1\""_s);
        putText(u"vnkexport\\shell\\open\\ddeexec"_s, QString(), u"[open(\"%1\")]"_s);
        putText(u"vnkexport\\shell\\open\\ddeexec\\Application"_s, QString(), u"notepad"_s);
        putText(u"vnkexport\\shell\\open\\ddeexec\\Topic"_s, QString(), u"System"_s);
        putText(u"vnkexport\\shellex\\ContextMenuHandlers\\VnkMenu"_s, QString(), kClsid);
        putText(u".vnkx"_s, QString(), u"vnkexport"_s);
        putText(u".vnkx"_s, u"Content Type"_s, u"text/x-varnook"_s);
        putText(u"CLSID\\"_s + kClsid, QString(), u"Varnook Menu"_s);
        putText(u"CLSID\\"_s + kClsid + u"\\InprocServer32"_s, QString(), u"C:\\windows\\system32\\vnkmenu.dll"_s);
        putText(u"CLSID\\"_s + kClsid + u"\\InprocServer32"_s, u"ThreadingModel"_s, u"Apartment"_s);
        put(HKEY_LOCAL_MACHINE, kApproved, kClsid, REG_SZ, regTextBytes(u"Varnook Menu"_s));
    }
    const QStringList original = dumpAll();
    ASSERT_FALSE(original.filter(u"missing"_s).size()) << original.join(u'\n').toStdString();

    // The records name the type and its extension; what is written comes from the registry.
    auto type = std::make_shared<FileTypeObject>();
    type->InternalName = u"vnkexport"_s;
    auto extension = std::make_shared<FileExtensionObject>();
    extension->Extension = u".vnkx"_s;
    type->FileExtensions.add(extension->Key(), extension);

    WinePrefix target;
    ASSERT_TRUE(target.isValid());
    QString error;
    ASSERT_EQ(ItemExport::Export(ITEM_FILETYPE, type, target.filePath(u"drive_c/export.reg"_s), error), 0)
        << error.toStdString();

    int exitCode = -1;
    target.run({u"regedit"_s, u"/s"_s, u"C:\\export.reg"_s}, &exitCode);
    EXPECT_EQ(exitCode, 0);
    // Wine itself reads what was imported.
    EXPECT_TRUE(target.query(u"HKCR\\.vnkx"_s).contains(u"Content Type|REG_SZ|text/x-varnook"_s))
        << target.query(u"HKCR\\.vnkx"_s).join(u'\n').toStdString();
    EXPECT_TRUE(target.query(u"HKCR\\vnkexport\\shell\\open\\ddeexec\\Topic"_s).contains(u"(Default)|REG_SZ|System"_s));
    target.stopServer();

    PrefixStore imported(target.path());
    ASSERT_TRUE(imported.open(error)) << error.toStdString();
    Registry::setCurrent(&imported.registry());
    const QStringList copy = dumpAll();
    Registry::setCurrent(&store->registry());
    EXPECT_EQ(copy, original) << "imported:\n" << copy.join(u'\n').toStdString();
}

} // namespace
