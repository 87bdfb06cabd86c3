#include "tests/support/KestrowFixture.h"

#include "control/tree/IconList.h"
#include "tests/support/TestIconData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QByteArray KestrowFixture::sampleSections()
{
    return classes({
        {".doc", "docfile"},
        {".log", "txtfile"},
        {".txt", "txtfile"},
        {R"(.txt\shellex\{33333333-0000-0000-0000-000000000001})", "{33333333-0000-0000-0000-000000000001}"},
        {".zzz", "ghostfile"},
        {R"(CLSID\{11111111-0000-0000-0000-000000000001})", "Menu One"},
        {R"(CLSID\{11111111-0000-0000-0000-000000000002})", "Menu Two"},
        {R"(CLSID\{11111111-0000-0000-0000-000000000003})", "Icon Painter"},
        {R"(CLSID\{33333333-0000-0000-0000-000000000001})", "Text Preview"},
        {R"(CLSID\{44444444-0000-0000-0000-000000000001})", "Doc Page"},
        {"Folder", "Folder"},
        {"docfile", "Doc File"},
        {R"(docfile\shell\open\command)", "writer.exe %1"},
        {R"(docfile\shellex\PropertySheetHandlers\Page)", "{44444444-0000-0000-0000-000000000001}"},
        {"txtfile", "Text Document"},
        {R"(txtfile\DefaultIcon)", R"(C:\icons\red.ico)"},
        {R"(txtfile\shell\open\command)", "notepad.exe %1"},
        {R"(txtfile\shell\print\command)", "notepad.exe /p %1"},
        {R"(txtfile\shellex\ContextMenuHandlers\Menu1)", "{11111111-0000-0000-0000-000000000001}"},
        {R"(txtfile\shellex\ContextMenuHandlers\Menu2)", "{11111111-0000-0000-0000-000000000002}"},
        {R"(txtfile\shellex\IconHandler)", "{11111111-0000-0000-0000-000000000003}"},
    });
}

QByteArray KestrowFixture::classes(std::initializer_list<ClassesKey> keys)
{
    const auto escaped = [](const char* text) { return QByteArray(text).replace('\\', "\\\\").replace('"', "\\\""); };
    QByteArray sections;
    for (const ClassesKey& key : keys) {
        sections += "\n[Software\\\\Classes\\\\" + escaped(key.path) + "] 1\n";
        if (key.value)
            sections += "@=\"" + escaped(key.value) + "\"\n";
    }
    return sections;
}

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

void KestrowFixture::rewrite(const QByteArray& sections)
{
    prefix.writeFile(QStringLiteral("system.reg"), TestPrefix::systemHeader() + sections);
    prefix.reopen();
    SetIconPrefix(prefix.path());
}

long KestrowFixture::load(bool loadFull, bool showProgress)
{
    bool splash = false;
    return control.LoadCollection(showProgress, splash, loadFull);
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
