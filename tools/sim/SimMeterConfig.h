#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Which meter the simulator imitates: a memory-pool meter (configuration in readable memory, logging
// started by command) or an older text-command meter (logging started by a data-mode text command).
enum class TSimMeterKind { Pool, Text };

// Ways a simulated meter can misbehave, to show that the program survives a faulty or hostile meter.
struct TSimMisbehaviour {
    // Never answers anything.
    bool bSilent = false;
    // The status record's checksum is wrong.
    bool bWrongChecksum = false;
    // A memory read answer stops halfway and has no trailer.
    bool bShortMemoryReply = false;
    // EEPROM reads go unanswered, so the software package cannot be read.
    bool bNoEEPROMAnswer = false;
    // A line of junk goes out before every report.
    bool bNoise = false;
    // The status record goes out as 32 bytes; the last 2 follow only with the computer's next bytes.
    bool bSplitStatus = false;
    // The stop logging command is refused, as by firmware without logging.
    bool bNoLogStopAck = false;
    // A text meter acknowledges its start command and then says nothing: no initialisation report, no
    // reports.
    bool bNoInitReport = false;
    // A text meter's initialisation report stops after its third field.
    bool bBadInitReport = false;
    // The link goes away once the computer has identified the meter and left command mode, as when the
    // meter is unplugged before logging starts: the port cannot be opened again.
    bool bVanishOnReopen = false;
};

struct TSimMeterConfig {
    TSimMeterKind eKind = TSimMeterKind::Pool;
    quint8 iHWID = 208;
    quint16 iSerialNumber = 12345;
    quint16 iSoftwarePackage = 14;
    quint8 iFirmwareMajor = 2;
    quint8 iFirmwareMinor = 5;
    quint8 iFPGAVersion = 7;
    // Twelve characters; empty: made from the kind and the serial number.
    QString sUSBSerial;
    // Timecode of the first report, in seconds of the day.
    int iStartSecond = 10 * 3600;
    // Time between reports; below 1000 the meter reports faster than real time.
    int iReportIntervalMs = 1000;
    // A text meter's initialisation report follows the reply to its start command after this pause, so it
    // arrives as a line of its own.
    int iInitReportDelayMs = 200;
    // The acknowledgement line; some meters end it LF CR, some add text after the "OK".
    QByteArray sAckLine = QByteArrayLiteral("OK\r\n");
    // The screen the meter shows.
    quint16 iScreenNo = 1;
    TSimMisbehaviour rMisbehaviour;
};

// The HWID a text meter reports: none of the memory-pool identifiers.
inline constexpr quint8 kSimTextMeterHWID = 100;

// A configuration with the defaults of the given kind.
TSimMeterConfig DefaultSimMeterConfig(TSimMeterKind eKind);
// The USB serial number the meter reports: the configured one, or one made from kind and serial number.
QString SimUSBSerial(const TSimMeterConfig& rConfig);
// "hh:mm:ss:ff" to seconds of the day (frames ignored); -1 when malformed.
int ParseSimTimecode(const QString& sTimecode);
