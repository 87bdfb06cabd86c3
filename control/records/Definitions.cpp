#include "control/records/Definitions.h"

#include "platform/RunContext.h"
#include "platform/settings/Settings.h"

#include <QHash>
#include <QStringBuilder>

#include <algorithm>

namespace {

const QLatin1String kKeySuffix{"_Key"};

bool isRowNumber(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

// Keys are built with % so that each takes one allocation of its exact size: a load makes a
// hundred thousand of them.
QString FileTypeKey(const QString& internalName)
{
    return KEY_PREFIX_FILETYPE % internalName;
}

QString FileExtensionKey(const QString& extension)
{
    return KEY_PREFIX_FILEEXTENSION % extension;
}

QString ActionKey(const QString& verb, const QString& hostInternalName)
{
    return KEY_PREFIX_ACTION % verb % QLatin1Char('.') % hostInternalName;
}

QString ShellExtensionKey(const QString& clsid, int groupIndex, const QString& hostName)
{
    return KEY_PREFIX_SHELLEXTENSION % clsid % QLatin1Char('.') % QString::number(groupIndex) % QLatin1Char('.') %
           hostName;
}

QString ExtensionsFolderKey(const QString& fileTypeKey)
{
    return KEY_PREFIX_EXTENSIONSFOLDER % fileTypeKey;
}

QString ActionsFolderKey(const QString& fileTypeKey)
{
    return KEY_PREFIX_ACTIONSFOLDER % fileTypeKey;
}

QString ShellExtensionsFolderKey(const QString& fileTypeKey)
{
    return KEY_PREFIX_SHELLEXFOLDER % fileTypeKey;
}

QString ShellExtensionGroupFolderKey(const QString& fileTypeKey, int groupIndex)
{
    return KEY_PREFIX_SHELLEXGROUPFOLDER % fileTypeKey % QLatin1Char('.') % QString::number(groupIndex);
}

QString ExtensionShellExtensionsFolderKey(const QString& fileExtensionKey)
{
    return KEY_PREFIX_EXTENSIONSHELLEXFOLDER % fileExtensionKey;
}

QString DefinitionFieldKey(int index, QLatin1String field)
{
    return QString::number(index) + QLatin1Char('_') + field;
}

QList<DefinitionRow> DefinitionRows(const QString& section)
{
    // Asked for every file type of a load: the rows are parsed again only after a settings change.
    struct Parsed {
        quint64 generation = 0;
        QList<DefinitionRow> rows;
    };
    auto& parsed = RunContext::current().state<QHash<QString, Parsed>>();
    const quint64 generation = SettingsGeneration();
    Parsed& cached = parsed[section];
    if (cached.generation == generation && generation != 0)
        return cached.rows;

    QList<DefinitionRow> rows;
    for (const SettingPair& pair : GetAllSettings(SETTINGS_APPLICATION, section)) {
        if (!pair.first.endsWith(kKeySuffix, Qt::CaseInsensitive))
            continue;
        // Only a plain number names a row: anything else could not be read back as n_Name etc.
        const QString number = pair.first.chopped(kKeySuffix.size());
        bool ok = false;
        const int index = isRowNumber(number) ? number.toInt(&ok) : 0;
        if (ok)
            rows.append({index, pair.second, DefinitionField(section, index, FIELD_GROUP)});
    }
    cached = {generation, rows};
    return rows;
}

QString DefinitionField(const QString& section, int index, QLatin1String field)
{
    return GetSetting(SETTINGS_APPLICATION, section, DefinitionFieldKey(index, field));
}

QString BooleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> DefinitionBoolean(const QString& text)
{
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

std::optional<bool> DefinitionGroup(const QString& section, int index)
{
    return DefinitionBoolean(DefinitionField(section, index, FIELD_GROUP));
}

QList<FlagDefinition> FlagDefinitions()
{
    QList<FlagDefinition> flags;
    for (const SettingPair& pair : GetAllSettings(SETTINGS_APPLICATION, SECTION_FLAGS)) {
        bool ok = false;
        const quint32 mask = pair.second.toUInt(&ok, 10);
        if (ok)
            flags.append({pair.first, mask});
    }
    return flags;
}

QStringList FlagNames(quint32 editFlags, const QList<FlagDefinition>& flags)
{
    QStringList names;
    for (const FlagDefinition& flag : flags)
        if ((editFlags & flag.mask) == flag.mask)
            names << flag.name;
    return names;
}
