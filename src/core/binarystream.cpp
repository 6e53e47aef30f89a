#include "core/binarystream.h"

#include <QtEndian>

#include <bit>

void TBinaryWriter::WriteInt32(qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    m_data.append(bytes, 4);
}

void TBinaryWriter::WriteBool(bool value) { m_data.append(char(value ? 1 : 0)); }

void TBinaryWriter::WriteDouble(double value)
{
    char bytes[8];
    qToLittleEndian(std::bit_cast<quint64>(value), bytes);
    m_data.append(bytes, 8);
}

void TBinaryWriter::WriteText(const QString &text)
{
    WriteInt32(qint32(text.size()));
    for (const QChar c : text) {
        char bytes[2];
        qToLittleEndian(c.unicode(), bytes);
        m_data.append(bytes, 2);
    }
}

const char *TBinaryReader::Take(qsizetype count)
{
    if (m_failed || count < 0 || count > Remaining()) {
        m_failed = true;
        return nullptr;
    }
    const char *at = m_data.constData() + m_pos;
    m_pos += count;
    return at;
}

bool TBinaryReader::ReadInt32(qint32 &value)
{
    const char *at = Take(4);
    if (at)
        value = qFromLittleEndian<qint32>(at);
    return at;
}

bool TBinaryReader::ReadBool(bool &value)
{
    const char *at = Take(1);
    if (at)
        value = *at != 0;
    return at;
}

bool TBinaryReader::ReadDouble(double &value)
{
    const char *at = Take(8);
    if (at)
        value = std::bit_cast<double>(qFromLittleEndian<quint64>(at));
    return at;
}

bool TBinaryReader::ReadText(QString &text)
{
    const qsizetype start = m_pos;
    qint32 count = 0;
    if (!ReadInt32(count))
        return false;
    // The count is checked against the bytes left before anything is allocated.
    const char *at = Take(qsizetype(count) * 2);
    if (!at) {
        m_pos = start;
        return false;
    }
    QString result(count, Qt::Uninitialized);
    for (qint32 i = 0; i < count; ++i)
        result[i] = QChar(qFromLittleEndian<quint16>(at + 2 * i));
    text = std::move(result);
    return true;
}
