#include "tests/soak/SoakRun.h"

#include "control/records/Definitions.h"
#include "control/tree/CollectionLoader.h"
#include "control/tree/ItemKinds.h"
#include "control/tree/KestrowCore.h"
#include "platform/registry/CommandScope.h"
#include "platform/registry/PrefixStore.h"
#include "platform/registry/Registry.h"
#include "tests/support/FullDiskFile.h"

#include <QDateTime>
#include <QFile>

#include <array>
#include <utility>

namespace {

const QString kThreadModels[] = {QStringLiteral("Apartment"), QStringLiteral("Both"), QStringLiteral("Free"),
                                 QStringLiteral("Neutral")};

bool isSoakType(const QString& internalName)
{
    return internalName.startsWith(QStringLiteral("soakt"), Qt::CaseInsensitive);
}

// The keys the soak makes: "soakt1", ".soak2", "soakforeign3" and classes "CLSID\{5A0C0000-...}".
bool isSoakKey(const QString& path)
{
    return path.startsWith(QStringLiteral("soak"), Qt::CaseInsensitive) ||
           path.startsWith(QStringLiteral(".soak"), Qt::CaseInsensitive) ||
           path.startsWith(QStringLiteral("CLSID\\{5A0C0000-"), Qt::CaseInsensitive);
}

template <typename Collection>
QStringList keysOf(const Collection& collection)
{
    QStringList keys;
    for (const auto& entry : collection)
        keys << entry.key;
    keys.sort(Qt::CaseInsensitive);
    return keys;
}

QStringList sorted(QStringList list)
{
    list.sort(Qt::CaseInsensitive);
    return list;
}

} // namespace

SoakRun::SoakRun(Options options)
    : m_options(std::move(options))
    , m_random(m_options.seed)
{
}

SoakRun::~SoakRun()
{
    m_core.reset();
    Registry::setCurrent(nullptr);
    m_store.reset();
}

bool SoakRun::open()
{
    if (!reload())
        return false;
    m_others = SoakSnapshot::ofRegistry(SoakSnapshot::topKeys(), isSoakKey);
    check(QStringLiteral("at the start"));
    return m_figures.divergence.isEmpty();
}

bool SoakRun::run(int steps)
{
    for (int i = 0; i < steps && m_figures.divergence.isEmpty(); ++i)
        step();
    return m_figures.divergence.isEmpty();
}

bool SoakRun::settle()
{
    const bool faults = std::exchange(m_options.faults, false);
    if (m_fault != Fault::None)
        endFault();
    // A change made after the fault reaches the disk with everything held back before it.
    if (m_figures.divergence.isEmpty() && m_unsaved)
        step();
    if (m_figures.divergence.isEmpty())
        reload();
    m_options.faults = faults;
    return m_figures.divergence.isEmpty();
}

// ---- one step

void SoakRun::step()
{
    ++m_figures.steps;
    if (m_fault == Fault::None && m_options.faults && chance(3))
        armFault();

    using Operation = bool (SoakRun::*)();
    // Weighted so that the model keeps a few dozen types of every shape.
    static constexpr std::array<std::pair<Operation, int>, 14> operations{{
        {&SoakRun::addType, 8},
        {&SoakRun::renameType, 5},
        {&SoakRun::removeType, 3},
        {&SoakRun::addExtension, 7},
        {&SoakRun::editExtension, 5},
        {&SoakRun::removeExtension, 4},
        {&SoakRun::reassociate, 6},
        {&SoakRun::addAction, 8},
        {&SoakRun::editAction, 7},
        {&SoakRun::removeAction, 4},
        {&SoakRun::addHandler, 8},
        {&SoakRun::editHandler, 5},
        {&SoakRun::removeHandler, 4},
        {&SoakRun::moveHandler, 6},
    }};
    int total = 0;
    for (const auto& op : operations)
        total += op.second;
    for (;;) {
        int pick = below(total);
        std::size_t i = 0;
        while (pick >= operations[i].second)
            pick -= operations[i++].second;
        if ((this->*operations[i].first)())
            break;
    }
    if (!m_figures.divergence.isEmpty())
        return;

    if (m_fault == Fault::None) {
        m_saved = m_model;
        m_unsaved = false;
    } else {
        m_unsaved = true;
        ++m_figures.refusedSaves;
    }
    check(QStringLiteral("after step %1").arg(m_figures.steps));
    if (m_fault != Fault::None && --m_faultSteps <= 0)
        endFault();
    if (m_figures.divergence.isEmpty() && m_fault == Fault::None && !m_unsaved &&
        m_figures.steps % m_options.reloadEvery == 0)
        reload();
}

