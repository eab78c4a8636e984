#include "compliance/Verdict.h"

#include "compliance/SessionLevels.h"
#include "review/LevelData.h"

#include <algorithm>
#include <cmath>

namespace {

TVerdictReason ReasonOf(TReasonKind eKind, int iCode = 0) {
    TVerdictReason r;
    r.eKind = eKind;
    r.iCode = iCode;
    return r;
}

bool SameNumber(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

void JudgeIntegrated(const TJudgedLevels& rLevels, const TLoudnessSetup& rSetup,
                     const TLoudnessStandard& rStandard, std::vector<TVerdictReason>& aReasons) {
    switch (LoudnessProblemOf(rSetup)) {
    case TLoudnessProblem::FilterNotK:
        aReasons.push_back(ReasonOf(TReasonKind::FilterNotK, rSetup.iFilter));
        return;
    case TLoudnessProblem::UnknownScale:
        aReasons.push_back(ReasonOf(TReasonKind::UnknownScale, rSetup.iScaleMode));
        return;
    case TLoudnessProblem::None:
        break;
    }
    if (!IsRecordedLevel(rLevels.fLastIntegrated)) {
        aReasons.push_back(ReasonOf(TReasonKind::NoIntegrated));
        return;
    }
    TVerdictReason r;
    r.fValue = AbsoluteLoudness(rLevels.fLastIntegrated, rSetup);
    r.fLimit = rStandard.fTargetLoudness;
    r.fTolerance = rStandard.fTolerance;
    r.fDeviation = std::abs(r.fValue - r.fLimit);
    r.sTimecode = rLevels.sIntegratedTimecode;
    if (LoudnessOverTarget(r.fValue, rStandard))
        r.eKind = TReasonKind::IntegratedAbove;
    else if (LoudnessUnderTarget(r.fValue, rStandard))
        r.eKind = TReasonKind::IntegratedBelow;
    else
        r.eKind = TReasonKind::IntegratedWithin;
    aReasons.push_back(r);
}

void JudgePeak(const TJudgedLevels& rLevels, const TLoudnessSetup& rSetup, const TLoudnessStandard& rStandard,
               std::vector<TVerdictReason>& aReasons) {
    if (!IsRecordedLevel(rLevels.fHighestPeak)) {
        aReasons.push_back(ReasonOf(TReasonKind::NoPeak));
        return;
    }
    TVerdictReason r;
    r.fValue = rLevels.fHighestPeak;
    r.fLimit = rStandard.fMaxTruePeak;
    r.iCode = rSetup.iPeakMode;
    const bool bTruePeak = rSetup.iPeakMode == kPeakModeTruePeak;
    if (rLevels.iPeaksOver > 0) {
        // A sample peak never reads above the true peak, so a sample peak over the limit proves a fail; a
        // peak of an unknown mode proves nothing.
        if (rStandard.bRequireTruePeak && !bTruePeak && rSetup.iPeakMode != kPeakModeDigital) {
            r.eKind = TReasonKind::PeakNotTrue;
            aReasons.push_back(r);
            return;
        }
        r.eKind = TReasonKind::PeakExceeds;
        r.sTimecode = rLevels.sPeakTimecode;
        r.iCount = rLevels.iPeaksOver - 1;
        aReasons.push_back(r);
        if (rStandard.bRequireTruePeak && !bTruePeak)
            aReasons.push_back(ReasonOf(TReasonKind::SamplePeakExceeds, rSetup.iPeakMode));
        return;
    }
    r.eKind = rStandard.bRequireTruePeak && !bTruePeak ? TReasonKind::PeakNotTrue : TReasonKind::PeakWithin;
    aReasons.push_back(r);
}

} // namespace

TReasonWeight WeightOf(TReasonKind eKind) {
    switch (eKind) {
    case TReasonKind::IntegratedAbove:
    case TReasonKind::IntegratedBelow:
    case TReasonKind::PeakExceeds:
        return TReasonWeight::Fails;
    case TReasonKind::NoRows:
    case TReasonKind::NoIntegrated:
    case TReasonKind::NoPeak:
    case TReasonKind::FilterNotK:
    case TReasonKind::UnknownScale:
    case TReasonKind::PeakNotTrue:
        return TReasonWeight::Unverifiable;
    case TReasonKind::SamplePeakExceeds:
    case TReasonKind::IntegratedWithin:
    case TReasonKind::PeakWithin:
    case TReasonKind::ConvertedFromLU:
    case TReasonKind::FilteredRows:
        break;
    }
    return TReasonWeight::Fact;
}

bool TVerdictReason::operator==(const TVerdictReason& r) const {
    return eKind == r.eKind && SameNumber(fValue, r.fValue) && SameNumber(fLimit, r.fLimit) &&
           SameNumber(fDeviation, r.fDeviation) && SameNumber(fTolerance, r.fTolerance) &&
           sTimecode == r.sTimecode && iCount == r.iCount && iCode == r.iCode;
}

TVerdictKind VerdictKindOf(const std::vector<TVerdictReason>& aReasons) {
    const auto Has = [&aReasons](TReasonWeight eWeight) {
        return std::any_of(aReasons.begin(), aReasons.end(),
                           [eWeight](const TVerdictReason& r) { return WeightOf(r.eKind) == eWeight; });
    };
    if (Has(TReasonWeight::Fails))
        return TVerdictKind::Fail;
    if (aReasons.empty() || Has(TReasonWeight::Unverifiable))
        return TVerdictKind::NotVerifiable;
    return TVerdictKind::Pass;
}

void TJudgedLevels::Add(double fIntegrated, double fPeak, QStringView sTimecode,
                        const TLoudnessStandard& rStandard) {
    ++iRows;
    if (IsRecordedLevel(fIntegrated)) {
        fLastIntegrated = fIntegrated;
        sIntegratedTimecode = sTimecode.toString();
    }
    if (!IsRecordedLevel(fPeak))
        return;
    // Only a higher peak moves it: the first occurrence of the highest is reported.
    if (!IsRecordedLevel(fHighestPeak) || fPeak > fHighestPeak) {
        fHighestPeak = fPeak;
        sPeakTimecode = sTimecode.toString();
    }
    if (PeakOverLimit(fPeak, rStandard))
        ++iPeaksOver;
}

TVerdict JudgeLevels(const TJudgedLevels& rLevels, const TLoudnessSetup& rSetup,
                     const TLoudnessStandard& rStandard, bool bFilteredRows) {
    TVerdict v;
    v.rStandard = rStandard;
    if (rLevels.iRows == 0) {
        v.aReasons.push_back(ReasonOf(TReasonKind::NoRows));
    } else {
        JudgeIntegrated(rLevels, rSetup, rStandard, v.aReasons);
        JudgePeak(rLevels, rSetup, rStandard, v.aReasons);
        if (LoudnessInLU(rSetup) && LoudnessProblemOf(rSetup) == TLoudnessProblem::None) {
            TVerdictReason r = ReasonOf(TReasonKind::ConvertedFromLU);
            r.fValue = rSetup.fReferenceLevel;
            v.aReasons.push_back(r);
        }
    }
    if (bFilteredRows)
        v.aReasons.push_back(ReasonOf(TReasonKind::FilteredRows));
    // Failures first, then what cannot be proven, then the facts; each group keeps its order.
    std::stable_sort(v.aReasons.begin(), v.aReasons.end(),
                     [](const TVerdictReason& a, const TVerdictReason& b) {
                         return int(WeightOf(a.eKind)) < int(WeightOf(b.eKind));
                     });
    v.eKind = VerdictKindOf(v.aReasons);
    return v;
}

TVerdict JudgeSession(const TLevelData& rData, const TLoudnessSetup& rSetup,
                      const TLoudnessStandard& rStandard, bool bFilteredRows) {
    // Rows are found by index and only the two rows that count give their timecodes: a day of rows costs no
    // text per row.
    TJudgedLevels r;
    r.iRows = rData.RowCount();
    int iLastIntegrated = -1;
    int iHighest = -1;
    for (int i = 0; i < rData.RowCount(); ++i) {
        const TLevelRow& Row = rData.Row(i);
        if (IsRecordedLevel(Row.fLoudnessInt))
            iLastIntegrated = i;
        const double fPeak = Row.fInstantaneousPeak;
        if (!IsRecordedLevel(fPeak))
            continue;
        if (iHighest < 0 || fPeak > rData.Row(iHighest).fInstantaneousPeak)
            iHighest = i;
        if (PeakOverLimit(fPeak, rStandard))
            ++r.iPeaksOver;
    }
    if (iLastIntegrated >= 0) {
        r.fLastIntegrated = rData.Row(iLastIntegrated).fLoudnessInt;
        r.sIntegratedTimecode = rData.Timecode(iLastIntegrated);
    }
    if (iHighest >= 0) {
        r.fHighestPeak = rData.Row(iHighest).fInstantaneousPeak;
        r.sPeakTimecode = rData.Timecode(iHighest);
    }
    return JudgeLevels(r, rSetup, rStandard, bFilteredRows);
}
