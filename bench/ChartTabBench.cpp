// Making a review chart tab for a day-long and a week-long session (86,400 and 604,800 rows, three level
// series and two cursors) against loading the same session into the level table, in the same run; one
// repaint of the chart at the size of the chart documents, for those tabs and for charts of a day and of a
// week with the three level series: the same, with the visible rows changed before each repaint, and
// zoomed to a tenth of the session with a zoom or pan step before each repaint. For the week also the
// longest time the window could not paint while its tab was made, and the memory the loaded session and
// its chart add against the size of its rows as stored numbers.

#include "bench/BenchTable.h"
#include "bench/DayDatabase.h"
#include "bench/ResidentMemory.h"
#include "bench/StallMeter.h"
#include "core/MessageBoxLayout.h"
#include "core/TextTable.h"
#include "review/ChartTabs.h"
#include "review/LevelTable.h"

#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kChartWidth = 1450;
constexpr int kChartHeight = 850;
constexpr int kRepaints = 9;

// The main window's part: no wait window, no one to read a message; the window paints at the pump as the
// main window lets it, and the longest stall of each long operation is kept.
class TQuietHost : public ILongOperationHost {
public:
    int ShowMessageBox(const QString&, int, int) override { return kMsgResultOK; }
    void BeginLongOperation(int) override {
        Stall.Start();
        fnPump = Stall.Pump();
    }
    void EndLongOperation() override {
        aStallMs.push_back(Stall.Stop());
        aStallCpuMs.push_back(Stall.LongestCpuMs());
    }
    bool PumpLongOperation(qint64 iDone, qint64 iTotal) override { return fnPump(iDone, iTotal); }

    std::vector<double> aStallMs;
    std::vector<double> aStallCpuMs;

private:
    qxbench::TStallMeter Stall;
    TProgressPump fnPump = Stall.Pump();
};

// The numeric columns of a stored level row, each an 8-byte number: nId, iVersion, dtDateTime,
// iPeakChannel, fInstantaneousPeak, fLoudnessHi, fLoudnessLo and fLoudnessInt.
constexpr int kStoredNumbersPerRow = 8;

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The rows of Day iDays times over, as a session logged for iDays days leaves them.
TLevelData RepeatedDays(const TLevelData& Day, int iDays) {
    TLevelData Rows;
    Rows.Reserve(Day.RowCount() * iDays);
    for (int iDay = 0; iDay < iDays; ++iDay)
        for (int i = 0; i < Day.RowCount(); ++i)
            Rows.Append(Day.Row(i), Day.Timecode(i));
    return Rows;
}

// Repaints of a chart of Rows with the three level series at the size of the chart documents: as it is,
// and with the visible rows changed before each one (as after a zoom), so that its envelope is made anew.
void PrintRepaintRows(TLevelData&& Rows, const TReviewChartSetup& rSetup, const int& iLNG,
                      const std::string& sRows) {
    TChartOptions rOptions;
    TReviewChart Chart(rSetup, rOptions, iLNG);
    const int iPoints = Rows.RowCount();
    Chart.SetRows(std::move(Rows));
    Chart.resize(kChartWidth, kChartHeight);
    Chart.toPixmap(kChartWidth, kChartHeight);
    std::vector<double> aSteadyMs;
    std::vector<double> aNewRangeMs;
    for (int i = 0; i < kRepaints; ++i) {
        aSteadyMs.push_back(1000 * qxbench::TimeSeconds([&] { Chart.toPixmap(kChartWidth, kChartHeight); }));
        Chart.xAxis->setRange(i % 2, iPoints - 1 - i % 3);
        aNewRangeMs.push_back(1000 *
                              qxbench::TimeSeconds([&] { Chart.toPixmap(kChartWidth, kChartHeight); }));
    }
    // Zoomed to a tenth of the session, then a step as a wheel notch or a pan makes it, each with its
    // repaint: the time from the user's step to the new picture.
    std::vector<double> aZoomedMs;
    Chart.ZoomTo(0.45 * iPoints, 0.55 * iPoints);
    Chart.toPixmap(kChartWidth, kChartHeight);
    for (int i = 0; i < kRepaints; ++i) {
        const TChartTimeAxis& rAxis = Chart.TimeAxis();
        const double fSpan = rAxis.Upper() - rAxis.Lower();
        const double fMiddle = (rAxis.Upper() + rAxis.Lower()) / 2;
        const double fNewSpan = i % 2 ? fSpan : (i % 4 ? fSpan * 1.25 : fSpan * 0.8);
        const double fNewMiddle = i % 2 ? fMiddle + fSpan / 10 : fMiddle;
        aZoomedMs.push_back(1000 * qxbench::TimeSeconds([&] {
                                Chart.ZoomTo(fNewMiddle - fNewSpan / 2, fNewMiddle + fNewSpan / 2);
                                Chart.toPixmap(kChartWidth, kChartHeight);
                            }));
    }
    if (Chart.graph(TReviewChart::kSeriesPeak)->dataCount() > 3 * kChartWidth + 2)
        std::fprintf(stderr, "the chart of %s rows draws more points than the plot has columns\n",
                     sRows.c_str());
    qxbench::PrintRow(
        qxbench::ValueRow("chart repaint 1450x850, " + sRows + " rows x 3 series (ms)", aSteadyMs, "<=50"));
    qxbench::PrintRow(qxbench::ValueRow("chart repaint 1450x850 after a change of the visible rows, " +
                                            sRows + " rows x 3 series (ms)",
                                        aNewRangeMs, "<=50"));
    qxbench::PrintRow(qxbench::ValueRow("chart zoom or pan step and repaint 1450x850, a tenth of " + sRows +
                                            " rows x 3 series shown (ms)",
                                        aZoomedMs, "<=50"));
}