void SoakRun::expectResult(const QString& what, long rc)
{
    const long expected = m_fault == Fault::None ? 0 : ERROR_CANTWRITE;
    if (rc != expected)
        diverge(QStringLiteral("%1 returned %2, expected %3").arg(what).arg(rc).arg(expected));
}

void SoakRun::diverge(const QString& what)
{
    if (m_figures.divergence.isEmpty())
        m_figures.divergence << QStringLiteral("step %1 (seed %2): %3").arg(m_figures.steps).arg(m_options.seed).arg(what);
}

// ---- checks

void SoakRun::check(const QString& when)
{
    if (!m_figures.divergence.isEmpty())
        return;
    const QStringList differences =
        SoakSnapshot::differences(m_model.expected(), SoakSnapshot::ofRegistry(m_roots));
    if (!differences.isEmpty()) {
        diverge(QStringLiteral("the registry differs from the model %1:").arg(when));
        m_figures.divergence << differences;
        return;
    }
    checkControl(when);
}

void SoakRun::checkControl(const QString& when)
{
    QStringList shown;
    for (const auto& entry : m_core->FileTypeCollection())
        if (isSoakType(entry.item->InternalName))
            shown << entry.item->InternalName;
    if (sorted(shown) != sorted(m_model.types.keys())) {
        diverge(QStringLiteral("the control shows the types %1 %2, the model has %3")
                    .arg(sorted(shown).join(u' '), when, sorted(m_model.types.keys()).join(u' ')));
        return;
    }
    for (auto t = m_model.types.begin(); t != m_model.types.end(); ++t) {
        const auto type = typeRecord(t.key());
        QStringList extensions, actions, handlers;
        for (const QString& e : m_model.extensionsOf(t.key()))
            extensions << FileExtensionKey(e);
        for (const QString& verb : t->actions.keys())
            actions << ActionKey(verb, t.key());
        for (const SoakModel::Handler& h : t->handlers)
            handlers << ShellExtensionKey(h.clsid, h.group, t.key());
        if (type->Name != t->name || keysOf(type->FileExtensions) != sorted(extensions) ||
            keysOf(type->Actions) != sorted(actions) || keysOf(type->ShellExtensions) != sorted(handlers)) {
            diverge(QStringLiteral("the control's type %1 differs from the model %2").arg(t.key(), when));
            return;
        }
        for (const auto& entry : type->FileExtensions) {
            QStringList expected;
            for (const QString& clsid : m_model.extensions.value(entry.item->Extension).handlers)
                expected << ShellExtensionKey(clsid, -1, entry.item->Extension);
            if (keysOf(entry.item->ShellExtensions) != sorted(expected)) {
                diverge(QStringLiteral("the handlers of %1 in the control differ from the model %2")
                            .arg(entry.item->Extension, when));
                return;
            }
        }
    }
    for (const auto& entry : m_core->OrphanedExtensions())
        if (m_model.extensions.contains(entry.item->Extension) || m_roots.contains(entry.item->Extension)) {
            diverge(QStringLiteral("%1 is shown as an orphaned extension %2").arg(entry.item->Extension, when));
            return;
        }
}

