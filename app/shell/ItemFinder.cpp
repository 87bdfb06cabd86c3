#include "app/shell/ItemFinder.h"

#include "control/tree/KestrowCore.h"

#include <span>

namespace {

// The kinds within a file type, in search order; a Place's `kind` counts them.
constexpr int kTypeItself = 0;
constexpr int kExtensions = 1;
constexpr int kActions = 2;
constexpr int kShellExtensions = 3;

// A property a criterion compares.
template <typename Record>
struct Field {
    FindCriterion criterion;
    QString Record::*value;
};

const Field<FileTypeObject> kTypeFields[] = {
    {FindCriterion::Name, &FileTypeObject::Name},
    {FindCriterion::InternalName, &FileTypeObject::InternalName},
    {FindCriterion::CLSID, &FileTypeObject::CLSID},
};
const Field<FileExtensionObject> kExtensionFields[] = {
    {FindCriterion::Extension, &FileExtensionObject::Extension},
};
const Field<ActionObject> kActionFields[] = {
    {FindCriterion::Name, &ActionObject::Name},
    {FindCriterion::Command, &ActionObject::Command},
};
const Field<ShellExtensionObject> kShellExtensionFields[] = {
    {FindCriterion::Name, &ShellExtensionObject::Name},
    {FindCriterion::InternalName, &ShellExtensionObject::InternalName},
    {FindCriterion::CLSID, &ShellExtensionObject::CLSID},
    {FindCriterion::Inproc32, &ShellExtensionObject::Inproc32},
};

// What is searched of each record class.
struct Searched {
    static FindItem kind(const FileTypeObject&) { return FindItem::FileType; }
    static FindItem kind(const FileExtensionObject&) { return FindItem::FileExtension; }
    static FindItem kind(const ActionObject&) { return FindItem::Action; }
    static FindItem kind(const ShellExtensionObject&) { return FindItem::ShellExtension; }
    static std::span<const Field<FileTypeObject>> fields(const FileTypeObject&) { return kTypeFields; }
    static std::span<const Field<FileExtensionObject>> fields(const FileExtensionObject&) { return kExtensionFields; }
    static std::span<const Field<ActionObject>> fields(const ActionObject&) { return kActionFields; }
    static std::span<const Field<ShellExtensionObject>> fields(const ShellExtensionObject&)
    {
        return kShellExtensionFields;
    }
};

template <typename Record>
FindCriteria criteriaOf(std::span<const Field<Record>> fields)
{
    FindCriteria criteria;
    for (const Field<Record>& field : fields)
        criteria |= field.criterion;
    return criteria;
}

// Whether the record is of a kind asked for, one of its asked-for properties holds the text, and
// the tree shows it: a match the user could not be shown would be no match for them.
template <typename Record>
bool isFound(const KestrowCore& core, const FindRequest& request, const Record& record)
{
    if (!request.items.testFlag(Searched::kind(record)))
        return false;
    for (const auto& field : Searched::fields(record))
        if (request.criteria.testFlag(field.criterion) && ItemFinder::TextMatches(request.text, record.*field.value))
            return core.GetNodeFromKey(record.Key()) != nullptr;
    return false;
}

// The position of a record in a collection; -1 when it holds none.
template <typename Record>
int indexOf(const KeyedCollection<Record>& members, const ItemObject* record)
{
    int index = 0;
    for (const auto& entry : members) {
        if (entry.item.get() == record)
            return index;
        ++index;
    }
    return -1;
}

} // namespace

bool ItemFinder::TextMatches(const QString& search, const QString& value)
{
    return search.isEmpty() || value.contains(search, Qt::CaseSensitive);
}

FindCriteria ItemFinder::ApplicableCriteria(FindItem kind)
{
    switch (kind) {
    case FindItem::FileType: return criteriaOf<FileTypeObject>(kTypeFields);
    case FindItem::FileExtension: return criteriaOf<FileExtensionObject>(kExtensionFields);
    case FindItem::Action: return criteriaOf<ActionObject>(kActionFields);
    case FindItem::ShellExtension: return criteriaOf<ShellExtensionObject>(kShellExtensionFields);
    }
    return {};
}

FindCriteria ItemFinder::EnabledCriteria(FindItems items)
{
    FindCriteria enabled;
    for (FindItem kind : {FindItem::FileType, FindItem::FileExtension, FindItem::Action, FindItem::ShellExtension})
        if (items.testFlag(kind))
            enabled |= ApplicableCriteria(kind);
    return enabled;
}

std::shared_ptr<ItemObject> ItemFinder::FindNext(const KestrowCore& core, const FindRequest& request)
{
    const Place start = resumePlace(core);
    int typeIndex = -1;
    for (const auto& entry : core.FileTypeCollection()) {
        if (++typeIndex < start.type)
            continue;
        const Place from = typeIndex == start.type ? start : Place{typeIndex, kTypeItself, 0};
        auto take = [&](int kind, int member, std::shared_ptr<ItemObject> item) {
            m_placed = true;
            m_last = Place{typeIndex, kind, member};
            m_lastType = entry.item;
            m_lastItem = item;
            return item;
        };
        // The members of one kind from where this search begins among them.
        auto scan = [&](int kind, const auto& members) -> std::shared_ptr<ItemObject> {
            if (from.kind > kind)
                return nullptr;
            const int first = from.kind == kind ? from.member : 0;
            int index = -1;
            for (const auto& member : members)
                if (++index >= first && isFound(core, request, *member.item))
                    return take(kind, index, member.item);
            return nullptr;
        };
        const FileTypeObject& type = *entry.item;
        if (from.kind == kTypeItself && isFound(core, request, type))
            return take(kTypeItself, 0, entry.item);
        if (auto found = scan(kExtensions, type.FileExtensions))
            return found;
        if (auto found = scan(kActions, type.Actions))
            return found;
        if (auto found = scan(kShellExtensions, type.ShellExtensions))
            return found;
    }
    reset();
    return nullptr;
}

void ItemFinder::reset()
{
    m_placed = false;
    m_last = Place{};
    m_lastType.reset();
    m_lastItem.reset();
}

ItemFinder::Place ItemFinder::resumePlace(const KestrowCore& core) const
{
    if (!m_placed)
        return Place{};
    // The records of the last match are looked for where they were; one that went leaves the
    // search to go on with what now stands at its place.
    const auto lastType = m_lastType.lock();
    const int typeIndex = indexOf(core.FileTypeCollection(), lastType.get());
    if (typeIndex < 0)
        return Place{m_last.type, kTypeItself, 0};
    if (m_last.kind == kTypeItself)
        return Place{typeIndex, kExtensions, 0};
    const auto lastItem = m_lastItem.lock();
    const int member = m_last.kind == kExtensions ? indexOf(lastType->FileExtensions, lastItem.get())
                       : m_last.kind == kActions  ? indexOf(lastType->Actions, lastItem.get())
                                                  : indexOf(lastType->ShellExtensions, lastItem.get());
    return Place{typeIndex, m_last.kind, member < 0 ? m_last.member : member + 1};
}
