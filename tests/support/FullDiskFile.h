#pragma once

#include <QSaveFile>

// A save file whose writes fail once `limit` bytes are written, as on a full disk.
class FullDiskFile : public QSaveFile {
public:
    FullDiskFile(const QString& name, qint64 limit)
        : QSaveFile(name)
        , m_limit(limit)
    {
    }

protected:
    qint64 writeData(const char* data, qint64 length) override
    {
        if (m_written + length > m_limit) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        m_written += length;
        return QSaveFile::writeData(data, length);
    }

private:
    qint64 m_limit;
    qint64 m_written = 0;
};
