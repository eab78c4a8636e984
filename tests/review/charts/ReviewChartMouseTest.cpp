#include "core/TextTable.h"
#include "review/ReviewChart.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

constexpr int kScaleLUFS = 1;
// The rows of the charts, and a session that starts 100 rows before midnight.
constexpr int kRows = 2000;
constexpr int kFirstSecond = 23 * 3600 + 58 * 60 + 20;

QString TimecodeOf(int iRow) {
    const int iSecond = (kFirstSecond + iRow) % 86400;
    return QString::asprintf("%02d:%02d:%02d:00", iSecond / 3600, iSecond / 60 % 60, iSecond % 60);
}

// Levels with one decimal the readout shows exactly; loudness and peak far apart, so that a level read on
// the wrong axis is far from the right one.
double PeakOf(int iRow) {
    return -10.0 - (iRow % 10) * 0.5;
}
double IntegratingOf(int iRow) {
    return -30.0 + (iRow % 7) * 0.3;
}
double ShortTermOf(int iRow) {
    return -25.0 + (iRow % 5) * 0.2;
}

// A review chart of a session across midnight, laid out at 1000 x 600 pixels, driven by the events the
// window system would send.
class ChartMouseTest : public ::testing::Test {
protected:
    // A row whose integrated loudness is not a number.
    static constexpr int kNoIntegratingRow = 1234;

    void MakeChart(int iRows = kRows) {
        Chart = std::make_unique<TReviewChart>(
            TReviewChartSetup{kScaleLUFS, QStringLiteral("LUFS"), {}, std::nullopt}, rOptions, iLNG);
        TLevelData Rows;
        Rows.Reserve(iRows);
        for (int i = 0; i < iRows; ++i) {
            TLevelRow r{};
            r.fInstantaneousPeak = PeakOf(i);
            r.fLoudnessInt = i == kNoIntegratingRow ? std::nan("") : IntegratingOf(i);
            r.fLoudnessHi = ShortTermOf(i);
            r.fLoudnessLo = -40.0;
            r.iPeakChannel = 1;
            Rows.Append(r, TimecodeOf(i));
        }
        Chart->SetRows(std::move(Rows));
        Chart->resize(1000, 600);
        Chart->show();
        Layout();
    }

    void Layout() { Chart->replot(QCustomPlot::rpImmediateRefresh); }

    // The pixel of key fKey at level fLevel of Axis (the left axis unless given).
    QPointF At(double fKey, double fLevel, QCPAxis* Axis = nullptr) const {
        return {Chart->xAxis->coordToPixel(fKey), (Axis ? Axis : Chart->yAxis)->coordToPixel(fLevel)};
    }
    // A point of the plot away from every curve and cursor, at key fKey.
    QPointF Empty(double fKey) const {
        return {Chart->xAxis->coordToPixel(fKey), double(Chart->axisRect()->top() + 3)};
    }

