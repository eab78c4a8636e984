#include "review/ChartEnvelope.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

const double kGap = std::numeric_limits<double>::quiet_NaN();

// Checks what a chart needs of an envelope of aValues[iFirst..iLast] over iColumns columns: keys are row
// indices in rising order with the rows' own values; each column's lowest and highest value is drawn; a
// column of NaNs only is drawn as a gap; no line joins two points across a NaN of the data; at most three
// points a column and the two neighbours outside the range.
void ExpectEnvelopeKeepsEveryColumn(const std::vector<double>& aValues, int iFirst, int iLast, int iColumns) {
    const std::vector<TEnvelopePoint> a = ChartEnvelope(aValues, iFirst, iLast, iColumns);
    ASSERT_FALSE(a.empty());
    ASSERT_LE(a.size(), size_t(iColumns) * 3 + 2);
    for (size_t i = 0; i < a.size(); ++i) {
        const int iKey = int(a[i].fKey);
        ASSERT_EQ(double(iKey), a[i].fKey);
        ASSERT_GE(iKey, 0);
        ASSERT_LT(iKey, int(aValues.size()));
        const double fRow = aValues[size_t(iKey)];
        EXPECT_TRUE(std::isnan(fRow) ? std::isnan(a[i].fValue) : a[i].fValue == fRow) << "key " << iKey;
        if (i > 0) {
            ASSERT_LT(a[i - 1].fKey, a[i].fKey);
            if (!std::isnan(a[i - 1].fValue) && !std::isnan(a[i].fValue)) {
                for (int k = int(a[i - 1].fKey) + 1; k < iKey; ++k) {
                    EXPECT_FALSE(std::isnan(aValues[size_t(k)])) << "a line across the gap at row " << k;
                }
            }
        }
    }
    if (iFirst > 0) {
        EXPECT_EQ(a.front().fKey, iFirst - 1);
    }
    if (iLast + 1 < int(aValues.size())) {
        EXPECT_EQ(a.back().fKey, iLast + 1);
    }

    const long long nPoints = iLast - iFirst + 1;
    for (long long iColumn = 0; iColumn < iColumns; ++iColumn) {
        const int iBegin = iFirst + int(iColumn * nPoints / iColumns);
        const int iEnd = iFirst + int((iColumn + 1) * nPoints / iColumns);
        double fLow = std::numeric_limits<double>::infinity();
        double fHigh = -fLow;
        for (int i = iBegin; i < iEnd; ++i)
            if (!std::isnan(aValues[size_t(i)])) {
                fLow = std::min(fLow, aValues[size_t(i)]);
                fHigh = std::max(fHigh, aValues[size_t(i)]);
            }
        bool bLow = false, bHigh = false, bGap = false;
        for (const TEnvelopePoint& p : a)
            if (p.fKey >= iBegin && p.fKey < iEnd) {
                bLow = bLow || p.fValue == fLow;
                bHigh = bHigh || p.fValue == fHigh;
                bGap = bGap || std::isnan(p.fValue);
            }
        if (std::isinf(fLow)) {
            EXPECT_TRUE(bGap) << "column " << iColumn << " of NaNs only";
        } else {
            EXPECT_TRUE(bLow) << "lowest point of column " << iColumn << " lost";
            EXPECT_TRUE(bHigh) << "highest point of column " << iColumn << " lost";
        }
    }
}

std::vector<double> Wave(int n) {
    std::vector<double> a(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        a[size_t(i)] = -23.0 + 5.0 * std::sin(i * 0.37) + (i % 11) * 0.1;
    return a;
}

TEST(ChartEnvelope, NoColumnLosesItsExtremes) {
    struct TCase {
        std::string sName;
        std::vector<double> aValues;
        int iFirst, iLast, iColumns;
    };
    std::vector<TCase> aCases;
    aCases.push_back({"a day in 1,450 columns", Wave(86400), 0, 86399, 1450});
    aCases.push_back({"points not a multiple of the columns", Wave(1001), 0, 1000, 7});
    aCases.push_back({"one point more than columns", Wave(11), 0, 10, 10});
    aCases.push_back({"a visible part of the session", Wave(5000), 1234, 3456, 100});
    {
        // Peaks and dips on the first and the last point of columns of ten points each.
        std::vector<double> a(100, -23.0);
        for (int i : {0, 19, 40, 99})
            a[size_t(i)] = 0.0;
        for (int i : {9, 10, 59, 60})
            a[size_t(i)] = -70.0;
        aCases.push_back({"spikes at column edges", a, 0, 99, 10});
    }
    {
        std::vector<double> a = Wave(1000);
        for (int i = 200; i < 300; ++i)
            a[size_t(i)] = kGap;
        a[555] = kGap;
        a[999] = kGap;
        aCases.push_back({"NaN gaps, one across whole columns, one inside a column", a, 0, 999, 50});
    }
    aCases.push_back({"NaNs only", std::vector<double>(500, kGap), 0, 499, 20});
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        ExpectEnvelopeKeepsEveryColumn(c.aValues, c.iFirst, c.iLast, c.iColumns);
    }
}

