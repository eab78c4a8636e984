#pragma once

#include "core/LongOperationHost.h"
#include "review/ChartTab.h"

#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QTabWidget;

// What a new chart tab shows, gathered by the main window from the selected session.
struct TChartTabRequest {
    // The session's show title.
    QString sCaption;
    TReviewChartSetup rSetup;
    TChartSnapshot rSnapshot;
    // The conditions of the data filter the rows are read through; empty when they are all the session's.
    QStringList slDataFilter;
    // Reads the level rows the level table shows into the rows, calling the pump now and then; false when
    // no rows are loaded or the query failed.
    std::function<bool(TLevelData& rRows, const std::function<void()>& fnPump)> fnLoadRows;
};

// The chart tabs of the main window's page control, after its two fixed pages: making them, their context
// menu with "Close Tab", and closing them. The fixed pages are never closed.
class TChartTabs : public QObject {
    Q_OBJECT
public:
    // Pages before the first chart tab: logging and database.
    static constexpr int kFixedPages = 2;

    // rHost: the program's message box and long operations (the part of the services the tabs use).
    TChartTabs(QTabWidget* pPageCtrl, TChartOptions& rOptions, const int& iLNG, int& iTabId,
               ILongOperationHost& rHost);

    // Makes a chart tab from rRequest, after all other pages, and makes it the active page. The main window
    // is disabled and the wait window shown meanwhile; both are restored whatever happens. A session without
    // rows is told and still gets its (empty) tab.
    TChartTab* MakeChartTab(const TChartTabRequest& rRequest);
    // Frees the active page when it is a chart tab.
    void CloseActiveTab();
    void UpdateGUIStrings();

    QMenu* popTab = nullptr;
    QAction* popTabClose = nullptr;

Q_SIGNALS:
    // A chart tab's PDF item was chosen (Tag 0 side panel, 1 full page).
    void ChartExportPDF(TChartTab* Tab, int iTag);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The active page when it is a chart tab, else none.
    TChartTab* ActiveChartTab() const;

    QTabWidget* PageCtrl;
    TChartOptions& rChartOptions;
    const int& FLanguage;
    int& FTabId;
    ILongOperationHost& Host;
};
