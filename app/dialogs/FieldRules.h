#pragma once

#include <QString>

#include <optional>

// How the item windows read what the user typed. Text a user types may become a registry key
// name, so every name passes here before it is used.

// A flags text: an unsigned 32-bit decimal number, blanks around it ignored. No value for an
// empty text or anything else.
std::optional<quint32> ParseFlagsText(const QString& text);

// Whether `name` can be one key below its parent: not empty, not only blanks, and no "\", which
// would address another key.
bool IsKeyName(const QString& name);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hexadecimal digits of either case, blanks around
// it ignored.
bool IsClsidText(const QString& text);

// An extension with its leading dot: "vnk" -> ".vnk"; blanks around it removed.
QString DottedExtension(const QString& text);

// The verb key of an action name: the common verbs by their usual keys ("Print To" -> "printto"),
// any other name lower-cased with its blanks as "_".
QString VerbKey(const QString& actionName);

// What a flags box that ParseFlagsText() cannot read is refused with.
inline const QString kInvalidFlagsMessage =
    QStringLiteral("You have to enter valid flags: a whole number from 0 to 4294967295.");