bool SoakRun::reload()
{
    m_core.reset();
    auto store = std::make_unique<PrefixStore>(m_options.prefixDir);
    store->setBackupDir(m_backups.path());
    store->setServerProbe([this](const QString&) {
        WineServerProbe::Status status;
        status.running = m_fault == Fault::Server;
        status.pid = status.running ? 4242 : 0;
        return status;
    });
    store->setSaveFileFactory([this](const QString& path) -> std::unique_ptr<QSaveFile> {
        if (m_fault == Fault::FullDisk)
            return std::make_unique<FullDiskFile>(path, m_fullDiskLimit);
        return std::make_unique<QSaveFile>(path);
    });
    QString error;
    if (!store->open(error)) {
        diverge(QStringLiteral("the prefix does not open: %1").arg(error));
        return false;
    }
    if (store->isReadOnly()) {
        diverge(QStringLiteral("the prefix opened read-only: %1").arg(store->readOnlyReason()));
        return false;
    }
    Registry::setCurrent(&store->registry());
    m_store = std::move(store);
    m_core = std::make_unique<KestrowCore>();
    if (const long rc = LoadCollection(*m_core, true, nullptr); rc != 0) {
        diverge(QStringLiteral("loading the prefix returned %1").arg(rc));
        return false;
    }
    ++m_figures.reloads;
    // What was not saved is gone; what was saved, and what another program added, is there.
    m_model = m_saved;
    m_unsaved = false;
    check(QStringLiteral("after reading the prefix again"));
    // Whatever the soak did not make is as it was at the start.
    if (m_figures.divergence.isEmpty() && m_figures.reloads > 1) {
        const QStringList differences =
            SoakSnapshot::differences(m_others, SoakSnapshot::ofRegistry(SoakSnapshot::topKeys(), isSoakKey));
        if (!differences.isEmpty()) {
            diverge(QStringLiteral("keys the soak never touched changed:"));
            m_figures.divergence << differences;
        }
    }
    return m_figures.divergence.isEmpty();
}

// ---- faults

void SoakRun::armFault()
{
    m_faultSteps = 1 + below(3);
    switch (below(3)) {
    case 0:
        m_fault = Fault::FullDisk;
        m_fullDiskLimit = below(4096); // the hive is larger: the write fails part way
        ++m_figures.fullDisks;
        break;
    case 1: {
        // Another program adds a key to system.reg; every save is refused until the next start.
        m_fault = Fault::Foreign;
        const QString key = newName(QStringLiteral("soakforeign%1"));
        const QString value = QStringLiteral("written by another program at step %1").arg(m_figures.steps);
        QFile file(m_options.prefixDir + QStringLiteral("/system.reg"));
        if (!file.open(QIODevice::Append)) {
            diverge(QStringLiteral("cannot change system.reg as another program would"));
            return;
        }
        file.write(QStringLiteral("\n[Software\\\\Classes\\\\%1] %2\n@=\"%3\"\n")
                       .arg(key)
                       .arg(QDateTime::currentSecsSinceEpoch())
                       .arg(value)
                       .toUtf8());
        m_saved.foreign.insert(key, value);
        ++m_figures.foreignChanges;
        break;
    }
    default:
        m_fault = Fault::Server;
        ++m_figures.serverStarts;
        break;
    }
}

void SoakRun::endFault()
{
    const Fault ended = std::exchange(m_fault, Fault::None);
    m_fullDiskLimit = -1;
    // A file changed by another program is only written again after the user started anew.
    if (ended == Fault::Foreign)
        reload();
}

// ---- randomness and names

int SoakRun::below(int n)
{
    return int(std::uniform_int_distribution<int>(0, n - 1)(m_random));
}

QString SoakRun::newName(const QString& pattern)
{
    const QString name = pattern.arg(++m_next);
    m_roots << name;
    return name;
}

QString SoakRun::newClsid()
{
    const QString clsid = QStringLiteral("{5A0C0000-0000-0000-0000-%1}").arg(++m_next, 12, 10, QLatin1Char('0'));
    m_roots << QStringLiteral("CLSID\\") + clsid;
    return clsid;
}

SoakModel::Action SoakRun::randomAction()
{
    SoakModel::Action action;
    const int n = ++m_next;
    action.name = QStringLiteral("Action %1").arg(n);
    action.command = QStringLiteral("C:\\soak\\app%1.exe \"%2\"").arg(n).arg(QStringLiteral("%1"));
    action.dde = chance(50);
    if (action.dde) {
        action.ddeMessage = QStringLiteral("[open(\"%1\")] %2").arg(QStringLiteral("%1")).arg(n);
        action.ddeApp = QStringLiteral("SoakApp%1").arg(n);
        action.ddeAppNoRun = QStringLiteral("[start] %1").arg(n);
        action.ddeTopic = QStringLiteral("System%1").arg(n);
    }
    return action;
}

