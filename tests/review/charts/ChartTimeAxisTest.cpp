#include "review/ChartTimeAxis.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

// A chart of a day's rows (keys 0 to 86,399) after a sequence of zoom and pan steps.
struct TAxisCase {
    std::string sName;
    int iPoints;
    std::function<void(TChartTimeAxis&)> fnSteps;
    double fLower;
    double fUpper;
};

class ChartTimeAxisTest : public ::testing::TestWithParam<TAxisCase> {};

TEST_P(ChartTimeAxisTest, StaysWithinTheSessionAndNoNarrowerThanTheMinimum) {
    const TAxisCase& c = GetParam();
    TChartTimeAxis Axis;
    Axis.SetPointCount(c.iPoints);
    c.fnSteps(Axis);
    EXPECT_DOUBLE_EQ(Axis.Lower(), c.fLower);
    EXPECT_DOUBLE_EQ(Axis.Upper(), c.fUpper);
}

constexpr int kDay = 86400;

INSTANTIATE_TEST_SUITE_P(
    Steps, ChartTimeAxisTest,
    ::testing::Values(
        TAxisCase{"NewChartShowsTheWholeSession", kDay, [](TChartTimeAxis&) {}, 0, kDay - 1},
        TAxisCase{"ZoomInKeepsThePointerKey", 1001, [](TChartTimeAxis& a) { a.ZoomAround(250, 0.5); }, 125,
                  625},
        TAxisCase{"ZoomOutStopsAtTheWholeSession", 1001,
                  [](TChartTimeAxis& a) {
                      a.ZoomAround(250, 0.5);
                      a.ZoomAround(900, 8);
                  },
                  0, 1000},
        TAxisCase{"ZoomInStopsAtTheMinimumSpanAroundThePointer", 1001,
                  [](TChartTimeAxis& a) {
                      for (int i = 0; i < 40; ++i)
                          a.ZoomAround(500, 0.5);
                  },
                  495, 505},
        TAxisCase{"PanStopsAtTheLastRow", 1001,
                  [](TChartTimeAxis& a) {
                      a.ZoomTo(100, 200);
                      a.PanBy(5000);
                  },
                  900, 1000},
        TAxisCase{"PanStopsAtTheFirstRow", 1001,
                  [](TChartTimeAxis& a) {
                      a.ZoomTo(100, 200);
                      a.PanBy(-150);
                  },
                  0, 100},
        TAxisCase{"ZoomToTakesEitherOrder", kDay, [](TChartTimeAxis& a) { a.ZoomTo(3600, 1800); }, 1800,
                  3600},
        TAxisCase{"ZoomToNarrowerThanTheMinimumGrowsAroundItsMiddle", kDay,
                  [](TChartTimeAxis& a) { a.ZoomTo(100, 102); }, 96, 106},
        TAxisCase{"ZoomToPastTheEndIsClipped", 1001, [](TChartTimeAxis& a) { a.ZoomTo(-50, 5000); }, 0, 1000},
        TAxisCase{"ShortSessionCannotBeZoomedIn", 5, [](TChartTimeAxis& a) { a.ZoomAround(2, 0.1); }, 0, 4},
        TAxisCase{"SingleRowHasASpan", 1, [](TChartTimeAxis& a) { a.ZoomAround(0, 0.5); }, 0, 1},
        TAxisCase{"ZoomAroundAKeyOutsideUsesTheNearestEdge", 1001,
                  [](TChartTimeAxis& a) { a.ZoomAround(-400, 0.5); }, 0, 500},
        TAxisCase{"NotANumberChangesNothing", 1001,
                  [](TChartTimeAxis& a) {
                      a.ZoomTo(100, 200);
                      a.ZoomAround(std::nan(""), 0.5);
                      a.PanBy(std::nan(""));
                      a.ZoomTo(std::nan(""), 3);
                  },
                  100, 200},
        TAxisCase{"HomeShowsTheWholeSessionAgain", kDay,
                  [](TChartTimeAxis& a) {
                      a.ZoomTo(10, 20);
                      a.ShowWhole();
                  },
                  0, kDay - 1},
        TAxisCase{"ZoomedChartStaysZoomedWhenRowsAreAdded", 1001,
                  [](TChartTimeAxis& a) {
                      a.ZoomTo(100, 200);
                      a.SetPointCount(2001);
                  },
                  100, 200},
        TAxisCase{"WholeChartStaysWholeWhenRowsAreAdded", 1001,
                  [](TChartTimeAxis& a) { a.SetPointCount(2001); }, 0, 2000},
        TAxisCase{"RangeBeyondFewerRowsShowsTheWholeSession", 1001,
                  [](TChartTimeAxis& a) {
                      a.ZoomTo(800, 900);
                      a.SetPointCount(500);
                  },
                  0, 499}),
    [](const ::testing::TestParamInfo<TAxisCase>& info) { return info.param.sName; });

TEST(ChartTimeAxisRows, VisibleRowsAreTheWholeKeysInsideTheRange) {
    TChartTimeAxis Axis;
    Axis.SetPointCount(1000);
    Axis.ZoomTo(10.5, 30.25);
    EXPECT_EQ(Axis.FirstVisibleRow(), 11);
    EXPECT_EQ(Axis.LastVisibleRow(), 30);
    EXPECT_FALSE(Axis.IsWhole());
    Axis.ShowWhole();
    EXPECT_TRUE(Axis.IsWhole());
    EXPECT_EQ(Axis.FirstVisibleRow(), 0);
    EXPECT_EQ(Axis.LastVisibleRow(), 999);
}

TEST(ChartTimeAxisRows, EmptySessionHasNoRowPastItsEnd) {
    TChartTimeAxis Axis;
    Axis.SetPointCount(0);
    EXPECT_EQ(Axis.FirstVisibleRow(), 0);
    EXPECT_EQ(Axis.LastVisibleRow(), 0);
    EXPECT_TRUE(Axis.IsWhole());
}

} // namespace
