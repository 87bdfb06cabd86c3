#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A real Wine prefix for tests that check what Wine itself reads. The first use in a test
// program boots one with wineboot (about 15 seconds); each test then works on its own copy.
class WinePrefix {
public:
    static bool wineAvailable();

    // A fresh copy of the booted prefix; check isValid() (false when Wine is missing or failed).
    WinePrefix();
    ~WinePrefix();

    bool isValid() const { return m_valid; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Runs a Wine program in this prefix (e.g. {"reg", "query", "HKCR\\.txt"}) and returns its
    // standard output with '\n' line ends. A wineserver is started for the first run and kept,
    // which makes later runs quick: call stopServer() before the registry files are written again.
    QString run(const QStringList& arguments, int* exitCode = nullptr) const;

    // The values of a key as `wine reg query` prints them: one "name|type|data" entry each, the
    // default value named "(Default)"; empty when the key is missing.
    QStringList query(const QString& key) const;

    // Starts a wineserver for the prefix that stays until stopServer(), which also waits until it
    // has written the registry files and gone.
    void startServer() const;
    void stopServer() const;

private:
    static QString bootedPrefix();
    QTemporaryDir m_dir;
    bool m_valid = false;
    mutable bool m_serverRunning = false;
};
