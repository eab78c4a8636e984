#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The text messages the logging thread sends the main window as loopback datagrams: code, thread number,
// length, text, 0. Users may let other local programs send them too, so decoding trusts nothing.

// A decoded engine datagram.
struct TEngineDatagram {
    int iCode = 0;
    QString sText;
};

// The text as it travels: only the characters the receiving side can take, one byte each. Line breaks,
// "?", "@", "\", "^", "`", "~" and everything above "}" are dropped.
QByteArray FilterMessageText(const QString& sText);

// One datagram: code, thread number 0, kept length (63 when 128 or more), the kept text, 0.
QByteArray EncodeEngineDatagram(int iCode, const QString& sText);

// The datagram's code and text, or nothing when it must be ignored: 4 bytes or less, a thread number
// other than 0, or no final 0.
std::optional<TEngineDatagram> DecodeEngineDatagram(const QByteArray& Datagram);

// The first iCount fields of a "|"-ended field list; fields past the last "|" are empty.
QStringList SplitMessageFields(const QString& sText, int iCount = 10);

// Numbers inside messages always use "." whatever the user's locale; reals in general format with up to
// 15 significant digits.
QString FormatMessageReal(double fValue);

// One struct per message, with the one encoder the logging thread composes its text with and the one
// decoder the main window splits it with; a field has the same name on both sides. Fields are "|"-ended.
// A decoded field that is missing, empty or does not convert stays empty (std::nullopt), and the receiver
// then keeps what it had.

// Code 10: a line for the engine log, with its own level suffix ("|1", "|3", "|4") where it has one.
struct TLogMessage {
    QString sLine;

    bool operator==(const TLogMessage&) const = default;
};
QString EncodeLogMessage(const TLogMessage& m);
TLogMessage DecodeLogMessage(const QString& sText);

// Code 13: the meter's name as it reports it.
struct TInstrumentNameMessage {
    QString sInstrumentName;

    bool operator==(const TInstrumentNameMessage&) const = default;
};
QString EncodeInstrumentNameMessage(const TInstrumentNameMessage& m);
TInstrumentNameMessage DecodeInstrumentNameMessage(const QString& sText);

// Code 14: the meter's serial number, the whole text in decimal.
struct TSerialNumberMessage {
    std::optional<int> iSerialNo;

    bool operator==(const TSerialNumberMessage&) const = default;
};
QString EncodeSerialNumberMessage(const TSerialNumberMessage& m);
TSerialNumberMessage DecodeSerialNumberMessage(const QString& sText);

// Code 15: one level record of the running session, with the session's limits beside it.
struct TLevelRecordMessage {
    // hh:mm:ss:00
    std::optional<QString> sTimeCode;
    std::optional<double> fMeterPeakLevel;
    std::optional<double> fGateLevel;
    // Short-term maximum and minimum.
    std::optional<double> nLoudnessHi;
    std::optional<double> nLoudnessLow;
    std::optional<double> nInstantaneousPeak;
    // The session's short-term window index.
    std::optional<int> iSlidingWindow;
    std::optional<int> iPeakChannel;
    std::optional<double> nLoudnessIntegrating;
    // Peak records of the session so far.
    std::optional<int> iPeakCount;
    // Always true from the thread; the receiver does not use it.
    std::optional<bool> bValid;

    bool operator==(const TLevelRecordMessage&) const = default;
};
QString EncodeLevelRecordMessage(const TLevelRecordMessage& m);
TLevelRecordMessage DecodeLevelRecordMessage(const QString& sText);

// Code 16: the meter's loudness configuration; it starts a stored session.
struct TLoudnessSetupMessage {
    std::optional<int> iPeakMode;
    std::optional<int> iCapture;
    std::optional<int> iScaleMode;
    std::optional<int> iReference;
    std::optional<int> iSlidingWindow;
    std::optional<double> fGateLevel;
    std::optional<int> iGateMode;
    std::optional<double> fReferenceLevel;
    std::optional<double> fMeterPeakLevel;
    std::optional<int> iFilter;

    bool operator==(const TLoudnessSetupMessage&) const = default;
};
QString EncodeLoudnessSetupMessage(const TLoudnessSetupMessage& m);
TLoudnessSetupMessage DecodeLoudnessSetupMessage(const QString& sText);

// Code 17: the meter's identification. The reserved text and numbers travel empty, 0 and 0.
struct TInstrumentInfoMessage {
    std::optional<QString> sTypeName;
    std::optional<int> iTypeNo;
    std::optional<int> iSerialNo;
    std::optional<QString> sReserved;
    std::optional<int> iReserved1;
    std::optional<int> iReserved2;
    std::optional<int> iSoftwarePackage;
    std::optional<int> iRunVerMajor;
    std::optional<int> iRunVerMinor;
    std::optional<int> iFPGAVersion;

    bool operator==(const TInstrumentInfoMessage&) const = default;
};
QString EncodeInstrumentInfoMessage(const TInstrumentInfoMessage& m);
TInstrumentInfoMessage DecodeInstrumentInfoMessage(const QString& sText);

// Code 18: the running timecode, shown but not stored.
struct TTimeCodeMessage {
    QString sTimeCode;

    bool operator==(const TTimeCodeMessage&) const = default;
};
QString EncodeTimeCodeMessage(const TTimeCodeMessage& m);
TTimeCodeMessage DecodeTimeCodeMessage(const QString& sText);
