#pragma once

#include "review/LevelData.h"
#include "review/LevelFilter.h"
#include "review/LevelTableModel.h"
#include "store/SQLFilter.h"

#include <QString>
#include <functional>
#include <vector>

class TdbSQLite;

// The loaded level data of the Database tab: the table's rows, the session statistics and the filter they
// were read with. It loads; the window shows it. The exports and the review charts read it through the
// const accessors and reuse DataFilter() as it is.
class TLevelTable {
public:
    enum class TLoadResult { Rows, NoRows, Failed };

    TLevelTable() = default;
    TLevelTable(const TLevelTable&) = delete;
    TLevelTable& operator=(const TLevelTable&) = delete;

    // Lays out the columns and statistics rows for these options and language; empties the table and the
    // statistics, as re-applying the interface texts does.
    void SetLayout(const TDataOptions& rOptions, int iLNG, const QString& sDecimalPoint);

    // Reads the session's level rows through rFilter (an empty statement: all of them). With rows, the
    // table, the statistics and the filter in force take them (sUnit is the session's loudness unit).
    // Without rows nothing changes: the rows, statistics and filter of the last load stay. On a database
    // error the table is emptied and sError says why. fnPump runs about every 30 ms while rows are read.
    TLoadResult Load(TdbSQLite& rDB, const QString& sSessionId, const TDataFilter& rFilter,
                     const QString& sUnit, const std::function<void()>& fnPump, QString& sError);
    // Empties the table and drops its session and filter (a new session was selected); the statistics
    // stay.
    void ClearRows();

    TLevelTableModel& Model() { return FModel; }
    const TLevelTableModel& Model() const { return FModel; }
    int RowCount() const { return FModel.rowCount(); }
    const QStringList& Headers() const { return FModel.Headers(); }
    QString CellText(int iRow, int iColumn) const { return FModel.CellText(iRow, iColumn); }
    // The statistics rows as shown (empty values until a load found rows).
    const std::vector<TStatisticRow>& Statistics() const { return FStatistics; }
    // The session and filter of the rows shown.
    const QString& SessionId() const { return FSessionId; }
    const TSQLFilter& DataFilter() const { return FDataFilter.rStatement; }
    // The conditions of the filter in force, named in language iLNG; empty when the rows are unfiltered.
    QStringList DataFilterTexts(int iLNG) const;

private:
    TLevelTableModel FModel;
    TDataOptions FOptions;
    QString FDecimalPoint = QStringLiteral(".");
    std::vector<TStatisticRow> FStatistics;
    QString FSessionId;
    TDataFilter FDataFilter;
    QString FUnit;
};
