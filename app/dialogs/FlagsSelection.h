#pragma once

#include "control/records/Definitions.h"

#include <QList>

// Which flags of a table a file type's EditFlags number holds, and the number a choice of flags
// makes. The number is unsigned, so a value with the top bit set is read bit by bit like any other.
// Bits that no preselected flag accounts for (0x4000 has no name in the default table) are kept:
// the user never saw them, so choosing flags must not clear them.
class FlagsSelection {
public:
    FlagsSelection() = default;
    FlagsSelection(quint32 editFlags, QList<FlagDefinition> table);

    const QList<FlagDefinition>& Table() const { return m_table; }
    // Whether the flag at `row` of the table is contained in the number: every bit of its mask set.
    bool IsContained(qsizetype row) const;
    // The bits of the number that no contained flag covers.
    quint32 KeptBits() const { return m_kept; }
    // The kept bits with the masks of the chosen rows; rows outside the table are ignored.
    quint32 Compose(const QList<qsizetype>& chosenRows) const;

private:
    QList<FlagDefinition> m_table;
    quint32 m_editFlags = 0;
    quint32 m_kept = 0;
};