    void Mouse(QEvent::Type eType, const QPointF& Pos, Qt::MouseButton eButton, Qt::MouseButtons eButtons,
               Qt::KeyboardModifiers eModifiers = {}) {
        QMouseEvent Event(eType, Pos, Chart->mapToGlobal(Pos), eButton, eButtons, eModifiers);
        QCoreApplication::sendEvent(Chart.get(), &Event);
    }
    void Drag(const QPointF& From, const QPointF& To, Qt::KeyboardModifiers eModifiers = {}) {
        Mouse(QEvent::MouseButtonPress, From, Qt::LeftButton, Qt::LeftButton, eModifiers);
        Mouse(QEvent::MouseMove, (From + To) / 2, Qt::NoButton, Qt::LeftButton, eModifiers);
        Mouse(QEvent::MouseMove, To, Qt::NoButton, Qt::LeftButton, eModifiers);
        Mouse(QEvent::MouseButtonRelease, To, Qt::LeftButton, Qt::NoButton, eModifiers);
    }
    void Hover(const QPointF& Pos) { Mouse(QEvent::MouseMove, Pos, Qt::NoButton, Qt::NoButton); }
    void DoubleClick(const QPointF& Pos) {
        Mouse(QEvent::MouseButtonPress, Pos, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, Pos, Qt::LeftButton, Qt::NoButton);
        Mouse(QEvent::MouseButtonDblClick, Pos, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, Pos, Qt::LeftButton, Qt::NoButton);
    }
    void Wheel(const QPointF& Pos, int iDelta, Qt::KeyboardModifiers eModifiers = {}) {
        QWheelEvent Event(Pos, Chart->mapToGlobal(Pos), QPoint(), QPoint(0, iDelta), Qt::NoButton, eModifiers,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(Chart.get(), &Event);
    }
    void Key(int iKey) {
        QKeyEvent Event(QEvent::KeyPress, iKey, Qt::NoModifier);
        QCoreApplication::sendEvent(Chart.get(), &Event);
    }

    double Lower() const { return Chart->TimeAxis().Lower(); }
    double Upper() const { return Chart->TimeAxis().Upper(); }
    double Span() const { return Upper() - Lower(); }

    TChartOptions rOptions;
    int iLNG = kLanguageEnglish;
    std::unique_ptr<TReviewChart> Chart;
};

// Wheel steps at the pointer over key 500 of a chart zoomed to [iFrom, iTo] first.
struct TWheelCase {
    std::string sName;
    int iFrom;
    int iTo;
    int iDelta;
    int iTimes;
    // The span after the steps.
    double fSpan;
};

class ChartWheelTest : public ChartMouseTest, public ::testing::WithParamInterface<TWheelCase> {};

TEST_P(ChartWheelTest, ZoomsAroundTheKeyUnderThePointerWithinTheLimits) {
    const TWheelCase& c = GetParam();
    MakeChart();
    Chart->ZoomTo(c.iFrom, c.iTo);
    Layout();
    const QPointF Pointer = Empty(500);
    for (int i = 0; i < c.iTimes; ++i)
        Wheel(Pointer, c.iDelta);
    EXPECT_NEAR(Span(), c.fSpan, 1e-6);
    EXPECT_GE(Lower(), 0.0);
    EXPECT_LE(Upper(), kRows - 1.0);
    if (Lower() > 0.0 && Upper() < kRows - 1.0 && c.fSpan > TChartTimeAxis::kMinSpan) {
        EXPECT_NEAR(Chart->xAxis->pixelToCoord(Pointer.x()), 500.0, 1e-6);
    }
    // The plot draws the rows it shows.
    EXPECT_DOUBLE_EQ(Chart->xAxis->range().lower, Lower());
    EXPECT_DOUBLE_EQ(Chart->xAxis->range().upper, Upper());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ChartWheelTest,
    ::testing::Values(
        TWheelCase{"OneNotchIn", 0, kRows - 1, 120, 1, (kRows - 1) * 0.8},
        TWheelCase{"ThreeNotchesIn", 0, kRows - 1, 120, 3, (kRows - 1) * 0.8 * 0.8 * 0.8},
        TWheelCase{"TouchpadQuarterNotch", 0, kRows - 1, 30, 1, (kRows - 1) * std::pow(0.8, 0.25)},
        TWheelCase{"OneNotchOut", 300, 700, -120, 1, 400 * 1.25},
        TWheelCase{"OutStopsAtTheWholeSession", 300, 700, -120, 20, kRows - 1},
        TWheelCase{"InStopsAtTheNarrowestSpan", 0, kRows - 1, 120, 60, TChartTimeAxis::kMinSpan}),
    [](const ::testing::TestParamInfo<TWheelCase>& info) { return info.param.sName; });

TEST_F(ChartMouseTest, ABurstOfWheelEventsCostsOneRepaint) {
    MakeChart();
    QCoreApplication::processEvents();
    int iReplots = 0;
    QObject::connect(Chart.get(), &QCustomPlot::afterReplot, [&] { ++iReplots; });
    for (int i = 0; i < 5; ++i)
        Wheel(Empty(500), 120);
    EXPECT_EQ(iReplots, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(iReplots, 1);
    // The envelope was made for the rows now shown, and the row beyond each end.
    const auto Data = Chart->graph(TReviewChart::kSeriesPeak)->data();
    ASSERT_GT(Data->size(), 0);
    EXPECT_EQ(Data->constBegin()->key, std::floor(Lower()) - 1);
    EXPECT_EQ((Data->constEnd() - 1)->key, std::ceil(Upper()) + 1);
}

// The level axes: Ctrl+wheel over an axis zooms that axis, over the plot both, around the level under the
// pointer; the time axis stays. Home puts them back as the options set them.
TEST_F(ChartMouseTest, CtrlWheelZoomsTheLevelAxisUnderThePointerAndHomePutsItBack) {
    struct TCase {
        const char* sName;
        bool bFixedLeft;
        // Where the pointer is: -1 left of the plot, 0 on it, 1 right of it.
        int iWhere;
        bool bLeftZooms;
        bool bRightZooms;
    } aCases[] = {{"over the plot", false, 0, true, true},
                  {"over the left axis", false, -1, true, false},
                  {"over the right axis", false, 1, false, true},
                  {"fixed left axis", true, -1, true, false}};
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        rOptions.bLeftAxisAutoScale = !c.bFixedLeft;
        rOptions.fLeftAxisMin = -50;
        rOptions.fLeftAxisMax = -10;
        MakeChart();
        // The automatic axes as fitted to the laid-out plot.
        Chart->RefreshNow();
        Layout();
        const QCPRange Left = Chart->yAxis->range();
        const QCPRange Right = Chart->yAxis2->range();
        const QRect Plot = Chart->axisRect()->rect();
        const double fY = Plot.center().y();
        const double fX =
            c.iWhere < 0 ? Plot.left() - 10 : (c.iWhere > 0 ? Plot.right() + 10 : Plot.center().x());
        const double fLeftLevel = Chart->yAxis->pixelToCoord(fY);
        const double fRightLevel = Chart->yAxis2->pixelToCoord(fY);
        Wheel(QPointF(fX, fY), 120, Qt::ControlModifier);
        Wheel(QPointF(fX, fY), 120, Qt::ControlModifier);
        EXPECT_TRUE(Chart->TimeAxis().IsWhole());
        EXPECT_NEAR(Chart->yAxis->range().size(), c.bLeftZooms ? Left.size() * 0.64 : Left.size(), 1e-9);
        EXPECT_NEAR(Chart->yAxis2->range().size(), c.bRightZooms ? Right.size() * 0.64 : Right.size(), 1e-9);
        EXPECT_NEAR(Chart->yAxis->pixelToCoord(fY), fLeftLevel, 1e-9);
        EXPECT_NEAR(Chart->yAxis2->pixelToCoord(fY), fRightLevel, 1e-9);
        // Zooming the time axis keeps the level zoom.
        Chart->ZoomTo(100, 900);
        EXPECT_NEAR(Chart->yAxis->range().size(), c.bLeftZooms ? Left.size() * 0.64 : Left.size(), 1e-9);
        Key(Qt::Key_Home);
        EXPECT_TRUE(Chart->TimeAxis().IsWhole());
        EXPECT_DOUBLE_EQ(Chart->yAxis->range().lower, Left.lower);
        EXPECT_DOUBLE_EQ(Chart->yAxis->range().upper, Left.upper);
        EXPECT_DOUBLE_EQ(Chart->yAxis2->range().lower, Right.lower);
        EXPECT_DOUBLE_EQ(Chart->yAxis2->range().upper, Right.upper);
    }
}

// A left-button drag pans the zoomed chart with the pointer, no further than the first or last row.
TEST_F(ChartMouseTest, DraggingPansWithinTheSession) {
    struct TCase {
        const char* sName;
        double fDragPx;
        double fLower;
    } aCases[] = {{"right shows earlier rows", 100, -1},
                  {"left shows later rows", -100, -1},
                  {"far right stops at the first row", 5000, 0},
                  {"far left stops at the last row", -5000, 1799}};
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        MakeChart();
        Chart->ZoomTo(1000, 1200);
        Layout();
        const double fKeysPerPixel = 200.0 / Chart->axisRect()->width();
        const QPointF From = Empty(1100);
        Drag(From, From + QPointF(c.fDragPx, 40));
        const double fExpected = c.fLower >= 0 ? c.fLower : 1000 - c.fDragPx * fKeysPerPixel;
        EXPECT_NEAR(Lower(), fExpected, 1e-6);
        EXPECT_NEAR(Span(), 200, 1e-6);
    }
}

