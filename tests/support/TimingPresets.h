#pragma once

#include "core/Timing.h"

// Timings the tests share: each ends its waits as soon as a simulated meter or the loopback interface
// answers, and stays long enough for a loaded machine.
namespace qxtest {

// Datagrams sent back to back: the engine's pacing pause is for the real window, not for a test reading them.
inline TTimingSettings NoPauseTiming() {
    TTimingSettings Timing;
    Timing.iDatagramPauseMs = 0;
    return Timing;
}

// Probing a simulated serial meter: every command answered within a second.
inline TTimingSettings ProbeTiming() {
    TTimingSettings Timing;
    Timing.iComTimeoutTicks = 200;
    Timing.iModeTries = 2;
    Timing.iModeAckTicks = 100;
    Timing.iAckTicks = 100;
    Timing.iStatusTicks = 100;
    Timing.iVersionTicks = 100;
    Timing.iEEPROMTicks = 100;
    return Timing;
}

// A simulated network meter on the loopback interface: prompts come at once.
inline TTimingSettings FastNetworkTiming() {
    TTimingSettings Timing;
    Timing.iLoginWaitMs = 50;
    Timing.iLoginTimeoutMs = 5000;
    return Timing;
}

} // namespace qxtest
