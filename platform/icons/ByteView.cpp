#include "platform/icons/ByteView.h"

#include <QtEndian>

// Out of line on purpose: inlined into callers, the compiler's bounds analysis cannot tell a
// checked read from one into QByteArray's shared empty buffer.

bool ByteView::fits(qint64 offset, qint64 length) const
{
    return offset >= 0 && length >= 0 && offset <= m_bytes.size() && length <= m_bytes.size() - offset;
}

quint8 ByteView::u8(qint64 offset) const
{
    return fits(offset, 1) ? quint8(m_bytes.at(offset)) : 0;
}

quint16 ByteView::u16(qint64 offset) const
{
    return fits(offset, 2) ? qFromLittleEndian<quint16>(m_bytes.constData() + offset) : 0;
}

quint32 ByteView::u32(qint64 offset) const
{
    return fits(offset, 4) ? qFromLittleEndian<quint32>(m_bytes.constData() + offset) : 0;
}

qint32 ByteView::i32(qint64 offset) const
{
    return qint32(u32(offset));
}

quint32 ByteView::u32BigEndian(qint64 offset) const
{
    return fits(offset, 4) ? qFromBigEndian<quint32>(m_bytes.constData() + offset) : 0;
}
