#include "review/ChartTableLink.h"

#include "core/MessageBoxLayout.h"
#include "core/TextTable.h"
#include "review/ChartTab.h"
#include "review/DatabaseView.h"

#include <QTabWidget>

TChartTableLink::TChartTableLink(TdbSQLite& rDB, TDatabaseView& rDatabaseView, QTabWidget* pPageCtrl,
                                 ILongOperationHost& rHost, const int& iLNG, QObject* parent)
    : QObject(parent), DB(rDB), DatabaseView(rDatabaseView), PageCtrl(pPageCtrl), Host(rHost),
      FLanguage(iLNG) {}

void TChartTableLink::Tell(int iEntry, int iKind) {
    Host.ShowMessageBox(GetText(iEntry, FLanguage), iKind, kMsgBtnOK);
}

std::optional<TStoredLevelRow> TChartTableLink::StoredRowOf(const TChartTab& Tab, int iPoint) {
    std::optional<TStoredLevelRow> rRow;
    if (iPoint >= 0 && iPoint < Tab.Chart->PointCount())
        rRow = StoredRowAt(DB, Tab.sSessionId, Tab.rDataFilter.rStatement, iPoint);
    // Another database, or the session deleted and recorded again: the place holds another row.
    if (!rRow || rRow->sTimecode != Tab.Chart->PointLabel(iPoint)) {
        Tell(kTxtChartRowsChanged, kMsgWarning);
        return std::nullopt;
    }
    return rRow;
}

bool TChartTableLink::ChartSessionListed(const TChartTab& Tab) {
    TSessionBrowser& Browser = DatabaseView.Browser();
    if (Browser.SelectedSession() == Tab.sSessionId || Browser.Sessions().RowOfSession(Tab.sSessionId) >= 0)
        return true;
    Tell(kTxtChartSessionNotListed, kMsgWarning);
    return false;
}

bool TChartTableLink::SelectChartSession(const TChartTab& Tab) {
    if (DatabaseView.SelectSession(Tab.sSessionId))
        return true;
    Tell(kTxtChartSessionNotListed, kMsgWarning);
    return false;
}

bool TChartTableLink::FilterToVisibleRows(TChartTab& Tab) {
    const TReviewChart& Chart = *Tab.Chart;
    if (Chart.PointCount() == 0)
        return false;
    if (!ChartSessionListed(Tab))
        return false;
    const int iFirst = Chart.TimeAxis().FirstVisibleRow();
    const int iLast = Chart.TimeAxis().LastVisibleRow();
    const std::optional<TStoredLevelRow> rFirst = StoredRowOf(Tab, iFirst);
    const std::optional<TStoredLevelRow> rLast = rFirst ? StoredRowOf(Tab, iLast) : std::nullopt;
    if (!rLast || !SelectChartSession(Tab))
        return false;
    // The chart's own conditions stay: the rows between the two are the chart's rows only where they meet
    // them too.
    const TLevelRowRange rRange{rFirst->nId, rLast->nId, rFirst->sTimecode, rLast->sTimecode,
                                iLast - iFirst + 1};
    const TFilterOptions& rConditions = Tab.rDataFilter.rConditions;
    const std::optional<TSQLFilter> rStatement = BuildDataFilter(rConditions, rRange);
    PageCtrl->setCurrentWidget(&DatabaseView);
    TLevelDataView& LevelData = DatabaseView.LevelData();
    if (!rStatement || !LevelData.LoadDataToGrid(TDataFilter(*rStatement, rConditions, rRange))) {
        Tell(kTxtNoMatchingData, kMsgWarning);
        return false;
    }
    LevelData.GoToDataRow(0);
    return true;
}

bool TChartTableLink::ShowPointRow(TChartTab& Tab, int iPoint) {
    if (!ChartSessionListed(Tab))
        return false;
    const std::optional<TStoredLevelRow> rRow = StoredRowOf(Tab, iPoint);
    if (!rRow)
        return false;
    TLevelDataView& LevelData = DatabaseView.LevelData();
    const TLevelTable& Table = LevelData.LevelTable();
    std::optional<int> iDataRow;
    if (Table.RowCount() > 0 && Table.SessionId() == Tab.sSessionId &&
        DatabaseView.Browser().SelectedSession() == Tab.sSessionId)
        iDataRow = PositionOfStoredRow(DB, Tab.sSessionId, Table.DataFilter(), rRow->nId);
    if (!iDataRow) {
        // The table shows another session, or a filter without the row: it shows the chart's rows again.
        if (!SelectChartSession(Tab))
            return false;
        PageCtrl->setCurrentWidget(&DatabaseView);
        if (!LevelData.LoadDataToGrid(Tab.rDataFilter))
            return false;
        iDataRow = PositionOfStoredRow(DB, Tab.sSessionId, Table.DataFilter(), rRow->nId);
    }
    PageCtrl->setCurrentWidget(&DatabaseView);
    if (!iDataRow || !LevelData.GoToDataRow(*iDataRow)) {
        Tell(kTxtChartRowsChanged, kMsgWarning);
        return false;
    }
    return true;
}
