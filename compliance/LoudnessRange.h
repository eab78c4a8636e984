#pragma once

#include "core/SessionTypes.h"

#include <limits>
#include <optional>
#include <vector>

class TLevelData;

// The loudness range of a session (EBU Tech 3342): the spread of its short-term loudness between the 10th
// and the 95th percentile, after an absolute gate at -70 LUFS and a relative gate 20 LU below the power
// mean of the values that pass the first.

inline constexpr double kRangeAbsoluteGate = -70.0;
inline constexpr double kRangeRelativeGate = -20.0;
inline constexpr double kRangeLowPercentile = 0.10;
inline constexpr double kRangeHighPercentile = 0.95;

// Why a session has no loudness range.
enum class TRangeProblem {
    None,
    // The method is defined on a short-term window of 3 seconds.
    WindowNot3Seconds,
    FilterNotK,
    UnknownScale,
    // No short-term value passed the gates.
    NoValues,
};

struct TLoudnessRange {
    // LU; not a number when there is none.
    double fRange = std::numeric_limits<double>::quiet_NaN();
    TRangeProblem eProblem = TRangeProblem::NoValues;
    // The setup's code behind a problem (the window, filter or scale), for naming it.
    int iCode = 0;

    bool Valid() const { return eProblem == TRangeProblem::None; }
};

// The range of short-term values in LUFS; nothing when no value passes the gates.
std::optional<double> LoudnessRangeOf(std::vector<double> aShortTerm);

// The range of a session's rows. Every report carries the highest and the lowest short-term loudness of
// its interval; both are samples of the short-term loudness, so a step between two reports is seen from
// both sides. Values the meter did not send are left out; with the scale in LU they are converted to LUFS
// first, since the absolute gate is in LUFS.
TLoudnessRange CalcLoudnessRange(const TLevelData& rData, const TLoudnessSetup& rSetup);
