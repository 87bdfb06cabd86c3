#include "app/dialogs/FlagsSelection.h"

#include <utility>

FlagsSelection::FlagsSelection(quint32 editFlags, QList<FlagDefinition> table)
    : m_table(std::move(table))
    , m_editFlags(editFlags)
    , m_kept(editFlags)
{
    for (qsizetype row = 0; row < m_table.size(); ++row)
        if (IsContained(row))
            m_kept &= ~m_table[row].mask;
}

bool FlagsSelection::IsContained(qsizetype row) const
{
    if (row < 0 || row >= m_table.size())
        return false;
    const quint32 mask = m_table[row].mask;
    return (m_editFlags & mask) == mask;
}

quint32 FlagsSelection::Compose(const QList<qsizetype>& chosenRows) const
{
    quint32 flags = m_kept;
    for (const qsizetype row : chosenRows)
        if (row >= 0 && row < m_table.size())
            flags |= m_table[row].mask;
    return flags;
}
