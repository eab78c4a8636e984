#include "review/LevelTable.h"

#include "core/GridLayouts.h"
#include "store/dbSQLite.h"

void TLevelTable::SetLayout(const TDataOptions& rOptions, int iLNG, const QString& sDecimalPoint) {
    FOptions = rOptions;
    FDecimalPoint = sDecimalPoint;
    FModel.SetColumns(DBDataColumnHeadings(rOptions), iLNG, sDecimalPoint);
    LayOutStatistics();
}

void TLevelTable::LayOutStatistics() {
    if (FStats) {
        FStatistics = StatisticsRows(*FStats, FOptions, FUnit, FDecimalPoint);
        return;
    }
    FStatistics.clear();
    for (const int iLabel : DBLoudnessMaxLabels(FOptions).aRowLabels)
        FStatistics.push_back({iLabel, {}, {}});
}

TLevelTable::TLoadResult TLevelTable::Load(TdbSQLite& rDB, const QString& sSessionId,
                                           const TSQLFilter& rFilter, const QString& sUnit,
                                           const std::function<void()>& fnPump, QString& sError) {
    FSessionId = sSessionId;
    FDataFilter = rFilter;
    FModel.Clear();
    std::unique_ptr<TDBResult> DBSessionData;
    if (!rDB.RetreiveSessionData(sSessionId, rFilter, DBSessionData)) {
        if (!DBSessionData) {
            sError = rDB.LastError();
            return TLoadResult::Failed;
        }
        sError = DBSessionData->LastError();
        return sError.isEmpty() ? TLoadResult::NoRows : TLoadResult::Failed;
    }
    TLevelData Data;
    if (!ReadLevelRows(*DBSessionData, Data, fnPump, sError))
        return TLoadResult::Failed;
    FStats = CalcLevelStatistics(Data);
    FUnit = sUnit;
    LayOutStatistics();
    FModel.SetRows(std::move(Data));
    return TLoadResult::Rows;
}

void TLevelTable::ClearRows() {
    FModel.Clear();
    FSessionId.clear();
    FDataFilter = TSQLFilter();
}

void TLevelTable::Clear() {
    ClearRows();
    FStats.reset();
    FUnit.clear();
    LayOutStatistics();
}
