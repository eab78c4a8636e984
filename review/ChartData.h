#pragma once

#include "core/OperationProgress.h"

#include <QFontMetrics>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QAbstractItemModel;
class TLevelData;
class TLevelTable;
class TdbSQLite;
struct TSQLFilter;

// Reads the session's level rows through rFilter (empty: every row) into rRows, as the level table reads
// them (ReadSessionLevelRows). False when the query fails, a read failed or the pump cancelled; true with no
// rows for a session without any.
bool LoadChartRows(TdbSQLite& rDB, const QString& sSessionId, const TSQLFilter& rFilter, TLevelData& rRows,
                   const TProgressPump& fnPump);
// The session a new chart shows: the level table's, when it holds rows and they are the rows of the selected
// session sSelectedSession, whose title, description and statistics the chart is captioned with. Empty
// otherwise (nothing loaded, the table emptied by another selection or another database): a chart never
// pairs one session's caption with another's rows.
QString ChartableSession(const TLevelTable& rTable, const QString& sSelectedSession);

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

// A chart tab's caption for a session title: on one line, cut with an ellipsis to at most iMaxWidth pixels
// of Metrics, an "&" shown as typed. A title of any length costs the measuring of its start only.
QString ChartTabCaption(const QString& sTitle, const QFontMetrics& Metrics, int iMaxWidth);

// The name of a new chart tab: "tsChart" and the page count after adding it; when a tab still open has that
// name (an earlier tab was closed), the next number free among slNamesInUse.
QString ChartTabName(int iPageCount, const QStringList& slNamesInUse);
