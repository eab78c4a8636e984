#pragma once

#include "core/DataOptions.h"
#include "core/OperationProgress.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <limits>
#include <vector>

class TDBResult;
class TdbSQLite;
struct TSQLFilter;

// The level rows of one loaded session, held compactly: a 24-hour session is 86,400 rows, so a row is a
// few numbers and its timecode lives in one shared text. A value that is not a number in the database
// (NULL, or a text in a hand-edited file) is kept as not-a-number: shown empty, ignored by the statistics.
struct TLevelRow {
    double fInstantaneousPeak;
    double fLoudnessHi;
    double fLoudnessLo;
    double fLoudnessInt;
    // kNoPeakChannel when the stored channel is not a number.
    qint32 iPeakChannel;
    // Where this row's timecode ends in TLevelData::sTimecodes; it starts where the previous row's ends.
    quint32 iTimecodeEnd;
};

inline constexpr qint32 kNoPeakChannel = std::numeric_limits<qint32>::min();

class TLevelData {
public:
    int RowCount() const { return int(aRows.size()); }
    const TLevelRow& Row(int iRow) const { return aRows[size_t(iRow)]; }
    QString Timecode(int iRow) const { return TimecodeView(iRow).toString(); }
    // The timecode without a copy; valid until the rows change.
    QStringView TimecodeView(int iRow) const;
    void Clear();
    void Reserve(int iRows);
    void Append(const TLevelRow& rRow, QStringView sTimecode);
    // Memory held by the rows, in bytes (for the benchmark's memory figure).
    size_t ByteSize() const;

private:
    std::vector<TLevelRow> aRows;
    QString sTimecodes;
};

// How a read of level rows ended.
enum class TReadResult { Complete, Failed, Cancelled };

// Level rows numbered (nId) in one step of a read that pumps: SQLite reads them in a few milliseconds,
// whether or not they are the session's.
inline constexpr qint64 kReadWindowRows = 32768;

// Reads the rows of a level query from its current row to its end. fnPump runs first and after every
// iPumpRows rows (0: every row), with the rows read so far (of a total not known), so that a window can
// keep painting. Failed, with the reason in sError, when the database reported an error on the way;
// Cancelled when the pump said so. Either way the rows read until then are kept.
TReadResult ReadLevelRows(TDBResult& rResult, TLevelData& rData, const TProgressPump& fnPump, QString& sError,
                          int iPumpRows = kPumpRows);

// Reads the session's level rows through rFilter (empty: every row) into rData, in recorded order. Without a
// pump in one statement; with one, the table is read in steps of iWindowRows row numbers, so that the
// pump runs every few milliseconds even where no row matches, and it is told how far through the table
// the read is (row numbers read of all). Failed, with the reason in sError, when the database reported an
// error; Cancelled when the pump said so; Complete with no rows for a session without any.
TReadResult ReadSessionLevelRows(TdbSQLite& rDB, const QString& sSessionId, const TSQLFilter& rFilter,
                                 TLevelData& rData, const TProgressPump& fnPump, QString& sError,
                                 qint64 iWindowRows = kReadWindowRows);

// One statistic: a value and the row it came from (-1 and an empty timecode when no row set it).
struct TLevelStatistic {
    double fValue = std::numeric_limits<double>::quiet_NaN();
    int iRow = -1;
    QString sTimecode;
};

// The session statistics of a loaded table. Highest values start at -100 and lowest at +100, and only a
// value strictly beyond the running one replaces it, so ties keep the earlier row and a session whose
// peaks all lie at or below -100 (-999: a field the meter did not send) shows -100 without a timecode.
struct TLevelStatistics {
    TLevelStatistic rPeakMax{-100.0, -1, {}};
    TLevelStatistic rPeakMin{100.0, -1, {}};
    TLevelStatistic rShortTermMax{-100.0, -1, {}};
    TLevelStatistic rShortTermMin{100.0, -1, {}};
    TLevelStatistic rIntMax{-100.0, -1, {}};
    TLevelStatistic rIntMin{100.0, -1, {}};
    // The integrated loudness of the last row that has one, the session's result; not a number when none.
    TLevelStatistic rIntLast;
    // Rows whose peak channel is above 0.
    int iPeakCount = 0;
};

TLevelStatistics CalcLevelStatistics(const TLevelData& rData);

// A level as the table and the statistics show it: fixed point, one decimal, the given decimal separator,
// no thousands separator; a value beyond any meter's range in a bounded exponent form (LevelText); empty
// when not a number. The stored value is never changed.
QString FormatLevel(double fLevel, QStringView sDecimalPoint);

// One row of the statistics grid: its label (a text table entry), the value as shown and the timecode
// behind it.
struct TStatisticRow {
    TStatisticRow(int iLabel = 0, QString sValue = {}, QString sTimecode = {}, QString sHint = {})
        : iLabel(iLabel), sValue(std::move(sValue)), sTimecode(std::move(sTimecode)),
          sHint(std::move(sHint)) {}

    int iLabel = 0;
    QString sValue;
    QString sTimecode;
    // What the grid shows over the row instead of its timecode (the verdict's reasons); empty for none.
    QString sHint;
};

// The statistics rows in the order of the grid's labels for these data options. Peak values end in
// " " + the text of entry 262 (" dBFS"), loudness values in " " + sUnit (the session's scale).
std::vector<TStatisticRow> StatisticsRows(const TLevelStatistics& rStats, const TDataOptions& rOptions,
                                          const QString& sUnit, QStringView sDecimalPoint);
