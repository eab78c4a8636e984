#pragma once

// The longest time the window cannot paint during an operation that pumps. The meter's pump lets the
// window paint as the main window's does (the first call, then whenever kPaintIntervalMs passed since the
// last paint); a stall is the time between two paints, the operation's start and its first paint, or its
// last paint and its end. Kept on the wall clock, as the user waits, and in the processor time of this
// thread, which other programs on a busy machine do not inflate.

#include "core/OperationProgress.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <ctime>

namespace qxbench {

class TStallMeter {
public:
    void Start() {
        tPaint = TClock::now();
        fPaintCpuMs = ThreadCpuMs();
        fLongestMs = fLongestCpuMs = 0;
        iPumps = 0;
    }
    // The operation's pump: never cancels.
    TProgressPump Pump() {
        return [this](qint64, qint64) {
            ++iPumps;
            if (MsSince(tPaint) >= TOperationProgress::kPaintIntervalMs)
                Paint();
            return true;
        };
    }
    // The longest stall since Start, in milliseconds, the operation's end included.
    double Stop() {
        fLongestMs = std::max(fLongestMs, MsSince(tPaint));
        fLongestCpuMs = std::max(fLongestCpuMs, ThreadCpuMs() - fPaintCpuMs);
        return fLongestMs;
    }
    // The same in processor time, after Stop.
    double LongestCpuMs() const { return fLongestCpuMs; }
    long Pumps() const { return iPumps; }

private:
    using TClock = std::chrono::steady_clock;
    static double MsSince(TClock::time_point t) {
        return std::chrono::duration<double, std::milli>(TClock::now() - t).count();
    }
    static double ThreadCpuMs() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    }
    void Paint() {
        fLongestMs = std::max(fLongestMs, MsSince(tPaint));
        fLongestCpuMs = std::max(fLongestCpuMs, ThreadCpuMs() - fPaintCpuMs);
        QCoreApplication::processEvents();
        tPaint = TClock::now();
        fPaintCpuMs = ThreadCpuMs();
    }

    TClock::time_point tPaint = TClock::now();
    double fPaintCpuMs = 0;
    double fLongestMs = 0;
    double fLongestCpuMs = 0;
    long iPumps = 0;
};

} // namespace qxbench