std::shared_ptr<FileTypeObject> SoakRun::typeRecord(const QString& type)
{
    auto record = m_core->FileTypeCollection().value(FileTypeKey(type));
    if (!record)
        diverge(QStringLiteral("the control has no type %1").arg(type));
    return record;
}

std::shared_ptr<FileExtensionObject> SoakRun::extensionRecord(const QString& extension)
{
    const auto type = typeRecord(m_model.extensions.value(extension).type);
    auto record = type ? type->FileExtensions.value(FileExtensionKey(extension)) : nullptr;
    if (type && !record)
        diverge(QStringLiteral("the control has no extension %1").arg(extension));
    return record;
}

namespace {

void setAction(ActionObject& record, const SoakModel::Action& action)
{
    record.Name = action.name;
    record.Command = action.command;
    record.DDE_Message = action.ddeMessage;
    record.DDE_App = action.ddeApp;
    record.DDE_AppNoRun = action.ddeAppNoRun;
    record.DDE_Topic = action.ddeTopic;
}

std::shared_ptr<ActionObject> newAction(const QString& verb, const QString& type, const SoakModel::Action& action)
{
    auto record = std::make_shared<ActionObject>();
    record->CommandKey = verb;
    record->HostInternalName = type;
    record->HostTypeKey = FileTypeKey(type);
    setAction(*record, action);
    return record;
}

std::shared_ptr<FileExtensionObject> newExtension(const QString& extension, const QString& type,
                                                  const QString& contentType)
{
    auto record = std::make_shared<FileExtensionObject>();
    record->Extension = extension;
    record->InternalName = type;
    record->HostTypeKey = FileTypeKey(type);
    record->ContentType = contentType;
    return record;
}

// Places a handler in a group of its type's shellex key, as the handler dialog does: a member of
// a folder is named by its CLSID, a single handler is the group key itself.
void putInGroup(ShellExtensionObject& handler, int group)
{
    handler.ExtTypeIndex = qint16(group);
    handler.ExtTypeKey = SoakModel::groupKey(group);
    handler.ExtTypeGroup = SoakModel::isGroup(group);
    handler.InternalName = handler.ExtTypeGroup ? handler.CLSID : handler.ExtTypeKey;
}

// Whether a type's group has room for one more handler.
bool hasRoom(const SoakModel::Type& type, int group)
{
    if (SoakModel::isGroup(group))
        return true;
    for (const SoakModel::Handler& h : type.handlers)
        if (SoakModel::groupKey(h.group) == SoakModel::groupKey(group))
            return false;
    return true;
}

QString randomContentType(int n, bool empty)
{
    return empty ? QString() : QStringLiteral("application/x-soak-%1").arg(n);
}

} // namespace

// As the add windows do it: the record is written, in full, and shown, as one command.
long SoakRun::addRecord(qint16 kind, const std::shared_ptr<ItemObject>& record)
{
    CommandScope command;
    long rc = m_core->WriteItem(kind, record, /*writeFull*/ true);
    if (rc == 0)
        rc = m_core->AddItem(kind, record);
    return command.finish(rc);
}

// As the edit windows do it: what changed is written and shown, as one command.
long SoakRun::changeRecord(qint16 kind, const std::shared_ptr<ItemObject>& record)
{
    CommandScope command;
    long rc = m_core->WriteItem(kind, record);
    if (rc == 0)
        rc = m_core->UpdateItem(kind, record);
    return command.finish(rc);
}

// ---- file types

bool SoakRun::addType()
{
    if (m_model.types.size() >= 24)
        return false;
    const QString name = newName(QStringLiteral("soakt%1"));
    const QString extension = newName(QStringLiteral(".soak%1"));
    auto type = std::make_shared<FileTypeObject>();
    type->InternalName = name;
    type->Name = QStringLiteral("Soak type %1").arg(m_next);
    SoakModel::Type modelType{type->Name, {}, {}};
    const QString contentType = randomContentType(m_next, chance(50));
    auto ext = newExtension(extension, name, contentType);
    type->FileExtensions.add(ext->Key(), ext);
    if (chance(50)) {
        const QString verb = QStringLiteral("open");
        const SoakModel::Action action = randomAction();
        auto record = newAction(verb, name, action);
        type->Actions.add(record->Key(), record);
        modelType.actions.insert(verb, action);
    }

    expectResult(QStringLiteral("adding the type %1").arg(name), addRecord(ITEM_FILETYPE, type));
    m_model.types.insert(name, modelType);
    m_model.extensions.insert(extension, {name, contentType, {}});
    return true;
}

