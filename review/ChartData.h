#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QAbstractItemModel;
class TDBResult;

// What a review chart shows of a session: the level rows in their order, one entry per row in each array.
// A level that is not a number in the file (NULL, a hand-edited text) is NaN and leaves a gap in its curve.
struct TChartRows {
    std::vector<QString> aTimeCodes;
    std::vector<double> aPeak;
    std::vector<double> aIntegrating;
    std::vector<double> aSTMax;

    int Count() const { return int(aTimeCodes.size()); }
    void Add(const QString& sTimeCode, double fPeak, double fIntegrating, double fSTMax);
};

// Keeps the window painted during a long load without paying for it per row: pending events are processed
// when at least kIntervalMs have passed since the last time.
class TEventPump {
public:
    static constexpr int kIntervalMs = 30;
    TEventPump() { tmrLast.start(); }
    void operator()();

private:
    QElapsedTimer tmrLast;
};

// Reads the rows of a level-row result (columns sTimeCode, fInstantaneousPeak, fLoudnessInt, fLoudnessHi)
// from its current row to its end into rRows, calling fnPump after every row. False when the result lacks
// one of the columns or a read failed; the rows read so far stay.
bool ReadChartRows(TDBResult& Result, TChartRows& rRows, const std::function<void()>& fnPump = {});

// One label and value of a chart tab's snapshot.
struct TSnapshotRow {
    QString sLabel;
    QString sValue;
    bool operator==(const TSnapshotRow&) const = default;
};

// The chart tab's copy of the session's description, configuration and statistics, taken when the tab is
// made: the analysis date, then the session information (8 rows), the loudness configuration (12 rows) and
// the statistics (12 rows), title rows included.
using TChartSnapshot = std::vector<TSnapshotRow>;
inline constexpr int kSnapshotSessionInfoRows = 8;
inline constexpr int kSnapshotLoudnessConfigRows = 12;
inline constexpr int kSnapshotStatisticsRows = 12;
inline constexpr int kChartSnapshotRows =
    1 + kSnapshotSessionInfoRows + kSnapshotLoudnessConfigRows + kSnapshotStatisticsRows;

// Always kChartSnapshotRows rows: each block is cut or padded with empty rows to its length, so the
// exports find every row at its place whatever the grids held.
TChartSnapshot MakeChartSnapshot(const TSnapshotRow& rAnalysisDate,
                                 const std::vector<TSnapshotRow>& aSessionInfo,
                                 const std::vector<TSnapshotRow>& aLoudnessConfig,
                                 const std::vector<TSnapshotRow>& aStatistics);

// Columns 0 and 1 of the first iRows rows of a grid's model (fewer when it has fewer rows).
std::vector<TSnapshotRow> SnapshotRowsOf(const QAbstractItemModel* Model, int iRows);

// A session's stamp (a Julian date of the local time) as the system writes a date and time.
QString AnalysisDateText(double dtJulian);

// The name of a new chart tab: "tsChart" and the page count after adding it; when a tab still open has that
// name (an earlier tab was closed), the next number free among slNamesInUse.
QString ChartTabName(int iPageCount, const QStringList& slNamesInUse);
