#include "tests/support/QStringPrinter.h"

#include "platform/shell/FileDialogFilters.h"

#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

const QStringList kNames{u"SETUP.EXE"_s, u"setup.exe"_s, u"Setup.Exe"_s,  u"setup.exe.bak"_s,
                         u"readme"_s,    u"README.TXT"_s, u"notes.txt"_s, u"Ärger.txt"_s};

// The names a file dialog lists for a pattern, matched with the letter case of a Linux file system.
QStringList listed(const QString& pattern)
{
    const QRegularExpression expression(QRegularExpression::wildcardToRegularExpression(pattern));
    QStringList names;
    for (const QString& name : kNames) {
        if (expression.match(name).hasMatch())
            names.append(name);
    }
    return names;
}

TEST(FileDialogFilters, PatternsMatchWithoutRegardToCase)
{
    const QList<std::pair<QString, QStringList>> cases{
        {u"*.exe"_s, {u"SETUP.EXE"_s, u"setup.exe"_s, u"Setup.Exe"_s}},
        {u"SETUP.*"_s, {u"SETUP.EXE"_s, u"setup.exe"_s, u"Setup.Exe"_s, u"setup.exe.bak"_s}},
        {u"read?e"_s, {u"readme"_s}},
        {u"*.txt"_s, {u"README.TXT"_s, u"notes.txt"_s, u"Ärger.txt"_s}},
        // Every file to a Windows user, also those without a dot.
        {u"*.*"_s, kNames},
        {u"*"_s, kNames},
        // Sets are kept as written.
        {u"*.[e]xe"_s, {u"setup.exe"_s}},
        {u"*[[]*"_s, {}},
    };
    for (const auto& [pattern, expected] : cases)
        EXPECT_EQ(listed(CaseInsensitivePattern(pattern)), expected) << pattern.toStdString();
    // Without the rewrite the dialog would miss the names in capitals.
    EXPECT_EQ(listed(u"*.exe"_s), QStringList{u"setup.exe"_s});
}

TEST(FileDialogFilters, PatternsKeepWhatIsNotAnAsciiLetter)
{
    const QList<std::pair<QString, QString>> cases{
        {u"*.exe"_s, u"*.[eE][xX][eE]"_s},
        {u"file?.d[0-9]"_s, u"[fF][iI][lL][eE]?.[dD][0-9]"_s},
        {u"[]a]*"_s, u"[]a]*"_s},
        {u"[!x]*"_s, u"[!x]*"_s},
        {u"a[b"_s, u"[aA][[][bB]"_s}, // an unclosed set is a plain character
        {u"Ä.txt"_s, u"Ä.[tT][xX][tT]"_s},
        {u"*.*.bak"_s, u"*.*.[bB][aA][kK]"_s},
    };
    for (const auto& [pattern, expected] : cases)
        EXPECT_EQ(CaseInsensitivePattern(pattern), expected) << pattern.toStdString();
}

TEST(FileDialogFilters, EntriesKeepTheirTextAndGetTheExpandedPatternsLast)
{
    const QList<std::pair<QString, QString>> cases{
        {u"Application (*.exe)"_s, u"Application (*.exe) (*.[eE][xX][eE])"_s},
        {u"Application (*.exe);;Batch file (*.bat *.cmd)"_s,
         u"Application (*.exe) (*.[eE][xX][eE]);;Batch file (*.bat *.cmd) (*.[bB][aA][tT] *.[cC][mM][dD])"_s},
        // Windows-style lists separated by semicolons.
        {u"Batch Script (*.bat;*.cmd)"_s, u"Batch Script (*.bat;*.cmd) (*.[bB][aA][tT] *.[cC][mM][dD])"_s},
        {u"All Files (*.*)"_s, u"All Files (*.*) (*)"_s},
        {u"*.ico *.dll"_s, u"*.ico *.dll (*.[iI][cC][oO] *.[dD][lL][lL])"_s},
        {u"Icon File (*.ico)\nAll Files (*)"_s, u"Icon File (*.ico) (*.[iI][cC][oO]);;All Files (*) (*)"_s},
        {u" Icon File (*.ico) ;;;;"_s, u"Icon File (*.ico) (*.[iI][cC][oO])"_s},
        {u"Nothing ()"_s, u"Nothing ()"_s},
        {u""_s, u""_s},
    };
    for (const auto& [filters, expected] : cases)
        EXPECT_EQ(CaseInsensitiveNameFilters(filters), expected) << filters.toStdString();
}

} // namespace
