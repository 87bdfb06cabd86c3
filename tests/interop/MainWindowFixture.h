#pragma once

#include "app/shell/StartupFlags.h"
#include "app/shell/frmMain.h"
#include "control/tree/Kestrow.h"
#include "tests/interop/InteropSupport.h"
#include "tests/support/TreeClicks.h"

#include <QAction>
#include <QDialog>
#include <QPushButton>
#include <QTreeWidget>

#include <memory>
#include <utility>

// The main window on a real Wine prefix in which Wine's own `reg add` made .txt a Text Document
// and vnkfile a type of two extensions; every outcome is read back with Wine's reg, assoc and ftype.
class MainWindowInterop : public ::testing::Test {
protected:
    // The keys Wine's `reg add` writes before the test, with their default values.
    virtual QList<std::pair<QString, QString>> seededKeys() const
    {
        return {{QStringLiteral("HKCR\\.txt"), QStringLiteral("txtfile")},
                {QStringLiteral("HKCR\\.vnk"), QStringLiteral("vnkfile")},
                {QStringLiteral("HKCR\\.vn2"), QStringLiteral("vnkfile")},
                {QStringLiteral("HKCR\\vnkfile"), QStringLiteral("Varnook File")},
                {QStringLiteral("HKCR\\vnkfile\\shell\\open\\command"), QStringLiteral("vnk.exe \"%1\"")},
                {QStringLiteral("HKCR\\.one"), QStringLiteral("onefile")},
                {QStringLiteral("HKCR\\onefile"), QStringLiteral("One File")}};
    }

    void SetUp() override
    {
        if (!WinePrefix::wineAvailable())
            GTEST_SKIP() << "Wine is not installed";
        ASSERT_TRUE(wine.isValid());
        // One import for every key: each start of Wine's reg costs a second or more.
        QByteArray reg = "REGEDIT4\r\n";
        for (const auto& [key, value] : seededKeys()) {
            const QString text = QString(value).replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
            reg += "\r\n[" + QString(key).replace(QStringLiteral("HKCR"), QStringLiteral("HKEY_CLASSES_ROOT")).toUtf8() +
                   "]\r\n@=\"" + text.toUtf8() + "\"\r\n";
        }
        QFile seed(wine.filePath(QStringLiteral("drive_c/seed.reg")));
        ASSERT_TRUE(seed.open(QIODevice::WriteOnly) && seed.write(reg) == reg.size());
        seed.close();
        int code = -1;
        const QString output = wine.run({QStringLiteral("reg"), QStringLiteral("import"), QStringLiteral("C:\\seed.reg")}, &code);
        ASSERT_EQ(code, 0) << output.toStdString();
        ASSERT_TRUE(seed.remove());
        wine.stopServer(); // Wine writes its registry files and lets go of them
        store = std::make_unique<PrefixStore>(wine.path());
        QString error;
        ASSERT_TRUE(store->open(error)) << error.toStdString();
        Registry::setCurrent(&store->registry());
        StartupFlags::current() = {false, false, true, true, false};
        window = std::make_unique<frmMain>();
        window->setPrefix(store.get());
        window->Form_Load();
        ASSERT_GT(window->tree()->Count(), 0);
    }

    void TearDown() override
    {
        if (window)
            window->tree()->Clear();
    }

    template <typename T>
    T* child(const char* name)
    {
        auto* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void click(const QString& key) { ClickNode(*window->tree(), key); }
    QString wineOutput(const QStringList& command, int* code = nullptr) { return wine.run(command, code).trimmed(); }
    QString assoc(const QString& extension) { return wineOutput({QStringLiteral("cmd"), QStringLiteral("/c"), QStringLiteral("assoc"), extension}); }
    QString ftype(const QString& type) { return wineOutput({QStringLiteral("cmd"), QStringLiteral("/c"), QStringLiteral("ftype"), type}); }
    bool keyExists(const QString& key)
    {
        int code = -1;
        wine.run({QStringLiteral("reg"), QStringLiteral("query"), key}, &code);
        return code == 0;
    }
    // Chooses the file type named `name` in the chooser the command opens.
    void chooseInChooser(const QString& name)
    {
        ui.onModal = [name](QDialog& dialog) {
            auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("lstTypes"));
            list->setCurrentItem(list->findItems(name, Qt::MatchExactly).value(0));
            dialog.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
            return dialog.result();
        };
    }

    TestSettings settings;
    ScriptedUi ui;
    WinePrefix wine;
    std::unique_ptr<PrefixStore> store;
    std::unique_ptr<frmMain> window;
};
