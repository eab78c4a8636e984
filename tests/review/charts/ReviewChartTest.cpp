#include "review/ReviewChart.h"
#include "core/TextTable.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int kScaleLUFS = 1;

// A review chart of iRows rows of a long session: gentle levels with one peak and one dip far from the
// column edges' neat multiples.
class LongSessionChart : public ::testing::Test {
protected:
    static constexpr int kRows = 50000;
    static constexpr int kPeakRow = 31337;
    static constexpr int kDipRow = 777;
    static constexpr double kPeak = 0.0;
    static constexpr double kDip = -70.0;

    void SetUp() override {
        rOptions.bCursor1Enable = rOptions.bCursor1Visible = true;
        rOptions.fCursor1 = -23;
        Chart = std::make_unique<TReviewChart>(
            TReviewChartSetup{kScaleLUFS, QStringLiteral("LUFS"), {}, std::nullopt}, rOptions, iLNG);
        TLevelData Rows;
        Rows.Reserve(kRows);
        for (int i = 0; i < kRows; ++i) {
            const double fWave = std::sin(i * 0.01);
            TLevelRow r{};
            r.fInstantaneousPeak = i == kPeakRow ? kPeak : -12.0 + fWave;
            r.fLoudnessInt = i == kDipRow ? kDip : -24.0 + fWave;
            r.fLoudnessHi = -20.0 + fWave;
            r.fLoudnessLo = -30.0;
            r.iPeakChannel = 1;
            Rows.Append(r, QString::asprintf("%02d:%02d:%02d:00", i / 3600 % 24, i / 60 % 60, i % 60));
        }
        Chart->SetRows(std::move(Rows));
        Chart->resize(1000, 600);
        Chart->show();
    }

    // Whether series iSeries draws the level fValue at row iRow.
    bool Draws(int iSeries, int iRow, double fValue) const {
        const auto Data = Chart->graph(iSeries)->data();
        const auto It = Data->findBegin(iRow, false);
        return It != Data->constEnd() && It->key == iRow && It->value == fValue;
    }

    // The points each series draws, at most three a pixel column and the two beyond the visible rows.
    void ExpectEnvelopeOfPlotWidth() const {
        const int iLimit = 3 * Chart->axisRect()->width() + 2;
        for (int iSeries = 0; iSeries < Chart->graphCount(); ++iSeries) {
            EXPECT_GT(Chart->graph(iSeries)->dataCount(), 0) << iSeries;
            EXPECT_LE(Chart->graph(iSeries)->dataCount(), iLimit) << iSeries;
        }
        EXPECT_TRUE(Draws(TReviewChart::kSeriesPeak, kPeakRow, kPeak));
        EXPECT_TRUE(Draws(TReviewChart::kSeriesIntegrating, kDipRow, kDip));
        for (const QCPGraphData& p : *Chart->graph(TReviewChart::kFirstCursorSeries)->data())
            EXPECT_EQ(p.value, -23.0);
    }

    TChartOptions rOptions;
    int iLNG = kLanguageEnglish;
    std::unique_ptr<TReviewChart> Chart;
};

TEST_F(LongSessionChart, DrawsAnEnvelopeOfThePlotsWidthThatKeepsEveryPeak) {
    Chart->replot(QCustomPlot::rpImmediateRefresh);
    ASSERT_GT(Chart->axisRect()->width(), 500);
    ExpectEnvelopeOfPlotWidth();
    // The rows themselves stay whole.
    EXPECT_EQ(Chart->PointCount(), kRows);
    EXPECT_EQ(Chart->PointLabel(kPeakRow), "08:42:17:00");

    // A narrower plot draws fewer points.
    const int iWide = Chart->graph(TReviewChart::kSeriesPeak)->dataCount();
    Chart->resize(700, 600);
    Chart->replot(QCustomPlot::rpImmediateRefresh);
    ExpectEnvelopeOfPlotWidth();
    EXPECT_LT(Chart->graph(TReviewChart::kSeriesPeak)->dataCount(), iWide);

    // The printed picture is laid out wider and drawn from its own envelope: the peak is in it.
    const QImage Picture = Chart->PDFPicture(QSize(1450, 850));
    EXPECT_EQ(Picture.width(), 1450);
    EXPECT_GT(Chart->axisRect()->width(), 1000);
    ExpectEnvelopeOfPlotWidth();
}

