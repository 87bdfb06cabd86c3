#include "platform/shell/FileManager.h"

#include "platform/shell/UiSeams.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QStringList>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Long enough for a file manager that D-Bus starts on demand; a stuck one must not hang the program.
constexpr int kShowItemsTimeoutMs = 5000;

} // namespace

FileManager::FileManager(ShowItemsCall showItems)
    : m_showItems(showItems ? std::move(showItems) : ShowItemsCall(&FileManager::callShowItems))
{
}

bool FileManager::showItem(const QString& linuxPath) const
{
    const QUrl file = fileUrl(linuxPath);
    if (file.isEmpty())
        return false;
    return m_showItems(QString::fromUtf8(file.toEncoded())) || UiSeams::openUrl(folderUrl(linuxPath));
}

QUrl FileManager::fileUrl(const QString& linuxPath)
{
    const QString canonical = QFileInfo(linuxPath).canonicalFilePath();
    return canonical.isEmpty() ? QUrl() : QUrl::fromLocalFile(canonical);
}

QUrl FileManager::folderUrl(const QString& linuxPath)
{
    const QUrl file = fileUrl(linuxPath);
    if (file.isEmpty())
        return {};
    return QUrl::fromLocalFile(QFileInfo(file.toLocalFile()).absolutePath());
}

bool FileManager::callShowItems(const QString& fileUri)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QString service = u"org.freedesktop.FileManager1"_s;
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, u"/org/freedesktop/FileManager1"_s, service, u"ShowItems"_s);
    call << QStringList{fileUri} << QString(); // the URIs and an empty start-up id
    const QDBusMessage reply = bus.call(call, QDBus::Block, kShowItemsTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}