TEST_F(ChartMouseTest, ShiftDragZoomsToTheKeysDraggedOver) {
    struct TCase {
        const char* sName;
        double fFrom;
        double fTo;
        // A drag of this many pixels instead of to fTo.
        double fPixels;
        double fLower;
        double fUpper;
    } aCases[] = {{"left to right", 300, 700, 0, 300, 700},
                  {"right to left", 1500, 1200, 0, 1200, 1500},
                  {"a tiny drag zooms nothing", 500, 0, 2, 0, kRows - 1},
                  {"beyond the plot stops at its edge", 1000, 0, 5000, 1000, kRows - 1}};
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        MakeChart();
        const QPointF From = Empty(c.fFrom);
        const QPointF To = c.fPixels != 0 ? From + QPointF(c.fPixels, 0) : Empty(c.fTo);
        Drag(From, To, Qt::ShiftModifier);
        EXPECT_NEAR(Lower(), c.fLower, 1e-6);
        EXPECT_NEAR(Upper(), c.fUpper, 1e-6);
    }
}

TEST_F(ChartMouseTest, KeysPanByATenthAndZoomAroundTheMiddle) {
    struct TCase {
        const char* sName;
        int iKey;
        double fLower;
        double fUpper;
    } aCases[] = {{"Right", Qt::Key_Right, 1020, 1220},
                  {"Left", Qt::Key_Left, 980, 1180},
                  {"Plus", Qt::Key_Plus, 1020, 1180},
                  {"Minus", Qt::Key_Minus, 975, 1225},
                  {"Home", Qt::Key_Home, 0, kRows - 1}};
    MakeChart();
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        Chart->ZoomTo(1000, 1200);
        Key(c.iKey);
        EXPECT_NEAR(Lower(), c.fLower, 1e-6);
        EXPECT_NEAR(Upper(), c.fUpper, 1e-6);
    }
}