TEST_F(LongSessionChart, AFewVisibleRowsAreDrawnPointByPoint) {
    Chart->replot(QCustomPlot::rpImmediateRefresh);
    Chart->xAxis->setRange(kPeakRow - 50, kPeakRow + 50);
    Chart->replot(QCustomPlot::rpImmediateRefresh);
    // Every visible row and the one beyond each end.
    EXPECT_EQ(Chart->graph(TReviewChart::kSeriesPeak)->dataCount(), 103);
    EXPECT_TRUE(Draws(TReviewChart::kSeriesPeak, kPeakRow, kPeak));
    EXPECT_TRUE(Draws(TReviewChart::kSeriesPeak, kPeakRow - 51, -12.0 + std::sin((kPeakRow - 51) * 0.01)));
    // Back to the whole session: its envelope again.
    Chart->RefreshNow();
    Chart->replot(QCustomPlot::rpImmediateRefresh);
    ExpectEnvelopeOfPlotWidth();
}

// Cursors are drawn against the axis of their unit: a -1 dBFS peak cursor at -1 on the peak axis, not at
// -1 LUFS; a loudness cursor on the loudness axis. The peak cursor follows the peak series when the legend
// rule moves it to the left axis.
TEST(ReviewChartCursors, EachCursorStandsOnTheAxisOfItsUnit) {
    struct TCase {
        const char* sName;
        bool bCursor1Peak;
        bool bCursor2Peak;
    } aCases[] = {{"both loudness", false, false},
                  {"first peak", true, false},
                  {"second peak", false, true},
                  {"both peak", true, true}};
    const double aLevels[2] = {-1.0, -23.0};
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        TChartOptions rOptions;
        rOptions.bCursor1Enable = rOptions.bCursor1Visible = true;
        rOptions.bCursor2Enable = rOptions.bCursor2Visible = true;
        rOptions.fCursor1 = aLevels[0];
        rOptions.fCursor2 = aLevels[1];
        rOptions.bCursor1PeakAxis = c.bCursor1Peak;
        rOptions.bCursor2PeakAxis = c.bCursor2Peak;
        const int iLNG = kLanguageEnglish;
        TReviewChart Chart(TReviewChartSetup{kScaleLUFS, QStringLiteral("LUFS"), {}, std::nullopt}, rOptions,
                           iLNG);
        TLevelData Rows;
        for (int i = 0; i < 20; ++i) {
            TLevelRow r{};
            r.fInstantaneousPeak = -12.0 + i % 3;
            r.fLoudnessInt = r.fLoudnessHi = -40.0 + i % 5;
            Rows.Append(r, QString::asprintf("10:00:%02d:00", i));
        }
        Chart.SetRows(std::move(Rows));
        Chart.resize(800, 500);
        Chart.replot(QCustomPlot::rpImmediateRefresh);
        const bool abPeak[2] = {c.bCursor1Peak, c.bCursor2Peak};
        const auto ExpectCursorsOn = [&](QCPAxis* PeakAxis) {
            for (int i = 0; i < 2; ++i) {
                QCPGraph* Cursor = Chart.graph(TReviewChart::kFirstCursorSeries + i);
                QCPAxis* Expected = abPeak[i] ? PeakAxis : Chart.yAxis;
                EXPECT_EQ(Cursor->valueAxis(), Expected) << "cursor " << i + 1;
                ASSERT_GT(Cursor->dataCount(), 0);
                EXPECT_EQ(Cursor->data()->at(0)->value, aLevels[i]);
                // Drawn inside the automatic range of its own axis, at its level there.
                EXPECT_TRUE(Expected->range().contains(aLevels[i])) << "cursor " << i + 1;
            }
        };
        EXPECT_EQ(Chart.graph(TReviewChart::kSeriesPeak)->valueAxis(), Chart.yAxis2);
        ExpectCursorsOn(Chart.yAxis2);
        // Only the peak series shown: it takes the left axis, and the peak cursors with it.
        Chart.ClickLegend(TReviewChart::kSeriesIntegrating);
        Chart.ClickLegend(TReviewChart::kSeriesSTMax);
        ASSERT_EQ(Chart.graph(TReviewChart::kSeriesPeak)->valueAxis(), Chart.yAxis);
        ExpectCursorsOn(Chart.yAxis);
        Chart.ClickLegend(TReviewChart::kSeriesIntegrating);
        ExpectCursorsOn(Chart.yAxis2);
    }
}

