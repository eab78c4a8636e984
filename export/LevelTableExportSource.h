#pragma once

#include "export/ExportSources.h"

class TLevelTable;

// The loaded level table as an export reads it. A table without rows reads as one empty row, as the
// Database tab's empty table shows it, so an export of it still has its header and one empty line.
class TLevelTableSource : public ITableSource {
public:
    explicit TLevelTableSource(const TLevelTable& rTable) : FTable(rTable) {}
    int ColumnCount() const override;
    int RowCount() const override;
    QString HeaderText(int iCol) const override;
    QString CellText(int iRow, int iCol) const override;

private:
    const TLevelTable& FTable;
};

// What the Database tab hands the exports: the selected session, its level table and its statistics as
// shown, in the language iLNG refers to.
class TLevelTableExportSource : public IExportSource {
public:
    TLevelTableExportSource(const TSessionInfo& rSession, const TLevelTable& rTable, const int& iLNG)
        : FSession(rSession), FLevels(rTable), FTableSource(rTable), FLanguage(iLNG) {}
    // The language must outlive the source.
    TLevelTableExportSource(const TSessionInfo&, const TLevelTable&, const int&&) = delete;

    TSessionInfo ExportSession() const override { return FSession; }
    const ITableSource& ExportTable() const override { return FTableSource; }
    std::vector<TStatisticsEntry> ExportStatistics() const override;
    QStringList ExportDataFilter() const override;
    TVerdictSummary ExportVerdict() const override;
    QList<TSessionGap> ExportGaps() const override;

private:
    const TSessionInfo& FSession;
    const TLevelTable& FLevels;
    TLevelTableSource FTableSource;
    const int& FLanguage;
};
