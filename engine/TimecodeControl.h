#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Timecode control: a logging run that starts and stops with the programme's timecode. The logging thread
// keeps the settings as seconds of the day and asks, for each valid level record, what to do; the answers
// are values, so the thread does every state change, event and meter command itself.
namespace engine {

inline constexpr int kSecondsPerDay = 24 * 60 * 60;

// The timecode-control settings as the main window keeps them (times as hh:mm:ss:ff texts).
struct TTCControlSettings {
    bool OptionEnabled = false;
    bool Enabled = false;
    bool EnabledStart = false;
    bool EnabledStop = false;
    bool SyncRTC = false;
    QString TCStart;
    QString TCStop;
};

// The logging thread's copy (the main window has a record of the same name holding texts).
struct TTimecodeControl {
    bool Enabled = false;
    bool EnabledStart = false;
    bool EnabledStop = false;
    // Seconds of the day.
    int TCStart = 0;
    int TCStop = 0;
    // The stop time lies after the next midnight; cleared once the timecode has passed midnight.
    bool MidnightRollover = false;
    bool CheckRollover = false;
    // Set the meter's clock when a serial meter connects.
    bool SyncRTC = false;
    // A stop time has been read from the settings; without one an auto stop never fires.
    bool bTCStopKnown = false;
};

// Meter vectors that reset a new meter's measurement when the start timecode is reached.
inline constexpr int kVectorResetFirst = 14;
inline constexpr int kVectorResetSecond = 15;
inline constexpr int kVectorRun = 13;
inline constexpr int kVectorResetOlder = 62;

// A meter of this type number or above is driven through the command channel (a new meter).
inline constexpr int kFirstNewMeterTypeNo = 18;
// New meters from this software package on reset with vectors 14, 15 and 13 instead of 62.
inline constexpr int kFirstVectorStartSoftware = 14;

// What the timecode step needs to know of the connected meter.
struct TTCMeter {
    int iTypeNo = 0;
    int iHWID = 0;
    int iSoftwarePackage = 0;
};

enum class TTCAction {
    // Nothing to do (before the start time, control off, an unreadable timecode, midnight passed).
    None,
    // The start time is reached: state 8, event 8, then the meter vectors of the result in order.
    StartLogging,
    // The stop time is reached: state 5, the run ends as if Stop had been pressed.
    StopLogging,
    // An auto stop is pending: post event 23.
    WaitingForStop,
};

struct TTCStepResult {
    TTCAction action = TTCAction::None;
    // Only with StartLogging: the vectors that reset the measurement, in the order to send them.
    QList<int> resetVectors;
};

// Seconds of the day of hh:mm:ss:ff (frames ignored). False, with seconds untouched, when the hours,
// minutes or seconds are not two decimal digits each.
bool TimeCodeToSeconds(QStringView text, int& seconds);

// Hardware whose logging starts through vectors, and whose clock can be set.
bool UsesVectorStart(int iHWID);

// Refreshes the thread's copy from the main window's settings (at each start and on command 112).
// SyncRTC is not copied here: the thread takes it once, when it is created.
void SyncTCControl(const TTCControlSettings& main, TTimecodeControl& tc);

// The thread enters "waiting for the start timecode" after a start when this holds.
bool WaitsForStartTC(const TTimecodeControl& tc);

// The step for one valid level record; bWaitingForStart is true in the thread's state 22.
TTCStepResult TimecodeStep(TTimecodeControl& tc, QStringView sTimeCode, bool bWaitingForStart,
                           const TTCMeter& meter);

// Command 112: refreshes the copy and tells whether the thread leaves "waiting for the start timecode" for
// logging at once (without the measurement reset); the thread then posts its state.
bool TCControlChanged(const TTCControlSettings& main, TTimecodeControl& tc, bool bWaitingForStart);

// Whether to set a meter's clock when it connects.
bool ShouldSetMeterClock(const TTimecodeControl& tc, bool bComPort, int iHWID);

} // namespace engine
