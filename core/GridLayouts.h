#pragma once

#include "core/DataOptions.h"

#include <QStringList>
#include <vector>

// Which labels the main window's grids carry, as text table entries (the window shows entry + iLNG). The
// data grids follow the data-selection flags; the review and live code fill their values in the same
// order.

// The label cells of a grid: the header (row 0) and the labels of column 0 from row 1 down.
struct TGridLabels {
    int iHeader = 0;
    std::vector<int> aRowLabels;
};

// Rows of the data grids up to which labels are cleared when fewer rows are used.
inline constexpr int kDataGridLastRow = 9;

// sgLoudnessData: the live values.
TGridLabels LoudnessDataLabels(const TDataOptions& rOptions);
// sgDBLoudnessMax: the session statistics.
TGridLabels DBLoudnessMaxLabels(const TDataOptions& rOptions);
// sgDBData: the headings of row 0 from column 0.
std::vector<int> DBDataColumnHeadings(const TDataOptions& rOptions);

// Every name the loudness configuration grids can show, and the widest level they show beside a unit in
// language iLNG: what their value columns keep room for.
QStringList LoudnessConfigValueSamples(int iLNG);

// The fixed label grids.
TGridLabels DBSessionInfoLabels();
TGridLabels SessionInfoLabels();
TGridLabels DBLoudnessConfigLabels();
TGridLabels LoudnessCFGLabels();
