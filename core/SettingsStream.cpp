#include "SettingsStream.h"

#include "RuntimeError.h"

#include <QtEndian>
#include <cmath>
#include <cstring>
#include <limits>

int clampToInt(double value)
{
    if (std::isnan(value))
        return 0;
    const double truncated = std::trunc(value);
    if (truncated >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (truncated <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(truncated);
}

void SettingsReader::fail(const QString& what)
{
    m_damaged = true;
    throw DamagedFileError(QStringLiteral("damaged settings file at byte %1: %2").arg(m_position).arg(what));
}

void SettingsReader::require(qsizetype bytes)
{
    if (m_damaged)
        fail(QStringLiteral("read after damage"));
    if (bytes < 0 || bytes > bytesLeft())
        fail(QStringLiteral("%1 bytes wanted, %2 left").arg(bytes).arg(bytesLeft()));
}

double SettingsReader::readNumber()
{
    require(8);
    quint64 bits = qFromBigEndian<quint64>(m_bytes.constData() + m_position);
    m_position += 8;
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

int SettingsReader::readInteger() { return clampToInt(readNumber()); }

int SettingsReader::readCount()
{
    const double value = readNumber();
    if (!std::isfinite(value) || value < 0 || std::trunc(value) > static_cast<double>(bytesLeft()))
        fail(QStringLiteral("count %1").arg(value));
    return clampToInt(value);
}

QString SettingsReader::readText()
{
    const double value = readNumber();
    if (!std::isfinite(value) || value < 0 || std::trunc(value) > static_cast<double>(bytesLeft()))
        fail(QStringLiteral("text length %1").arg(value));
    const auto length = static_cast<qsizetype>(std::trunc(value));
    const QString text = QString::fromUtf8(m_bytes.constData() + m_position, length);
    m_position += length;
    return text;
}

bool SettingsReader::readFlag() { return readByte() == 1; }

quint8 SettingsReader::readByte()
{
    require(1);
    return static_cast<quint8>(m_bytes[m_position++]);
}

void SettingsReader::skip(qsizetype bytes)
{
    require(bytes);
    m_position += bytes;
}

void SettingsWriter::writeBytes(const QByteArray& bytes)
{
    if (m_device.write(bytes) != bytes.size())
        throw RuntimeError(RuntimeError::Kind::Other, QStringLiteral("cannot write: %1").arg(m_device.errorString()));
}

void SettingsWriter::writeNumber(double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(8, Qt::Uninitialized);
    qToBigEndian(bits, bytes.data());
    writeBytes(bytes);
}

void SettingsWriter::writeText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    writeNumber(static_cast<double>(utf8.size()));
    writeBytes(utf8);
}

void SettingsWriter::writeFlag(bool value) { writeByte(value ? 1 : 0); }

void SettingsWriter::writeByte(quint8 value) { writeBytes(QByteArray(1, static_cast<char>(value))); }
