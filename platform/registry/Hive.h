#pragma once

#include "platform/registry/RegKey.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

// One registry file's tree: the keys below its root, the header lines it started with and the
// text its unchanged sections are copied from on save.
class Hive {
public:
    // `rootPath` is the path the file's header comment names, e.g. "REGISTRY\\Machine".
    explicit Hive(const QString& rootPath = QString());

    const RegKey::Ptr& root() const { return m_root; }

    // The lines before the first key, written back unchanged.
    const QByteArray& preamble() const { return m_preamble; }
    void setPreamble(QByteArray preamble) { m_preamble = std::move(preamble); }

    // The text the keys' sections point into; it lives as long as the hive.
    const QByteArray& text() const { return m_text; }
    void setText(QByteArray text) { m_text = std::move(text); }

    bool isDirty() const { return m_dirty; }
    void setDirty(bool dirty) { m_dirty = dirty; }

    // Problems found while loading, each "file:line: message". A hive with problems is not
    // written back, so that nothing the reader could not understand is lost.
    const QStringList& problems() const { return m_problems; }
    void addProblem(const QString& problem) { m_problems.append(problem); }
    int problemCount() const { return m_problemCount; }
    void countProblem() { ++m_problemCount; }

    static QByteArray defaultPreamble(const QString& rootPath);

private:
    RegKey::Ptr m_root;
    QByteArray m_preamble;
    QByteArray m_text;
    QStringList m_problems;
    int m_problemCount = 0;
    bool m_dirty = false;
};