// A chart of a session with a gap: every level series breaks between the rows on either side of it, drawn
// point by point or as an envelope; a band marks it; the cursor runs on; a zoom beside it shows none.
TEST(ReviewChartGaps, EveryLevelLineBreaksAtAGapAndABandMarksIt) {
    struct TCase {
        const char* sName;
        int iRows;
        int iGapRow;
    } const aCases[] = {{"points", 40, 25}, {"envelope", 60000, 41234}};
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        TChartOptions rOptions;
        rOptions.bCursor1Enable = rOptions.bCursor1Visible = true;
        rOptions.fCursor1 = -23;
        const int iLNG = kLanguageEnglish;
        TReviewChart Chart(TReviewChartSetup{kScaleLUFS, QStringLiteral("LUFS"), {}, std::nullopt}, rOptions,
                           iLNG);
        TLevelData Rows;
        // Timecodes run on a day: the pair before and after the gap stands once.
        for (int i = 0; i < c.iRows; ++i) {
            const int iSecond = i < c.iGapRow ? i : i + 12;
            Rows.Append(
                {-12.0, -24.0, -30.0, -20.0, 1, 0},
                QString::asprintf("%02d:%02d:%02d:00", iSecond / 3600, iSecond / 60 % 60, iSecond % 60));
        }
        TSessionGap rGap;
        rGap.sTimeCodeBefore = Rows.Timecode(c.iGapRow - 1);
        rGap.sTimeCodeAfter = Rows.Timecode(c.iGapRow);
        rGap.sReason = QStringLiteral("The serial device disappeared.");
        TSessionGap rElsewhere = rGap;
        rElsewhere.sTimeCodeBefore = QStringLiteral("23:00:00:00");
        TPlacedGaps Gaps{{rElsewhere, rGap}, {}};
        Gaps.aPlaces = PlaceGaps(Rows, Gaps.aGaps);
        Chart.SetRows(std::move(Rows), std::move(Gaps));
        Chart.resize(1000, 600);
        Chart.show();
        Chart.RefreshNow();
        ASSERT_EQ(Chart.Gaps().aPlaces, (std::vector<TGapPlace>{{c.iGapRow, 1}}));
        for (int iSeries = 0; iSeries < Chart.graphCount(); ++iSeries) {
            const auto Data = Chart.graph(iSeries)->data();
            ASSERT_GT(Data->size(), 0);
            bool bBroken = false;
            for (auto It = Data->constBegin() + 1; It != Data->constEnd(); ++It) {
                const QCPGraphData& a = *(It - 1);
                const QCPGraphData& b = *It;
                if (a.key < c.iGapRow && b.key > c.iGapRow - 1 &&
                    (std::isnan(a.value) || std::isnan(b.value)))
                    bBroken = true;
                if (iSeries < TReviewChart::kFirstCursorSeries && !std::isnan(a.value) &&
                    !std::isnan(b.value)) {
                    EXPECT_FALSE(a.key <= c.iGapRow - 1 && b.key >= c.iGapRow) << iSeries;
                }
            }
            EXPECT_EQ(bBroken, iSeries < TReviewChart::kFirstCursorSeries) << iSeries;
        }
        ASSERT_EQ(Chart.GapMarks().size(), 1u);
        EXPECT_EQ(Chart.GapMarks()[0]->topLeft->coords().x(), c.iGapRow - 1);
        EXPECT_EQ(Chart.GapMarks()[0]->bottomRight->coords().x(), c.iGapRow);
        ASSERT_EQ(Chart.GapsShown().size(), 1);
        EXPECT_EQ(Chart.GapsShown()[0], rGap);
        Chart.ZoomTo(0, c.iGapRow / 2);
        EXPECT_TRUE(Chart.GapsShown().isEmpty());
        Chart.ZoomTo(c.iGapRow - 5, c.iGapRow + 5);
        EXPECT_EQ(Chart.GapsShown().size(), 1);
        // New rows without gaps take the marks away.
        Chart.SetRows(TLevelData());
        EXPECT_TRUE(Chart.GapMarks().empty());
    }
}

} // namespace
