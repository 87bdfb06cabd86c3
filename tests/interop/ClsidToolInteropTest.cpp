#include "control/tools/frmClsidTool.h"
#include "tests/interop/InteropSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

const QString kHtmlDocument = u"{25336920-03F9-11CF-8FD0-00AA00686F13}"_s;

// The CLSID tool on a stock Wine prefix: what it shows is what Wine's own reg reads, and using it
// leaves the registry file as it was.
class ClsidToolInterop : public WineRegistryTest {
protected:
    void SetUp() override
    {
        WineRegistryTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        window = new frmClsidTool;
    }
    void TearDown() override { delete window.data(); }

    template <typename T>
    T* child(const char* name) const
    {
        T* widget = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString text(const QString& key) const
    {
        QTreeWidgetItem* node = window->nodeFromKey(key);
        return node ? node->text(0) : u"<no node>"_s;
    }
    // The default value of a subkey of the class as Wine reads it.
    QString wineDefault(const QString& subkey) const
    {
        const QString path = u"HKCR\\CLSID\\"_s + kHtmlDocument + (subkey.isEmpty() ? QString() : u"\\"_s + subkey);
        for (const QString& value : wine.query(path))
            if (value.startsWith(u"(Default)|"_s))
                return value.section(u'|', 2);
        return QString();
    }

    QPointer<frmClsidTool> window;
};

// The sixteen numbers a CLSID text names, in decimal, joined.
QString decimalBytes(const QString& clsid)
{
    const QByteArray bytes = QByteArray::fromHex(QString(clsid).remove(u'{').remove(u'}').remove(u'-').toLatin1());
    QString number;
    for (const char byte : bytes)
        number += QString::number(static_cast<unsigned char>(byte));
    return number;
}

TEST_F(ClsidToolInterop, TheHtmlDocumentClassShowsWhatWineHolds)
{
    const QByteArray before = readFile(wine.filePath(u"system.reg"_s));
    // Pictures of the window to look at, when asked for.
    const QString shots = qEnvironmentVariable("VARNOOK_SHOTS_DIR");
    window->StartWithQuery(kHtmlDocument);
    if (!shots.isEmpty()) {
        QDir().mkpath(shots);
        window->nodeFromKey(u"PROPS"_s)->setExpanded(true);
        window->grab().save(QDir(shots).filePath(u"clsid-tool-query.png"_s));
    }
    const QStringList shown{text(u"Name"_s),         text(u"Version"_s),    text(u"ProgID"_s),
                            text(u"InprocServer32"_s), text(u"MiscStatus"_s), text(u"DefaultIcon"_s),
                            text(u"VERB.NONE"_s)};
    QTest::mouseClick(child<QRadioButton>("optGenerate"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("btnGenerate"), Qt::LeftButton);
    if (!shots.isEmpty())
        window->grab().save(QDir(shots).filePath(u"clsid-tool-generate.png"_s));
    window->close();
    // Looking changed nothing: the file is Wine's own to the byte.
    EXPECT_EQ(readFile(wine.filePath(u"system.reg"_s)), before);

    EXPECT_EQ(shown[0], u"Name: HTML Document"_s);
    const struct {
        const char* subkey;
        QString label;
        bool registered; // by a stock prefix; the others show "(none)" unless this Wine has them
    } rows[] = {{"Version", u"Version: "_s, true},
                {"ProgID", u"ProgID: "_s, true},
                {"InprocServer32", u"Inprocess Server 32-bit: "_s, true},
                {"MiscStatus", u"Misc. Status: "_s, false},
                {"DefaultIcon", u"Default Icon: "_s, false}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].subkey);
        const QString wineValue = wineDefault(QLatin1String(rows[i].subkey));
        if (rows[i].registered) {
            EXPECT_FALSE(wineValue.isEmpty());
        }
        EXPECT_EQ(shown[int(i) + 1], rows[i].label + (wineValue.isEmpty() ? u"(none)"_s : wineValue));
    }
    int code = -1;
    wine.run({u"reg"_s, u"query"_s, u"HKCR\\CLSID\\"_s + kHtmlDocument + u"\\Verb"_s}, &code);
    EXPECT_NE(code, 0); // Wine registers no verbs for it
    EXPECT_EQ(shown[6], u"(none)"_s);
}

TEST_F(ClsidToolInterop, AnUnknownClassShowsTheOpenFailure)
{
    const QByteArray before = readFile(wine.filePath(u"system.reg"_s));
    window->StartWithQuery(u"{25336920-03F9-11CF-8FD0-00AA00686F99}"_s);
    QTreeWidget* tree = child<QTreeWidget>("tvwQuery");
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), u"Error opening CLSID Key. Error Number: 2"_s);
    window->close();
    EXPECT_EQ(readFile(wine.filePath(u"system.reg"_s)), before);
}

TEST_F(ClsidToolInterop, GenerateTwiceGivesTwoIdentifiersWithTheirOwnBytes)
{
    window->show();
    auto* number = child<QLineEdit>("txtClsidNumber");
    auto* string = child<QLineEdit>("txtClsidString");
    QStringList identifiers;
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(child<QPushButton>("btnGenerate"), Qt::LeftButton);
        identifiers << string->text();
        EXPECT_EQ(number->text(), decimalBytes(string->text()));
    }
    EXPECT_NE(identifiers[0], identifiers[1]);
    // A new identifier names no class yet, in Wine either.
    int code = -1;
    wine.run({u"reg"_s, u"query"_s, u"HKCR\\CLSID\\"_s + identifiers[0]}, &code);
    EXPECT_NE(code, 0);
}

} // namespace
