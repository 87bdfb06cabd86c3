#include "platform/settings/IniText.h"

#include <algorithm>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isLoneSurrogate(const QString& text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate())
        return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isLineSyntax(QChar c)
{
    return c == u'=' || c == u'[' || c == u']' || c == u';' || c == u'#';
}

} // namespace

QString EscapeIniText(const QString& text, IniField field)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\r')
            out += QLatin1String("\\r");
        else if (c == u'\t')
            out += QLatin1String("\\t");
        else if (c == u' ' && (i == 0 || i == text.size() - 1))
            out += QLatin1String("\\s");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F || isLoneSurrogate(text, i))
            out += QStringLiteral("\\u%1").arg(uint(c.unicode()), 4, 16, QLatin1Char('0'));
        else if (field == IniField::Name && isLineSyntax(c))
            out += QLatin1Char('\\') + c;
        else
            out += c;
    }
    return out;
}

QString UnescapeIniText(const QString& text, QString* badEscape)
{
    auto reportBad = [&](qsizetype from, qsizetype length) {
        if (badEscape && badEscape->isEmpty())
            *badEscape = text.mid(from, length);
    };

    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (i + 1 >= text.size()) {
            reportBad(i, 1);
            out += c;
            continue;
        }
        const QChar next = text[i + 1];
        switch (next.unicode()) {
        case u'\\': out += u'\\'; break;
        case u'n': out += u'\n'; break;
        case u'r': out += u'\r'; break;
        case u't': out += u'\t'; break;
        case u's': out += u' '; break;
        case u'u': {
            const QString hex = text.mid(i + 2, 4);
            if (hex.size() != 4 || !std::all_of(hex.begin(), hex.end(), isHexDigit)) {
                reportBad(i, 2 + hex.size());
                out += c;
                continue; // kept as written: the 'u' follows as an ordinary character
            }
            out += QChar(hex.toUShort(nullptr, 16));
            i += 4;
            break;
        }
        default:
            if (!isLineSyntax(next)) {
                reportBad(i, 2);
                out += c;
                continue;
            }
            out += next;
        }
        ++i;
    }
    return out;
}

QString TrimIniBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

qsizetype IniSeparatorIndex(const QString& line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\\')
            ++i;
        else if (line[i] == u'=')
            return i;
    }
    return -1;
}
