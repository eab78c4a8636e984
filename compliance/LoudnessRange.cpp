#include "compliance/LoudnessRange.h"

#include "compliance/SessionLevels.h"
#include "review/LevelData.h"

#include <algorithm>
#include <cmath>

namespace {

// The value at fraction fPercentile of sorted values, by the nearest rank.
double PercentileOf(const std::vector<double>& aSorted, double fPercentile) {
    const double fIndex = std::round(double(aSorted.size() - 1) * fPercentile);
    return aSorted[size_t(fIndex)];
}

} // namespace

std::optional<double> LoudnessRangeOf(std::vector<double> aShortTerm) {
    std::erase_if(aShortTerm, [](double f) { return !std::isfinite(f) || f <= kRangeAbsoluteGate; });
    if (aShortTerm.empty())
        return std::nullopt;
    // The power mean of the values that passed the absolute gate, in LUFS.
    double fPowerSum = 0.0;
    for (const double f : aShortTerm)
        fPowerSum += std::pow(10.0, f / 10.0);
    const double fRelativeGate =
        10.0 * std::log10(fPowerSum / double(aShortTerm.size())) + kRangeRelativeGate;
    std::erase_if(aShortTerm, [fRelativeGate](double f) { return f < fRelativeGate; });
    if (aShortTerm.empty())
        return std::nullopt;
    std::sort(aShortTerm.begin(), aShortTerm.end());
    return PercentileOf(aShortTerm, kRangeHighPercentile) - PercentileOf(aShortTerm, kRangeLowPercentile);
}

TLoudnessRange CalcLoudnessRange(const TLevelData& rData, const TLoudnessSetup& rSetup) {
    TLoudnessRange r;
    if (rSetup.iSlidingWindow != kSlidingWindow3Seconds) {
        r.eProblem = TRangeProblem::WindowNot3Seconds;
        r.iCode = rSetup.iSlidingWindow;
        return r;
    }
    switch (LoudnessProblemOf(rSetup)) {
    case TLoudnessProblem::FilterNotK:
        r.eProblem = TRangeProblem::FilterNotK;
        r.iCode = rSetup.iFilter;
        return r;
    case TLoudnessProblem::UnknownScale:
        r.eProblem = TRangeProblem::UnknownScale;
        r.iCode = rSetup.iScaleMode;
        return r;
    case TLoudnessProblem::None:
        break;
    }
    std::vector<double> aShortTerm;
    aShortTerm.reserve(size_t(rData.RowCount()) * 2);
    for (int i = 0; i < rData.RowCount(); ++i) {
        const TLevelRow& rRow = rData.Row(i);
        for (const double f : {rRow.fLoudnessHi, rRow.fLoudnessLo}) {
            if (IsRecordedLevel(f))
                aShortTerm.push_back(AbsoluteLoudness(f, rSetup));
        }
    }
    const std::optional<double> fRange = LoudnessRangeOf(std::move(aShortTerm));
    if (!fRange) {
        r.eProblem = TRangeProblem::NoValues;
        return r;
    }
    r.fRange = *fRange;
    r.eProblem = TRangeProblem::None;
    return r;
}
