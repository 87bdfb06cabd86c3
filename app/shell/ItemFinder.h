#pragma once

#include <QFlags>
#include <QString>

#include <memory>

class FileTypeObject;
class ItemObject;
class KestrowCore;

// The kinds of items a search looks at.
enum class FindItem {
    FileType = 0x1,
    FileExtension = 0x2,
    Action = 0x4,
    ShellExtension = 0x8,
};
Q_DECLARE_FLAGS(FindItems, FindItem)
Q_DECLARE_OPERATORS_FOR_FLAGS(FindItems)

// The properties a search compares with its text.
enum class FindCriterion {
    Name = 0x1,
    InternalName = 0x2,
    Extension = 0x4,
    CLSID = 0x8,
    Command = 0x10,
    Inproc32 = 0x20,
};
Q_DECLARE_FLAGS(FindCriteria, FindCriterion)
Q_DECLARE_OPERATORS_FOR_FLAGS(FindCriteria)

// What the user asked for: the text, the kinds of items and the properties to look at. A ticked
// criterion that does not apply to a kind is ignored for that kind.
struct FindRequest {
    QString text;
    FindItems items;
    FindCriteria criteria;
};

// Searches the loaded file types for the next item that matches a request, and remembers where it
// stopped, so that the next search continues behind the last match. The items are searched in the
// order the collections hold them: a file type, its extensions, its actions, its shell extensions,
// then the next file type. The handlers of file extensions and the orphaned extensions are not
// searched. The main window keeps one finder for the whole run, so that the place survives the
// find dialog, and resets it whenever the collection is loaded again.
class ItemFinder {
public:
    // Whether `value` contains `search`, letter case counting; an empty search matches every value.
    static bool TextMatches(const QString& search, const QString& value);
    // The criteria that have a property to compare for items of `kind`.
    static FindCriteria ApplicableCriteria(FindItem kind);
    // The criteria that apply to at least one of the `items`: those worth offering.
    static FindCriteria EnabledCriteria(FindItems items);

    // The next item behind the last match that matches `request` and is shown in the tree; none
    // when the search reached the end without one, after which the next search starts from the
    // top. Items added or removed since the last match are taken as they are now: the search
    // continues behind the last match if it is still there, else with what now stands in its place.
    std::shared_ptr<ItemObject> FindNext(const KestrowCore& core, const FindRequest& request);
    // The next search starts from the top.
    void reset();

private:
    // A place in the search order: the index of a file type, the kind within it (0 the type itself,
    // 1 extensions, 2 actions, 3 shell extensions) and the index of the member of that kind.
    struct Place {
        int type = 0;
        int kind = 0;
        int member = 0;
    };

    // Where the next search begins.
    Place resumePlace(const KestrowCore& core) const;

    // The last match: its place, and the records it was found in and as, to find them again
    // where the collections changed meanwhile.
    bool m_placed = false;
    Place m_last;
    std::weak_ptr<const FileTypeObject> m_lastType;
    std::weak_ptr<const ItemObject> m_lastItem;
};
