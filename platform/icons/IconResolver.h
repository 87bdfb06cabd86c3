#pragma once

#include "platform/icons/IconExtractor.h"
#include "platform/icons/StandInIconLibrary.h"
#include "platform/shell/WindowsPathMapper.h"

#include <QHash>
#include <QImage>
#include <QString>

// ExtractIconEx for the paths of icon locations as the registry holds them: the Windows path is
// expanded and mapped into the prefix; "SHELL32.DLL" that the prefix lacks is Varnook's own
// icon library. One resolver serves a whole program run: files are parsed once and icons
// extracted once.
class IconResolver {
public:
    explicit IconResolver(WindowsPathMapper mapper, StandInIconLibrary standIn = StandInIconLibrary());

    // The ExtractIconEx contract (see IconExtractor::extract) on a Windows path: `path` is the
    // file part of a location, without quotes and without the ",index".
    int extract(const QString& path, int index, QImage* large, QImage* small);

    // The Linux file `path` names in the prefix; empty when it names none (a folder is none).
    QString resolve(const QString& path);
    // Whether `path` names the shell's icon library ("shell32.dll" in any case, with or without
    // folders).
    static bool isShellLibrary(const QString& path);

    const WindowsPathMapper& mapper() const { return m_mapper; }
    IconExtractor& extractor() { return m_extractor; }

    // Forgets which files paths resolved to (after files were added to or removed from the prefix).
    void forgetPaths() { m_resolved.clear(); }

    // Distinct paths remembered; more start the memory over.
    static constexpr int kMaxRememberedPaths = 4096;

private:
    WindowsPathMapper m_mapper;
    StandInIconLibrary m_standIn;
    IconExtractor m_extractor;
    QHash<QString, QString> m_resolved; // key: the path as given (mapping tries the exact case first)
};
