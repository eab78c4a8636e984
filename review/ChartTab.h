#pragma once

#include "review/ChartData.h"
#include "review/ReviewChart.h"
#include "store/SQLFilter.h"

#include <QWidget>

class QAction;
class QMenu;
class QPushButton;
class QTableWidget;

// One chart tab of the main window's page control: the chart, its export button with the export popup
// above the chart's top right corner, and the hidden snapshot of the charted session, which the exports read
// even after another session was selected.
class TChartTab : public QWidget {
    Q_OBJECT
public:
    // Gap between the tab's edges and its contents, and between the export button and the chart below it.
    static constexpr int kMargin = 8;
    static constexpr int kExportButtonWidth = 120;
    static constexpr int kExportButtonHeight = 33;

    TChartTab(int iTag, const TReviewChartSetup& rSetup, TChartOptions& rOptions, const int& iLNG,
              QWidget* parent = nullptr);

    // Adds the export button with its popup above the chart, so that it never covers the plot.
    void AddExportButton();
    // Fills the hidden snapshot grid.
    void SetSnapshot(const TChartSnapshot& rSnapshot);
    // Row iRow of the snapshot grid as (label, value).
    TSnapshotRow SnapshotRow(int iRow) const;
    // Every row of the snapshot grid.
    TChartSnapshot Snapshot() const;
    // The conditions of the data filter the charted rows were read through, kept with the snapshot.
    void SetDataFilter(const QStringList& slConditions) { slDataFilter = slConditions; }
    const QStringList& DataFilterTexts() const { return slDataFilter; }

    // Puts the chart's on-screen picture on the clipboard as an image.
    void CopyChartToClipboard();
    void UpdateGUIStrings();

    // The main window's tab counter when the tab was made.
    const int Tag;
    // The session and data filter whose rows the chart holds.
    QString sSessionId;
    TSQLFilter rDataFilter;
    TReviewChart* Chart = nullptr;
    QPushButton* btnChartExport = nullptr;
    QMenu* popExportChart = nullptr;
    QAction* popExportToPDF = nullptr;
    QAction* popExportToPDFFullPage = nullptr;
    QAction* popCopyChartClipBrd = nullptr;
    QTableWidget* SGData = nullptr;

Q_SIGNALS:
    // A PDF item was chosen: Tag 0 the side-panel document, 1 the full page.
    void ChartExportPDF(int iTag);

private:
    void ChartExportPDFMenu();

    const int& FLanguage;
    QStringList slDataFilter;
};
