#pragma once

#include "core/SessionTypes.h"
#include "review/LevelData.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace qxtest {

// One level report as a session stores it.
struct TRow {
    const char* sTimecode;
    double fPeak;
    double fHi;
    double fLo;
    double fInt;
};

TLevelData LevelRows(const std::vector<TRow>& aRows);

// A meter set up as the targets expect: true peak, LUFS, K-Filter, a 3-second short-term window,
// reference level -23.0.
TLoudnessSetup MeasuringSetup();

// The reports, one a second, of a meter with a 3-second short-term window measuring a stepped tone that
// starts after silence: segments of (level in LUFS, seconds). The short-term loudness is followed in steps
// of 100 ms; each report carries its second's highest and lowest, with one decimal as the meter sends them.
TLevelData SteppedToneReports(std::initializer_list<std::pair<double, int>> aSegments, double fOffset = 0.0);

} // namespace qxtest
