#include "engine/TimecodeControl.h"

namespace engine {

namespace {

// Two decimal digits at text[iPos] and text[iPos + 1].
bool TwoDigits(QStringView text, qsizetype iPos, int& iValue) {
    if (iPos + 1 >= text.size())
        return false;
    const QChar c1 = text[iPos];
    const QChar c2 = text[iPos + 1];
    if (c1 < u'0' || c1 > u'9' || c2 < u'0' || c2 > u'9')
        return false;
    iValue = (c1.unicode() - u'0') * 10 + (c2.unicode() - u'0');
    return true;
}

} // namespace

bool TimeCodeToSeconds(QStringView text, int& seconds) {
    int iHours = 0;
    int iMinutes = 0;
    int iSeconds = 0;
    if (!TwoDigits(text, 0, iHours) || !TwoDigits(text, 3, iMinutes) || !TwoDigits(text, 6, iSeconds))
        return false;
    seconds = iHours * 3600 + iMinutes * 60 + iSeconds;
    return true;
}

bool UsesVectorStart(int iHWID) {
    return iHWID == 210 || iHWID == 211 || iHWID == 222 || iHWID == 223;
}

void SyncTCControl(const TTCControlSettings& main, TTimecodeControl& tc) {
    tc.Enabled = main.Enabled;
    tc.EnabledStart = main.EnabledStart;
    tc.EnabledStop = main.EnabledStop;
    TimeCodeToSeconds(main.TCStart, tc.TCStart);
    if (TimeCodeToSeconds(main.TCStop, tc.TCStop))
        tc.bTCStopKnown = true;
    tc.CheckRollover = false;
    // A stop at or before the start lies after the next midnight (equal means 24 hours later).
    tc.MidnightRollover = tc.EnabledStart && tc.bTCStopKnown && tc.TCStop <= tc.TCStart;
}

bool WaitsForStartTC(const TTimecodeControl& tc) {
    return tc.Enabled && tc.EnabledStart;
}

TTCStepResult TimecodeStep(TTimecodeControl& tc, QStringView sTimeCode, bool bWaitingForStart,
                           const TTCMeter& meter) {
    TTCStepResult result;
    int iNow = 0;
    if (!tc.Enabled || !TimeCodeToSeconds(sTimeCode, iNow))
        return result;

    if (bWaitingForStart && tc.EnabledStart) {
        if (tc.TCStart <= iNow) {
            result.action = TTCAction::StartLogging;
            if (meter.iTypeNo >= kFirstNewMeterTypeNo) {
                if (UsesVectorStart(meter.iHWID) && meter.iSoftwarePackage >= kFirstVectorStartSoftware)
                    result.resetVectors = {kVectorResetFirst, kVectorResetSecond, kVectorRun};
                else
                    result.resetVectors = {kVectorResetOlder};
            }
        }
        return result;
    }

    if (!tc.EnabledStop || !tc.bTCStopKnown)
        return result;
    if (!tc.MidnightRollover && tc.TCStop <= iNow) {
        result.action = TTCAction::StopLogging;
    } else if (tc.MidnightRollover && tc.TCStop >= iNow && iNow < tc.TCStart) {
        // The timecode has passed midnight. A record still in the start second is not past it: with the
        // stop equal to the start, a second report in that second would otherwise end the run at once.
        tc.MidnightRollover = false;
    } else {
        result.action = TTCAction::WaitingForStop;
    }
    return result;
}

bool TCControlChanged(const TTCControlSettings& main, TTimecodeControl& tc, bool bWaitingForStart) {
    SyncTCControl(main, tc);
    return bWaitingForStart && (!tc.Enabled || !tc.EnabledStart);
}

bool ShouldSetMeterClock(const TTimecodeControl& tc, bool bComPort, int iHWID) {
    return bComPort && tc.SyncRTC && UsesVectorStart(iHWID);
}

} // namespace engine
