#pragma once

#include "compliance/LoudnessRange.h"
#include "compliance/Verdict.h"
#include "compliance/Violations.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// Everything the program says about one loaded session against its target: the verdict with its reasons,
// the loudness range and the rows outside the target.
struct TSessionJudgement {
    TVerdict rVerdict;
    TLoudnessRange rRange;
    TViolations rViolations;
};

// Judges the rows of a session (bFilteredRows: the rows a data filter left).
TSessionJudgement JudgeRows(const TLevelData& rData, const TLoudnessSetup& rSetup,
                            const TLoudnessStandard& rStandard, bool bFilteredRows);

// The verdict and its target as texts in language iLNG, for the grids and the exports.
struct TVerdictSummary {
    // "Pass", "Fail" or "Not verifiable"; empty when nothing was judged.
    QString sVerdict;
    // The target's name and figures, for example "EBU R128: -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP".
    QString sTarget;
    QStringList slReasons;
    // "10.0 LU", or "n/a" followed by the reason.
    QString sLoudnessRange;

    bool Empty() const { return sVerdict.isEmpty(); }
};
TVerdictSummary SummaryOf(const TSessionJudgement& r, int iLNG, QStringView sDecimalPoint);
// The target as TVerdictSummary::sTarget shows it.
QString TargetText(const TLoudnessStandard& rStandard, int iLNG, QStringView sDecimalPoint);
// The loudness range with its reason when there is none: "n/a (The short-term window was ...)".
QString LoudnessRangeWithReason(const TLoudnessRange& rRange, int iLNG, QStringView sDecimalPoint);