// A chart tab's request for the session the table loaded from db, charted as the program charts a measured
// session: with its target band and peak limit line.
TChartTabRequest ChartRequest(TdbSQLite& db, const TLevelTable& Table, const QString& sCaption) {
    TChartTabRequest Request;
    Request.sCaption = sCaption;
    TLoudnessSetup rMeasured;
    rMeasured.iScaleMode = kScaleModeLUFS;
    rMeasured.iFilter = kFilterKFilter;
    rMeasured.iPeakMode = kPeakModeTruePeak;
    Request.rSetup = {kScaleModeLUFS, QStringLiteral("LUFS"), rMeasured, TLoudnessStandard()};
    Request.sSessionId = ChartableSession(Table, qxbench::kSession);
    Request.rDataFilter = Table.DataFilter();
    Request.fnLoadRows = [&db](const QString& sSessionId, const TSQLFilter& rFilter, TLevelData& rRows,
                               const TProgressPump& fnPump) {
        return LoadChartRows(db, sSessionId, rFilter, rRows, fnPump);
    };
    return Request;
}

// Repaints of a chart tab at the size of the chart documents: wall clock as the user waits, and the
// processor time of this thread, which a busy machine does not inflate.
void MeasureRepaints(TChartTab& Tab, std::vector<double>& aWallMs, std::vector<double>& aCpuMs) {
    Tab.Chart->resize(kChartWidth, kChartHeight);
    Tab.Chart->toPixmap(kChartWidth, kChartHeight);
    for (int i = 0; i < kRepaints; ++i) {
        const double fCpuStart = ThreadCpuMs();
        aWallMs.push_back(1000 * qxbench::TimeSeconds([&] {
                              const QPixmap Picture = Tab.Chart->toPixmap(kChartWidth, kChartHeight);
                              if (Picture.isNull())
                                  std::fprintf(stderr, "no picture\n");
                          }));
        aCpuMs.push_back(ThreadCpuMs() - fCpuStart);
    }
}