// A double-click off the points shows the whole session, as Home does; on a point it reports the point's
// row and leaves the chart as it is.
TEST_F(ChartMouseTest, DoubleClickOnAPointReportsItsRowElsewhereShowsTheWholeSession) {
    MakeChart();
    std::vector<int> aClicked;
    QObject::connect(Chart.get(), &TReviewChart::PointDoubleClicked,
                     [&](int iRow) { aClicked.push_back(iRow); });
    struct TCase {
        const char* sName;
        int iRow;
        int iSeries;
    } aCases[] = {{"peak", 1103, TReviewChart::kSeriesPeak},
                  {"integrating", 1107, TReviewChart::kSeriesIntegrating},
                  {"short-term", 1111, TReviewChart::kSeriesSTMax}};
    const auto Level = [](int iSeries, int iRow) {
        return iSeries == TReviewChart::kSeriesPeak
                   ? PeakOf(iRow)
                   : (iSeries == TReviewChart::kSeriesIntegrating ? IntegratingOf(iRow) : ShortTermOf(iRow));
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        aClicked.clear();
        Chart->ZoomTo(1100, 1120);
        Layout();
        QCPAxis* Axis = Chart->graph(c.iSeries)->valueAxis();
        DoubleClick(At(c.iRow, Level(c.iSeries, c.iRow), Axis) + QPointF(0, 3));
        EXPECT_EQ(aClicked, std::vector<int>{c.iRow});
        EXPECT_NEAR(Lower(), 1100, 1e-6);
    }
    // Off every curve.
    aClicked.clear();
    Chart->ZoomTo(1100, 1120);
    DoubleClick(Empty(1110));
    EXPECT_TRUE(aClicked.empty());
    EXPECT_TRUE(Chart->TimeAxis().IsWhole());
    // A hidden series has no points to hit.
    Chart->ClickLegend(TReviewChart::kSeriesPeak);
    Chart->ZoomTo(1100, 1120);
    Layout();
    DoubleClick(At(1103, PeakOf(1103), Chart->yAxis2));
    EXPECT_TRUE(aClicked.empty());
}

