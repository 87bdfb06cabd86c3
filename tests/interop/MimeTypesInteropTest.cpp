#include "control/tools/frmMimeTypes.h"
#include "tests/interop/InteropSupport.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

const QString kWineDatabase = u"HKCR\\MIME\\Database\\Content Type"_s;
const QString kVarnookClsid = u"{5a1e0c0d-7f3b-4c1e-9a0b-0123456789ab}"_s;
const QString kImageFilter = u"{607fd4e8-0a03-11d1-ab1d-00c04fc9b304}"_s;

const QString kGifClsid = u"{25336920-03F9-11cf-8FD0-00AA00686F13}"_s;

// The MIME window on a real Wine prefix. A fresh Wine prefix has no content types, so Wine's own
// `reg add` first writes a database as Windows ships it: image types with their "Bits" subkey
// beside plain ones. Everything is read back with Wine's own reg.
class MimeTypesInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WinePrefix::wineAvailable())
            GTEST_SKIP() << "Wine is not installed";
        ASSERT_TRUE(wine.isValid());
        const QString gif = kWineDatabase + u"\\image/gif"_s;
        QList<QStringList> adds = {
            {gif, u"/v"_s, u"Extension"_s, u"/d"_s, u".gif"_s},
            {gif, u"/v"_s, u"CLSID"_s, u"/d"_s, kGifClsid},
            {gif, u"/v"_s, u"Image Filter CLSID"_s, u"/d"_s, kImageFilter},
            {gif + u"\\Bits"_s, u"/v"_s, u"0"_s, u"/t"_s, u"REG_BINARY"_s, u"/d"_s, u"04000000ffffffff47494638"_s},
            {kWineDatabase + u"\\image/jpeg"_s, u"/v"_s, u"Extension"_s, u"/d"_s, u".jpg"_s},
            {kWineDatabase + u"\\image/jpeg\\Bits"_s, u"/v"_s, u"0"_s, u"/t"_s, u"REG_BINARY"_s, u"/d"_s,
             u"02000000ffffffd8"_s},
        };
        for (const char* plain : {"text/plain|.txt", "text/html|.htm", "application/pdf|.pdf", "audio/wav|.wav",
                                  "video/avi|.avi", "text/xml|.xml", "application/x-zip-compressed|.zip",
                                  "image/png|.png", "text/css|.css", "application/x-msdownload|.exe"})
            adds.append({kWineDatabase + u"\\"_s + QString::fromLatin1(plain).section(u'|', 0, 0), u"/v"_s,
                         u"Extension"_s, u"/d"_s, QString::fromLatin1(plain).section(u'|', 1)});
        for (const QStringList& add : adds) {
            int code = -1;
            wine.run(QStringList{u"reg"_s, u"add"_s} + add + QStringList{u"/f"_s}, &code);
            ASSERT_EQ(code, 0) << add.join(u' ').toStdString();
        }
        wine.stopServer(); // Wine writes its registry files and lets go of them
        store = std::make_unique<PrefixStore>(wine.path());
        QString error;
        ASSERT_TRUE(store->open(error)) << error.toStdString();
        ASSERT_FALSE(store->isReadOnly()) << store->readOnlyReason().toStdString();
        Registry::setCurrent(&store->registry());
        window = new frmMimeTypes;
        window->ShowMimeTypes();
    }
    void TearDown() override { delete window.data(); }

    QTreeWidget* list() const { return window->findChild<QTreeWidget*>(u"lstMimeTypes"_s); }
    QTreeWidgetItem* row(const QString& type) const
    {
        return list()->findItems(type, Qt::MatchFixedString).value(0);
    }
    void press(const QString& name) const { window->findChild<QPushButton*>(name)->click(); }
    void type(const QString& box, const QString& text) const { window->findChild<QLineEdit*>(box)->setText(text); }
    QByteArray systemReg() const { return readFile(wine.filePath(u"system.reg"_s)); }

    // The content types Wine lists, by name.
    QStringList wineContentTypes() const
    {
        QStringList types;
        const QString prefix = u"HKEY_CLASSES_ROOT\\MIME\\Database\\Content Type\\"_s;
        for (const QString& line : wine.run({u"reg"_s, u"query"_s, kWineDatabase}).split(u'\n'))
            if (line.startsWith(prefix, Qt::CaseInsensitive))
                types << line.mid(prefix.size()).trimmed();
        return types;
    }
    // The value `name` of a content type as Wine reads it; empty when missing.
    QString wineValue(const QString& contentType, const QString& name) const
    {
        for (const QString& value : wine.query(kWineDatabase + u'\\' + contentType))
            if (value.section(u'|', 0, 0) == name)
                return value.section(u'|', 2);
        return {};
    }
    bool wineHasKey(const QString& key) const
    {
        int code = -1;
        wine.run({u"reg"_s, u"query"_s, key}, &code);
        return code == 0;
    }

    TestSettings settings;
    ScriptedUi ui;
    WinePrefix wine;
    std::unique_ptr<PrefixStore> store;
    QPointer<frmMimeTypes> window;
};