bool HasEveryRow(const TChartTab* Tab, const TLevelTable& Table, int iRows) {
    if (Tab && Tab->Chart->graphCount() == 5 && Tab->Chart->PointCount() == iRows &&
        Table.RowCount() == iRows)
        return true;
    std::fprintf(stderr, "the chart or the table did not get every row\n");
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TdbSQLite db;
    TdbSQLite dbWeek;
    if (!qxbench::OpenDayDatabase(dir, db) || !qxbench::OpenDayDatabase(dir, dbWeek, qxbench::kDaysPerWeek))
        return 1;

    // The main window's page control with its two fixed pages.
    int iLNG = kLanguageEnglish;
    int iTabId = 0;
    QTabWidget PageCtrl;
    PageCtrl.addTab(new QWidget, QStringLiteral("Logging"));
    PageCtrl.addTab(new QWidget, QStringLiteral("Database"));
    PageCtrl.resize(kChartWidth + 40, kChartHeight + 80);
    PageCtrl.show();
    TQuietHost Host;
    TChartOptions rOptions;
    rOptions.bCursor1Enable = rOptions.bCursor1Visible = true;
    rOptions.bCursor2Enable = rOptions.bCursor2Visible = true;
    rOptions.fCursor1 = -23;
    rOptions.fCursor2 = -31;
    TChartTabs Tabs(&PageCtrl, rOptions, iLNG, iTabId, Host);
    qxbench::TStallMeter Paint;
    const TProgressPump Pump = Paint.Pump();
    QString sError;

    // The week first, while nothing else was allocated: what the loaded table and its chart (made and
    // painted once) leave resident, against the week's rows as stored numbers.
    TLevelTable WeekTable;
    WeekTable.SetLayout({}, iLNG, QStringLiteral("."));
    const double fBefore = qxbench::ResidentBytes();
    WeekTable.Load(dbWeek, qxbench::kSession, {}, QStringLiteral("LUFS"), Pump, sError);
    const TChartTabRequest WeekRequest = ChartRequest(dbWeek, WeekTable, QStringLiteral("Week"));
    TChartTab* WeekTab = Tabs.MakeChartTab(WeekRequest);
    if (!HasEveryRow(WeekTab, WeekTable, qxbench::kRowsPerWeek))
        return 1;
    WeekTab->Chart->resize(kChartWidth, kChartHeight);
    WeekTab->Chart->toPixmap(kChartWidth, kChartHeight);
    const double fAddedMB = (qxbench::ResidentBytes() - fBefore) / 1e6;
    const double fStoredMB = double(qxbench::kRowsPerWeek) * kStoredNumbersPerRow * 8 / 1e6;
    char sAdded[32], sStored[32];
    std::snprintf(sAdded, sizeof sAdded, "%.1f", fAddedMB);
    std::snprintf(sStored, sizeof sStored, "%.1f", fStoredMB);
    const double fMemoryRatio = fAddedMB / fStoredMB;
    qxbench::PrintRow(
        {"memory added by a loaded 604,800-row session with its chart vs rows as stored numbers "
         "(MB)",
         sAdded, sStored, fMemoryRatio, fMemoryRatio, fMemoryRatio, "<=3"});

    // The chart reads what the level table's load read: the session through its filter.
    TLevelTable Table;
    Table.SetLayout({}, iLNG, QStringLiteral("."));
    Table.Load(db, qxbench::kSession, {}, QStringLiteral("LUFS"), Pump, sError);
    const TChartTabRequest Request = ChartRequest(db, Table, QStringLiteral("Day"));

    TChartTab* Tab = nullptr;
    const auto times = qxbench::MeasurePaired(
        [&] {
            // The previous tab goes first, as a user closes one chart before making the next.
            Tabs.CloseActiveTab();
            Tab = Tabs.MakeChartTab(Request);
        },
        [&] { Table.Load(db, qxbench::kSession, {}, QStringLiteral("LUFS"), Pump, sError); }, 7);
    if (!HasEveryRow(Tab, Table, qxbench::kRowsPerDay))
        return 1;
    qxbench::PrintRow(qxbench::RatioRow(
        "chart tab 86,400 rows x 3 series + 2 cursors vs level table load (s)", times, "<=2"));

    std::vector<double> aRepaintMs;
    std::vector<double> aRepaintCpuMs;
    MeasureRepaints(*Tab, aRepaintMs, aRepaintCpuMs);
    qxbench::PrintRow(
        qxbench::ValueRow("chart tab repaint 1450x850, 86,400 rows x 5 series (ms)", aRepaintMs, "<=50"));
    qxbench::PrintRow(
        qxbench::ValueRow("chart tab repaint 1450x850, processor time (ms)", aRepaintCpuMs, "<=50"));

    // The week's tab against the week's table load, and the longest stall while each tab was made.
    Host.aStallMs.clear();
    Host.aStallCpuMs.clear();
    const auto WeekTimes = qxbench::MeasurePaired(
        [&] {
            Tabs.CloseActiveTab();
            WeekTab = Tabs.MakeChartTab(WeekRequest);
        },
        [&] { WeekTable.Load(dbWeek, qxbench::kSession, {}, QStringLiteral("LUFS"), Pump, sError); }, 3);
    if (!HasEveryRow(WeekTab, WeekTable, qxbench::kRowsPerWeek))
        return 1;
    qxbench::PrintRow(
        qxbench::RatioRow("chart tab 604,800 rows x 3 series vs level table load (s)", WeekTimes, "<=2"));
    qxbench::PrintRow(
        qxbench::ValueRow("longest stall, chart tab 604,800 rows (ms)", Host.aStallMs, "<=100"));
    qxbench::PrintRow(qxbench::ValueRow("longest stall, chart tab 604,800 rows, processor time (ms)",
                                        Host.aStallCpuMs, "<=100"));
    std::vector<double> aWeekRepaintMs;
    std::vector<double> aWeekRepaintCpuMs;
    MeasureRepaints(*WeekTab, aWeekRepaintMs, aWeekRepaintCpuMs);
    qxbench::PrintRow(
        qxbench::ValueRow("chart tab repaint 1450x850, 604,800 rows (ms)", aWeekRepaintMs, "<=50"));
    qxbench::PrintRow(qxbench::ValueRow("chart tab repaint 1450x850, 604,800 rows, processor time (ms)",
                                        aWeekRepaintCpuMs, "<=50"));

    TLevelData Day;
    if (!LoadChartRows(db, qxbench::kSession, {}, Day, Pump) || Day.RowCount() != qxbench::kRowsPerDay) {
        std::fprintf(stderr, "the day's rows could not be read\n");
        return 1;
    }
    PrintRepaintRows(RepeatedDays(Day, 1), Request.rSetup, iLNG, "86,400");
    PrintRepaintRows(RepeatedDays(Day, qxbench::kDaysPerWeek), Request.rSetup, iLNG, "604,800");
    return 0;
}
