#include "app/cli/Listing.h"

#include "control/tree/KestrowCore.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <vector>

namespace {

constexpr int kSchemaVersion = 1;

// Letter case decides only between names that are otherwise equal, so the order is total.
bool before(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

template <typename T, typename Less>
std::vector<std::shared_ptr<T>> sorted(const KeyedCollection<T>& collection, Less less)
{
    std::vector<std::shared_ptr<T>> items;
    items.reserve(static_cast<std::size_t>(collection.count()));
    for (const auto& entry : collection)
        items.push_back(entry.item);
    std::sort(items.begin(), items.end(), [&](const auto& a, const auto& b) { return less(*a, *b); });
    return items;
}

auto sortedTypes(const KestrowCore& core)
{
    return sorted(core.FileTypeCollection(),
                  [](const FileTypeObject& a, const FileTypeObject& b) { return before(a.InternalName, b.InternalName); });
}

auto sortedExtensions(const KeyedCollection<FileExtensionObject>& extensions)
{
    return sorted(extensions, [](const FileExtensionObject& a, const FileExtensionObject& b) {
        return before(a.Extension, b.Extension);
    });
}

auto sortedActions(const KeyedCollection<ActionObject>& actions)
{
    return sorted(actions, [](const ActionObject& a, const ActionObject& b) { return before(a.CommandKey, b.CommandKey); });
}

auto sortedHandlers(const KeyedCollection<ShellExtensionObject>& handlers)
{
    return sorted(handlers, [](const ShellExtensionObject& a, const ShellExtensionObject& b) {
        if (a.ExtTypeKey != b.ExtTypeKey)
            return before(a.ExtTypeKey, b.ExtTypeKey);
        if (a.CLSID != b.CLSID)
            return before(a.CLSID, b.CLSID);
        return before(a.InternalName, b.InternalName);
    });
}

// ---- text: one block per type, members indented below their folder

class TextWriter {
public:
    explicit TextWriter(QString& text)
        : m_text(text)
    {
    }

    void writeType(const FileTypeObject& type)
    {
        line(0, type.InternalName + QStringLiteral(": ") + type.Name);
        if (!type.FileExtensions.isEmpty()) {
            line(1, QStringLiteral("Extensions:"));
            for (const auto& member : sortedExtensions(type.FileExtensions))
                writeExtension(2, *member);
        }
        if (!type.Actions.isEmpty()) {
            line(1, QStringLiteral("Actions:"));
            for (const auto& member : sortedActions(type.Actions))
                writeAction(2, *member);
        }
        writeHandlers(1, type.ShellExtensions);
    }

    void writeOrphans(const KeyedCollection<FileExtensionObject>& extensions)
    {
        line(0, QStringLiteral("Orphaned Extensions:"));
        for (const auto& orphan : sortedExtensions(extensions))
            writeExtension(1, *orphan);
    }

    void writeBlankLine() { m_text += u'\n'; }

private:
    void line(int depth, const QString& text) { m_text += QString(depth * 2, u' ') + text + u'\n'; }

    void field(int depth, const QString& caption, const QString& value)
    {
        if (!value.isEmpty())
            line(depth, caption + QStringLiteral(": ") + value);
    }

    void writeExtension(int depth, const FileExtensionObject& extension)
    {
        line(depth, extension.Extension);
        field(depth + 1, QStringLiteral("Content Type"), extension.ContentType);
        field(depth + 1, QStringLiteral("Info Tip"), extension.InfoTip);
        writeHandlers(depth + 1, extension.ShellExtensions);
    }

    void writeAction(int depth, const ActionObject& action)
    {
        line(depth, action.CommandKey + QStringLiteral(": ") + action.Name);
        line(depth + 1, QStringLiteral("Command: ") + action.Command);
        field(depth + 1, QStringLiteral("DDE Message"), action.DDE_Message);
        field(depth + 1, QStringLiteral("DDE Application"), action.DDE_App);
        field(depth + 1, QStringLiteral("DDE Topic"), action.DDE_Topic);
        field(depth + 1, QStringLiteral("DDE If Exec"), action.DDE_AppNoRun);
    }

    void writeHandlers(int depth, const KeyedCollection<ShellExtensionObject>& handlers)
    {
        if (handlers.isEmpty())
            return;
        line(depth, QStringLiteral("Shell Extensions:"));
        for (const auto& handler : sortedHandlers(handlers)) {
            line(depth + 1, handler->ExtTypeKey + QStringLiteral(": ") + handler->Name);
            line(depth + 2, QStringLiteral("CLSID: ") + handler->CLSID);
            field(depth + 2, QStringLiteral("Server"), handler->Inproc32);
            field(depth + 2, QStringLiteral("Threading Model"), handler->ThreadModel);
        }
    }

    QString& m_text;
};

// ---- JSON: empty optional texts are left out

void optional(QJsonObject& object, const QString& key, const QString& value)
{
    if (!value.isEmpty())
        object.insert(key, value);
}

QJsonArray handlersJson(const KeyedCollection<ShellExtensionObject>& handlers)
{
    QJsonArray array;
    for (const auto& handler : sortedHandlers(handlers)) {
        QJsonObject object{{QStringLiteral("group"), handler->ExtTypeKey},
                           {QStringLiteral("name"), handler->Name},
                           {QStringLiteral("clsid"), handler->CLSID}};
        optional(object, QStringLiteral("server"), handler->Inproc32);
        optional(object, QStringLiteral("threadingModel"), handler->ThreadModel);
        array.append(object);
    }
    return array;
}

QJsonArray extensionsJson(const KeyedCollection<FileExtensionObject>& extensions)
{
    QJsonArray array;
    for (const auto& extension : sortedExtensions(extensions)) {
        QJsonObject object{{QStringLiteral("extension"), extension->Extension},
                           {QStringLiteral("handlers"), handlersJson(extension->ShellExtensions)}};
        optional(object, QStringLiteral("contentType"), extension->ContentType);
        optional(object, QStringLiteral("infoTip"), extension->InfoTip);
        array.append(object);
    }
    return array;
}

QJsonArray actionsJson(const KeyedCollection<ActionObject>& actions)
{
    QJsonArray array;
    for (const auto& action : sortedActions(actions)) {
        QJsonObject object{{QStringLiteral("verb"), action->CommandKey},
                           {QStringLiteral("name"), action->Name},
                           {QStringLiteral("command"), action->Command}};
        optional(object, QStringLiteral("ddeMessage"), action->DDE_Message);
        optional(object, QStringLiteral("ddeApplication"), action->DDE_App);
        optional(object, QStringLiteral("ddeTopic"), action->DDE_Topic);
        optional(object, QStringLiteral("ddeIfExec"), action->DDE_AppNoRun);
        array.append(object);
    }
    return array;
}

} // namespace

QString Listing::text(const KestrowCore& core)
{
    QString text;
    TextWriter writer(text);
    for (const auto& type : sortedTypes(core)) {
        writer.writeType(*type);
        writer.writeBlankLine();
    }
    writer.writeOrphans(core.OrphanedExtensions());
    return text;
}

QJsonDocument Listing::json(const KestrowCore& core)
{
    QJsonArray types;
    for (const auto& type : sortedTypes(core))
        types.append(QJsonObject{{QStringLiteral("internalName"), type->InternalName},
                                 {QStringLiteral("name"), type->Name},
                                 {QStringLiteral("special"), type->Special},
                                 {QStringLiteral("extensions"), extensionsJson(type->FileExtensions)},
                                 {QStringLiteral("actions"), actionsJson(type->Actions)},
                                 {QStringLiteral("handlers"), handlersJson(type->ShellExtensions)}});
    return QJsonDocument(QJsonObject{{QStringLiteral("schemaVersion"), kSchemaVersion},
                                     {QStringLiteral("fileTypes"), types},
                                     {QStringLiteral("orphanedExtensions"), extensionsJson(core.OrphanedExtensions())}});
}
