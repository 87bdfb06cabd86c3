#include "app/dialogs/FieldRules.h"

#include <QRegularExpression>

std::optional<quint32> ParseFlagsText(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 10)
        return std::nullopt;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    const qulonglong value = digits.toULongLong();
    if (value > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<quint32>(value);
}

bool IsKeyName(const QString& name)
{
    return !name.trimmed().isEmpty() && !name.contains(u'\\');
}

bool IsClsidText(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(
        "^\\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\}$"));
    return form.match(text.trimmed()).hasMatch();
}

QString DottedExtension(const QString& text)
{
    const QString extension = text.trimmed();
    return extension.startsWith(u'.') ? extension : u'.' + extension;
}

QString VerbKey(const QString& actionName)
{
    const QString name = actionName.trimmed().toLower();
    if (name == QLatin1String("print to"))
        return QStringLiteral("printto");
    QString key = name;
    key.replace(u' ', u'_');
    return key;
}
