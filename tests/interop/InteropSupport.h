#pragma once

#include "platform/registry/PrefixStore.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSettings.h"
#include "tests/support/WinePrefix.h"

#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include <memory>

// What the tests against a real Wine share.

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The sections of a registry file by their key line's path ("[Software\\\\Classes\\\\.txt").
inline QMap<QByteArray, QByteArray> sectionsOf(const QByteArray& text)
{
    QMap<QByteArray, QByteArray> sections;
    qsizetype start = text.indexOf("\n\n[");
    while (start >= 0) {
        const qsizetype next = text.indexOf("\n\n[", start + 1);
        const QByteArray chunk = text.mid(start + 2, next < 0 ? -1 : next - start - 2);
        sections.insert(chunk.left(chunk.indexOf("] ")), chunk);
        start = next;
    }
    return sections;
}

// A copy of a freshly booted Wine prefix whose registry is open and current, with the default
// settings tables and scripted message boxes; skipped where Wine is not installed.
class WineRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WinePrefix::wineAvailable())
            GTEST_SKIP() << "Wine is not installed";
        ASSERT_TRUE(wine.isValid());
        store = std::make_unique<PrefixStore>(wine.path());
        QString error;
        ASSERT_TRUE(store->open(error)) << error.toStdString();
        Registry::setCurrent(&store->registry());
    }

    TestSettings settings;
    ScriptedUi ui;
    WinePrefix wine;
    std::unique_ptr<PrefixStore> store;
};
