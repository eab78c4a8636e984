// Loading a day-long and a week-long session into the level table: the rows into the table's model and the
// session statistics, against the sqlite3 program printing the same rows to /dev/null (its start included),
// and the memory the loaded table adds to the program. For the week, the longest time the window could
// not paint while the session loads and is judged, unfiltered and through a data filter.

#include "bench/BenchTable.h"
#include "bench/DayDatabase.h"
#include "bench/ResidentMemory.h"
#include "bench/StallMeter.h"
#include "core/TextTable.h"
#include "review/LevelFilter.h"
#include "review/LevelRowOrder.h"
#include "review/LevelTable.h"
#include "store/SessionGapStore.h"
#include "store/dbSQLite.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using qxbench::kRowsPerDay;
using qxbench::kRowsPerWeek;
using qxbench::kSession;

// A week of rows, one a second, with peaks spread over the meter's range (a fixed sequence, so every run
// sorts the same rows).
TLevelData WeekOfRows() {
    TLevelData Data;
    Data.Reserve(kRowsPerWeek);
    quint32 iSeed = 12345;
    for (int i = 0; i < kRowsPerWeek; ++i) {
        iSeed = iSeed * 1664525u + 1013904223u;
        const double fPeak = -60.0 + double(iSeed >> 8) / double(1u << 24) * 60.0;
        const int iSecond = i % kRowsPerDay;
        Data.Append({fPeak, -20.0, -30.0, -23.0, 0, 0}, QStringLiteral("%1:%2:%3:00")
                                                            .arg(iSecond / 3600, 2, 10, QLatin1Char('0'))
                                                            .arg(iSecond / 60 % 60, 2, 10, QLatin1Char('0'))
                                                            .arg(iSecond % 60, 2, 10, QLatin1Char('0')));
    }
    return Data;
}

// The week-long session loaded and judged as the Database tab does it, through rFilter, with the window
// painting at the pump: the longest stall in milliseconds on the wall clock and in processor time, added
// to aWallMs and aCpuMs; false when no rows came.
bool MeasureLoadStall(TdbSQLite& db, TLevelTable& table, const TDataFilter& rFilter,
                      std::vector<double>& aWallMs, std::vector<double>& aCpuMs) {
    qxbench::TStallMeter Stall;
    QString sError;
    Stall.Start();
    if (table.Load(db, kSession, rFilter, QStringLiteral("LUFS"), Stall.Pump(), sError) !=
        TLevelTable::TLoadResult::Rows)
        return false;
    // A measured session's configuration: judged in full, its loudness range included.
    TLoudnessSetup rSetup;
    rSetup.iPeakMode = kPeakModeTruePeak;
    rSetup.iScaleMode = kScaleModeLUFS;
    rSetup.iSlidingWindow = kSlidingWindow3Seconds;
    rSetup.fReferenceLevel = -23.0;
    rSetup.iFilter = kFilterKFilter;
    rSetup.bValid = true;
    table.Judge(rSetup, TLoudnessStandard());
    aWallMs.push_back(Stall.Stop());
    aCpuMs.push_back(Stall.LongestCpuMs());
    return true;
}

