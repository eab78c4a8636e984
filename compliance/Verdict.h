#pragma once

#include "core/LoudnessStandard.h"
#include "core/SessionTypes.h"

#include <QString>
#include <QStringView>
#include <limits>
#include <vector>

class TLevelData;

// Did a session meet its target? The judgement of its rows against a target, with every reason; the texts
// are made from the reasons (compliance/VerdictTexts.h), so a kept verdict shows in either language.

// The numbers are kept in the session database: never renumber.
enum class TVerdictKind : int {
    Pass = 0,
    Fail = 1,
    // The meter did not measure what the target asks, or there is nothing to judge: never a pass.
    NotVerifiable = 2,
};

// The numbers are kept in the session database: never renumber.
enum class TReasonKind : int {
    NoRows = 0,
    NoIntegrated = 1,
    NoPeak = 2,
    // iCode: the filter.
    FilterNotK = 3,
    // iCode: the scale.
    UnknownScale = 4,
    // The meter did not measure true peak (iCode: its peak mode) and its peaks stay within the limit.
    PeakNotTrue = 5,
    // The sample peaks (iCode: the peak mode) already exceed the limit, so the true peaks do too.
    SamplePeakExceeds = 6,
    IntegratedAbove = 7,
    IntegratedBelow = 8,
    IntegratedWithin = 9,
    // fValue the highest peak, first at sTimecode, iCount further rows over the limit, iCode the peak mode.
    PeakExceeds = 10,
    PeakWithin = 11,
    // fValue: the reference level the LU values were converted with.
    ConvertedFromLU = 12,
    FilteredRows = 13,
};
inline constexpr int kReasonKindCount = 14;

// What a reason does to the verdict.
enum class TReasonWeight { Fails, Unverifiable, Fact };
TReasonWeight WeightOf(TReasonKind eKind);

struct TVerdictReason {
    TReasonKind eKind = TReasonKind::NoRows;
    // The integrated loudness (LUFS), the highest peak, or the reference level.
    double fValue = std::numeric_limits<double>::quiet_NaN();
    // The target loudness or the peak limit.
    double fLimit = std::numeric_limits<double>::quiet_NaN();
    // How far the integrated loudness lies from the target, in LU, 0 or more.
    double fDeviation = std::numeric_limits<double>::quiet_NaN();
    double fTolerance = std::numeric_limits<double>::quiet_NaN();
    QString sTimecode;
    int iCount = 0;
    int iCode = 0;

    bool operator==(const TVerdictReason& r) const;
};

struct TVerdict {
    TVerdictKind eKind = TVerdictKind::NotVerifiable;
    TLoudnessStandard rStandard;
    // Failures and unverifiable points first, in the order integrated loudness, peak; facts last.
    std::vector<TVerdictReason> aReasons;
};

// The verdict its reasons give: fail when one fails, otherwise not verifiable when one cannot be proven
// or there is none, otherwise pass.
TVerdictKind VerdictKindOf(const std::vector<TVerdictReason>& aReasons);

// A session's rows as far as its verdict goes: the last recorded integrated loudness (as stored) and the
// highest recorded peak at its first row, with the number of rows over the target's peak limit. Summed
// from the loaded rows, or kept row by row while a session runs.
struct TJudgedLevels {
    int iRows = 0;
    double fLastIntegrated = std::numeric_limits<double>::quiet_NaN();
    QString sIntegratedTimecode;
    double fHighestPeak = std::numeric_limits<double>::quiet_NaN();
    QString sPeakTimecode;
    int iPeaksOver = 0;

    // Takes the next row in recorded order, counting its peak against rStandard's limit.
    void Add(double fIntegrated, double fPeak, QStringView sTimecode, const TLoudnessStandard& rStandard);
};

// The verdict of rows summed up in rLevels (bFilteredRows: the rows a data filter left).
TVerdict JudgeLevels(const TJudgedLevels& rLevels, const TLoudnessSetup& rSetup,
                     const TLoudnessStandard& rStandard, bool bFilteredRows);

// Judges the rows of a session (bFilteredRows: the rows a data filter left, and the verdict says so). The
// integrated loudness is the last one recorded; the peak is the highest recorded, at its first row.
TVerdict JudgeSession(const TLevelData& rData, const TLoudnessSetup& rSetup,
                      const TLoudnessStandard& rStandard, bool bFilteredRows);
