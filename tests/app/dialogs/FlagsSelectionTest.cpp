#include "app/dialogs/FlagsSelection.h"

#include "tests/support/QStringPrinter.h"
#include "tests/support/TestSettings.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A table with a flag of several bits, one of the top bit and one of no bit.
const QList<FlagDefinition> kTable = {
    {u"A"_s, 0x1}, {u"B"_s, 0x2}, {u"AB"_s, 0x3}, {u"Top"_s, 0x80000000u}, {u"None"_s, 0},
};

QStringList contained(const FlagsSelection& selection)
{
    QStringList names;
    for (qsizetype row = 0; row < selection.Table().size(); ++row)
        if (selection.IsContained(row))
            names << selection.Table()[row].name;
    return names;
}

QList<qsizetype> rowsOf(const FlagsSelection& selection, const QStringList& names)
{
    QList<qsizetype> rows;
    for (qsizetype row = 0; row < selection.Table().size(); ++row)
        if (names.contains(selection.Table()[row].name))
            rows << row;
    return rows;
}

TEST(FlagsSelection, PreselectsEveryFlagWhoseBitsAreAllSetAndKeepsTheRest)
{
    const struct {
        quint32 value;
        QStringList preselected;
        quint32 kept;
    } cases[] = {
        {0, {u"None"_s}, 0},
        {0x1, {u"A"_s, u"None"_s}, 0},
        {0x2, {u"B"_s, u"None"_s}, 0}, // one bit of AB is not AB
        {0x3, {u"A"_s, u"B"_s, u"AB"_s, u"None"_s}, 0},
        {0x80000001u, {u"A"_s, u"Top"_s, u"None"_s}, 0},
        {0x4006, {u"B"_s, u"None"_s}, 0x4004}, // 0x4 is part of no listed flag
        {0xFFFFFFFFu, {u"A"_s, u"B"_s, u"AB"_s, u"Top"_s, u"None"_s}, 0x7FFFFFFCu},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const FlagsSelection selection(c.value, kTable);
        EXPECT_EQ(contained(selection), c.preselected);
        EXPECT_EQ(selection.KeptBits(), c.kept);
        EXPECT_EQ(selection.Compose(rowsOf(selection, c.preselected)), c.value) << "OK without changes";
    }
}

TEST(FlagsSelection, ComposesTheChosenFlagsWithTheKeptBits)
{
    const struct {
        const char* label;
        quint32 value;
        QStringList chosen;
        quint32 result;
    } cases[] = {
        {"one more flag", 0x1, {u"A"_s, u"B"_s}, 0x3},
        {"a flag dropped", 0x4003, {u"B"_s}, 0x4002},
        {"the top bit dropped", 0x80000001u, {u"A"_s}, 0x1},
        {"the top bit chosen", 0, {u"Top"_s}, 0x80000000u},
        {"a multi-bit flag", 0, {u"AB"_s}, 0x3},
        {"nothing chosen", 0x80004003u, {}, 0x4000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const FlagsSelection selection(c.value, kTable);
        EXPECT_EQ(selection.Compose(rowsOf(selection, c.chosen)), c.result);
    }
    EXPECT_EQ(FlagsSelection(0, kTable).Compose({-1, 99}), 0u) << "rows outside the table";
}

TEST(FlagsSelection, WithoutATableTheNumberIsKeptWhole)
{
    const FlagsSelection selection(0x4004, {});
    EXPECT_FALSE(selection.IsContained(0));
    EXPECT_EQ(selection.Compose({}), 0x4004u);
    EXPECT_EQ(FlagsSelection().Compose({}), 0u);
}

TEST(FlagsSelection, DefaultTable)
{
    TestSettings settings;
    const FlagsSelection unnamed(0x4004, FlagDefinitions());
    EXPECT_EQ(contained(unnamed), QStringList{u"FTA_HasExtension"_s});
    EXPECT_EQ(unnamed.Compose(rowsOf(unnamed, {u"FTA_HasExtension"_s})), 0x4004u);
    const FlagsSelection none(0, FlagDefinitions());
    EXPECT_EQ(none.Compose(rowsOf(none, {u"FTA_NoEdit"_s, u"FTA_OpenIsSafe"_s})), 0x10008u);
}

} // namespace
