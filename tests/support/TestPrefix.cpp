#include "tests/support/TestPrefix.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

QByteArray TestPrefix::systemHeader()
{
    return "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";
}

QByteArray TestPrefix::userHeader()
{
    return "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n";
}

TestPrefix::TestPrefix(const QByteArray& systemSections, const QByteArray& userSections)
{
    writeFile(QStringLiteral("system.reg"), systemHeader() + systemSections);
    writeFile(QStringLiteral("user.reg"), userHeader() + userSections);
    QDir(m_dir.path()).mkpath(QStringLiteral("drive_c/windows/system32"));
}

TestPrefix::~TestPrefix()
{
    m_store.reset();
}

QByteArray TestPrefix::readFile(const QString& name) const
{
    QFile file(filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TestPrefix::writeFile(const QString& name, const QByteArray& bytes) const
{
    QFile file(filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ADD_FAILURE() << "cannot write " << file.fileName().toStdString();
    file.write(bytes);
}

PrefixStore& TestPrefix::open()
{
    m_store.reset();
    m_store = std::make_unique<PrefixStore>(m_dir.path());
    m_store->setBackupDir(m_backups.path());
    m_store->setServerProbe([](const QString&) { return WineServerProbe::Status{}; });
    QString error;
    EXPECT_TRUE(m_store->open(error)) << error.toStdString();
    Registry::setCurrent(&m_store->registry());
    return *m_store;
}

PrefixStore& TestPrefix::reopen()
{
    return open();
}
