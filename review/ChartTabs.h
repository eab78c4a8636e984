#pragma once

#include "core/LongOperationHost.h"
#include "review/ChartTab.h"

#include <QObject>
#include <QTabBar>
#include <functional>

class QAction;
class QMenu;
class QTabWidget;

// What a new chart tab shows, gathered by the main window from the selected session.
struct TChartTabRequest {
    // The session's show title.
    QString sCaption;
    // The session and data filter whose rows the chart shows (the level table's last load of the session
    // the caption names); no session: nothing to chart.
    QString sSessionId;
    TDataFilter rDataFilter;
    TReviewChartSetup rSetup;
    TChartSnapshot rSnapshot;
    // Reads the session's level rows through the filter into the rows, calling the pump now and then;
    // false when the query failed or the pump cancelled.
    std::function<bool(const QString& sSessionId, const TSQLFilter& rFilter, TLevelData& rRows,
                       const TProgressPump& fnPump)>
        fnLoadRows;
    // Reads the session's gaps; none when it is not set or they cannot be read.
    std::function<QList<TSessionGap>(const QString& sSessionId)> fnLoadGaps;
    // The conditions of the data filter the rows are read through; empty when they are all the session's.
    QStringList slDataFilter;
};

// The chart tabs of the main window's page control, after its two fixed pages: making them, their context
// menu with "Close Tab" and their close buttons, and closing them. The fixed pages are never closed.
class TChartTabs : public QObject {
    Q_OBJECT
public:
    // Pages before the first chart tab: logging and database.
    static constexpr int kFixedPages = 2;
    // The widest caption a chart tab shows, in pixels; the whole title is its tooltip.
    static constexpr int kMaxCaptionWidth = 240;

    // rHost: the program's message box and long operations (the part of the services the tabs use).
    TChartTabs(QTabWidget* pPageCtrl, TChartOptions& rOptions, const int& iLNG, int& iTabId,
               ILongOperationHost& rHost);

    // Makes a chart tab from rRequest, after all other pages, and makes it the active page. The main window
    // is disabled and the wait window shown while the rows are read; both are restored whatever happens.
    // Without a session, without rows or when the query fails no tab is made: the user is told once the
    // wait window has gone, and none is returned. When the user cancels the load no tab is made either,
    // without a word.
    TChartTab* MakeChartTab(const TChartTabRequest& rRequest);
    // Frees the active page when it is a chart tab.
    void CloseActiveTab();
    // Frees Tab with its chart, button and snapshot when it is one of the chart tabs; the fixed pages stay.
    void CloseTab(TChartTab* Tab);
    void UpdateGUIStrings();

    QMenu* popTab = nullptr;
    QAction* popTabClose = nullptr;

Q_SIGNALS:
    // A chart tab's PDF item was chosen (Tag 0 side panel, 1 full page).
    void ChartExportPDF(TChartTab* Tab, int iTag);
    // A chart tab's "Filter to this range" was pressed.
    void FilterToRange(TChartTab* Tab);
    // The point of row iPoint of a chart tab's rows was double-clicked.
    void PointDoubleClicked(TChartTab* Tab, int iPoint);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The active page when it is a chart tab, else none.
    TChartTab* ActiveChartTab() const;
    // Gives the chart tab at iIndex its close button, on the side of the tab the style puts them.
    void AddCloseButton(TChartTab* Tab, int iIndex);
    QTabBar::ButtonPosition CloseButtonSide() const;

    QTabWidget* PageCtrl;
    TChartOptions& rChartOptions;
    const int& FLanguage;
    int& FTabId;
    ILongOperationHost& Host;
};