TEST_F(MimeTypesInterop, ListsWhatWineListsAndReadingChangesNothing)
{
    const QByteArray before = systemReg();
    // Every read-only use: open, select, query, refresh, and both questions answered No.
    list()->setCurrentItem(row(u"image/gif"_s));
    press(u"btnQuery"_s);
    window->findChild<QAction*>(u"mnuPopupRefresh"_s)->trigger();
    list()->setCurrentItem(row(u"image/gif"_s));
    ui.answer(vbNo);
    press(u"btnRemove"_s);
    type(u"txtType"_s, u"application/x-varnook"_s);
    ui.answer(vbNo);
    press(u"btnAdd"_s);
    EXPECT_EQ(ui.boxes().size(), 2u);
    EXPECT_TRUE(systemReg() == before) << "read-only use must leave the file as it was";
    EXPECT_FALSE(store->hasUnsavedChanges());

    QStringList listed;
    for (int i = 0; i < list()->topLevelItemCount(); ++i)
        listed << list()->topLevelItem(i)->text(0);
    const QStringList wineTypes = wineContentTypes();
    ASSERT_EQ(wineTypes.size(), 12);
    EXPECT_EQ(listed.size(), wineTypes.size());
    EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()), QSet<QString>(wineTypes.begin(), wineTypes.end()));

    const QTreeWidgetItem* gif = row(u"image/gif"_s);
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->text(1), u".gif"_s);
    EXPECT_EQ(gif->text(2), wineValue(u"image/gif"_s, u"CLSID"_s));
    EXPECT_EQ(gif->text(3), wineValue(u"image/gif"_s, u"Image Filter CLSID"_s));
    EXPECT_FALSE(gif->text(2).isEmpty());
    EXPECT_FALSE(gif->text(3).isEmpty());
}

TEST_F(MimeTypesInterop, AddedTypeAndRemovedImageTypeAreWhatWineReads)
{
    const int before = list()->topLevelItemCount();
    // The filter box is filled while the type is an image type, then the type changes.
    type(u"txtType"_s, u"image/x-varnook"_s);
    type(u"txtImgCLSID"_s, kImageFilter);
    type(u"txtType"_s, u"application/x-varnook"_s);
    type(u"txtExtension"_s, u".vnk"_s);
    type(u"txtCLSID"_s, kVarnookClsid);
    ui.answer(vbYes);
    ui.answer(vbOK);
    press(u"btnAdd"_s);
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(ui.boxes()[1].text, u"Successfully added MIME Content Type to the registry."_s);
    const QTreeWidgetItem* added = row(u"application/x-varnook"_s);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->text(1), u".vnk"_s);
    EXPECT_EQ(added->text(2), kVarnookClsid);

    ui.clear();
    list()->setCurrentItem(row(u"image/gif"_s));
    ui.answer(vbYes);
    ui.answer(vbOK);
    press(u"btnRemove"_s);
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(ui.boxes()[1].text, u"Successfully removed MIME Content Type from the registry."_s);
    EXPECT_FALSE(row(u"image/gif"_s));
    EXPECT_EQ(list()->topLevelItemCount(), before);

    // Varnook's writes are on disk; now Wine reads them.
    EXPECT_EQ(wine.query(kWineDatabase + u"\\application/x-varnook"_s),
              (QStringList{u"CLSID|REG_SZ|"_s + kVarnookClsid, u"Extension|REG_SZ|.vnk"_s}));
    EXPECT_FALSE(wineHasKey(kWineDatabase + u"\\image/gif"_s));
    EXPECT_FALSE(wineHasKey(kWineDatabase + u"\\image/gif\\Bits"_s));
    EXPECT_TRUE(wineHasKey(kWineDatabase + u"\\image/jpeg\\Bits"_s)) << "the other types stay";
    EXPECT_EQ(wineContentTypes().size(), before);
}

} // namespace
