#include "compliance/SessionLevels.h"

#include <cmath>

namespace {

// Stored levels carry one decimal, and the LU conversion adds rounding of its own: a level equal to a
// limit in its tenth must count as at the limit.
constexpr double kLevelEpsilon = 1e-6;

} // namespace

bool IsRecordedLevel(double fLevel) {
    return std::isfinite(fLevel) && fLevel > kLevelNotSent;
}

TLoudnessProblem LoudnessProblemOf(const TLoudnessSetup& rSetup) {
    if (rSetup.iFilter != kFilterKFilter)
        return TLoudnessProblem::FilterNotK;
    if (rSetup.iScaleMode != kScaleModeLU && rSetup.iScaleMode != kScaleModeLUFS &&
        rSetup.iScaleMode != kScaleModeLKFS)
        return TLoudnessProblem::UnknownScale;
    return TLoudnessProblem::None;
}

bool LoudnessInLU(const TLoudnessSetup& rSetup) {
    return rSetup.iScaleMode == kScaleModeLU;
}

double AbsoluteLoudness(double fStored, const TLoudnessSetup& rSetup) {
    return LoudnessInLU(rSetup) ? fStored + rSetup.fReferenceLevel : fStored;
}

bool PeakOverLimit(double fPeak, const TLoudnessStandard& rStandard) {
    return IsRecordedLevel(fPeak) && fPeak > rStandard.fMaxTruePeak + kLevelEpsilon;
}

bool LoudnessOverTarget(double fLoudness, const TLoudnessStandard& rStandard) {
    return fLoudness > rStandard.fTargetLoudness + rStandard.fTolerance + kLevelEpsilon;
}

bool LoudnessUnderTarget(double fLoudness, const TLoudnessStandard& rStandard) {
    return fLoudness < rStandard.fTargetLoudness - rStandard.fTolerance - kLevelEpsilon;
}
