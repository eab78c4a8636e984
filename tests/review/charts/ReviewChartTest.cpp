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

} // namespace