// Where one pixel column holds many rows, any extreme the envelope draws there can be double-clicked.
TEST_F(ChartMouseTest, DoubleClickOnAnEnvelopesPeakReportsThePeaksRow) {
    constexpr int kPeakRow = 31337;
    rOptions.bIntEnabled = rOptions.bSTMaxEnabled = false;
    Chart = std::make_unique<TReviewChart>(
        TReviewChartSetup{kScaleLUFS, QStringLiteral("LUFS"), {}, std::nullopt}, rOptions, iLNG);
    TLevelData Rows;
    for (int i = 0; i < 50000; ++i) {
        TLevelRow r{};
        r.fInstantaneousPeak = i == kPeakRow ? 0.0 : -20.0 + std::sin(i * 0.01);
        r.fLoudnessInt = r.fLoudnessHi = r.fLoudnessLo = -30.0;
        Rows.Append(r, TimecodeOf(i));
    }
    Chart->SetRows(std::move(Rows));
    Chart->resize(1000, 600);
    Chart->show();
    Layout();
    std::vector<int> aClicked;
    QObject::connect(Chart.get(), &TReviewChart::PointDoubleClicked,
                     [&](int iRow) { aClicked.push_back(iRow); });
    QCPAxis* Axis = Chart->graph(TReviewChart::kSeriesPeak)->valueAxis();
    // The spike is one pixel wide: a double-click beside it within reach still finds it; further away it
    // finds no point (the other rows lie 20 dB lower) and shows the whole session instead.
    const struct {
        const char* sName;
        double fRightPx;
        std::vector<int> aExpected;
    } aCases[] = {{"less than a pixel right: another row of its column is nearest", 0.4, {kPeakRow}},
                  {"three pixels left", -3.0, {kPeakRow}},
                  {"three pixels right", 3.0, {kPeakRow}},
                  {"out of reach", 9.0, {}}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.sName);
        aClicked.clear();
        DoubleClick(At(kPeakRow, -0.2, Axis) + QPointF(c.fRightPx, 0));
        EXPECT_EQ(aClicked, c.aExpected);
    }
}

