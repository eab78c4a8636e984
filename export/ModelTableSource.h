#pragma once

#include "export/ExportSources.h"

class QAbstractItemModel;

// A table model read as an export's level table, through its display texts. A string grid keeps its
// header in row 0 (bHeaderInRow0); a model view takes it from the model's horizontal header.
class TModelTableSource : public ITableSource {
public:
    TModelTableSource(const QAbstractItemModel& rModel, bool bHeaderInRow0);

    int ColumnCount() const override;
    int RowCount() const override;
    QString HeaderText(int iCol) const override;
    QString CellText(int iRow, int iCol) const override;

private:
    const QAbstractItemModel& FModel;
    bool FHeaderInRow0;
};

// The statistics of a label/value grid model: labels in column 0, values in column 1 and the timecode in
// column 2 when the grid has one, from row 1 (row 0 is the grid's title) to its end.
std::vector<TStatisticsEntry> StatisticsOfGrid(const QAbstractItemModel& rModel);

// The Database tab's grids as an export reads them: the selected session, the level table's model and the
// statistics grid's model.
class TGridExportSource : public IExportSource {
public:
    TGridExportSource(const TSessionInfo& rSession, const QAbstractItemModel& rLevelTable, bool bHeaderInRow0,
                      const QAbstractItemModel& rStatistics)
        : FSession(rSession), FTable(rLevelTable, bHeaderInRow0), FStatistics(rStatistics) {}

    TSessionInfo ExportSession() const override { return FSession; }
    const ITableSource& ExportTable() const override { return FTable; }
    std::vector<TStatisticsEntry> ExportStatistics() const override { return StatisticsOfGrid(FStatistics); }

private:
    const TSessionInfo& FSession;
    TModelTableSource FTable;
    const QAbstractItemModel& FStatistics;
};
