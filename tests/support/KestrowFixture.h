#pragma once

#include "control/tree/Kestrow.h"
#include "tests/support/ModelChecker.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestSettings.h"

#include <QByteArray>
#include <QIcon>
#include <QRgb>
#include <QStringList>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

// The tree keys of the two file types most item tests work on.
inline const QString kTxt = QStringLiteral("ft__.txtfile");
inline const QString kDoc = QStringLiteral("ft__.docfile");

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
    // A key below HKEY_CLASSES_ROOT (single backslashes) and its default value; none when null.
    struct ClassesKey {
        const char* path;
        const char* value = nullptr;
    };
    // The Wine-format sections of system.reg that hold these keys.
    static QByteArray classes(std::initializer_list<ClassesKey> keys);
    inline static const QString kMenu1 = QStringLiteral("sh__.{11111111-0000-0000-0000-000000000001}.1.txtfile");
    inline static const QString kMenu2 = QStringLiteral("sh__.{11111111-0000-0000-0000-000000000002}.1.txtfile");
    inline static const QString kIconHandler = QStringLiteral("sh__.{11111111-0000-0000-0000-000000000003}.6.txtfile");
    inline static const QString kDocPage = QStringLiteral("sh__.{44444444-0000-0000-0000-000000000001}.0.docfile");
    inline static const QString kTxtHandler = QStringLiteral("sh__.{33333333-0000-0000-0000-000000000001}.-1..txt");

    // Whether two icons look the same in the small size.
    static bool sameImage(const QIcon& a, const QIcon& b);

protected:
    // `sections`: Wine-format sections of system.reg, as classes() makes them.
    explicit KestrowFixture(const QByteArray& sections);

    // Gives HKEY_CLASSES_ROOT `sections` instead, before the first load.
    void rewrite(const QByteArray& sections);
    // Loads without splash screen, and without progress box unless asked.
    long load(bool loadFull = true, bool showProgress = false);

    KestrowNode* node(const QString& key) const { return control.GetNodeFromKey(key); }
    // The key of a node's parent; empty for a node at the top, or no node.
    QString parentKey(const QString& key) const
    {
        const KestrowNode* n = node(key);
        return n && n->parent() ? n->parent()->key() : QString();
    }
    // Whether the model holds the record under `key` and shows it, as the host finds it.
    bool shown(const QString& key) const { return control.GetItemFromKey(key) && node(key); }
    // The key of the selected node; empty when none is.
    QString selectedKey() const { return control.SelectedNode() ? control.SelectedNode()->key() : QString(); }
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
    ModelChecker checker{&control.tree()};
};
