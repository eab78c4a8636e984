#pragma once

#include "core/SessionTypes.h"
#include "core/Settings.h"
#include "review/ChartData.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <vector>

// The PDF documents of a chart tab, landscape: the chart with a side panel (user picture and address,
// session information, loudness configuration, statistics), or the chart across the page with an optional
// compact information table. Every session value comes from the tab's snapshot, so a document describes
// the charted session whatever is selected elsewhere.

// The size of the chart picture the documents print.
inline constexpr QSize kChartPictureSize(1450, 850);

// Where the documents read the snapshot.
inline constexpr int kSnapAnalysisDate = 0;
inline constexpr int kSnapShowTitle = 2;
inline constexpr int kSnapShowNumber = 3;
inline constexpr int kSnapOperatorName = 4;
inline constexpr int kSnapFormat = 5;
inline constexpr int kSnapTCStart = 6;
inline constexpr int kSnapTCEnd = 7;
inline constexpr int kSnapNotes = 8;
inline constexpr int kSnapInstrumentType = 10;
inline constexpr int kSnapPeakLevel = 19;
inline constexpr int kSnapStatisticsTitle = 21;
// The statistics title and at most ten statistics rows are printed.
inline constexpr int kChartStatisticsRows = 11;

struct TChartDocument {
    // The tab's snapshot; missing rows read as empty.
    TChartSnapshot aSnapshot;
    // The conditions of the data filter the chart's rows were read through; empty when unfiltered. A
    // filtered chart names them in a "Data Filter.:" line under the sub-headline.
    QStringList slDataFilter;
    // The target the chart's band and peak limit line show, in a "Target.:" line under the sub-headline;
    // empty when the chart shows none.
    QString sTarget;
    // What a zoomed chart shows (the title and the timecodes of the first and last row in view), in a
    // line under the sub-headline; empty when it shows the whole session.
    QString sShownRange;
    // The gaps among the rows the chart shows, each named by its timecodes and length, in a "Gaps.:" line
    // under the sub-headline; no line when there are none.
    QStringList slGaps;
    // The chart, kChartPictureSize.
    QImage ChartPicture;
    TPDFOptions rPDFOptions;
    int iLNG = 0;
    // The maker's logo; the program's icon when null.
    QImage MakerLogo;
};

// The session values of the snapshot, for the properties, the headline and the save dialog's name.
TSessionInfo ChartSessionInfo(const TChartSnapshot& aSnapshot);

// The snapshot rows of the side panel's statistics: from the title row down to and including the first
// row with an empty label, at most kChartStatisticsRows.
std::vector<int> ChartStatisticsRows(const TChartSnapshot& aSnapshot);

// Build the document and write it to sFileName (through a temporary file); false with a reason when it
// could not be written. fnPump as TPDFDocument::Generate has it: when it cancels nothing is written and
// the result is false without a reason.
bool CreateChartPDF(const QString& sFileName, const TChartDocument& rDocument, QString* psError = nullptr,
                    const TProgressPump& fnPump = {});
bool CreateChartPDFFullPage(const QString& sFileName, const TChartDocument& rDocument,
                            QString* psError = nullptr, const TProgressPump& fnPump = {});
