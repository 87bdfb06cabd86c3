#include "tests/control/tree/KestrowFixture.h"

#include "control/tree/IconList.h"
#include "tests/support/TestIconData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QByteArray KestrowFixture::sampleSections()
{
    return R"(
[Software\\Classes\\.doc] 1
@="docfile"

[Software\\Classes\\.log] 1
@="txtfile"

[Software\\Classes\\.txt] 1
@="txtfile"

[Software\\Classes\\.txt\\shellex\\{33333333-0000-0000-0000-000000000001}] 1
@="{33333333-0000-0000-0000-000000000001}"

[Software\\Classes\\.zzz] 1
@="ghostfile"

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000001}] 1
@="Menu One"

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000002}] 1
@="Menu Two"

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000003}] 1
@="Icon Painter"

[Software\\Classes\\CLSID\\{33333333-0000-0000-0000-000000000001}] 1
@="Text Preview"

[Software\\Classes\\CLSID\\{44444444-0000-0000-0000-000000000001}] 1
@="Doc Page"

[Software\\Classes\\Folder] 1
@="Folder"

[Software\\Classes\\docfile] 1
@="Doc File"

[Software\\Classes\\docfile\\shell\\open\\command] 1
@="writer.exe %1"

[Software\\Classes\\docfile\\shellex\\PropertySheetHandlers\\Page] 1
@="{44444444-0000-0000-0000-000000000001}"

[Software\\Classes\\txtfile] 1
@="Text Document"

[Software\\Classes\\txtfile\\DefaultIcon] 1
@="C:\\icons\\red.ico"

[Software\\Classes\\txtfile\\shell\\open\\command] 1
@="notepad.exe %1"

[Software\\Classes\\txtfile\\shell\\print\\command] 1
@="notepad.exe /p %1"

[Software\\Classes\\txtfile\\shellex\\ContextMenuHandlers\\Menu1] 1
@="{11111111-0000-0000-0000-000000000001}"

[Software\\Classes\\txtfile\\shellex\\ContextMenuHandlers\\Menu2] 1
@="{11111111-0000-0000-0000-000000000002}"

[Software\\Classes\\txtfile\\shellex\\IconHandler] 1
@="{11111111-0000-0000-0000-000000000003}"
)";
}

const QString KestrowFixture::kMenu1 = QStringLiteral("sh__.{11111111-0000-0000-0000-000000000001}.1.txtfile");
const QString KestrowFixture::kMenu2 = QStringLiteral("sh__.{11111111-0000-0000-0000-000000000002}.1.txtfile");
const QString KestrowFixture::kIconHandler = QStringLiteral("sh__.{11111111-0000-0000-0000-000000000003}.6.txtfile");
const QString KestrowFixture::kDocPage = QStringLiteral("sh__.{44444444-0000-0000-0000-000000000001}.0.docfile");
const QString KestrowFixture::kTxtHandler = QStringLiteral("sh__.{33333333-0000-0000-0000-000000000001}.-1..txt");

bool KestrowFixture::sameImage(const QIcon& a, const QIcon& b)
{
    return a.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32) ==
           b.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

KestrowFixture::KestrowFixture(const QByteArray& sections)
    : prefix(sections)
{
    prefix.open();
    SetIconPrefix(prefix.path());
}

long KestrowFixture::load(bool loadFull)
{
    bool progress = false;
    bool splash = false;
    return control.LoadCollection(progress, splash, loadFull);
}

QStringList KestrowFixture::childKeys(const QString& key) const
{
    QStringList keys;
    if (key.isEmpty()) {
        for (const auto& child : control.tree().topLevel())
            keys << child->key();
    } else if (const KestrowNode* parent = node(key)) {
        for (const auto& child : parent->children())
            keys << child->key();
    }
    return keys;
}

void KestrowFixture::writeIcon(const QString& windowsPath, QRgb colour) const
{
    const QString file = prefix.filePath(QStringLiteral("drive_c/") + QString(windowsPath).replace(u'\\', u'/'));
    QDir().mkpath(QFileInfo(file).path());
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly)) << file.toStdString();
    out.write(TestIconData::icoFile({TestIconData::png(16, colour), TestIconData::png(32, colour)}));
}

QRgb KestrowFixture::imageColour(const QString& key)
{
    const QImage image = control.imlIcons().Image(key).pixmap(16, 16).toImage();
    return image.isNull() ? 0 : image.pixel(image.width() / 2, image.height() / 2);
}
