#include "app/dialogs/FlagsSelection.h"

#include "tests/support/QStringPrinter.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A table with a flag of several bits, one of the top bit and one of no bit.
const QList<FlagDefinition> kTable = {
    {u"A"_s, 0x1}, {u"B"_s, 0x2}, {u"AB"_s, 0x3}, {u"Top"_s, 0x80000000u}, {u"None"_s, 0},
};

QList<qsizetype> rowsOf(const QStringList& names)
{
    QList<qsizetype> rows;
    for (qsizetype row = 0; row < kTable.size(); ++row)
        if (names.contains(kTable[row].name))
            rows << row;
    return rows;
}

TEST(FlagsSelection, PreselectsFlagsWhoseBitsAreAllSetAndKeepsUnlistedBits)
{
    const struct {
        quint32 value;
        QStringList preselected;
    } cases[] = {
        {0, {u"None"_s}},
        {0x2, {u"B"_s, u"None"_s}}, // one bit of AB is not AB
        {0x3, {u"A"_s, u"B"_s, u"AB"_s, u"None"_s}},
        {0x80000001u, {u"A"_s, u"Top"_s, u"None"_s}},
        {0x4006, {u"B"_s, u"None"_s}}, // 0x4 is part of no listed flag
        {0xFFFFFFFFu, {u"A"_s, u"B"_s, u"AB"_s, u"Top"_s, u"None"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const FlagsSelection selection(c.value, kTable);
        QStringList contained;
        for (qsizetype row = 0; row < kTable.size(); ++row)
            if (selection.IsContained(row))
                contained << kTable[row].name;
        EXPECT_EQ(contained, c.preselected);
        EXPECT_EQ(selection.Compose(rowsOf(c.preselected)), c.value) << "OK without changes";
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
        {"a flag dropped", 0x4003, {u"B"_s}, 0x4002},
        {"the top bit dropped", 0x80000001u, {u"A"_s}, 0x1},
        {"the top bit chosen", 0, {u"Top"_s}, 0x80000000u},
        {"a multi-bit flag", 0, {u"AB"_s}, 0x3},
        {"nothing chosen", 0x80004003u, {}, 0x4000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FlagsSelection(c.value, kTable).Compose(rowsOf(c.chosen)), c.result) << c.label;
    EXPECT_EQ(FlagsSelection(0, kTable).Compose({-1, 99}), 0u) << "rows outside the table";
    EXPECT_EQ(FlagsSelection(0x4004, {}).Compose({}), 0x4004u) << "without a table the number is kept whole";
}

} // namespace