bool SoakRun::renameType()
{
    const QString name = pickKey(m_model.types);
    const auto type = name.isEmpty() ? nullptr : typeRecord(name);
    if (!type)
        return !name.isEmpty();
    type->Name = QStringLiteral("Soak type %1 renamed").arg(++m_next);
    expectResult(QStringLiteral("renaming the type %1").arg(name), changeRecord(ITEM_FILETYPE, type));
    m_model.types[name].name = type->Name;
    return true;
}

bool SoakRun::removeType()
{
    const QString name = pickKey(m_model.types);
    const auto type = name.isEmpty() ? nullptr : typeRecord(name);
    if (!type)
        return !name.isEmpty();
    expectResult(QStringLiteral("removing the type %1").arg(name), m_core->RemoveItem(ITEM_FILETYPE, type, true, true));
    m_model.removeType(name, true);
    return true;
}

// ---- extensions

bool SoakRun::addExtension()
{
    const QString typeName = pickKey(m_model.types);
    const auto type = typeName.isEmpty() ? nullptr : typeRecord(typeName);
    if (!type)
        return !typeName.isEmpty();
    const QString extension = newName(QStringLiteral(".soak%1"));
    const QString contentType = randomContentType(m_next, chance(50));
    auto ext = newExtension(extension, typeName, contentType);
    expectResult(QStringLiteral("adding the extension %1").arg(extension), addRecord(ITEM_FILEEXTENSION, ext));
    m_model.extensions.insert(extension, {typeName, contentType, {}});
    return true;
}

bool SoakRun::editExtension()
{
    const QString extension = pickKey(m_model.extensions);
    const auto ext = extension.isEmpty() ? nullptr : extensionRecord(extension);
    if (!ext)
        return !extension.isEmpty();
    // Always a change: an edit that changes nothing saves nothing, and no fault shows.
    ext->ContentType = randomContentType(++m_next, chance(30) && !ext->ContentType.isEmpty());
    expectResult(QStringLiteral("changing the extension %1").arg(extension), changeRecord(ITEM_FILEEXTENSION, ext));
    m_model.extensions[extension].contentType = ext->ContentType;
    return true;
}

bool SoakRun::removeExtension()
{
    const QString extension = pickKey(m_model.extensions);
    const auto ext = extension.isEmpty() ? nullptr : extensionRecord(extension);
    if (!ext)
        return !extension.isEmpty();
    expectResult(QStringLiteral("removing the extension %1").arg(extension),
                 m_core->RemoveItem(ITEM_FILEEXTENSION, ext, true));
    m_model.removeExtension(extension);
    return true;
}

bool SoakRun::reassociate()
{
    if (m_model.types.size() < 2)
        return false;
    const QString extension = pickKey(m_model.extensions);
    const QString from = m_model.extensions.value(extension).type;
    QString to = pickKey(m_model.types);
    if (to == from)
        return false;
    const auto ext = extensionRecord(extension);
    const auto target = typeRecord(to);
    if (!ext || !target)
        return true;
    // As the association command does it: the new name is written first, then the extension
    // leaves its old type, which goes with it when it was its last one.
    CommandScope command;
    ext->InternalName = target->InternalName;
    long rc = m_core->WriteItem(ITEM_FILEEXTENSION, ext);
    if (rc == 0)
        rc = m_core->RemoveItem(ITEM_FILEEXTENSION, ext, false, false);
    if (rc == 0) {
        ext->HostTypeKey = target->Key();
        rc = m_core->AddItem(ITEM_FILEEXTENSION, ext);
    }
    expectResult(QStringLiteral("associating %1 with %2").arg(extension, to), command.finish(rc));
    m_model.extensions[extension].type = to;
    if (m_model.extensionsOf(from).isEmpty())
        m_model.removeType(from, false);
    return true;
}

