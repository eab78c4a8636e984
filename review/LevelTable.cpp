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
    ClearRows();
}

TLevelTable::TLoadResult TLevelTable::Load(TdbSQLite& rDB, const QString& sSessionId,
                                           const TDataFilter& rFilter, const QString& sUnit,
                                           const std::function<void()>& fnPump, QString& sError) {
    std::unique_ptr<TDBResult> DBSessionData;
    if (!rDB.RetreiveSessionData(sSessionId, rFilter.rStatement, DBSessionData)) {
        sError = DBSessionData ? DBSessionData->LastError() : rDB.LastError();
        if (DBSessionData && sError.isEmpty())
            return TLoadResult::NoRows; // what is shown stays, with the filter it was read through
        ClearRows();
        return TLoadResult::Failed;
    }
    TLevelData Data;
    if (!ReadLevelRows(*DBSessionData, Data, fnPump, sError)) {
        ClearRows();
        return TLoadResult::Failed;
    }
    FSessionId = sSessionId;
    FDataFilter = rFilter;
    FStats = CalcLevelStatistics(Data);
    FUnit = sUnit;
    LayOutStatistics();
    FModel.SetRows(std::move(Data));
    return TLoadResult::Rows;
}

void TLevelTable::ClearRows() {
    FModel.Clear();
    FSessionId.clear();
    FDataFilter = {};
}

void TLevelTable::Clear() {
    ClearRows();
    FStats.reset();
    FUnit.clear();
    LayOutStatistics();
}

QStringList TLevelTable::DataFilterTexts(int iLNG) const {
    return DataFilterConditionTexts(FDataFilter.rConditions, iLNG, FUnit);
}
