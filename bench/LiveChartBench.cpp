// How the logging tab's chart keeps up with a day-long session: the cost of adding one record's points,
// and of one repaint into a picture of the main window's chart size at growing point counts.

#include "engine/LiveChart.h"

#include <QApplication>
#include <QPixmap>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int kPointsPerDay = 86400;
constexpr int kChartWidth = 1450;
constexpr int kChartHeight = 850;

QString TimeCode(int iSecond) {
    return QString::asprintf("%02d:%02d:%02d:00", (iSecond / 3600) % 24, (iSecond / 60) % 60, iSecond % 60);
}

// A chart set up as a session start leaves it: all three series shown, both level axes automatic.
void PrepareChart(TLiveChart& Chart) {
    Chart.resize(kChartWidth, kChartHeight);
    const QColor aColours[] = {Qt::blue, Qt::darkGreen, QColor(255, 128, 0)};
    for (int i = 0; i < 3; ++i) {
        Chart.graph(i)->setPen(QPen(aColours[i], 1));
        Chart.graph(i)->setName(QStringLiteral("Series %1").arg(i));
    }
    SetLevelAxisScale(Chart.yAxis, -80, 0, true);
    SetLevelAxisScale(Chart.yAxis2, -80, 0, true);
    for (QCPAxis* Axis : {Chart.xAxis, Chart.yAxis, Chart.yAxis2})
        Axis->setVisible(true);
    Chart.legend->setVisible(true);
}

void AddRecord(TLiveChart& Chart, int i) {
    const double t = i;
    const double fShortTerm = -24 + 4 * std::sin(t / 37.0) + 2 * std::sin(t / 5.3);
    Chart.AddPoint(TimeCode(i), fShortTerm + 12 + 3 * std::sin(t / 2.1), -23 + std::sin(t / 900.0),
                   fShortTerm);
}

// One record after another for a whole day, as the message handler adds them.
void BM_AddPoint(benchmark::State& State) {
    for (auto _ : State) {
        State.PauseTiming();
        TLiveChart Chart;
        PrepareChart(Chart);
        State.ResumeTiming();
        for (int i = 0; i < kPointsPerDay; ++i)
            AddRecord(Chart, i);
        benchmark::DoNotOptimize(Chart.PointCount());
    }
    State.SetItemsProcessed(State.iterations() * kPointsPerDay);
    // Seconds per point, shown with its unit prefix (u, n).
    State.counters["per_point"] =
        benchmark::Counter(double(State.iterations()) * kPointsPerDay,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddPoint)->Unit(benchmark::kMillisecond)->Iterations(3);

// One repaint with the ranges brought up to date, rendered into a picture of the chart's size.
void BM_Replot(benchmark::State& State) {
    const int iPoints = int(State.range(0));
    TLiveChart Chart;
    PrepareChart(Chart);
    for (int i = 0; i < iPoints; ++i)
        AddRecord(Chart, i);
    Chart.RefreshNow();
    for (auto _ : State) {
        Chart.RefreshNow();
        QPixmap Picture = Chart.toPixmap(kChartWidth, kChartHeight);
        benchmark::DoNotOptimize(Picture.cacheKey());
    }
    State.counters["points"] = iPoints;
}
BENCHMARK(BM_Replot)->Arg(1000)->Arg(10000)->Arg(kPointsPerDay)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
