#pragma once

#include "core/LoudnessStandard.h"
#include "core/SessionTypes.h"

// How a session's stored levels read against a target, for the verdict, the loudness range and the
// violations alike.

// The report parser's value for a field the meter did not send.
inline constexpr double kLevelNotSent = -999.0;

// A level the meter sent: a number above kLevelNotSent.
bool IsRecordedLevel(double fLevel);

// Why a session's loudness values cannot be compared with a target in LUFS, if they cannot.
enum class TLoudnessProblem {
    None,
    // Unweighted or LEQM values are no loudness in LUFS.
    FilterNotK,
    // A scale code the meter does not define: the unit of the values is unknown.
    UnknownScale,
};
TLoudnessProblem LoudnessProblemOf(const TLoudnessSetup& rSetup);

// With the scale in LU the meter stores loudness relative to the session's reference level.
bool LoudnessInLU(const TLoudnessSetup& rSetup);
// A stored loudness value in LUFS. Peaks are stored in dBFS on every scale and are never converted.
double AbsoluteLoudness(double fStored, const TLoudnessSetup& rSetup);

// A peak above the target's limit; a peak at the limit is allowed.
bool PeakOverLimit(double fPeak, const TLoudnessStandard& rStandard);
// A loudness in LUFS above the target plus its tolerance.
bool LoudnessOverTarget(double fLoudness, const TLoudnessStandard& rStandard);
// A loudness in LUFS below the target minus its tolerance.
bool LoudnessUnderTarget(double fLoudness, const TLoudnessStandard& rStandard);
