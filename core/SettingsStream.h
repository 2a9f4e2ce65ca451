#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QtGlobal>

// Reads the settings file's encodings from the bytes of the whole file. A read
// never goes past the end: a length or count that cannot fit in what is left,
// is negative or is not a number raises DamagedFileError, and the stream stays
// damaged so the reading routine ends there.
class SettingsReader {
public:
    explicit SettingsReader(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    double readNumber();
    // A count or integer: the number's integer part, clamped to the int range.
    int readInteger();
    // A count of things in the rest of the file: never more than the bytes left.
    int readCount();
    QString readText();
    bool readFlag();
    quint8 readByte();
    void skip(qsizetype bytes);

    qsizetype position() const { return m_position; }
    qsizetype bytesLeft() const { return m_bytes.size() - m_position; }
    bool damaged() const { return m_damaged; }

private:
    void require(qsizetype bytes);
    [[noreturn]] void fail(const QString& what);

    QByteArray m_bytes;
    qsizetype m_position = 0;
    bool m_damaged = false;
};

// Writes the settings file's encodings to a device; a failed write raises.
class SettingsWriter {
public:
    explicit SettingsWriter(QIODevice& device) : m_device(device) {}

    void writeNumber(double value);
    void writeText(const QString& text);
    void writeFlag(bool value);
    void writeByte(quint8 value);

private:
    void writeBytes(const QByteArray& bytes);
    QIODevice& m_device;
};

// Clamps a stored double to an int without overflow (NaN gives 0).
int clampToInt(double value);
