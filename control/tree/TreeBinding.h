#pragma once

class FileTypeObject;
class KestrowCore;

// Builds the tree of a load from the control's collections, through the layout of TreeLayout.h.
// A step that fails for another reason than a node that exists already or a missing parent is
// shown with Retry and Cancel; Cancel empties the control.

// Builds the whole tree. Returns 0, or the code of a failure after which the user chose Cancel.
long BindCollection(KestrowCore& core);

// Adds the nodes of one file type and everything below it; its own node may exist already.
long BindType(KestrowCore& core, const FileTypeObject& type);
