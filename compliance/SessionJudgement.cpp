#include "compliance/SessionJudgement.h"

#include "compliance/Standards.h"
#include "compliance/VerdictTexts.h"

TSessionJudgement JudgeRows(const TLevelData& rData, const TLoudnessSetup& rSetup,
                            const TLoudnessStandard& rStandard, bool bFilteredRows) {
    return {JudgeSession(rData, rSetup, rStandard, bFilteredRows), CalcLoudnessRange(rData, rSetup),
            TViolations(rData, rSetup, rStandard)};
}

QString TargetText(const TLoudnessStandard& rStandard, int iLNG, QStringView sDecimalPoint) {
    return StandardName(rStandard.eId, iLNG) + QStringLiteral(": ") +
           StandardFigures(rStandard, iLNG, sDecimalPoint);
}

QString LoudnessRangeWithReason(const TLoudnessRange& rRange, int iLNG, QStringView sDecimalPoint) {
    const QString sRange = LoudnessRangeText(rRange, iLNG, sDecimalPoint);
    const QString sProblem = LoudnessRangeProblemText(rRange, iLNG);
    return sProblem.isEmpty() ? sRange : sRange + QStringLiteral(" (") + sProblem + QStringLiteral(")");
}

TVerdictSummary SummaryOf(const TSessionJudgement& r, int iLNG, QStringView sDecimalPoint) {
    return {VerdictName(r.rVerdict.eKind, iLNG), TargetText(r.rVerdict.rStandard, iLNG, sDecimalPoint),
            ReasonTexts(r.rVerdict, iLNG, sDecimalPoint),
            LoudnessRangeWithReason(r.rRange, iLNG, sDecimalPoint)};
}
