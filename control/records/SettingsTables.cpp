#include "control/records/SettingsTables.h"

#include "control/records/Definitions.h"

#include <QtGlobal>

namespace {

struct ShellExtensionGroup {
    const char* name;
    const char* key;
    bool group; // a folder of named handlers, or itself one handler
};

// Row 4 names the subkey "DataHandler" (singular) while being a group: that is how the shell has it.
constexpr ShellExtensionGroup kShellExtensionGroups[] = {
    {"Property Sheet Handlers", "PropertySheetHandlers", true},
    {"Context Menu Handlers", "ContextMenuHandlers", true},
    {"Copy Hook Handler", "CopyHookHandler", false},
    {"Drag-Drop Handlers", "DragDropHandlers", true},
    {"Data Handlers", "DataHandler", true},
    {"Drop Handler", "DropHandler", false},
    {"Icon Handler", "IconHandler", false},
    {"Column Handlers", "ColumnHandlers", true},
};

struct SpecialType {
    const char* name;
    const char* key;
    bool group; // shown under the special-types folder
    const char* iconKey;
};

// The names " All Files" and " All Files and Folders" begin with a blank, which is part of them.
constexpr SpecialType kSpecialTypes[] = {
    {"Folder", "Folder", true, "folder.closed"},
    {" All Files", "*", false, "favfolder.closed"},
    {"Disk Drive", "Drive", true, "drive.default"},
    {" All Files and Folders", "AllFileSystemObjects", false, "favfolder.closed"},
    {"Multimedia Disc", "AudioCD", true, "cdrom.default"},
    {"DVD Disc", "DVDFile", true, "cdrom.default"},
    {"DVD Disc", "DVD", true, "cdrom.default"},
    {"Directory", "Directory", true, "folder.closed"},
    {"Printer", "Printers", true, "printer.default"},
};

// Not an icon location, so that the type's IconKey image is used.
constexpr char kNoDefaultIcon[] = "<Not Defined - Use IconKey>";

struct Flag {
    const char* name;
    quint32 mask;
};

// The file type attribute flags of the shell. 0x4000 and 0x80000 have no name.
constexpr Flag kFlags[] = {
    {"FTA_Exclude", 0x1},          {"FTA_Show", 0x2},
    {"FTA_HasExtension", 0x4},     {"FTA_NoEdit", 0x8},
    {"FTA_NoRemove", 0x10},        {"FTA_NoNewVerb", 0x20},
    {"FTA_NoEditVerb", 0x40},      {"FTA_NoRemoveVerb", 0x80},
    {"FTA_NoEditDesc", 0x100},     {"FTA_NoEditIcon", 0x200},
    {"FTA_NoEditDflt", 0x400},     {"FTA_NoEditVerbCmd", 0x800},
    {"FTA_NoEditVerbExe", 0x1000}, {"FTA_NoDDE", 0x2000},
    {"FTA_NoEditMIME", 0x8000},    {"FTA_OpenIsSafe", 0x10000},
    {"FTA_AlwaysUnsafe", 0x20000}, {"FTA_AlwaysShowExt", 0x40000},
    {"FTA_NoRecentDocs", 0x100000},
};

struct ThreadModel {
    const char* display;
    const char* stored; // the text stored as ThreadingModel
};

constexpr ThreadModel kThreadModels[] = {
    {"Apartment Threaded", "Apartment"},
    {"Single Threaded", "Single"},
    {"Both", "Both"},
};

} // namespace

QList<DefaultSetting> DefaultDefinitionSettings()
{
    QList<DefaultSetting> settings;
    auto add = [&](QLatin1String section, const QString& key, const QString& value) {
        settings.append({section, key, value});
    };

    int index = 0;
    for (const ShellExtensionGroup& row : kShellExtensionGroups) {
        add(SECTION_SHELLEX, DefinitionFieldKey(index, FIELD_NAME), QString::fromUtf8(row.name));
        add(SECTION_SHELLEX, DefinitionFieldKey(index, FIELD_DESCRIPTION), QString());
        add(SECTION_SHELLEX, DefinitionFieldKey(index, FIELD_KEY), QString::fromUtf8(row.key));
        add(SECTION_SHELLEX, DefinitionFieldKey(index, FIELD_GROUP), BooleanText(row.group));
        ++index;
    }

    index = 0;
    for (const SpecialType& row : kSpecialTypes) {
        add(SECTION_SPECIAL, DefinitionFieldKey(index, FIELD_NAME), QString::fromUtf8(row.name));
        add(SECTION_SPECIAL, DefinitionFieldKey(index, FIELD_DESCRIPTION), QString());
        add(SECTION_SPECIAL, DefinitionFieldKey(index, FIELD_KEY), QString::fromUtf8(row.key));
        add(SECTION_SPECIAL, DefinitionFieldKey(index, FIELD_GROUP), BooleanText(row.group));
        add(SECTION_SPECIAL, DefinitionFieldKey(index, FIELD_ICONKEY), QString::fromUtf8(row.iconKey));
        add(SECTION_SPECIAL, DefinitionFieldKey(index, FIELD_DEFAULTICON), QString::fromUtf8(kNoDefaultIcon));
        ++index;
    }

    for (const Flag& flag : kFlags)
        add(SECTION_FLAGS, QString::fromUtf8(flag.name), QString::number(flag.mask));

    for (const ThreadModel& model : kThreadModels)
        add(SECTION_THREADMODELS, QString::fromUtf8(model.display), QString::fromUtf8(model.stored));

    return settings;
}
