#include "app/dialogs/HandlerTables.h"

#include "control/records/Definitions.h"
#include "control/records/RecordRegistry.h"
#include "platform/settings/Settings.h"

#include <algorithm>

HandlerTables HandlerTables::Load()
{
    HandlerTables tables;
    for (const DefinitionRow& row : DefinitionRows(SECTION_SHELLEX)) {
        const std::optional<bool> isGroup = DefinitionBoolean(row.group);
        if (!isGroup || !isSafeSubkeyPath(row.key) || row.key.contains(u'\\'))
            continue;
        QString name = DefinitionField(SECTION_SHELLEX, row.index, FIELD_NAME);
        if (name.endsWith(u's'))
            name.chop(1);
        tables.m_groups.append({row.index, name, row.key, *isGroup});
    }
    std::stable_sort(tables.m_groups.begin(), tables.m_groups.end(),
                     [](const Group& a, const Group& b) { return a.index < b.index; });
    for (const SettingPair& pair : GetAllSettings(SETTINGS_APPLICATION, SECTION_THREADMODELS))
        tables.m_threadModels.append({pair.first, pair.second});
    return tables;
}

const HandlerTables::Group* HandlerTables::group(int index) const
{
    const auto found =
        std::find_if(m_groups.begin(), m_groups.end(), [index](const Group& group) { return group.index == index; });
    return found == m_groups.end() ? nullptr : &*found;
}

int HandlerTables::threadModelIndex(const QString& value) const
{
    for (int i = 0; i < m_threadModels.size(); ++i)
        if (m_threadModels[i].value.compare(value, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}
