#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// The desktop's file manager, asked to show a file: the file selected in its folder through the
// freedesktop.org D-Bus interface (org.freedesktop.FileManager1.ShowItems), else just its folder,
// opened through UiSeams::openUrl.
class FileManager {
public:
    // Asks a file manager to show the file with this URI ("file:///..." with %-escapes); returns
    // whether one accepted.
    using ShowItemsCall = std::function<bool(const QString& fileUri)>;

    // `showItems` stands in for the D-Bus call (tests); empty means the real call.
    explicit FileManager(ShowItemsCall showItems = {});

    // Shows the file or folder; returns whether the desktop accepted it, false for a path that
    // does not exist.
    bool showItem(const QString& linuxPath) const;

    // The file's URL, of its canonical path; its encoded form goes to ShowItems. Empty for a path
    // that does not exist.
    static QUrl fileUrl(const QString& linuxPath);
    // The URL opened when no file manager answers on D-Bus: the folder holding the file.
    static QUrl folderUrl(const QString& linuxPath);

    // The real D-Bus call on the session bus; false without a session bus or a file manager.
    static bool callShowItems(const QString& fileUri);

private:
    ShowItemsCall m_showItems;
};