// ---- actions

bool SoakRun::addAction()
{
    const QString typeName = pickKey(m_model.types);
    const auto type = typeName.isEmpty() ? nullptr : typeRecord(typeName);
    if (!type)
        return !typeName.isEmpty();
    const QString verb = QStringLiteral("verb%1").arg(++m_next);
    const SoakModel::Action action = randomAction();
    auto record = newAction(verb, typeName, action);
    expectResult(QStringLiteral("adding the action %1 of %2").arg(verb, typeName), addRecord(ITEM_ACTION, record));
    m_model.types[typeName].actions.insert(verb, action);
    return true;
}

SoakRun::PickedAction SoakRun::pickAction()
{
    PickedAction picked;
    const QString typeName = pickKey(m_model.types);
    if (typeName.isEmpty() || m_model.types[typeName].actions.isEmpty())
        return picked;
    picked.type = typeName;
    picked.verb = pickKey(m_model.types[typeName].actions);
    if (const auto type = typeRecord(typeName))
        picked.record = type->Actions.value(ActionKey(picked.verb, typeName));
    if (!picked.record)
        diverge(QStringLiteral("the control has no action %1 of %2").arg(picked.verb, typeName));
    return picked;
}

bool SoakRun::editAction()
{
    const PickedAction picked = pickAction();
    if (!picked.record)
        return !picked.type.isEmpty();
    // A new name, command and conversation, or none: DDE switched on or off or changed.
    const SoakModel::Action action = randomAction();
    setAction(*picked.record, action);
    expectResult(QStringLiteral("changing the action %1 of %2").arg(picked.verb, picked.type),
                 changeRecord(ITEM_ACTION, picked.record));
    m_model.types[picked.type].actions[picked.verb] = action;
    return true;
}

bool SoakRun::removeAction()
{
    const PickedAction picked = pickAction();
    if (!picked.record)
        return !picked.type.isEmpty();
    expectResult(QStringLiteral("removing the action %1 of %2").arg(picked.verb, picked.type),
                 m_core->RemoveItem(ITEM_ACTION, picked.record, true));
    m_model.types[picked.type].actions.remove(picked.verb);
    return true;
}

// ---- shell-extension handlers

bool SoakRun::addHandler()
{
    const bool ofExtension = chance(30);
    const QString host = ofExtension ? pickKey(m_model.extensions) : pickKey(m_model.types);
    if (host.isEmpty())
        return false;
    const int group = ofExtension ? -1 : below(SoakModel::groupCount());
    if (!ofExtension && !hasRoom(m_model.types[host], group))
        return false;

    auto handler = std::make_shared<ShellExtensionObject>();
    handler->CLSID = newClsid();
    handler->Name = QStringLiteral("Soak handler %1").arg(m_next);
    handler->Inproc32 = QStringLiteral("C:\\soak\\handler%1.dll").arg(m_next);
    handler->ThreadModel = kThreadModels[below(4)];
    handler->HostInternalName = host;
    handler->FileExtensionSH = ofExtension;
    if (ofExtension) {
        handler->ExtTypeIndex = -1;
        handler->ExtTypeKey = handler->CLSID;
        handler->InternalName = handler->CLSID;
        handler->HostTypeKey = FileExtensionKey(host);
    } else {
        putInGroup(*handler, group);
        handler->HostTypeKey = FileTypeKey(host);
    }
    expectResult(QStringLiteral("adding the handler %1 to %2").arg(handler->CLSID, host),
                 addRecord(ITEM_SHELLEXTENSION, handler));
    m_model.classes.insert(handler->CLSID, {handler->Name, handler->Inproc32, handler->ThreadModel});
    if (ofExtension)
        m_model.extensions[host].handlers << handler->CLSID;
    else
        m_model.types[host].handlers << SoakModel::Handler{handler->CLSID, group};
    return true;
}

