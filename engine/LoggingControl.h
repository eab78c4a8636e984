#pragma once

#include "core/MainRecords.h"
#include "core/SessionTypes.h"
#include "core/Timing.h"
#include "engine/LiveTarget.h"

// What the logging tab may do with the logging side: connect and disconnect the active instrument, send
// the engine commands, and read the logging state and the records the engine's reports fill. The
// controller implements it; the tab never sees the logging thread itself.
class ILoggingControl {
public:
    virtual ~ILoggingControl() = default;
    // Creates and starts the logging thread for the active instrument. False when one still exists.
    virtual bool ConnectInstrument(const TTimingSettings& rTiming = TTimingSettings()) = 0;
    // Tells the logging thread to end and stores the running session's record.
    virtual void DisconnectInstrument() = 0;
    // Engine commands (start, stop, pause, timecode control changed) to the logging thread, if any.
    virtual void ThreadSendMessage(int iCommand) = 0;

    // A logging thread exists: from connect until it reports its end.
    virtual bool HasLoggingThread() const = 0;
    virtual bool IsLoggingInProgress() const = 0;
    // The session record the next or running session is stored with.
    virtual const TSessionInfo& SessionInfo() const = 0;
    // The session texts chosen for the next session, set before its start command.
    virtual void SetSessionInfo(const TSessionInfo& rInfo) = 0;
    // The connected meter's identification and its latest level record.
    virtual const TUDPInstrumentInfo& InstrumentInfo() const = 0;
    virtual const TMainLoudnessData& LoudnessData() const = 0;
    // The running (or last) session against its delivery target.
    virtual const TLiveTarget& LiveTarget() const = 0;
};