// Cursors are dragged along the axis of their unit; the level they are dropped at, to a tenth, is the one
// under the pointer on that axis, and the chart options keep it for later charts.
TEST_F(ChartMouseTest, DraggedCursorLandsOnItsOwnAxisAndIsKeptInTheOptions) {
    struct TCase {
        const char* sName;
        bool bCursor1;
        // The dragged cursor: its number in the options, whether it is a peak level, its level and where
        // it is dropped on its axis.
        int iDragged;
        bool bPeak;
        double fFrom;
        double fTo;
    } aCases[] = {{"peak cursor 1", true, 1, true, -1.0, -6.3},
                  {"loudness cursor 1", true, 1, false, -23.0, -27.45},
                  {"cursor 2 alone, on the peak axis", false, 2, true, -14.0, -11.26},
                  {"cursor 2 beside cursor 1", true, 2, true, -8.0, -3.0},
                  {"dropped above the plot stays at the axis' top", true, 1, true, -1.0, 1000.0}};
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        rOptions = TChartOptions{};
        rOptions.bCursor1Enable = rOptions.bCursor1Visible = c.bCursor1;
        rOptions.bCursor2Enable = rOptions.bCursor2Visible = c.iDragged == 2;
        rOptions.fCursor1 = c.iDragged == 1 ? c.fFrom : -40.0;
        rOptions.fCursor2 = c.iDragged == 2 ? c.fFrom : -40.0;
        rOptions.bCursor1PeakAxis = c.iDragged == 1 && c.bPeak;
        rOptions.bCursor2PeakAxis = c.iDragged == 2 && c.bPeak;
        MakeChart();
        const int iCursor = c.iDragged == 2 && c.bCursor1 ? 1 : 0;
        QCPAxis* Axis = c.bPeak ? Chart->yAxis2 : Chart->yAxis;
        QCPAxis* OtherAxis = c.bPeak ? Chart->yAxis : Chart->yAxis2;
        ASSERT_EQ(Chart->graph(TReviewChart::kFirstCursorSeries + iCursor)->valueAxis(), Axis);
        const QCPRange Range = Axis->range();
        // The pointer takes the line a few pixels off it, and drops it where fTo is (or beyond the plot).
        const QPointF From = At(700, c.fFrom, Axis) + QPointF(0, 3);
        const QPointF To(From.x() + 30,
                         Axis->coordToPixel(std::clamp(c.fTo, Range.lower - 50, Range.upper + 50)));
        const double fUnderPointer = Axis->pixelToCoord(To.y() - 3);
        const double fExpected =
            std::clamp(std::round(fUnderPointer * 10) / 10, std::ceil(Range.lower * 10) / 10,
                       std::floor(Range.upper * 10) / 10);
        Drag(From, To - QPointF(0, 3));
        EXPECT_NEAR(Chart->CursorLevel(iCursor), fExpected, 1e-9);
        // Not the level on the other axis, and not a drag of the time axis.
        EXPECT_GT(std::abs(fExpected - OtherAxis->pixelToCoord(To.y() - 3)), 1.0);
        EXPECT_TRUE(Chart->TimeAxis().IsWhole());
        EXPECT_NEAR(c.iDragged == 1 ? rOptions.fCursor1 : rOptions.fCursor2, fExpected, 1e-9);
        EXPECT_EQ(c.iDragged == 1 ? rOptions.fCursor2 : rOptions.fCursor1, -40.0);
        Layout();
        for (const QCPGraphData& p : *Chart->graph(TReviewChart::kFirstCursorSeries + iCursor)->data())
            ASSERT_EQ(p.value, fExpected);
        // A later chart draws the cursor where it was dropped.
        TReviewChart Later(TReviewChartSetup{kScaleLUFS, QStringLiteral("LUFS"), {}, std::nullopt}, rOptions,
                           iLNG);
        EXPECT_NEAR(Later.CursorLevel(iCursor), fExpected, 1e-9);
    }
}

