#pragma once

#include "core/SessionTypes.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <QTime>

#include <functional>

// The meter's report lines turned into records: level reports ("L") into level records, the initialisation
// report ("I") into the loudness setup. Both parsers are driven byte by byte and resynchronise on the line
// marker, so joined lines, partial reports and noise need no line splitter. Pure: bytes in, records out; they
// run on the logging thread. The meter sends one character per byte; text given as QString is read as its
// Latin-1 bytes, a character outside Latin-1 being no part of any report.
namespace engine {

// A field the meter did not send (yet) holds this value.
inline constexpr int kValueNotReceived = -999;

// Where a level record's timecode comes from (the settings' iTimesource).
inline constexpr int kTimeSourceMeter = 0;
inline constexpr int kTimeSourceComputer = 1;

// One report holds several hundred characters at most in practice; a receive buffer that yields more
// records than this in one call is not a meter's output, and the rest of it is dropped so a hostile or
// runaway stream cannot make the thread's memory grow without bound.
inline constexpr qsizetype kMaxRecordsPerParse = 10000;

// Timecodes as the meter sends them: hh:mm:ss:ff.
inline constexpr qsizetype kTimeCodeLength = 11;

// One parsed level report.
struct TLoudnessDataRec {
    // hh:mm:ss:00: the frames are always stored as "00".
    QString sTimeCode;
    int iPeakChannel = kValueNotReceived;
    double nInstantaneousPeak = kValueNotReceived;
    double nLoudnessHi = kValueNotReceived;
    double nLoudnessLow = kValueNotReceived;
    double nIntegrating = 0.0;
    // The meter sent frames "01": it marks the report as paused.
    bool bPaused = false;
    // Every field of the report was read; the thread ignores records that are not valid.
    bool bValid = false;
};

// The logging thread's list of parsed records (the main window has its own record of this name).
using TLoudnessData = QList<TLoudnessDataRec>;

// The computer clock used when the timecode comes from the computer; tests pass a fixed one.
using TLocalClock = std::function<QTime()>;

// Empties records, then appends one record for each report begun in text (the last one not valid when the
// text ends inside it, or after a report). iTimeSource kTimeSourceComputer replaces the meter's timecode by
// clock() (the local time when clock is empty) with frames "00". At most kMaxRecordsPerParse records.
void ParseLevelReport(QByteArrayView text, TLoudnessData& records, int iTimeSource = kTimeSourceMeter,
                      const TLocalClock& clock = {});
void ParseLevelReport(QStringView text, TLoudnessData& records, int iTimeSource = kTimeSourceMeter,
                      const TLocalClock& clock = {});

// Fills setup from the first initialisation report in text; setup.bValid tells whether all ten fields were
// read. Fields the report does not carry (iGateMode) are set to kValueNotReceived.
void ParseSetupReport(QByteArrayView text, TLoudnessSetup& setup);
void ParseSetupReport(QStringView text, TLoudnessSetup& setup);

// The short-term window index of the loudness setup for a window in seconds: 0, 3, 10 and 30 seconds are
// indexes 0 to 3, anything else 4.
int SlidingWindowIndex(int iSeconds);

} // namespace engine
