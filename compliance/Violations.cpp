#include "compliance/Violations.h"

#include "compliance/SessionLevels.h"
#include "review/LevelData.h"

#include <algorithm>
#include <limits>

namespace {

bool RowBefore(const TViolation& r, int iRow) {
    return r.iRow < iRow;
}

} // namespace

TViolations::TViolations(const TLevelData& rData, const TLoudnessSetup& rSetup,
                         const TLoudnessStandard& rStandard) {
    const bool bLoudness = LoudnessProblemOf(rSetup) == TLoudnessProblem::None;
    for (int i = 0; i < rData.RowCount(); ++i) {
        const TLevelRow& r = rData.Row(i);
        quint8 iFlags = 0;
        if (PeakOverLimit(r.fInstantaneousPeak, rStandard))
            iFlags |= kViolationPeak;
        if (bLoudness && IsRecordedLevel(r.fLoudnessHi) &&
            LoudnessOverTarget(AbsoluteLoudness(r.fLoudnessHi, rSetup), rStandard))
            iFlags |= kViolationShortTerm;
        if (iFlags != 0)
            aRows.push_back({i, iFlags});
    }
}

quint8 TViolations::FlagsOf(int iRow) const {
    const auto it = std::lower_bound(aRows.begin(), aRows.end(), iRow, RowBefore);
    return it != aRows.end() && it->iRow == iRow ? it->iFlags : 0;
}

int TViolations::Next(int iRow) const {
    if (iRow == std::numeric_limits<int>::max())
        return -1;
    const auto it = std::lower_bound(aRows.begin(), aRows.end(), iRow + 1, RowBefore);
    return it != aRows.end() ? it->iRow : -1;
}

int TViolations::Previous(int iRow) const {
    const auto it = std::lower_bound(aRows.begin(), aRows.end(), iRow, RowBefore);
    return it != aRows.begin() ? std::prev(it)->iRow : -1;
}