TEST(ChartEnvelope, FewPointsAreDrawnAsTheyAre) {
    const std::vector<double> a{-20.0, kGap, -21.5, -19.0};
    const std::vector<TEnvelopePoint> r = ChartEnvelope(a, 0, 3, 4);
    ASSERT_EQ(r.size(), 4u);
    for (size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(r[i].fKey, double(i));
        EXPECT_TRUE(std::isnan(a[i]) ? std::isnan(r[i].fValue) : r[i].fValue == a[i]) << i;
    }
}

TEST(ChartEnvelope, ConstantLevelsGiveOnePointAColumn) {
    const std::vector<TEnvelopePoint> r = ChartEnvelope(std::vector<double>(10000, -23.0), 0, 9999, 100);
    ASSERT_EQ(r.size(), 100u);
    for (const TEnvelopePoint& p : r)
        EXPECT_EQ(p.fValue, -23.0);
    EXPECT_EQ(r.front().fKey, 0.0);
}

TEST(ChartEnvelope, ARangeOutsideTheDataDrawsNothing) {
    const std::vector<double> a = Wave(100);
    EXPECT_TRUE(ChartEnvelope({}, 0, 10, 5).empty());
    EXPECT_TRUE(ChartEnvelope(a, 50, 40, 5).empty());
    EXPECT_TRUE(ChartEnvelope(a, 100, 200, 5).empty());
    // A range reaching past the data is cut to it.
    const std::vector<TEnvelopePoint> r = ChartEnvelope(a, -10, 1000, 1000);
    ASSERT_EQ(r.size(), 100u);
    EXPECT_EQ(r.back().fKey, 99.0);
}

// A session's gaps: no line may join a row before a gap with a row after it, whether the points are drawn
// as they are or as an envelope, and wherever the gap lies against the range and the columns.
TEST(ChartEnvelope, NoLineCrossesAGap) {
    struct TCase {
        const char* sName;
        int iRows, iFirst, iLast, iColumns;
        std::vector<int> aBreaks;
    } const aCases[] = {
        {"points", 20, 0, 19, 100, {5, 6, 12}},
        {"points, a gap at the range's first row", 20, 8, 15, 100, {8}},
        {"points, a gap after the range's last row", 20, 8, 15, 100, {16}},
        {"envelope", 10000, 0, 9999, 100, {5003, 7000}},
        {"envelope, gaps at a column's first row and in its middle", 10000, 0, 9999, 100, {100, 150, 151}},
        {"envelope, a gap at the range's first row", 10000, 2000, 8999, 100, {2000}},
        {"envelope, a gap after the range's last row", 10000, 2000, 8999, 100, {9000}},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        // Rising levels: every column's lowest and highest point lie at its ends, far from a gap inside it.
        std::vector<double> aValues(size_t(c.iRows));
        for (int i = 0; i < c.iRows; ++i)
            aValues[size_t(i)] = double(i % 97);
        const std::vector<TEnvelopePoint> a =
            ChartEnvelope(aValues, c.iFirst, c.iLast, c.iColumns, c.aBreaks);
        ASSERT_FALSE(a.empty());
        for (size_t i = 1; i < a.size(); ++i) {
            ASSERT_LT(a[i - 1].fKey, a[i].fKey);
            if (std::isnan(a[i - 1].fValue) || std::isnan(a[i].fValue))
                continue;
            for (const int iBreak : c.aBreaks) {
                EXPECT_FALSE(a[i - 1].fKey < iBreak && a[i].fKey >= iBreak)
                    << "a line from row " << a[i - 1].fKey << " to " << a[i].fKey << " across the gap before "
                    << iBreak;
            }
        }
        // The break points lie half way between rows; every other point is a row with its own level.
        for (const TEnvelopePoint& p : a) {
            if (p.fKey == std::floor(p.fKey)) {
                EXPECT_EQ(p.fValue, aValues[size_t(p.fKey)]);
            } else {
                EXPECT_TRUE(std::isnan(p.fValue)) << p.fKey;
            }
        }
    }
    // Without gaps the points are those of before.
    std::vector<double> aValues(300);
    for (size_t i = 0; i < aValues.size(); ++i)
        aValues[i] = double(i % 7);
    EXPECT_EQ(ChartEnvelope(aValues, 10, 250, 50, {}), ChartEnvelope(aValues, 10, 250, 50));
}

} // namespace
