#pragma once

#include <QtGlobal>

// The meter's serial command protocol: command lines, fixed addresses and wire marks. The channel and the
// meter simulator both speak it, so every text and number has its name here.
namespace qxproto {

// Every command line ends with one carriage return, no line feed.
inline constexpr char kCR = '\r';
inline constexpr char kLF = '\n';

inline constexpr const char* kCmdCommandModeOn = "@AT+++";
inline constexpr const char* kCmdCommandModeOff = "@AT---";
inline constexpr const char* kCmdStatus = "@ATSTAT";
inline constexpr const char* kCmdVersion = "@ATVER";
inline constexpr const char* kCmdFlashIdentity = "@ATSPI0GETID";
inline constexpr const char* kCmdGetEEPROM = "@ATGETEE";
inline constexpr const char* kCmdMemoryRead = "@ATSPI1Read";
inline constexpr const char* kCmdDisplay = "@ATDSPCMD";
inline constexpr const char* kCmdLogStart = "@ATLogStart";
inline constexpr const char* kCmdLogStop = "@ATLogStop";
inline constexpr const char* kCmdSetClock = "@ATSETRTC";

// Data-mode text commands of the text-command meters.
inline constexpr const char* kTextCmdLogStart = ".SP15,18";
inline constexpr const char* kTextCmdLogStop = ".SP15,19";

// Parameter byte counts that follow some command lines.
inline constexpr int kEEPROMAddressBytes = 2;
inline constexpr int kMemoryRequestBytes = 8;
inline constexpr int kDisplayBlockBytes = 8;
inline constexpr int kLogStartBytes = 4;
inline constexpr int kClockBlockBytes = 8;

// An acknowledgement is a line whose first two bytes are these.
inline constexpr const char* kAck = "OK";
// A memory read answer ends with "OK", LF, CR.
inline constexpr const char* kMemoryTrailer = "OK\n\r";
inline constexpr int kMemoryTrailerBytes = 4;

// Status record: the wait ends at this many bytes, and the record's fixed offsets.
inline constexpr int kStatusMinBytes = 32;
// Flash identity answer: manufacturer, type, size and a 17-byte unique identifier.
inline constexpr int kFlashIdentityBytes = 20;
inline constexpr int kFlashUIDBytes = 17;

// EEPROM addresses of the software package number, low byte first.
inline constexpr quint16 kEEPackageLow = 0x40;
inline constexpr quint16 kEEPackageHigh = 0x41;

// Fixed meter addresses: the main memory pool table pointer and the current screen number.
inline constexpr quint32 kAddrMainPoolPointer = 0x1C480;
inline constexpr quint32 kAddrScreenNo = 0x1C496;

// Display command blocks: marker byte of a screen change, and the block's screen-change tail.
inline constexpr quint8 kDisplaySetScreen = 0x01;
inline constexpr quint8 kDisplayScreenTail = 0x02;

} // namespace qxproto
