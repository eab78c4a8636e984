#include "export/ModelTableSource.h"

#include <QAbstractItemModel>

TModelTableSource::TModelTableSource(const QAbstractItemModel& rModel, bool bHeaderInRow0)
    : FModel(rModel), FHeaderInRow0(bHeaderInRow0) {}

int TModelTableSource::ColumnCount() const {
    return FModel.columnCount();
}

int TModelTableSource::RowCount() const {
    return std::max(0, FModel.rowCount() - (FHeaderInRow0 ? 1 : 0));
}

QString TModelTableSource::HeaderText(int iCol) const {
    if (FHeaderInRow0)
        return FModel.index(0, iCol).data().toString();
    return FModel.headerData(iCol, Qt::Horizontal).toString();
}

QString TModelTableSource::CellText(int iRow, int iCol) const {
    return FModel.index(iRow + (FHeaderInRow0 ? 1 : 0), iCol).data().toString();
}

std::vector<TStatisticsEntry> StatisticsOfGrid(const QAbstractItemModel& rModel) {
    std::vector<TStatisticsEntry> a;
    const bool bTimecode = rModel.columnCount() > 2;
    for (int iRow = 1; iRow < rModel.rowCount(); ++iRow)
        a.push_back({rModel.index(iRow, 0).data().toString(), rModel.index(iRow, 1).data().toString(),
                     bTimecode ? rModel.index(iRow, 2).data().toString() : QString()});
    return a;
}
