#include "control/tools/ClsidQuery.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

const QString kFull = u"{AAAAAAAA-0000-0000-0000-000000000001}"_s;
const QString kBare = u"{AAAAAAAA-0000-0000-0000-000000000002}"_s;
const QString kBroken = u"{AAAAAAAA-0000-0000-0000-000000000003}"_s;

// kFull registers something for every node; kBare only its key; kBroken has an interface list
// whose walk fails half-way (a value too long for the buffer).
QByteArray registry()
{
    const QByteArray longText(300, 'y');
    return R"(
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}] 1
@="Full Class"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\AppID] 1
@="{BBBBBBBB-0000-0000-0000-000000000001}"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\AutoConvertTo] 1
@="{CCCCCCCC-0000-0000-0000-000000000001}"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\Control] 1
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\Conversion\\Readable\\Main] 1
@="Rich Text Format,Text"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\DataFormats\\DefaultFile] 1
@="Rich Text Format"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\DataFormats\\GetSet\\0] 1
@="Embed Source,1,8,1"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\DataFormats\\GetSet\\1] 1
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\DataFormats\\GetSet\\2] 1
@="3,1,32,1"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\DefaultIcon] 1
@="C:\\windows\\system32\\full.dll,-101"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\InprocServer32] 1
@="C:\\windows\\system32\\full.dll"
"ThreadingModel"="Apartment"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\Interface] 1
"{00000001-0000-0000-C000-000000000046}"="IClassFactory"
"{00000002-0000-0000-C000-000000000046}"=hex:01,0a,ff
"{00000003-0000-0000-C000-000000000046}"=dword:00000010
"{00000004-0000-0000-C000-000000000046}"=str(2):"IExpand"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\MiscStatus] 1
@="0"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\ProgID] 1
@="Full.Class.1"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\ToolBoxBitmap32] 1
@="C:\\windows\\system32\\full.dll,1"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\Verb\\0] 1
@="&Edit,0,2"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\Verb\\1] 1
@="&Open,0,2"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\Verb\\2] 1
@="&edit,0,2"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\Version] 1
@="1.0"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}\\VersionIndependentProgID] 1
@="Full.Class"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000002}] 1
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000003}] 1
@="Broken Class"
[Software\\Classes\\CLSID\\{AAAAAAAA-0000-0000-0000-000000000003}\\Interface] 1
"{00000001-0000-0000-C000-000000000046}"="IClassFactory"
"{00000002-0000-0000-C000-000000000046}"=")" +
           longText + R"("
"{00000003-0000-0000-C000-000000000046}"="IUnknown"
)";
}

// The children of a node as "key|text|image", in display order.
QStringList childrenOf(const ClsidQueryResult& result, const QString& parentKey)
{
    QStringList children;
    for (const ClsidQueryNode& node : result.nodes)
        if (node.parentKey == parentKey)
            children << node.key + u'|' + node.text + u'|' + node.image;
    return children;
}

class ClsidQueryTest : public ::testing::Test {
protected:
    ClsidQueryTest()
        : prefix(registry())
    {
        prefix.open();
    }

    TestPrefix prefix;
};

