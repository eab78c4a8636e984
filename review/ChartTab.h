#pragma once

#include "review/ChartData.h"
#include "review/LevelFilter.h"
#include "review/ReviewChart.h"

#include <QWidget>

class QAction;
class QMenu;
class QPushButton;
class QTableWidget;

// One chart tab of the main window's page control: the chart, above its top right corner the button that
// filters the level table to the rows the chart shows and the export button with the export popup, and the
// hidden snapshot of the charted session, which the exports read even after another session was selected.
class TChartTab : public QWidget {
    Q_OBJECT
public:
    // Gap between the tab's edges and its contents, and between the export button and the chart below it.
    static constexpr int kMargin = 8;
    static constexpr int kExportButtonWidth = 120;
    static constexpr int kExportButtonHeight = 33;

    TChartTab(int iTag, const TReviewChartSetup& rSetup, TChartOptions& rOptions, const int& iLNG,
              QWidget* parent = nullptr);

    // Adds the export button with its popup and the filter button above the chart, so that they never
    // cover the plot.
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

    // Puts the chart's picture on the clipboard as an image.
    void CopyChartToClipboard();
    // The chart as the screen shows it, the rows it shows now, with the session's title above the plot and
    // the legend without check boxes, as large as the chart. The chart on screen is left as it was.
    QImage ChartPicture();
    // The chart as the PDF documents print it (TReviewChart::PDFPicture), with the session's title above
    // the plot.
    QImage PDFPicture(const QSize& Size);
    // What the chart shows when it is zoomed, for the PDF documents: the title and the timecodes of the
    // first and last row in view; empty while the whole session is shown.
    QString ShownRangeText() const;
    // The gaps among the rows the chart shows now, for the PDF documents' line naming them; empty when
    // there are none.
    QStringList GapsShownTexts() const;
    void UpdateGUIStrings();

    // The main window's tab counter when the tab was made.
    const int Tag;
    // The session's show title, whole (the tab's caption may be cut).
    QString sTitle;
    // The session and data filter whose rows the chart holds.
    QString sSessionId;
    TDataFilter rDataFilter;
    TReviewChart* Chart = nullptr;
    QPushButton* btnFilterToRange = nullptr;
    QPushButton* btnChartExport = nullptr;
    QMenu* popExportChart = nullptr;
    QAction* popExportToPDF = nullptr;
    QAction* popExportToPDFFullPage = nullptr;
    QAction* popCopyChartClipBrd = nullptr;
    QTableWidget* SGData = nullptr;

Q_SIGNALS:
    // A PDF item was chosen: Tag 0 the side-panel document, 1 the full page.
    void ChartExportPDF(int iTag);
    // "Filter to this range" was pressed: the level table is to show the rows the chart shows now.
    void FilterToRange();

private:
    void ChartExportPDFMenu();

    const int& FLanguage;
    QStringList slDataFilter;
};
