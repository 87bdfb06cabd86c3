#include "bench/SyntheticIcons.h"

#include "tests/support/TestIconData.h"

#include <QDir>
#include <QSaveFile>

QStringList SyntheticIcons::fileNames()
{
    return {QStringLiteral("docview.ico"), QStringLiteral("mediaapp.ico")};
}

bool SyntheticIcons::writeFiles(const QString& folder, QString& error)
{
    using Icons = TestIconData;
    // An old-style icon of paletted images, and a modern one whose largest image is a PNG.
    const QList<QByteArray> contents = {
        Icons::icoFile({Icons::dib(32, 4, qRgb(0, 0, 160)), Icons::dib(16, 4, qRgb(0, 0, 160)),
                        Icons::dib(32, 8, qRgb(40, 90, 200)), Icons::dib(16, 8, qRgb(40, 90, 200))}),
        Icons::icoFile({Icons::png(256, qRgba(200, 60, 20, 255)), Icons::dib(48, 32, qRgba(200, 60, 20, 255)),
                        Icons::dib(32, 32, qRgba(200, 60, 20, 255)), Icons::dib(16, 32, qRgba(200, 60, 20, 255))}),
    };
    const QStringList names = fileNames();
    for (qsizetype i = 0; i < names.size(); ++i) {
        QSaveFile file(QDir(folder).filePath(names[i]));
        if (!file.open(QIODevice::WriteOnly) || file.write(contents[i]) < 0 || !file.commit()) {
            error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
            return false;
        }
    }
    return true;
}
