#include "engine/LiveChart.h"
#include "app/FormMain.h"
#include "core/Drawing.h"
#include "core/EngineCodes.h"
#include "dialogs/MessageBox.h"
#include "engine/EngineMessages.h"
#include "engine/InfoGrid.h"
#include "engine/LiveLoggingView.h"
#include "tests/support/TestSupport.h"

#include <QMouseEvent>
#include <gtest/gtest.h>

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// The logging tab's chart after a session start with scale mode LUFS, laid out at a realistic size.
class LiveChartFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Main.MessageBox->SetResponder([](const TMessageBoxRequest&) { return kMsgResultOK; });
        // On screen, so the chart has its size and lays out its legend as the user sees it.
        Main.resize(1200, 800);
        Main.show();
        Main.Ctrl.UDPUDPRead(EncodeEngineDatagram(kMessageLoudnessSetup, "1|2|1|1|2|-8|1|-23|-1|1|"));
        for (int i = 0; i < 5; ++i)
            Main.Ctrl.UDPUDPRead(EncodeEngineDatagram(
                kMessageLevelRecord, QString("10:00:0%1:00|-1|-8|-2%1|-30|-%1|2|0|-24|0|-1|").arg(i)));
        // Laid out once, so that the scaling knows the axis's length in pixels.
        Chart->replot(QCustomPlot::rpImmediateRefresh);
        Chart->RefreshNow();
        Chart->replot(QCustomPlot::rpImmediateRefresh);
    }

    // A click of the left button on the legend entry of a series, as the user makes it.
    void ClickLegendOf(int iSeries) {
        QCPPlottableLegendItem* Item = Chart->legend->itemWithPlottable(Chart->graph(iSeries));
        ASSERT_NE(Item, nullptr);
        const QPointF Pos = QRectF(Item->rect()).center();
        ASSERT_FALSE(Item->rect().isEmpty()) << "the legend must have been laid out";
        QMouseEvent Press(QEvent::MouseButtonPress, Pos, Chart->mapToGlobal(Pos), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Chart, &Press);
        QMouseEvent Release(QEvent::MouseButtonRelease, Pos, Chart->mapToGlobal(Pos), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Chart, &Release);
        Chart->replot(QCustomPlot::rpImmediateRefresh);
    }

    bool Shown(int iSeries) const { return Chart->graph(iSeries)->visible(); }

    qxtest::TFreshConfigHome Home;
    TfrmMain Main;
    TLiveChart* Chart = Main.LoggingView->ChartLogging;
    TChartOptions& rOptions = Main.Ctrl.Settings.rChartOptions;
};

} // namespace

TEST_F(LiveChartFixture, SessionStartShowsAllSeriesWithTheSettingsPens) {
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Shown(i)) << "series " << i;
    EXPECT_EQ(Chart->graph(0)->pen().color(), QColor(0, 0, 255)) << "clBlue is 0xFF0000 in the settings";
    EXPECT_EQ(Chart->graph(0)->valueAxis(), Chart->yAxis2);
    EXPECT_EQ(Chart->graph(0)->name(), "Peak Level ( dBFS ).");
    EXPECT_EQ(Chart->graph(2)->name(), "Shortterm Max. ( LUFS ).");
    EXPECT_EQ(Chart->yAxis->label(), "Integrating / Shortterm Max.\nLUFS");
    EXPECT_EQ(Chart->yAxis2->label(), "Peak Level\ndBFS");
    EXPECT_TRUE(Chart->yAxis->visible());
    EXPECT_TRUE(Chart->yAxis2->visible());
    // Automatic scaling follows the data: the short-term curve from -24 to -20 fits inside the left axis.
    EXPECT_LT(Chart->yAxis->range().lower, -24);
    EXPECT_GT(Chart->yAxis->range().upper, -20);
    EXPECT_LT(Chart->yAxis->range().upper, -19);
}

