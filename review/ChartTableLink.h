#pragma once

#include "core/LongOperationHost.h"
#include "review/LevelRowLookup.h"

#include <QObject>
#include <optional>

class QTabWidget;
class TChartTab;
class TDatabaseView;
class TdbSQLite;

// Takes the user from a chart tab to the level table on the Database tab: the rows the chart shows become
// the data filter, and a double-clicked point becomes the table's current row. The chart's rows are found
// in the session database by their place among the rows its filter reads, and checked against the
// timecodes it shows; a chart whose rows are no longer stored so is refused with a message.
class TChartTableLink : public QObject {
    Q_OBJECT
public:
    // rHost: the program's message box; iLNG: the interface language.
    TChartTableLink(TdbSQLite& rDB, TDatabaseView& rDatabaseView, QTabWidget* pPageCtrl,
                    ILongOperationHost& rHost, const int& iLNG, QObject* parent = nullptr);

    // Loads into the level table exactly the rows Tab's chart shows now (the first to the last visible
    // row, through the chart's own data filter), selecting the chart's session first when another one is
    // selected, and shows the Database tab. False, with the user told why, when the session is not listed
    // or its rows are no longer stored as charted.
    bool FilterToVisibleRows(TChartTab& Tab);
    // Makes the row of chart point iPoint the level table's current row, wherever the table's sort shows
    // it, and shows the Database tab. When the table shows another session, or a filter that leaves the
    // row out, the chart's session is selected and the chart's rows loaded first.
    bool ShowPointRow(TChartTab& Tab, int iPoint);

private:
    // The stored row behind chart point iPoint; the user is told when there is none with the timecode the
    // chart shows.
    std::optional<TStoredLevelRow> StoredRowOf(const TChartTab& Tab, int iPoint);
    // Whether the chart's session is selected or listed on the Database tab; the user is told when not.
    bool ChartSessionListed(const TChartTab& Tab);
    // The chart's session is the selected one; the user is told when the session list does not hold it.
    bool SelectChartSession(const TChartTab& Tab);
    void Tell(int iEntry, int iKind);

    TdbSQLite& DB;
    TDatabaseView& DatabaseView;
    QTabWidget* PageCtrl;
    ILongOperationHost& Host;
    const int& FLanguage;
};
