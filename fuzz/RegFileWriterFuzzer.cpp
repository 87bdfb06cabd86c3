// Registry export files: keys and values of any names, types and data. There is no importer to
// read them back, so the file is read here by regedit's rules (quoted text with \\ \" \n \r,
// dword:, hex: and hex(N): with continuation lines) and every value must come back whole.

#include "fuzz/FuzzSupport.h"

#include "platform/registry/RegFileWriter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QStringList>
#include <QtEndian>

#include <vector>

namespace {

QString textFrom(FuzzedDataProvider& input, std::size_t maxUnits)
{
    const std::size_t units = input.ConsumeIntegralInRange<std::size_t>(0, maxUnits);
    QString text;
    for (std::size_t i = 0; i < units && input.remaining_bytes() > 0; ++i) {
        // Mostly the characters that mean something in the file; now and then any unit.
        static const char16_t kSpecial[] = u"\\\"\r\n[]=,@:aZ0 \t";
        const auto pick = input.ConsumeIntegral<std::uint8_t>();
        text += pick < 200 ? QChar(kSpecial[pick % (std::size(kSpecial) - 1)])
                           : QChar(input.ConsumeIntegral<char16_t>());
    }
    return text;
}

RegValue valueFrom(FuzzedDataProvider& input)
{
    RegValue value;
    value.name = textFrom(input, 12);
    static const DWORD kTypes[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD};
    value.type = input.ConsumeBool() ? input.ConsumeIntegral<DWORD>() : input.PickValueInArray(kTypes);
    if (value.type == REG_SZ && input.ConsumeBool()) {
        const QString text = textFrom(input, 40);
        value.data = QByteArray(reinterpret_cast<const char*>(text.utf16()), 2 * (text.size() + 1));
    } else {
        value.data = QByteArray::fromStdString(input.ConsumeRandomLengthString(80));
    }
    return value;
}

// Reads a quoted text starting at `at` (on the opening quote); moves `at` past the closing one.
QString readQuoted(const QString& line, qsizetype& at)
{
    fuzz::require(at < line.size() && line[at] == u'"', "a quoted text opens with a quote");
    QString text;
    for (++at; at < line.size(); ++at) {
        const QChar c = line[at];
        if (c == u'"') {
            ++at;
            return text;
        }
        if (c != u'\\') {
            text += c;
            continue;
        }
        fuzz::require(++at < line.size(), "an escape is complete");
        switch (line[at].unicode()) {
        case u'\\': text += u'\\'; break;
        case u'"': text += u'"'; break;
        case u'n': text += u'\n'; break;
        case u'r': text += u'\r'; break;
        default: fuzz::require(false, "only known escapes are written");
        }
    }
    fuzz::require(false, "a quoted text is closed on its line");
    return text;
}

// One value as regedit reads its line (continuations joined).
RegValue readValue(const QString& line)
{
    RegValue value;
    qsizetype at = 0;
    if (line.startsWith(QLatin1String("@=")))
        at = 1;
    else
        value.name = readQuoted(line, at);
    fuzz::require(at < line.size() && line[at] == u'=', "a value's name is followed by '='");
    const QString data = line.mid(at + 1);
    if (data.startsWith(u'"')) {
        qsizetype q = 0;
        const QString text = readQuoted(data, q);
        fuzz::require(q == data.size(), "nothing follows a text value");
        value.type = REG_SZ;
        value.data = QByteArray(reinterpret_cast<const char*>(text.utf16()), 2 * (text.size() + 1));
        return value;
    }
    if (data.startsWith(QLatin1String("dword:"))) {
        const QString digits = data.mid(6);
        bool ok = false;
        const quint32 number = digits.toUInt(&ok, 16);
        fuzz::require(ok && digits.size() == 8, "a dword is eight hex digits");
        value.type = REG_DWORD;
        value.data.resize(4);
        qToLittleEndian(number, value.data.data());
        return value;
    }
    const qsizetype colon = data.indexOf(u':');
    fuzz::require(colon > 0, "a hex value has a type tag");
    const QString tag = data.left(colon);
    if (tag == QLatin1String("hex")) {
        value.type = REG_BINARY;
    } else {
        fuzz::require(tag.startsWith(QLatin1String("hex(")) && tag.endsWith(u')'), "a hex tag is hex or hex(N)");
        bool ok = false;
        value.type = tag.mid(4, tag.size() - 5).toUInt(&ok, 16);
        fuzz::require(ok, "a hex tag's type is a hex number");
    }
    const QString bytes = data.mid(colon + 1);
    if (bytes.isEmpty())
        return value;
    for (const QString& byte : bytes.split(u',')) {
        bool ok = false;
        const uint number = byte.toUInt(&ok, 16);
        fuzz::require(ok && byte.size() == 2, "hex data is pairs of digits");
        value.data.append(char(number));
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    RegFileWriter writer;
    const QString header = writer.text();
    struct Key {
        QString path;
        std::vector<RegValue> values;
    };
    std::vector<Key> keys;
    const int keyCount = input.ConsumeIntegralInRange(1, 4);
    for (int k = 0; k < keyCount && input.remaining_bytes() > 0; ++k) {
        Key key{QStringLiteral("HKEY_CLASSES_ROOT\\") + textFrom(input, 16), {}};
        const int valueCount = input.ConsumeIntegralInRange(0, 6);
        for (int v = 0; v < valueCount && input.remaining_bytes() > 0; ++v)
            key.values.push_back(valueFrom(input));
        const QString before = writer.text();
        const bool added = writer.addKey(key.path, key.values);
        fuzz::require(added == !(key.path.contains(u'\n') || key.path.contains(u'\r')),
                      "a key is refused only for a path a line cannot hold");
        if (added)
            keys.push_back(std::move(key));
        else
            fuzz::require(writer.text() == before, "a refused key writes nothing");
    }

    const QString text = writer.text();
    const QByteArray bytes = writer.bytes();
    fuzz::require(bytes.size() == 2 + 2 * text.size() && bytes.startsWith("\xff\xfe"), "UTF-16LE with a BOM");
    fuzz::require(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), text.size()) == text,
                  "the bytes are the text");

    // Lines end in CRLF; a line ending in a backslash continues on the next, indented by two.
    fuzz::require(text.startsWith(header) && text.endsWith(QLatin1String("\r\n")), "header first, CRLF last");
    QStringList lines = text.mid(header.size()).split(QStringLiteral("\r\n"));
    lines.removeLast();
    qsizetype at = 0;
    for (const Key& key : keys) {
        fuzz::require(at < lines.size() && lines[at] == u'[' + key.path + u']', "a key line per key");
        ++at;
        for (const RegValue& value : key.values) {
            fuzz::require(at < lines.size(), "a line per value");
            QString line = lines[at++];
            while (line.endsWith(u'\\')) {
                fuzz::require(at < lines.size() && lines[at].startsWith(QLatin1String("  ")),
                              "a continuation line follows, indented");
                line.chop(1);
                line += lines[at++].mid(2);
            }
            const RegValue read = readValue(line);
            fuzz::require(read.name == value.name, "a value's name comes back");
            fuzz::require(read.type == value.type && read.data == value.data, "a value's type and data come back");
        }
        fuzz::require(at < lines.size() && lines[at].isEmpty(), "a blank line ends a key");
        ++at;
    }
    fuzz::require(at == lines.size(), "nothing else is written");
    return 0;
}
