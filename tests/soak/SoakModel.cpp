#include "tests/soak/SoakModel.h"

#include "platform/registry/RegistryTypes.h"

#include <iterator>

namespace {

struct Group {
    const char* key;
    bool folder;
};

// The shell-extension groups as the handler dialog offers them, by index.
constexpr Group kGroups[] = {
    {"PropertySheetHandlers", true}, {"ContextMenuHandlers", true}, {"CopyHookHandler", false},
    {"DragDropHandlers", true},      {"DataHandler", true},         {"DropHandler", false},
    {"IconHandler", false},          {"ColumnHandlers", true},
};

} // namespace

QString SoakModel::groupKey(int group)
{
    return QString::fromLatin1(kGroups[group].key);
}

bool SoakModel::isGroup(int group)
{
    return kGroups[group].folder;
}

int SoakModel::groupCount()
{
    return int(std::size(kGroups));
}

QStringList SoakModel::extensionsOf(const QString& type) const
{
    QStringList found;
    for (auto it = extensions.begin(); it != extensions.end(); ++it)
        if (it->type == type)
            found << it.key();
    return found;
}

void SoakModel::removeType(const QString& type, bool withExtensions)
{
    if (withExtensions)
        for (const QString& extension : extensionsOf(type))
            extensions.remove(extension);
    types.remove(type);
}

void SoakModel::removeExtension(const QString& extension)
{
    const QString type = extensions.value(extension).type;
    extensions.remove(extension);
    if (extensionsOf(type).isEmpty())
        removeType(type, false);
}

SoakSnapshot SoakModel::expected() const
{
    SoakSnapshot s;
    auto text = [&](const QString& path, const QString& name, const QString& value) {
        s.addKey(path);
        s.setValue(path, name, REG_SZ, value);
    };
    for (auto t = types.begin(); t != types.end(); ++t) {
        const QString& type = t.key();
        text(type, QString(), t->name);
        if (!t->actions.isEmpty())
            s.addKey(type + QStringLiteral("\\shell"));
        for (auto a = t->actions.begin(); a != t->actions.end(); ++a) {
            const QString verb = type + QStringLiteral("\\shell\\") + a.key();
            text(verb, QString(), a->name);
            text(verb + QStringLiteral("\\command"), QString(), a->command);
            if (a->dde) {
                const QString dde = verb + QStringLiteral("\\ddeexec");
                text(dde, QString(), a->ddeMessage);
                text(dde + QStringLiteral("\\Application"), QString(), a->ddeApp);
                text(dde + QStringLiteral("\\ifexec"), QString(), a->ddeAppNoRun);
                text(dde + QStringLiteral("\\topic"), QString(), a->ddeTopic);
            }
        }
        if (!t->handlers.isEmpty())
            s.addKey(type + QStringLiteral("\\shellex"));
        for (const Handler& h : t->handlers) {
            const QString group = type + QStringLiteral("\\shellex\\") + groupKey(h.group);
            s.addKey(group);
            text(isGroup(h.group) ? group + u'\\' + h.clsid : group, QString(), h.clsid);
        }
    }
    for (auto e = extensions.begin(); e != extensions.end(); ++e) {
        text(e.key(), QString(), e->type);
        if (!e->contentType.isEmpty())
            text(e.key(), QStringLiteral("Content Type"), e->contentType);
        if (!e->handlers.isEmpty())
            s.addKey(e.key() + QStringLiteral("\\shellex"));
        for (const QString& clsid : e->handlers)
            text(e.key() + QStringLiteral("\\shellex\\") + clsid, QString(), clsid);
    }
    for (auto c = classes.begin(); c != classes.end(); ++c) {
        const QString path = QStringLiteral("CLSID\\") + c.key();
        text(path, QString(), c->name);
        text(path + QStringLiteral("\\InprocServer32"), QString(), c->inproc32);
        text(path + QStringLiteral("\\InprocServer32"), QStringLiteral("ThreadingModel"), c->threadModel);
    }
    for (auto f = foreign.begin(); f != foreign.end(); ++f)
        text(f.key(), QString(), f.value());
    return s;
}
