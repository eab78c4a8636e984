#pragma once

#include <span>
#include <vector>

// One point a chart draws: its key (the row's index) and its level; a NaN level breaks the line.
struct TEnvelopePoint {
    double fKey = 0.0;
    double fValue = 0.0;
    bool operator==(const TEnvelopePoint&) const = default;
};

// The points a chart of iColumns pixel columns draws for aValues[iFirst..iLast] (each value's key is its
// index). With no more points than columns every point is drawn as it is. Otherwise the points are split
// into iColumns runs of consecutive points, and each run gives its lowest and highest point in the order
// they occur, and its first NaN where the run holds one, so no peak is lost and a gap in the data stays a
// gap. The points just outside the range are kept so that the lines run on to the plot's edges. The cost
// follows the number of points in the range, the result's size the number of columns.
std::vector<TEnvelopePoint> ChartEnvelope(std::span<const double> aValues, int iFirst, int iLast,
                                          int iColumns);
