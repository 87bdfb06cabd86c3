#include "platform/shell/FileDialogFilters.h"

#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

QString CaseInsensitivePattern(const QString& pattern)
{
    if (pattern == "*.*"_L1)
        return u"*"_s;
    QString result;
    result.reserve(pattern.size() * 4);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == u'[') {
            // A set ends at the first ']' that is not its first member ("[]x]", "[!]x]").
            qsizetype end = i + 1;
            if (end < pattern.size() && (pattern.at(end) == u'!' || pattern.at(end) == u'^'))
                ++end;
            if (end < pattern.size() && pattern.at(end) == u']')
                ++end;
            end = pattern.indexOf(u']', end);
            if (end < 0) {
                result += "[[]"_L1; // an unclosed set is a plain '['
                continue;
            }
            result += QStringView(pattern).mid(i, end - i + 1);
            i = end;
            continue;
        }
        // Only ASCII letters: the dialogs take patterns apart with an ASCII-only expression.
        if (c.unicode() < 0x80 && c.isLetter()) {
            result += u'[';
            result += c.toLower();
            result += c.toUpper();
            result += u']';
        } else {
            result += c;
        }
    }
    return result;
}

QString CaseInsensitiveNameFilters(const QString& filters)
{
    static const QRegularExpression entryPattern(u"^(.*)\\(([^()]*)\\)$"_s);
    static const QRegularExpression patternSeparator(u"[ ;]+"_s);
    // Qt takes ";;" as the separator, or line breaks when there is no ";;".
    const QString separator = filters.contains(";;"_L1) ? u";;"_s : u"\n"_s;
    QStringList result;
    for (const QString& rawEntry : filters.split(separator, Qt::SkipEmptyParts)) {
        const QString entry = rawEntry.trimmed();
        if (entry.isEmpty())
            continue;
        const QRegularExpressionMatch match = entryPattern.match(entry);
        const QStringList patterns =
            (match.hasMatch() ? match.captured(2) : entry).split(patternSeparator, Qt::SkipEmptyParts);
        if (patterns.isEmpty()) {
            result.append(entry);
            continue;
        }
        QStringList expanded;
        for (const QString& pattern : patterns)
            expanded.append(CaseInsensitivePattern(pattern));
        result.append(entry + " ("_L1 + expanded.join(u' ') + u')');
    }
    return result.join(";;"_L1);
}