// The week's rows: loaded against sqlite3, and the longest stalls of loading them and of filtering them.
bool PrintWeekRows(const QTemporaryDir& dir) {
    TdbSQLite db;
    if (!qxbench::OpenDayDatabase(dir, db, qxbench::kDaysPerWeek))
        return false;
    TLevelTable table;
    table.SetLayout({}, 0, QStringLiteral("."));
    const QString sQuery =
        QStringLiteral("SELECT * FROM qxr_loudness_levels where sReportId='%1';").arg(kSession);
    qxbench::TStallMeter Stall;
    const auto times = qxbench::MeasurePaired(
        [&] {
            QString sLoadError;
            Stall.Start();
            table.Load(db, kSession, {}, QStringLiteral("LUFS"), Stall.Pump(), sLoadError);
            Stall.Stop();
        },
        [&] {
            QProcess sqlite;
            sqlite.setStandardOutputFile(QProcess::nullDevice());
            sqlite.start(QStringLiteral("sqlite3"), {db.DatabaseFileName(), sQuery});
            sqlite.waitForFinished(-1);
        },
        5);
    if (table.RowCount() != kRowsPerWeek) {
        std::fprintf(stderr, "the week's load gave %d rows\n", table.RowCount());
        return false;
    }
    qxbench::PrintRow(
        qxbench::RatioRow("level table load 604,800 rows + statistics vs sqlite3 (s)", times, "<=1.5"));

    // Short-term maxima above -26 LUFS: most of the week's rows.
    TFilterOptions rOptions;
    rOptions.bEnableHiOver = true;
    rOptions.sHiOver = QStringLiteral("-26.0");
    const TDataFilter rFilter(*BuildDataFilter(rOptions), rOptions);
    std::vector<double> aLoadMs, aLoadCpuMs, aFilterMs, aFilterCpuMs;
    for (int i = 0; i < 3; ++i) {
        if (!MeasureLoadStall(db, table, {}, aLoadMs, aLoadCpuMs) ||
            !MeasureLoadStall(db, table, rFilter, aFilterMs, aFilterCpuMs))
            return false;
    }
    qxbench::PrintRow(
        qxbench::ValueRow("longest stall, level table load 604,800 rows (ms)", aLoadMs, "<=100"));
    qxbench::PrintRow(qxbench::ValueRow("longest stall, level table load 604,800 rows, processor time (ms)",
                                        aLoadCpuMs, "<=100"));
    qxbench::PrintRow(qxbench::ValueRow("longest stall, filter 604,800 rows (ms)", aFilterMs, "<=100"));
    qxbench::PrintRow(
        qxbench::ValueRow("longest stall, filter 604,800 rows, processor time (ms)", aFilterCpuMs, "<=100"));

    // A week resumed a hundred times: each gap found among the rows and placed as a separator.
    constexpr int kGaps = 100;
    TSessionGapStore Gaps(db);
    for (int i = 0; i < kGaps; ++i) {
        const int iRow = 6000 * i + 3000;
        TSessionGap rGap;
        rGap.sReportId = kSession;
        // The stored rows' timecodes, one a second from midnight, day after day.
        const auto Timecode = [](int iWeekRow) {
            const int i = iWeekRow % kRowsPerDay;
            return QString::asprintf("%02d:%02d:%02d:00", i / 3600, i / 60 % 60, i % 60);
        };
        rGap.sTimeCodeBefore = Timecode(iRow - 1);
        rGap.sTimeCodeAfter = Timecode(iRow);
        rGap.sReason = QStringLiteral("The serial device disappeared.");
        if (!Gaps.InsertGap(rGap)) {
            std::fprintf(stderr, "a gap could not be written: %s\n", qPrintable(Gaps.LastError()));
            return false;
        }
    }
    std::vector<double> aGapMs, aGapCpuMs;
    for (int i = 0; i < 3; ++i) {
        if (!MeasureLoadStall(db, table, {}, aGapMs, aGapCpuMs))
            return false;
    }
    if (table.Gaps().aPlaces.size() != size_t(kGaps) || table.Model().rowCount() != kRowsPerWeek + kGaps) {
        std::fprintf(stderr, "%zu of the week's gaps were placed\n", table.Gaps().aPlaces.size());
        return false;
    }
    qxbench::PrintRow(qxbench::ValueRow("longest stall, level table load 604,800 rows with 100 gaps (ms)",
                                        aGapMs, "<=100"));
    qxbench::PrintRow(
        qxbench::ValueRow("longest stall, level table load 604,800 rows with 100 gaps, processor time (ms)",
                          aGapCpuMs, "<=100"));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    TdbSQLite db;
    if (!qxbench::OpenDayDatabase(dir, db))
        return 1;
    TLevelTable table;
    table.SetLayout({}, 0, QStringLiteral("."));
    // The window paints as the main window lets it.
    qxbench::TStallMeter Paint;
    const TProgressPump Pump = Paint.Pump();

    // The first load in this process: what it leaves resident is what the table adds.
    const double fBefore = qxbench::ResidentBytes();
    QString sError;
    if (table.Load(db, kSession, {}, QStringLiteral("LUFS"), Pump, sError) !=
            TLevelTable::TLoadResult::Rows ||
        table.RowCount() != kRowsPerDay) {
        std::fprintf(stderr, "load failed: %s\n", qPrintable(sError));
        return 1;
    }
    const double fAdded = (qxbench::ResidentBytes() - fBefore) / 1e6;
    const double fRows = double(table.Model().Rows().ByteSize()) / 1e6;

    const QString sQuery =
        QStringLiteral("SELECT * FROM qxr_loudness_levels where sReportId='%1';").arg(kSession);
    const auto times = qxbench::MeasurePaired(
        [&] {
            QString sLoadError;
            table.Load(db, kSession, {}, QStringLiteral("LUFS"), Pump, sLoadError);
        },
        [&] {
            QProcess sqlite;
            sqlite.setStandardOutputFile(QProcess::nullDevice());
            sqlite.start(QStringLiteral("sqlite3"), {db.DatabaseFileName(), sQuery});
            sqlite.waitForFinished(-1);
        },
        7);
    qxbench::PrintRow(
        qxbench::RatioRow("level table load 86,400 rows + statistics vs sqlite3 (s)", times, "<=1.5"));
    qxbench::PrintRow(qxbench::ValueRow("level table memory added, 86,400 rows (MB)", {fAdded}, "<=25"));
    qxbench::PrintRow(qxbench::ValueRow("level table rows held, 86,400 rows (MB)", {fRows}, "<=25"));

    // Sorting the level table of a week by peak, as a click on its heading does.
    const TLevelData Week = WeekOfRows();
    std::vector<double> aSortMs;
    for (int i = 0; i < 7; ++i) {
        aSortMs.push_back(1000.0 * qxbench::TimeSeconds([&] {
                              if (SortedRowOrder(Week, kTxtPeakLevelHeading, Qt::DescendingOrder).size() !=
                                  size_t(kRowsPerWeek))
                                  std::fprintf(stderr, "sort lost rows\n");
                          }));
    }
    qxbench::PrintRow(qxbench::ValueRow("level table sort by peak, 604,800 rows (ms)", aSortMs, ""));
    return PrintWeekRows(dir) ? 0 : 1;
}
