#pragma once

#include <cstddef>
#include <span>
#include <vector>

// The levels a series draws, one for each row, read where they already are: a run of doubles (contiguous,
// or one member of each of the rows' records, iStride bytes apart), or one level for every row (a cursor).
// Holds no copy: the rows it reads outlive it.
class TSeriesLevels {
public:
    TSeriesLevels() = default;
    TSeriesLevels(std::span<const double> a)
        : pFirst(a.data()), iStride(sizeof(double)), iCount(int(a.size())) {}
    TSeriesLevels(const std::vector<double>& a) : TSeriesLevels(std::span<const double>(a)) {}
    static TSeriesLevels Member(const double* pFirst, std::size_t iStride, int iCount) {
        TSeriesLevels r;
        r.pFirst = pFirst;
        r.iStride = iStride;
        r.iCount = iCount;
        return r;
    }
    static TSeriesLevels Level(double fLevel, int iCount) {
        TSeriesLevels r;
        r.fLevel = fLevel;
        r.iCount = iCount;
        return r;
    }

    int size() const { return iCount; }
    bool empty() const { return iCount == 0; }
    double operator[](int i) const {
        return pFirst ? *reinterpret_cast<const double*>(reinterpret_cast<const std::byte*>(pFirst) +
                                                         std::size_t(i) * iStride)
                      : fLevel;
    }

private:
    const double* pFirst = nullptr;
    std::size_t iStride = 0;
    int iCount = 0;
    double fLevel = 0.0;
};

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
// aBreaks (ascending) are the rows a session's gap lies before: a NaN point half a key before such a row
// ends the line there, whether the points are drawn as they are or as an envelope, so no line joins the
// rows on either side of a gap.
std::vector<TEnvelopePoint> ChartEnvelope(const TSeriesLevels& aValues, int iFirst, int iLast, int iColumns,
                                          std::span<const int> aBreaks = {});
