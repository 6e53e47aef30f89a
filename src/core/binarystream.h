#pragma once
// The little-endian encodings of the two binary configuration files: 32-bit signed integers, one-byte
// Booleans, 64-bit IEEE-754 floats, and texts as a signed 32-bit count of UTF-16 code units followed by
// the code units (no terminator, no byte-order mark).
#include <QByteArray>
#include <QString>

// Appends fields to a byte array.
class TBinaryWriter
{
public:
    void WriteInt32(qint32 value);
    void WriteBool(bool value);           // 1 or 0
    void WriteDouble(double value);
    void WriteText(const QString &text);

    const QByteArray &Data() const { return m_data; }

private:
    QByteArray m_data;
};

// Reads fields from a byte array. A read that cannot be satisfied from the bytes left (including a text
// whose count is negative or promises more than is left) fails: the target keeps its value, the reader is
// marked failed and every later read fails too. Nothing is ever allocated beyond the input's size.
class TBinaryReader
{
public:
    explicit TBinaryReader(QByteArray data) : m_data(std::move(data)) {}

    bool ReadInt32(qint32 &value);
    bool ReadBool(bool &value);           // any non-zero byte is true
    bool ReadDouble(double &value);
    bool ReadText(QString &text);

    bool Failed() const { return m_failed; }
    qsizetype Position() const { return m_pos; }
    qsizetype Remaining() const { return m_data.size() - m_pos; }

private:
    const char *Take(qsizetype count);

    QByteArray m_data;
    qsizetype m_pos = 0;
    bool m_failed = false;
};
