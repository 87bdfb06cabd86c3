#pragma once

#include "control/tree/Kestrow.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <QByteArray>
#include <QIcon>
#include <QRgb>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

// A Kestrow control on a prefix whose HKEY_CLASSES_ROOT the test writes, with the default
// definition tables and scripted message boxes.
class KestrowFixture : public ::testing::Test {
public:
    // The colours of the icon files the tests write.
    static constexpr QRgb kRed = qRgb(200, 0, 0);
    static constexpr QRgb kBlue = qRgb(0, 0, 200);

    // A small HKEY_CLASSES_ROOT. txtfile (icon C:\icons\red.ico): extensions .txt and .log, .txt
    // with a handler of its own (kTxtHandler); actions open and print; handlers kMenu1 and kMenu2
    // of group 1 and kIconHandler of group 6. docfile: extension .doc, action open, handler
    // kDocPage of group 0. .zzz names a type that does not exist. Folder, a grouped special
    // type, has no members.
    static QByteArray sampleSections();
    static const QString kMenu1;
    static const QString kMenu2;
    static const QString kIconHandler;
    static const QString kDocPage;
    static const QString kTxtHandler;

    // Whether two icons look the same in the small size.
    static bool sameImage(const QIcon& a, const QIcon& b);

protected:
    // `sections`: Wine-format sections of system.reg ("[Software\\Classes\\.txt] 1" ...).
    explicit KestrowFixture(const QByteArray& sections);

    // Loads without progress box or splash screen.
    long load(bool loadFull = true);

    KestrowNode* node(const QString& key) const { return control.GetNodeFromKey(key); }
    // The keys of a node's children in shown order; of the top level for an empty key.
    QStringList childKeys(const QString& key = QString()) const;
    // The record of the node with `key`, as the host would get it.
    template <typename T>
    std::shared_ptr<T> item(const QString& key) const
    {
        return std::dynamic_pointer_cast<T>(control.GetItemFromKey(key));
    }

    // Writes an icon file of one colour below the prefix's drive C ("icons\\red.ico" is
    // C:\icons\red.ico). Before the first load: icon paths are resolved once.
    void writeIcon(const QString& windowsPath, QRgb colour) const;
    // The colour in the middle of the image stored under `key` in the control's image list.
    QRgb imageColour(const QString& key);

    TestSettings settings;
    TestPrefix prefix;
    ScriptedUi ui;
    Kestrow control;
};