TEST_F(ClsidQueryTest, ARegisteredClassShowsEveryValueUnderItsSection)
{
    const ClsidQueryResult result = ClsidQuery::QueryCLSID(kFull);
    ASSERT_FALSE(result.isError());
    EXPECT_EQ(childrenOf(result, QString()), QStringList{u"Name|Name: Full Class|shellext.default"_s});
    EXPECT_EQ(childrenOf(result, u"Name"_s),
              (QStringList{u"BASIC|Basic Information|progfolder.closed"_s, u"PROPS|Properties|progfolder.closed"_s,
                           u"HS|Handlers & Servers|progfolder.closed"_s,
                           u"CONVERSION|Conversion Information|progfolder.closed"_s,
                           u"DATAFORMATS|Supported Data Formats|progfolder.closed"_s,
                           u"INTERFACES|Supported Interfaces|progfolder.closed"_s,
                           u"VERBS|Menu Verbs|progfolder.closed"_s}));
    EXPECT_EQ(childrenOf(result, u"BASIC"_s),
              (QStringList{u"Version|Version: 1.0|regstring.default"_s,
                           u"AppID|AppID: {BBBBBBBB-0000-0000-0000-000000000001}|regstring.default"_s,
                           u"ProgID|ProgID: Full.Class.1|regstring.default"_s,
                           u"VersionIndependentProgID|Version Independent ProgID: Full.Class|regstring.default"_s}));
    EXPECT_EQ(childrenOf(result, u"PROPS"_s),
              (QStringList{u"AutoConvertTo|Auto Convert To: {CCCCCCCC-0000-0000-0000-000000000001}|regstring.default"_s,
                           u"AutoTreatAs|Auto Treat As: (none)|regstring.default"_s,
                           u"TreatAs|Treat As: (none)|regstring.default"_s,
                           // A Control key without a value counts: the key is what marks a control.
                           u"Control|Control: True|regstring.default"_s,
                           u"Insertable|Insertable: False|regstring.default"_s,
                           u"MiscStatus|Misc. Status: 0|regstring.default"_s,
                           u"DefaultIcon|Default Icon: C:\\windows\\system32\\full.dll,-101|CustomIcon"_s,
                           u"ToolBoxBitmap32|Toolbox Icon: C:\\windows\\system32\\full.dll,1|ToolBoxIcon"_s}));
    EXPECT_EQ(result.defaultIcon, u"C:\\windows\\system32\\full.dll,-101"_s);
    EXPECT_EQ(result.toolBoxBitmap, u"C:\\windows\\system32\\full.dll,1"_s);
    EXPECT_EQ(childrenOf(result, u"HS"_s),
              (QStringList{u"InprocHandler|Inprocess Handler 16-bit: (none)|regstring.default"_s,
                           u"InprocHandler32|Inprocess Handler 32-bit: (none)|regstring.default"_s,
                           u"InprocServer|Inprocess Server 16-bit: (none)|regstring.default"_s,
                           u"InprocServer32|Inprocess Server 32-bit: C:\\windows\\system32\\full.dll|regstring.default"_s,
                           u"LocalServer|Local Server 16-bit: (none)|regstring.default"_s,
                           u"LocalServer32|Local Server 32-bit: (none)|regstring.default"_s}));
    EXPECT_EQ(childrenOf(result, u"CONVERSION"_s),
              (QStringList{u"Readable|Readable Formats: Rich Text Format,Text|regstring.default"_s,
                           u"ReadWritable|Read/Writeable Formats: (none)|regstring.default"_s}));
}

TEST_F(ClsidQueryTest, ListsShowWhatTheClassRegistersInEnumerationOrder)
{
    const ClsidQueryResult result = ClsidQuery::QueryCLSID(kFull);
    // The formats the class offers, not its interfaces; a format key without a text is no format.
    EXPECT_EQ(childrenOf(result, u"DATAFORMATS"_s),
              (QStringList{u"DFMT.Embed Source,1,8,1|Embed Source,1,8,1|inf.default"_s,
                           u"DFMT.3,1,32,1|3,1,32,1|inf.default"_s,
                           u"DefaultFile|Default File/Object Format: Rich Text Format|regstring.default"_s}));
    // Data that is not text reads as its bytes.
    EXPECT_EQ(childrenOf(result, u"INTERFACES"_s),
              (QStringList{
                  u"IID.{00000001-0000-0000-C000-000000000046}|IClassFactory - {00000001-0000-0000-C000-000000000046}|inf.default"_s,
                  u"IID.{00000002-0000-0000-C000-000000000046}|01 0A FF - {00000002-0000-0000-C000-000000000046}|inf.default"_s,
                  u"IID.{00000003-0000-0000-C000-000000000046}|10 00 00 00 - {00000003-0000-0000-C000-000000000046}|inf.default"_s,
                  u"IID.{00000004-0000-0000-C000-000000000046}|IExpand - {00000004-0000-0000-C000-000000000046}|inf.default"_s}));
    // Verbs are keyed by their texts: "&edit,0,2" repeats "&Edit,0,2" and gives no second node.
    EXPECT_EQ(childrenOf(result, u"VERBS"_s),
              (QStringList{u"VERB.&Edit,0,2|&Edit,0,2|regstring.default"_s,
                           u"VERB.&Open,0,2|&Open,0,2|regstring.default"_s}));
}

