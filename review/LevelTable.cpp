#include "review/LevelTable.h"

#include "compliance/VerdictTexts.h"
#include "core/GridLayouts.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "store/SessionGapStore.h"
#include "store/dbSQLite.h"

void TLevelTable::SetLayout(const TDataOptions& rOptions, int iLNG, const QString& sDecimalPoint) {
    FOptions = rOptions;
    FLanguage = iLNG;
    FDecimalPoint = sDecimalPoint;
    FModel.SetColumns(DBDataColumnHeadings(rOptions), iLNG, sDecimalPoint);
    LayOutStatistics();
}

void TLevelTable::LayOutStatistics() {
    if (FStats) {
        FStatistics = StatisticsRows(*FStats, FOptions, FUnit, FDecimalPoint);
    } else {
        FStatistics.clear();
        for (const int iLabel : DBLoudnessMaxLabels(FOptions).aRowLabels)
            FStatistics.push_back({iLabel, {}, {}});
        ClearRows();
    }
    // The judgement follows the levels, whatever columns the options show.
    TStatisticRow Range{kTxtLoudnessRangeLabel, {}, {}};
    TStatisticRow Verdict{kTxtVerdictLabel, {}, {}};
    if (FJudgement) {
        const TVerdictSummary Summary = VerdictSummary();
        Range.sValue = LoudnessRangeText(FJudgement->rRange, FLanguage, FDecimalPoint);
        Range.sHint = LoudnessRangeProblemText(FJudgement->rRange, FLanguage);
        Verdict.sValue = Summary.sVerdict;
        if (FModel.rowCount() > 0)
            FModel.SetViolations(FJudgement->rViolations, ViolationHints(FJudgement->rVerdict.rStandard));
        Verdict.sHint =
            (QStringList{GetText(kTxtTargetLabel, FLanguage) + QStringLiteral(" ") + Summary.sTarget} +
             Summary.slReasons)
                .join(QLatin1Char('\n'));
    }
    FStatistics.push_back(std::move(Range));
    FStatistics.push_back(std::move(Verdict));
}

TLevelTable::TLoadResult TLevelTable::Load(TdbSQLite& rDB, const QString& sSessionId,
                                           const TDataFilter& rFilter, const QString& sUnit,
                                           const TProgressPump& fnPump, QString& sError) {
    TLevelData Data;
    switch (ReadSessionLevelRows(rDB, sSessionId, rFilter.rStatement, Data, fnPump, sError)) {
    case TReadResult::Complete:
        break;
    case TReadResult::Cancelled:
        return TLoadResult::Cancelled;
    case TReadResult::Failed:
        ClearRows();
        return TLoadResult::Failed;
    }
    if (Data.RowCount() == 0)
        return TLoadResult::NoRows; // what is shown stays, with the filter it was read through
    // Placed before anything changes: a cancel here, too, leaves what is shown as it was.
    TPlacedGaps Gaps;
    ReadSessionGaps(rDB, sSessionId, Gaps.aGaps);
    if (!PlaceGaps(Data, Gaps.aGaps, fnPump, Gaps.aPlaces))
        return TLoadResult::Cancelled;
    FSessionId = sSessionId;
    FDataFilter = rFilter;
    FStats = CalcLevelStatistics(Data);
    // Rows of another session or filter are judged afresh by the caller, who knows the target.
    FJudgement.reset();
    FUnit = sUnit;
    LayOutStatistics();
    FModel.SetRows(std::move(Data), std::move(Gaps));
    return TLoadResult::Rows;
}

TLevelTableModel::TViolationHints TLevelTable::ViolationHints(const TLoudnessStandard& rTarget) const {
    return {FormatText(GetText(kTxtViolationPeakHint, FLanguage),
                       {FormatLevel(rTarget.fMaxTruePeak, FDecimalPoint)}),
            FormatText(GetText(kTxtViolationShortTermHint, FLanguage),
                       {FormatLevel(rTarget.fTargetLoudness + rTarget.fTolerance, FDecimalPoint)})};
}

void TLevelTable::Judge(const TLoudnessSetup& rSetup, const TLoudnessStandard& rTarget) {
    if (FSessionId.isEmpty())
        return;
    FJudgement = JudgeRows(FModel.Rows(), rSetup, rTarget, Filtered());
    LayOutStatistics();
}

TVerdictSummary TLevelTable::VerdictSummary() const {
    return FJudgement ? SummaryOf(*FJudgement, FLanguage, FDecimalPoint) : TVerdictSummary();
}

void TLevelTable::ClearRows() {
    FModel.Clear();
    FSessionId.clear();
    FDataFilter = {};
}

void TLevelTable::Clear() {
    ClearRows();
    FStats.reset();
    FJudgement.reset();
    FUnit.clear();
    LayOutStatistics();
}

QStringList TLevelTable::DataFilterTexts(int iLNG) const {
    return DataFilterConditionTexts(FDataFilter.rConditions, iLNG, FUnit, FDataFilter.rRowRange);
}

bool ReadSessionGaps(TdbSQLite& rDB, const QString& sSessionId, QList<TSessionGap>& aGaps) {
    TSessionGapStore Store(rDB);
    if (Store.ReadGapsOf(sSessionId, aGaps))
        return true;
    // The levels are shown without their gaps rather than not at all; the log says why.
    qWarning("The session's gaps could not be read: %s", qPrintable(Store.LastError()));
    aGaps.clear();
    return false;
}