TEST_F(ChartMouseTest, ADragStartedAwayFromACursorPansAndLeavesTheCursor) {
    rOptions.bCursor1Enable = rOptions.bCursor1Visible = true;
    rOptions.bCursor1PeakAxis = true;
    rOptions.fCursor1 = -12.0;
    MakeChart();
    Chart->ZoomTo(1000, 1200);
    Layout();
    const QPointF OnLine = At(1100, -12.0, Chart->yAxis2);
    // Hovering the line offers to move it up and down; off it, the plain pointer.
    Hover(OnLine + QPointF(0, 2));
    EXPECT_EQ(Chart->cursor().shape(), Qt::SizeVerCursor);
    Hover(OnLine + QPointF(0, 20));
    EXPECT_EQ(Chart->cursor().shape(), Qt::ArrowCursor);
    // A drag from 20 pixels off the line, across it.
    Drag(OnLine + QPointF(0, 20), OnLine + QPointF(-100, -40));
    EXPECT_EQ(Chart->CursorLevel(0), -12.0);
    EXPECT_EQ(rOptions.fCursor1, -12.0);
    EXPECT_GT(Lower(), 1000.0);
    // A hidden cursor cannot be taken.
    Chart->ClickLegend(TReviewChart::kFirstCursorSeries);
    Layout();
    const double fLower = Lower();
    Drag(At(1100, -12.0, Chart->yAxis2), At(1100, -12.0, Chart->yAxis2) + QPointF(50, 50));
    EXPECT_EQ(Chart->CursorLevel(0), -12.0);
    EXPECT_LT(Lower(), fLower);
}

// Escape during a drag puts back what it changed: the rows shown, the cursor's level, no zoom on release.
TEST_F(ChartMouseTest, EscapeTakesBackADragUnderWay) {
    rOptions.bCursor1Enable = rOptions.bCursor1Visible = true;
    rOptions.bCursor1PeakAxis = true;
    rOptions.fCursor1 = -12.0;
    struct TCase {
        const char* sName;
        bool bOnCursor;
        Qt::KeyboardModifiers eModifiers;
    } aCases[] = {{"pan", false, Qt::NoModifier},
                  {"selection", false, Qt::ShiftModifier},
                  {"cursor", true, Qt::NoModifier}};
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        MakeChart();
        Chart->ZoomTo(1000, 1200);
        Layout();
        const QPointF From = c.bOnCursor ? At(1100, -12.0, Chart->yAxis2) : Empty(1100);
        const QPointF To = From + QPointF(-150, 60);
        Mouse(QEvent::MouseButtonPress, From, Qt::LeftButton, Qt::LeftButton, c.eModifiers);
        Mouse(QEvent::MouseMove, To, Qt::NoButton, Qt::LeftButton, c.eModifiers);
        Key(Qt::Key_Escape);
        Mouse(QEvent::MouseMove, To + QPointF(-20, 0), Qt::NoButton, Qt::LeftButton, c.eModifiers);
        Mouse(QEvent::MouseButtonRelease, To, Qt::LeftButton, Qt::NoButton, c.eModifiers);
        EXPECT_NEAR(Lower(), 1000, 1e-6);
        EXPECT_NEAR(Upper(), 1200, 1e-6);
        EXPECT_EQ(Chart->CursorLevel(0), -12.0);
        EXPECT_EQ(rOptions.fCursor1, -12.0);
    }
}

