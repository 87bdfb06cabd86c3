#pragma once

// Result numbers the records, the control and the windows share. 0 is success throughout.
inline constexpr long kResultCancelled = 1001;   // cancelled by the user
inline constexpr long kResultAccepted = 1002;    // a chooser was accepted
inline constexpr long kResultBadItemType = 1004; // an item kind outside 1 to 4

inline constexpr long kErrInvalidHive = 2002;     // HKEY_CLASSES_ROOT cannot be opened
inline constexpr long kErrOpenKey = 2003;         // a key that must exist cannot be opened
inline constexpr long kErrCreateKey = 2005;       // a key cannot be created or opened for writing
inline constexpr long kErrSetValue = 2006;        // a value cannot be set or deleted
inline constexpr long kErrRemoveKey = 2007;       // a key cannot be deleted
inline constexpr long kErrLoadAction = 2008;      // an action's texts cannot be read
inline constexpr long kErrWriteExtension = 2009;  // an extension's internal name cannot be written
inline constexpr long kErrClsid = 3001;           // a handler's CLSID cannot be read or has no class key
inline constexpr long kErrInternalName = 3002;    // a handler key does not exist
inline constexpr long kErrWriteName = 4003;       // a file type's name cannot be written
inline constexpr long kErrNoInternalName = 4005;  // a file type's key is missing or has no name

// Failures of keyed collections and of the tree, numbered as the classic runtime numbers them.
inline constexpr long kErrDuplicateKey = 457;
inline constexpr long kErrMissingKey = 5;
inline constexpr long kErrDuplicateNodeKey = 35602;
inline constexpr long kErrMissingNode = 35601;

// What an operation reports when it fails in a way no step anticipated.
inline constexpr long kErrorOutOfMemory = 7;
inline constexpr long kErrorInternal = 51;

// A value of the wrong kind, such as a settings entry that should be "True" or "False".
inline constexpr long kErrTypeMismatch = 13;

// Object variable not set: an operation was given no record, or a record of another kind.
inline constexpr long kErrNoObject = 91;
