#pragma once

#include "platform/registry/RegistryTypes.h"

#include <QString>

#include <vector>

// The MIME database of HKEY_CLASSES_ROOT (MIME\Database\Content Type): one subkey per content
// type, with the values "Extension", "CLSID" and, for image types, "Image Filter CLSID". Reads
// leave the registry untouched; each add or remove is one command with one save.
class MimeDatabase {
public:
    // One content type as read.
    struct Entry {
        QString ContentType;
        QString Extension;
        QString CLSID;
        QString ImageFilterCLSID; // read only for image types
    };

    // The database key below HKEY_CLASSES_ROOT.
    static QString databasePath();

    // Whether a content type is an image type: it begins with "image", in that case exactly.
    static bool isImageType(const QString& contentType);

    // Whether a name addresses one content type below the database key: not empty and without a
    // key separator (an empty name would be the database itself, a separator a key elsewhere).
    static bool isContentTypeName(const QString& contentType);

    // The content types in the registry's order; empty when the database cannot be read.
    static std::vector<Entry> regEnumMimeTypes();

    // Creates or opens the content type and sets "Extension" (also when empty); a non-empty clsid
    // sets "CLSID", a non-empty imageClsid of an image type sets "Image Filter CLSID"; empty ones
    // leave what is there. Returns 0, ERROR_INVALID_PARAMETER for a name that is no content type,
    // the registry's code of the first failing step, or ERROR_CANTWRITE when the save failed.
    static long regAddMimeType(const QString& contentType, const QString& extension, const QString& clsid,
                               const QString& imageClsid);

    // Deletes the content type with everything below it. Returns 0, ERROR_INVALID_PARAMETER for a
    // name that is no content type, the registry's code, or ERROR_CANTWRITE when the save failed.
    static long regRemoveMimeType(const QString& contentType);
};