TEST_F(LiveChartFixture, LegendClicksToggleSeriesAndRelayTheAxes) {
    ClickLegendOf(2);
    EXPECT_FALSE(Shown(2));
    EXPECT_FALSE(rOptions.bSTMaxEnabled);
    EXPECT_TRUE(rOptions.bIntEnabled);
    EXPECT_EQ(Chart->yAxis->label(), "Integrating\nLUFS");

    ClickLegendOf(1);
    EXPECT_FALSE(Shown(1));
    // The peak curve alone moves to the left axis with the right axis's title.
    EXPECT_EQ(Chart->graph(0)->valueAxis(), Chart->yAxis);
    EXPECT_EQ(Chart->yAxis->label(), "Peak Level\ndBFS");
    EXPECT_TRUE(Chart->yAxis->visible());
    EXPECT_FALSE(Chart->yAxis2->visible());

    ClickLegendOf(0);
    EXPECT_FALSE(Chart->yAxis->visible());
    EXPECT_FALSE(Chart->yAxis2->visible());
    EXPECT_FALSE(rOptions.bPeakEnabled);

    ClickLegendOf(2);
    EXPECT_TRUE(Shown(2));
    EXPECT_EQ(Chart->yAxis->label(), "Shortterm Max.\nLUFS");
    EXPECT_EQ(Chart->yAxis->labelColor(), ColorValueToQColor(rOptions.clSTMaxColor));
    EXPECT_EQ(Chart->graph(0)->valueAxis(), Chart->yAxis2);
    EXPECT_TRUE(rOptions.bSTMaxEnabled);

    // The next session shows every curve again.
    Main.Ctrl.UDPUDPRead(EncodeEngineDatagram(kMessageLoudnessSetup, "1|2|2|1|2|-8|1|-23|-1|1|"));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Shown(i)) << "series " << i;
    EXPECT_TRUE(rOptions.bPeakEnabled && rOptions.bIntEnabled && rOptions.bSTMaxEnabled);
    EXPECT_TRUE(Chart->yAxis->label().endsWith("LKFS"));
}

TEST_F(LiveChartFixture, FixedAxesKeepTheirRange) {
    rOptions.bLeftAxisAutoScale = false;
    rOptions.fLeftAxisMin = -60;
    rOptions.fLeftAxisMax = -10;
    Main.LoggingView->RefreshChartLoggingSettings();
    Chart->RefreshNow();
    EXPECT_DOUBLE_EQ(Chart->yAxis->range().lower, -60);
    EXPECT_DOUBLE_EQ(Chart->yAxis->range().upper, -10);
}

TEST(TimecodeTicker, BottomAxisLabelsAreThePointsTimecodes) {
    TLiveChart Chart;
    for (int i = 0; i < 120; ++i)
        Chart.AddPoint(QString::asprintf("10:%02d:%02d:00", i / 60, i % 60), -3, -23, -20);
    Chart.resize(800, 400);
    Chart.xAxis->setVisible(true);
    Chart.RefreshNow();
    Chart.replot(QCustomPlot::rpImmediateRefresh);
    const QVector<QString> Labels = Chart.xAxis->tickVectorLabels();
    ASSERT_FALSE(Labels.isEmpty());
    EXPECT_EQ(Labels.first(), "10:00:00:00");
    for (const QString& s : Labels)
        EXPECT_TRUE(s.isEmpty() || s.startsWith("10:0")) << s.toStdString();
    EXPECT_EQ(Chart.PointLabel(119), "10:01:59:00");
    EXPECT_EQ(Chart.PointLabel(120), "");
}

TEST(TintOf, BlendsWithWhiteRoundingHalvesToEven) {
    EXPECT_EQ(TintOf(QColor(0x80, 0x80, 0x80), 0.9), QColor(242, 242, 242));
    EXPECT_EQ(TintOf(QColor(0x80, 0x80, 0x80), 0.5), QColor(192, 192, 192)); // 191.5 rounds to 192
    EXPECT_EQ(TintOf(QColor(0, 0, 0x80), 0.5), QColor(128, 128, 192));
    EXPECT_EQ(TintOf(QColor(1, 0, 0), 0.5), QColor(128, 128, 128)); // 128.0 exactly
    EXPECT_EQ(TintOf(QColor(0, 0, 0), 0.5), QColor(128, 128, 128)); // 127.5 rounds to 128 (even)
}
