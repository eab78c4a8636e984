#pragma once

#include "core/Timing.h"

#include <QByteArray>
#include <QtGlobal>

// Benchmark pacing: with QX_DATAGRAM_PAUSE_MS set in the environment, the logging engine pauses that many
// milliseconds after each datagram instead of its usual pause, so that a simulated meter reporting far faster
// than real time (a week of rows in minutes) is followed. Only a shorter pause is taken; a value that does
// not read as one leaves the program's own timing.
inline TTimingSettings TimingWithDatagramPause(const QByteArray& sValue) {
    TTimingSettings r;
    bool bOk = false;
    const int iMs = sValue.trimmed().toInt(&bOk);
    if (bOk && iMs >= 0 && iMs < r.iDatagramPauseMs)
        r.iDatagramPauseMs = iMs;
    return r;
}

inline TTimingSettings ProbedTiming() {
    return TimingWithDatagramPause(qgetenv("QX_DATAGRAM_PAUSE_MS"));
}
