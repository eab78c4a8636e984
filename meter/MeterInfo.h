#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>

// Identification of a meter on a serial port, filled from its status record, version line, flash identity
// and EEPROM. Starts zeroed; a failed identification keeps the fields it had already filled.
struct TqxMeterInfo {
    // The meter's answer to the version command without its line end, at most 50 characters.
    QString IOString;
    QString TypeName;
    quint8 DataCount = 0;
    quint8 SystemMode = 0;
    quint8 BLVerMajor = 0;
    quint8 BLVerMinor = 0;
    quint8 BLPrgID = 0;
    quint8 WDTCount = 0;
    quint8 USB_State = 0;
    quint8 HWID = 0;
    // Hardware version, three characters.
    QString HWVer;
    int TypeNo = 0;
    bool RS232_Valid = false;
    // Serial number of the meter's USB interface, twelve characters.
    QString USBSerial;
    int SerialNo = 0;
    quint8 RunVerMajor = 0;
    quint8 RunVerMinor = 0;
    quint8 RunPrgID = 0;
    quint8 SerialValid = 0;
    quint8 CRC = 0;
    bool CRCValid = false;
    quint8 FlashMFG = 0;
    quint8 FlashID = 0;
    quint8 SPI0FlashMFG = 0;
    quint8 SPI0FlashType = 0;
    quint8 SPI0FlashSize = 0;
    std::array<quint8, 17> SPI0FlashUID{};
    quint8 FPGAVersion = 0;
    quint16 AnalogueCalCH1 = 0;
    quint16 AnalogueCalCH2 = 0;
    quint8 DSPImageSize = 0;
    // Software package the meter runs; kSoftwarePackageUnknown when it could not be read.
    quint16 SoftwarePackage = 0;
};

// Type numbers the identification produces, and the limits of the type name table.
inline constexpr int kTypeNoUnknown = 0;
inline constexpr int kTypeNoNotConnected = 12;
inline constexpr int kTypeNoBIOSMode = 13;
inline constexpr int kTypeNoTextMeter = 14;
inline constexpr int kTypeNoCount = 29;
inline constexpr quint16 kSoftwarePackageUnknown = 65535;
// The version line is kept to this many characters.
inline constexpr int kIOStringMaxChars = 50;
// USB serial numbers of the older text-command series begin with this.
inline constexpr const char* kTextMeterUSBPrefix = "000B3C";

// Type number of a meter: the hardware identifier decides; an unknown identifier falls back to the USB
// serial prefix of the text-command series.
int TypeNoFromHWID(quint8 HWID, const QString& USBSerial);
// Model name of a type number; numbers outside the table name an unknown instrument.
QString TypeNameOf(int TypeNo);
// Every model and state name of the table, type number 0 first.
QStringList TypeNames();
// The status record's checksum over its first iCount bytes: the low 8 bits of their sum, exclusive-or 0x55.
quint8 StatusChecksum(const QByteArray& Bytes, int iCount);

// Decodes a status record answer (length byte N, N - 1 data and checksum bytes, line end). Returns false,
// touching only DataCount, when there are fewer than 32 bytes or the length is not N + 2. Otherwise fills
// the record's fields, TypeNo, TypeName, CRC and CRCValid and returns true; the caller tests CRCValid.
bool DecodeStatusRecord(const QByteArray& Reply, TqxMeterInfo& rInfo);
// The version line without its two line-end bytes, cut to 50 characters.
QString DecodeVersionLine(const QByteArray& Reply);
// Fills the four flash fields from an answer of at least 20 bytes; false (nothing changed) otherwise.
bool DecodeFlashIdentity(const QByteArray& Reply, TqxMeterInfo& rInfo);
