#include "SettingsStream.h"

#include "NotYetBuilt.h"

double SettingsReader::readNumber() { notYetBuilt("SettingsReader.readNumber"); }
int SettingsReader::readInteger() { notYetBuilt("SettingsReader.readInteger"); }
int SettingsReader::readCount(qsizetype) { notYetBuilt("SettingsReader.readCount"); }
QString SettingsReader::readText() { notYetBuilt("SettingsReader.readText"); }
bool SettingsReader::readFlag() { notYetBuilt("SettingsReader.readFlag"); }
quint8 SettingsReader::readByte() { notYetBuilt("SettingsReader.readByte"); }
void SettingsReader::require(qsizetype) {}
void SettingsReader::fail(const QString& what) { throw DamagedFileError(what); }
void SettingsWriter::writeNumber(double) { notYetBuilt("SettingsWriter.writeNumber"); }
void SettingsWriter::writeText(const QString&) { notYetBuilt("SettingsWriter.writeText"); }
void SettingsWriter::writeFlag(bool) { notYetBuilt("SettingsWriter.writeFlag"); }
void SettingsWriter::writeByte(quint8) { notYetBuilt("SettingsWriter.writeByte"); }
void SettingsWriter::writeBytes(const QByteArray&) {}
int clampToInt(double) { notYetBuilt("clampToInt"); }
