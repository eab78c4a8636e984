#pragma once

#include "core/LoudnessStandard.h"
#include "core/SessionTypes.h"

#include <QtGlobal>
#include <vector>

class TLevelData;

// The rows of a loaded session that lie outside its target, for marking them in the level table and
// stepping from one to the next.

enum TViolationFlag : quint8 {
    // The peak is above the target's limit: a violation.
    kViolationPeak = 0x1,
    // The short-term loudness maximum is above the target plus its tolerance: a warning only, since the
    // target is on the integrated loudness.
    kViolationShortTerm = 0x2,
};

struct TViolation {
    int iRow = 0;
    // TViolationFlag bits.
    quint8 iFlags = 0;
};

class TViolations {
public:
    TViolations() = default;
    // Short-term warnings need loudness comparable with the target (K-Filter, a known scale); with the
    // scale in LU the values are converted first. Peaks are compared as stored.
    TViolations(const TLevelData& rData, const TLoudnessSetup& rSetup, const TLoudnessStandard& rStandard);

    int Count() const { return int(aRows.size()); }
    const TViolation& At(int iIndex) const { return aRows[size_t(iIndex)]; }
    // The TViolationFlag bits of a row; 0 when it keeps to the target.
    quint8 FlagsOf(int iRow) const;
    // The first violating row after iRow, or before it; -1 when there is none (no wrap-around: the caller
    // decides whether to start again).
    int Next(int iRow) const;
    int Previous(int iRow) const;

private:
    // In row order.
    std::vector<TViolation> aRows;
};