SoakRun::PickedHandler SoakRun::pickHandler()
{
    // Of a type or of an extension, picked among all handlers alike.
    std::vector<std::pair<QString, int>> all;
    for (auto t = m_model.types.begin(); t != m_model.types.end(); ++t)
        for (int i = 0; i < t->handlers.size(); ++i)
            all.emplace_back(t.key(), i);
    for (auto e = m_model.extensions.begin(); e != m_model.extensions.end(); ++e)
        for (int i = 0; i < e->handlers.size(); ++i)
            all.emplace_back(e.key(), i);
    if (all.empty())
        return {};
    PickedHandler picked;
    std::tie(picked.host, picked.index) = all[std::size_t(below(int(all.size())))];
    if (picked.host.startsWith(u'.')) {
        const QString clsid = m_model.extensions[picked.host].handlers[picked.index];
        if (const auto ext = extensionRecord(picked.host))
            picked.record = ext->ShellExtensions.value(ShellExtensionKey(clsid, -1, picked.host));
    } else {
        const SoakModel::Handler h = m_model.types[picked.host].handlers[picked.index];
        if (const auto type = typeRecord(picked.host))
            picked.record = type->ShellExtensions.value(ShellExtensionKey(h.clsid, h.group, picked.host));
    }
    if (!picked.record)
        diverge(QStringLiteral("the control lacks a handler of %1").arg(picked.host));
    return picked;
}

bool SoakRun::editHandler()
{
    const PickedHandler picked = pickHandler();
    if (!picked.record)
        return !picked.host.isEmpty();
    ShellExtensionObject& handler = *picked.record;
    handler.Name = QStringLiteral("Soak handler %1 changed").arg(++m_next);
    handler.Inproc32 = QStringLiteral("C:\\soak\\changed%1.dll").arg(m_next);
    handler.ThreadModel = kThreadModels[below(4)];
    expectResult(QStringLiteral("changing the handler %1").arg(handler.CLSID),
                 changeRecord(ITEM_SHELLEXTENSION, picked.record));
    m_model.classes[handler.CLSID] = {handler.Name, handler.Inproc32, handler.ThreadModel};
    return true;
}

bool SoakRun::removeHandler()
{
    const PickedHandler picked = pickHandler();
    if (!picked.record)
        return !picked.host.isEmpty();
    // With its class or without.
    const bool full = chance(50);
    expectResult(QStringLiteral("removing the handler %1").arg(picked.record->CLSID),
                 m_core->RemoveItem(ITEM_SHELLEXTENSION, picked.record, true, full));
    if (picked.host.startsWith(u'.'))
        m_model.extensions[picked.host].handlers.removeAt(picked.index);
    else
        m_model.types[picked.host].handlers.removeAt(picked.index);
    if (full)
        m_model.classes.remove(picked.record->CLSID);
    return true;
}

bool SoakRun::moveHandler()
{
    const QString host = pickKey(m_model.types);
    if (host.isEmpty() || m_model.types[host].handlers.isEmpty())
        return false;
    SoakModel::Type& modelType = m_model.types[host];
    const int index = below(int(modelType.handlers.size()));
    const SoakModel::Handler from = modelType.handlers[index];
    const int to = below(SoakModel::groupCount());
    if (SoakModel::groupKey(to) == SoakModel::groupKey(from.group) || !hasRoom(modelType, to))
        return false;
    const auto type = typeRecord(host);
    const auto handler = type ? type->ShellExtensions.value(ShellExtensionKey(from.clsid, from.group, host)) : nullptr;
    if (!handler) {
        diverge(QStringLiteral("the control lacks the handler %1 of %2").arg(from.clsid, host));
        return true;
    }
    // As the handler dialog moves one: the new registration is written, then the old one goes.
    CommandScope command;
    const auto old = std::static_pointer_cast<ShellExtensionObject>(m_core->CopyItem(ITEM_SHELLEXTENSION, handler));
    putInGroup(*handler, to);
    long rc = m_core->WriteItem(ITEM_SHELLEXTENSION, handler);
    if (rc == 0)
        rc = m_core->RemoveItem(ITEM_SHELLEXTENSION, old, true);
    if (rc == 0)
        rc = m_core->AddItem(ITEM_SHELLEXTENSION, handler);
    expectResult(QStringLiteral("moving the handler %1 of %2 to group %3").arg(from.clsid, host).arg(to),
                 command.finish(rc));
    modelType.handlers[index].group = to;
    return true;
}