TEST_F(ClsidQueryTest, AClassWithNothingBelowItShowsNoneEverywhere)
{
    const ClsidQueryResult result = ClsidQuery::QueryCLSID(kBare);
    ASSERT_FALSE(result.isError());
    EXPECT_EQ(result.find(u"Name"_s)->text, u"Name: (none)"_s);
    for (const ClsidQueryNode& node : result.nodes) {
        if (node.parentKey.isEmpty() || node.parentKey == u"Name"_s)
            continue;
        SCOPED_TRACE(node.key.toStdString());
        EXPECT_TRUE(node.text.endsWith(u"(none)"_s) || node.text.endsWith(u": False"_s));
        EXPECT_EQ(node.image, node.key == u"DefaultIcon"_s       ? u"CustomIcon"_s
                              : node.key == u"ToolBoxBitmap32"_s ? u"ToolBoxIcon"_s
                                                                 : u"regstring.default"_s);
    }
    EXPECT_EQ(childrenOf(result, u"DATAFORMATS"_s).front(), u"DFMT.NONE|(none)|regstring.default"_s);
    EXPECT_EQ(childrenOf(result, u"INTERFACES"_s), QStringList{u"IID.NONE|(none)|regstring.default"_s});
    EXPECT_EQ(childrenOf(result, u"VERBS"_s), QStringList{u"VERB.NONE|(none)|regstring.default"_s});
    EXPECT_TRUE(result.defaultIcon.isEmpty());
    EXPECT_TRUE(result.toolBoxBitmap.isEmpty());
}

TEST_F(ClsidQueryTest, AListWhoseWalkFailsShowsOnlyTheEntriesRead)
{
    const ClsidQueryResult result = ClsidQuery::QueryCLSID(kBroken);
    EXPECT_EQ(childrenOf(result, u"INTERFACES"_s),
              QStringList{
                  u"IID.{00000001-0000-0000-C000-000000000046}|IClassFactory - {00000001-0000-0000-C000-000000000046}|inf.default"_s});
}

struct BadInput {
    const char* label;
    QString clsid;
    QString error;
};

TEST_F(ClsidQueryTest, TextsThatNameNoClassGiveOnlyTheErrorNode)
{
    const QString invalid = u"Error: Invalid CLSID. Error Number: -2"_s;
    const BadInput inputs[] = {
        {"empty", QString(), invalid},
        {"blanks", u"      "_s, invalid},
        {"36 characters", kFull.left(36), invalid},
        {"36 characters padded with blanks", u"  "_s + kFull.left(36) + u"  "_s, invalid},
        // A key below a class would otherwise be shown as a class of its own.
        {"a subkey of a class", kFull + u"\\InprocServer32"_s, invalid},
        {"a backslash inside", u"{AAAAAAAA-0000-0000-0000\\000000000001}"_s, invalid},
        {"not registered", u"{AAAAAAAA-0000-0000-0000-000000000009}"_s,
         u"Error opening CLSID Key. Error Number: 2"_s},
    };
    for (const BadInput& input : inputs) {
        SCOPED_TRACE(input.label);
        const ClsidQueryResult result = ClsidQuery::QueryCLSID(input.clsid);
        ASSERT_EQ(result.nodes.size(), 1u);
        EXPECT_TRUE(result.isError());
        EXPECT_EQ(result.nodes.front().text, input.error);
        EXPECT_EQ(result.nodes.front().image, u"error.default"_s);
        EXPECT_TRUE(result.nodes.front().parentKey.isEmpty());
        EXPECT_TRUE(result.defaultIcon.isEmpty());
    }
}

TEST_F(ClsidQueryTest, IdentifiersAreTrimmedAndFoundWithoutRegardToCase)
{
    for (const QString& clsid : {u"  "_s + kFull + u"\t"_s, kFull.toLower()}) {
        SCOPED_TRACE(clsid.toStdString());
        const ClsidQueryResult result = ClsidQuery::QueryCLSID(clsid);
        ASSERT_NE(result.find(u"Name"_s), nullptr);
        EXPECT_EQ(result.find(u"Name"_s)->text, u"Name: Full Class"_s);
    }
}

TEST_F(ClsidQueryTest, QueryingLeavesTheRegistryFileAsItWas)
{
    const QByteArray before = prefix.readFile(u"system.reg"_s);
    for (const QString& clsid : {kFull, kBare, kBroken, QString(), u"{AAAAAAAA-0000-0000-0000-000000000009}"_s})
        ClsidQuery::QueryCLSID(clsid);
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), before);
    // Nothing was changed in memory either: the next save of the run writes the same file.
    ASSERT_TRUE(prefix.store().save());
    EXPECT_EQ(prefix.readFile(u"system.reg"_s), before);
}

} // namespace
