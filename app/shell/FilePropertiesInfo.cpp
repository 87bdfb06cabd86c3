#include "app/shell/FilePropertiesInfo.h"

#include "platform/shell/WindowsPathMapper.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace {

// Rows with nothing to show are left out.
void add(QList<FilePropertiesInfo::Field>& fields, const QString& name, const QString& label, const QString& text)
{
    if (!text.isEmpty())
        fields.append({name, label, text});
}

QString dateText(const QDateTime& time, const QLocale& locale)
{
    return time.isValid() ? locale.toString(time.toLocalTime(), QLocale::LongFormat) : QString();
}

// A caption for a string name of a version resource the window has no caption of its own for:
// "LegalTrademarks" -> "Legal trademarks", "OLESelfRegister" -> "OLE self register".
QString captionOf(const QString& name)
{
    QStringList words;
    QString word;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isSpace()) {
            if (!word.isEmpty())
                words.append(word);
            word.clear();
            continue;
        }
        const bool startsWord = c.isUpper() && !word.isEmpty() &&
                                (word.back().isLower() || (i + 1 < name.size() && name.at(i + 1).isLower()));
        if (startsWord) {
            words.append(word);
            word.clear();
        }
        word.append(c);
    }
    if (!word.isEmpty())
        words.append(word);
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (words[i] != words[i].toUpper())
            words[i] = words[i].toLower();
    }
    return words.join(u' ') + u':';
}

} // namespace

FilePropertiesInfo::FilePropertiesInfo(const QString& linuxPath, const WindowsPathMapper& mapper)
    : m_linuxPath(linuxPath)
{
    const QFileInfo info(linuxPath);
    m_exists = info.exists();
    if (!m_exists)
        return;
    m_windowsPath = mapper.toWindowsPath(linuxPath);
    m_folder = info.isDir();
    m_size = info.isFile() ? info.size() : 0;
    m_created = info.birthTime();
    m_modified = info.lastModified();
    m_accessed = info.lastRead();
    m_permissions = info.permissions();
    m_owner = info.owner().isEmpty() ? QString::number(info.ownerId()) : info.owner();
    m_group = info.group().isEmpty() ? QString::number(info.groupId()) : info.group();
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info);
    m_mimeType = mime.name();
    m_mimeDescription = mime.comment();
    if (info.isFile())
        m_version = PeVersionInfo::read(linuxPath);
}

QString FilePropertiesInfo::displayName() const
{
    // A drive's own folder is known by its drive ("C:\"), as Windows shows it.
    if (m_windowsPath.endsWith(u'\\'))
        return m_windowsPath;
    const QString name = QFileInfo(m_linuxPath).fileName();
    return name.isEmpty() ? m_linuxPath : name;
}

QList<FilePropertiesInfo::Field> FilePropertiesInfo::generalFields(const QLocale& locale) const
{
    QList<Field> fields;
    add(fields, QStringLiteral("WindowsPath"), QStringLiteral("Windows path:"), m_windowsPath);
    add(fields, QStringLiteral("LinuxPath"), QStringLiteral("Linux path:"), m_linuxPath);
    if (!m_exists)
        return fields;
    add(fields, QStringLiteral("Type"), QStringLiteral("Type:"),
        m_mimeDescription.isEmpty() ? m_mimeType : QStringLiteral("%1 (%2)").arg(m_mimeDescription, m_mimeType));
    if (!m_folder)
        add(fields, QStringLiteral("Size"), QStringLiteral("Size:"), sizeText(m_size, locale));
    add(fields, QStringLiteral("Created"), QStringLiteral("Created:"), dateText(m_created, locale));
    add(fields, QStringLiteral("Modified"), QStringLiteral("Modified:"), dateText(m_modified, locale));
    add(fields, QStringLiteral("Accessed"), QStringLiteral("Accessed:"), dateText(m_accessed, locale));
    add(fields, QStringLiteral("Permissions"), QStringLiteral("Permissions:"), permissionText(m_permissions, m_folder));
    add(fields, QStringLiteral("Owner"), QStringLiteral("Owner:"), m_owner);
    add(fields, QStringLiteral("Group"), QStringLiteral("Group:"), m_group);
    return fields;
}

QList<FilePropertiesInfo::Field> FilePropertiesInfo::versionFields() const
{
    QList<Field> fields;
    if (!m_version)
        return fields;
    const PeVersionInfo& version = *m_version;
    const auto stored = [&version](const char* name) { return version.value(QLatin1String(name)); };
    // The version texts say more ("6.1.7601.17514 (win7sp1_rtm.101119-1850)") than the numbers of
    // the fixed part, which stand in when a text is missing.
    const auto textOrNumber = [&](const char* name, const PeVersionInfo::Version& number) {
        const QString written = stored(name);
        return written.isEmpty() && version.hasFixedInfo ? number.toString() : written;
    };
    const struct {
        const char* name;
        const char* label;
        QString text;
    } known[] = {
        {"FileDescription", "Description:", stored("FileDescription")},
        {"FileVersion", "File version:", textOrNumber("FileVersion", version.fileVersion)},
        {"ProductName", "Product name:", stored("ProductName")},
        {"ProductVersion", "Product version:", textOrNumber("ProductVersion", version.productVersion)},
        {"CompanyName", "Company:", stored("CompanyName")},
        {"LegalCopyright", "Copyright:", stored("LegalCopyright")},
        {"OriginalFilename", "Original file name:", stored("OriginalFilename")},
    };
    QStringList shown;
    for (const auto& row : known) {
        add(fields, QLatin1String(row.name), QLatin1String(row.label), row.text);
        shown.append(QLatin1String(row.name));
    }
    for (const auto& [name, text] : version.strings) {
        if (!shown.contains(name, Qt::CaseInsensitive))
            add(fields, name, captionOf(name), text);
    }
    return fields;
}

QString FilePropertiesInfo::sizeText(qint64 bytes, const QLocale& locale)
{
    const QString size = locale.formattedDataSize(bytes);
    if (bytes < 1024)
        return size;
    return QStringLiteral("%1 (%2 bytes)").arg(size, locale.toString(bytes));
}

QString FilePropertiesInfo::permissionText(QFileDevice::Permissions permissions, bool folder)
{
    const QFileDevice::Permission bits[] = {
        QFileDevice::ReadOwner, QFileDevice::WriteOwner, QFileDevice::ExeOwner,
        QFileDevice::ReadGroup, QFileDevice::WriteGroup, QFileDevice::ExeGroup,
        QFileDevice::ReadOther, QFileDevice::WriteOther, QFileDevice::ExeOther,
    };
    QString text(folder ? u'd' : u'-');
    int mode = 0;
    for (int i = 0; i < 9; ++i) {
        const bool on = permissions.testFlag(bits[i]);
        text.append(on ? QLatin1Char("rwx"[i % 3]) : QLatin1Char('-'));
        mode = mode * 2 + (on ? 1 : 0);
    }
    return QStringLiteral("%1 (%2)").arg(text).arg(mode, 3, 8, QLatin1Char('0'));
}
