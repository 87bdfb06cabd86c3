#pragma once

#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

// The vocabulary both deliverables share: item kinds, the keys of items and folder nodes, and the
// readers of the definition tables kept in the settings of "Varnook2".

// ---- item kinds

inline constexpr qint16 ITEM_FILETYPE = 1;
inline constexpr qint16 ITEM_FILEEXTENSION = 2;
inline constexpr qint16 ITEM_SHELLEXTENSION = 3;
inline constexpr qint16 ITEM_ACTION = 4;

// ---- item keys: a kind prefix (the dot belongs to it) and the item's registry identity

inline constexpr QLatin1String KEY_PREFIX_FILETYPE{"ft__."};
inline constexpr QLatin1String KEY_PREFIX_FILEEXTENSION{"fe__."};
inline constexpr QLatin1String KEY_PREFIX_SHELLEXTENSION{"sh__."};
inline constexpr QLatin1String KEY_PREFIX_ACTION{"ac__."};

// "ft__.txtfile"
QString FileTypeKey(const QString& internalName);
// "fe__..txt": the extension keeps its leading dot.
QString FileExtensionKey(const QString& extension);
// "ac__.open.txtfile"
QString ActionKey(const QString& verb, const QString& hostInternalName);
// "sh__.{CLSID}.6.txtfile"; the group index is -1 for a handler kept under a file extension, whose
// host name is then the extension with its dot.
QString ShellExtensionKey(const QString& clsid, int groupIndex, const QString& hostName);

// ---- folder node keys: a folder prefix and the key of the item that owns the folder

inline constexpr QLatin1String KEY_PREFIX_EXTENSIONSFOLDER{"ftef."};         // extensions of a file type
inline constexpr QLatin1String KEY_PREFIX_ACTIONSFOLDER{"ftaf."};            // actions of a file type
inline constexpr QLatin1String KEY_PREFIX_SHELLEXFOLDER{"ftsf."};            // shell extensions of a file type
inline constexpr QLatin1String KEY_PREFIX_SHELLEXGROUPFOLDER{"ftss."};       // one group of those
inline constexpr QLatin1String KEY_PREFIX_EXTENSIONSHELLEXFOLDER{"fesf."};   // shell extensions of an extension
inline constexpr QLatin1String KEY_PREFIX_SPECIALFOLDER{"sp__."};            // the two top-level folders below
inline constexpr QLatin1String KEY_SPECIALTYPEFOLDER{"sp__.SpecialTypeFolder"};
inline constexpr QLatin1String KEY_ORPHANEDEXTFOLDER{"sp__.OrphanedExtFolder"};

QString ExtensionsFolderKey(const QString& fileTypeKey);
QString ActionsFolderKey(const QString& fileTypeKey);
QString ShellExtensionsFolderKey(const QString& fileTypeKey);
// "ftss." + file type key + "." + group index
QString ShellExtensionGroupFolderKey(const QString& fileTypeKey, int groupIndex);
QString ExtensionShellExtensionsFolderKey(const QString& fileExtensionKey);

// ---- the definition tables in the settings

inline constexpr QLatin1String SETTINGS_APPLICATION{"Varnook2"};
inline constexpr QLatin1String SECTION_CONFIG{"config"};
inline constexpr QLatin1String SECTION_SHELLEX{"shellex"};
inline constexpr QLatin1String SECTION_SPECIAL{"special"};
inline constexpr QLatin1String SECTION_FLAGS{"flags"};
inline constexpr QLatin1String SECTION_THREADMODELS{"shellex_threadmodels"};

// The fields of a row n are the keys n_Name, n_Description, n_Key, n_Group ("shellex", "special")
// and n_IconKey, n_DefaultIcon ("special").
inline constexpr QLatin1String FIELD_NAME{"Name"};
inline constexpr QLatin1String FIELD_DESCRIPTION{"Description"};
inline constexpr QLatin1String FIELD_KEY{"Key"};
inline constexpr QLatin1String FIELD_GROUP{"Group"};
inline constexpr QLatin1String FIELD_ICONKEY{"IconKey"};
inline constexpr QLatin1String FIELD_DEFAULTICON{"DefaultIcon"};

// "7_Name"
QString DefinitionFieldKey(int index, QLatin1String field);

struct DefinitionRow {
    int index = 0; // n
    QString key;   // the value of n_Key
    QString group; // the value of n_Group, as stored: DefinitionBoolean reads it
};

// The rows of a numbered table ("shellex", "special"): one for every pair whose key is a number
// followed by "_Key", in the stored order of the pairs; the numbers need not be contiguous.
QList<DefinitionRow> DefinitionRows(const QString& section);
// The value of n_<field>; empty when the row has no such field.
QString DefinitionField(const QString& section, int index, QLatin1String field);

// How every boolean is stored: "True" or "False".
QString BooleanText(bool value);
// A definition boolean: "True" or "False", in any letter case; no value for any other text, which
// the callers treat as a conversion failure of the row.
std::optional<bool> DefinitionBoolean(const QString& text);
// The boolean n_Group of a row; no value when it is not a boolean text.
std::optional<bool> DefinitionGroup(const QString& section, int index);

struct FlagDefinition {
    QString name;
    quint32 mask = 0;
};

// The "flags" table in stored order; a pair whose value is not a decimal mask is skipped.
QList<FlagDefinition> FlagDefinitions();
// The names of the flags whose every mask bit is set in `editFlags`, in the order of `flags`.
QStringList FlagNames(quint32 editFlags, const QList<FlagDefinition>& flags = FlagDefinitions());
