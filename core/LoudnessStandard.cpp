#include "core/LoudnessStandard.h"

namespace {

bool Within(double fValue, double fMin, double fMax) {
    // NaN compares false both ways and so is refused.
    return fValue >= fMin && fValue <= fMax;
}

} // namespace

bool StandardIdFromNumber(int iNumber, TStandardId& eId) {
    if (iNumber < 0 || iNumber >= kStandardCount)
        return false;
    eId = static_cast<TStandardId>(iNumber);
    return true;
}

bool ValidStandardFigures(const TLoudnessStandard& r) {
    return Within(r.fTargetLoudness, kMinTargetLoudness, kMaxTargetLoudness) &&
           Within(r.fTolerance, kMinTolerance, kMaxTolerance) &&
           Within(r.fMaxTruePeak, kMinTruePeak, kMaxTruePeak);
}
