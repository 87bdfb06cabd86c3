#pragma once

#include "tests/support/QStringPrinter.h"

#include "platform/registry/PrefixStore.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A prefix folder in a temporary directory, written by the test, and a store opened on it that
// is the current registry while the object lives.
class TestPrefix {
public:
    // `systemSections` are Wine-format sections appended after the standard header of system.reg.
    explicit TestPrefix(const QByteArray& systemSections = QByteArray(), const QByteArray& userSections = QByteArray());
    ~TestPrefix();

    static QByteArray systemHeader();
    static QByteArray userHeader();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QByteArray readFile(const QString& name) const;
    void writeFile(const QString& name, const QByteArray& bytes) const;

    // Opens the store (and makes its registry current); fails the test when it cannot open.
    PrefixStore& open();
    PrefixStore& store() { return *m_store; }
    // Re-reads the prefix from disk into a fresh store, as the next program run would.
    PrefixStore& reopen();

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_backups;
    std::unique_ptr<PrefixStore> m_store;
};
