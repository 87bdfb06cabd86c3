#include "platform/registry/RegFileWriter.h"

#include <QSaveFile>
#include <QtEndian>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

// regedit breaks a hex line after the comma that takes it to this many columns or more.
constexpr int kHexLineColumns = 77;

// A name or text between double quotes, escaped as regedit writes and reads it.
QString quoted(QStringView text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'"': out += QStringLiteral("\\\""); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    out += u'"';
    return out;
}

// Whether REG_SZ data is what importing its text would store: UTF-16 units ending in the one NUL.
// Anything else (odd length, no NUL, a NUL inside) would lose bytes as text.
bool isCanonicalText(const QByteArray& data)
{
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    const qsizetype units = data.size() / 2;
    for (qsizetype i = 0; i < units; ++i) {
        const bool isNul = data[2 * i] == 0 && data[2 * i + 1] == 0;
        if (isNul != (i == units - 1))
            return false;
    }
    return true;
}

QString textOf(const QByteArray& data)
{
    const qsizetype units = data.size() / 2 - 1; // without the closing NUL
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(data.constData() + 2 * i));
    return text;
}

// "hex:" or "hex(N):" and the bytes, wrapped as regedit wraps them; `column` is where the type
// tag starts.
QString hexText(DWORD type, const QByteArray& data, qsizetype column)
{
    QString out = type == REG_BINARY ? QStringLiteral("hex:") : QStringLiteral("hex(%1):").arg(type, 0, 16);
    column += out.size();
    static const char kDigits[] = "0123456789abcdef";
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        out += QLatin1Char(kDigits[byte >> 4]);
        out += QLatin1Char(kDigits[byte & 0x0F]);
        if (i == data.size() - 1)
            break;
        out += u',';
        column += 3;
        if (column >= kHexLineColumns) {
            out += u'\\' + kLineEnd + QStringLiteral("  ");
            column = 2;
        }
    }
    return out;
}

} // namespace

RegFileWriter::RegFileWriter()
    : m_text(QStringLiteral("Windows Registry Editor Version 5.00") + kLineEnd + kLineEnd)
{
}

bool RegFileWriter::addKey(const QString& path, const std::vector<RegValue>& values)
{
    // A key line ends at the line break; regedit would read the rest as another line.
    if (path.isEmpty() || path.contains(u'\n') || path.contains(u'\r'))
        return false;
    m_text += u'[' + path + u']' + kLineEnd;
    for (const RegValue& value : values)
        m_text += valueText(value) + kLineEnd;
    m_text += kLineEnd;
    return true;
}

QString RegFileWriter::valueText(const RegValue& value)
{
    const QString name = value.name.isEmpty() ? QStringLiteral("@=") : quoted(value.name) + u'=';
    if (value.type == REG_SZ && isCanonicalText(value.data))
        return name + quoted(textOf(value.data));
    if (value.type == REG_DWORD && value.data.size() == 4)
        return name + QStringLiteral("dword:%1").arg(qFromLittleEndian<quint32>(value.data.constData()), 8, 16,
                                                     QLatin1Char('0'));
    return name + hexText(value.type, value.data, name.size());
}

QByteArray RegFileWriter::bytes() const
{
    QByteArray out;
    out.resize(2 + 2 * m_text.size());
    out[0] = char(0xFF);
    out[1] = char(0xFE);
    qToLittleEndian<quint16>(m_text.utf16(), m_text.size(), out.data() + 2);
    return out;
}

bool RegFileWriter::save(const QString& fileName, QString& error) const
{
    QSaveFile file(fileName);
    const QByteArray data = bytes();
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        error = QStringLiteral("Cannot write the file \"%1\": %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}