// The plot's mouse handling leaves the legend below it alone: a click on an entry still switches its series.
TEST_F(ChartMouseTest, AClickOnTheLegendStillSwitchesItsSeries) {
    MakeChart();
    QCPGraph* Integrating = Chart->graph(TReviewChart::kSeriesIntegrating);
    const QPointF Entry = Chart->legend->itemWithPlottable(Integrating)->outerRect().center();
    ASSERT_FALSE(Chart->axisRect()->rect().contains(Entry.toPoint()));
    ASSERT_TRUE(Integrating->visible());
    Mouse(QEvent::MouseButtonPress, Entry, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, Entry, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(Integrating->visible());
    EXPECT_FALSE(rOptions.bIntEnabled);
    EXPECT_TRUE(Chart->TimeAxis().IsWhole());
}

// The readout names the row under the pointer by its own timecode (also past midnight) and the level of
// each shown series there with its unit.
TEST_F(ChartMouseTest, ReadoutNamesTheRowUnderThePointerAndItsLevels) {
    rOptions.bCursor1Enable = rOptions.bCursor1Visible = true;
    rOptions.bCursor1PeakAxis = true;
    rOptions.fCursor1 = -1.0;
    MakeChart(400);
    struct TCase {
        int iRow;
        const char* sText;
    } aCases[] = {
        {0, "Timecode 23:58:20:00\nPeak Level ( dBFS ).  -10.0 dBFS\nIntegrating ( LUFS ).  -30.0 LUFS\n"
            "Shortterm ( LUFS ).  -25.0 LUFS\nCursor 1.  -1.0 dBFS"},
        {99, "Timecode 23:59:59:00\nPeak Level ( dBFS ).  -14.5 dBFS\nIntegrating ( LUFS ).  -29.7 LUFS\n"
             "Shortterm ( LUFS ).  -24.2 LUFS\nCursor 1.  -1.0 dBFS"},
        {100, "Timecode 00:00:00:00\nPeak Level ( dBFS ).  -10.0 dBFS\nIntegrating ( LUFS ).  -29.4 LUFS\n"
              "Shortterm ( LUFS ).  -25.0 LUFS\nCursor 1.  -1.0 dBFS"},
        {399, "Timecode 00:04:59:00\nPeak Level ( dBFS ).  -14.5 dBFS\nIntegrating ( LUFS ).  -30.0 LUFS\n"
              "Shortterm ( LUFS ).  -24.2 LUFS\nCursor 1.  -1.0 dBFS"},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.iRow);
        Hover(QPointF(Chart->xAxis->coordToPixel(c.iRow), Chart->axisRect()->center().y()));
        EXPECT_EQ(Chart->ReadoutText().toStdString(), c.sText);
    }
    // Off the plot, and out of the chart, it goes away.
    Hover(QPointF(Chart->axisRect()->center().x(), Chart->axisRect()->bottom() + 30));
    EXPECT_EQ(Chart->ReadoutText(), QString());
    Hover(Chart->axisRect()->center());
    EXPECT_NE(Chart->ReadoutText(), QString());
    QEvent Leave(QEvent::Leave);
    QCoreApplication::sendEvent(Chart.get(), &Leave);
    EXPECT_EQ(Chart->ReadoutText(), QString());
}

TEST_F(ChartMouseTest, ReadoutLeavesOutHiddenSeriesShowsMissingLevelsAndStaysOffPictures) {
    MakeChart();
    Chart->ClickLegend(TReviewChart::kSeriesSTMax);
    Chart->ZoomTo(kNoIntegratingRow - 10, kNoIntegratingRow + 10);
    Layout();
    Hover(QPointF(Chart->xAxis->coordToPixel(kNoIntegratingRow), Chart->axisRect()->center().y()));
    EXPECT_EQ(Chart->ReadoutText().toStdString(),
              "Timecode 00:18:54:00\nPeak Level ( dBFS ).  -12.0 dBFS\nIntegrating ( LUFS ).  -");
    // The pictures for the clipboard and the documents are made without it.
    Chart->ChartPicture();
    EXPECT_EQ(Chart->ReadoutText(), QString());
    Hover(Chart->axisRect()->center());
    ASSERT_NE(Chart->ReadoutText(), QString());
    Chart->PDFPicture(QSize(1450, 850));
    EXPECT_EQ(Chart->ReadoutText(), QString());
    // A picture taken while the box shows is the picture taken with the pointer away from the chart, and
    // the screen does show the box meanwhile.
    Hover(Chart->axisRect()->center());
    const auto Screen = [&] {
        return Chart->toPixmap(Chart->width(), Chart->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB888);
    };
    const QImage WithReadout = Screen();
    const QImage WhileHovering = Chart->ChartPicture();
    Hover(Chart->axisRect()->center());
    QEvent Leave(QEvent::Leave);
    QCoreApplication::sendEvent(Chart.get(), &Leave);
    EXPECT_NE(Screen(), WithReadout);
    EXPECT_EQ(Chart->ChartPicture(), WhileHovering);
}

} // namespace
