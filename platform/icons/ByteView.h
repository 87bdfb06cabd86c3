#pragma once

#include <QByteArray>

// Bounds-checked reads of numbers from bytes taken from a file: outside the bytes every read
// gives 0, so a damaged file yields nonsense values that later checks reject, never a stray read.
class ByteView {
public:
    explicit ByteView(const QByteArray& bytes)
        : m_bytes(bytes)
    {
    }

    qsizetype size() const { return m_bytes.size(); }
    bool fits(qint64 offset, qint64 length) const;

    quint8 u8(qint64 offset) const;
    quint16 u16(qint64 offset) const; // little-endian
    quint32 u32(qint64 offset) const;
    qint32 i32(qint64 offset) const;
    quint32 u32BigEndian(qint64 offset) const;

private:
    const QByteArray& m_bytes;
};
