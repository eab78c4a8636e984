#include "export/LevelTableExportSource.h"

#include "core/TextTable.h"
#include "review/LevelTable.h"

int TLevelTableSource::ColumnCount() const {
    return int(FTable.Headers().size());
}

int TLevelTableSource::RowCount() const {
    return std::max(1, FTable.RowCount());
}

QString TLevelTableSource::HeaderText(int iCol) const {
    return FTable.Headers().value(iCol);
}

QString TLevelTableSource::CellText(int iRow, int iCol) const {
    return iRow < FTable.RowCount() ? FTable.CellText(iRow, iCol) : QString();
}

QStringList TLevelTableExportSource::ExportDataFilter() const {
    return FLevels.DataFilterTexts(FLanguage);
}

QList<TSessionGap> TLevelTableExportSource::ExportGaps() const {
    return FLevels.Gaps().aGaps;
}

TVerdictSummary TLevelTableExportSource::ExportVerdict() const {
    return FLevels.VerdictSummary();
}

std::vector<TStatisticsEntry> TLevelTableExportSource::ExportStatistics() const {
    std::vector<TStatisticsEntry> a;
    for (const TStatisticRow& r : FLevels.Statistics()) {
        // The verdict has a place of its own in the exports, with its target and reasons.
        if (r.iLabel != kTxtVerdictLabel)
            a.push_back({GetText(r.iLabel, FLanguage), r.sValue, r.sTimecode});
    }
    return a;
}
