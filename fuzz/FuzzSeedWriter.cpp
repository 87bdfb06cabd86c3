// Writes seed inputs for the icon targets into two folders: .ico files of every image kind the
// decoder knows (DIB of 1 to 32 bpp with and without alpha, PNG) and small PE images (PE32 and
// PE32+) with named and numbered icon groups and a version resource.
//
//     FuzzSeedWriter <ico folder> <pe folder>

#include "tests/support/TestIconData.h"
#include "tests/support/TestPeWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

using D = TestIconData;

bool writeFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    QFile file(QDir(folder).filePath(name));
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: FuzzSeedWriter <ico folder> <pe folder>\n");
        return 2;
    }
    const QString icoFolder = args[1];
    const QString peFolder = args[2];
    QDir().mkpath(icoFolder);
    QDir().mkpath(peFolder);
    const QRgb red = qRgb(200, 0, 0);
    bool ok = true;

    for (const int bits : {1, 4, 8, 24, 32})
        ok &= writeFile(icoFolder, QStringLiteral("dib-%1.ico").arg(bits), D::icoFile({D::dib(16, bits, red)}));
    ok &= writeFile(icoFolder, QStringLiteral("dib-32-no-alpha.ico"), D::icoFile({D::dib(16, 32, red, false)}));
    ok &= writeFile(icoFolder, QStringLiteral("png.ico"), D::icoFile({D::png(16, red)}));
    ok &= writeFile(icoFolder, QStringLiteral("mixed.ico"),
                    D::icoFile({D::dib(32, 8, red), D::dib(16, 4, red), D::png(48, red)}));

    const QByteArray version = TestPeWriter::versionResource(
        0x0001000200030004ULL, 0x0005000600070008ULL,
        {{QStringLiteral("040904b0"), {{QStringLiteral("FileDescription"), QStringLiteral("Fuzz seed")},
                                       {QStringLiteral("CompanyName"), QStringLiteral("Varnook")}}}});
    for (const auto bits : {TestPeWriter::Bits::Pe32, TestPeWriter::Bits::Pe32Plus}) {
        TestPeWriter pe(bits);
        pe.addGroup(QStringLiteral("Named"), {D::dib(32, 8, red), D::dib(16, 32, red)});
        pe.addGroup(2, {D::png(16, red)});
        pe.setVersion(version);
        const QString name = bits == TestPeWriter::Bits::Pe32 ? QStringLiteral("pe32.dll") : QStringLiteral("pe32plus.dll");
        ok &= writeFile(peFolder, name, pe.build());
    }
    return ok ? 0 : 1;
}
