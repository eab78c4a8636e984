#pragma once

#include "compliance/SessionJudgement.h"
#include "review/LevelData.h"
#include "review/LevelFilter.h"
#include "review/LevelTableModel.h"
#include "store/SQLFilter.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

class TdbSQLite;

// The loaded level data of the Database tab: the table's rows, the session statistics and the filter they
// were read with. It loads; the window shows it. The exports and the review charts read it through the
// const accessors and reuse DataFilter() as it is.
class TLevelTable {
public:
    enum class TLoadResult { Rows, NoRows, Failed, Cancelled };

    TLevelTable() = default;
    TLevelTable(const TLevelTable&) = delete;
    TLevelTable& operator=(const TLevelTable&) = delete;

    // Lays out the columns and statistics rows for these options and language. Loaded rows, statistics
    // and the filter stay: they are shown again in the new columns and words.
    void SetLayout(const TDataOptions& rOptions, int iLNG, const QString& sDecimalPoint);

    // Reads the session's level rows through rFilter (an empty statement: all of them). With rows, the
    // table, the statistics and the filter in force take them (sUnit is the session's loudness unit).
    // Without rows nothing changes: the rows, statistics and filter of the last load stay. On a database
    // error the table is emptied and sError says why. fnPump runs every few milliseconds while the rows are
    // read (ReadSessionLevelRows). When it cancels, nothing changes either: the table keeps the rows,
    // statistics and filter it had.
    TLoadResult Load(TdbSQLite& rDB, const QString& sSessionId, const TDataFilter& rFilter,
                     const QString& sUnit, const TProgressPump& fnPump, QString& sError);
    // Judges the loaded rows against rTarget (rSetup: the session's loudness configuration): the verdict
    // and loudness range join the statistics, the violations mark the rows. Nothing without loaded rows.
    void Judge(const TLoudnessSetup& rSetup, const TLoudnessStandard& rTarget);
    // Empties the table and drops its session and filter (a new session was selected); the statistics
    // stay.
    void ClearRows();
    // Forgets everything loaded: rows, statistics, session and filter (another database was opened).
    void Clear();

    TLevelTableModel& Model() { return FModel; }
    const TLevelTableModel& Model() const { return FModel; }
    // Level rows loaded; a gap's separator is none of them.
    int RowCount() const { return FModel.Rows().RowCount(); }
    // The gaps of the loaded session, all of them, and where they lie among its rows.
    const TPlacedGaps& Gaps() const { return FModel.Gaps(); }
    const QStringList& Headers() const { return FModel.Headers(); }
    QString CellText(int iRow, int iColumn) const { return FModel.CellText(iRow, iColumn); }
    // The statistics rows as shown (empty values until a load found rows).
    const std::vector<TStatisticRow>& Statistics() const { return FStatistics; }
    // The session and filter of the rows shown; no session once the table was emptied.
    const QString& SessionId() const { return FSessionId; }
    const TSQLFilter& DataFilter() const { return FDataFilter.rStatement; }
    // The same with the conditions and the run of charted rows it was built from.
    const TDataFilter& DataFilterInForce() const { return FDataFilter; }
    // The conditions of the filter in force, named in language iLNG; empty when the rows are unfiltered.
    QStringList DataFilterTexts(int iLNG) const;
    bool Filtered() const { return !FDataFilter.rStatement.IsEmpty(); }
    // The judgement of the rows the statistics describe; nothing until they were judged.
    const std::optional<TSessionJudgement>& Judgement() const { return FJudgement; }
    // The judgement in words in the current language; empty when there is none.
    TVerdictSummary VerdictSummary() const;

private:
    // The statistics rows of FStats (empty values when none) in the current options.
    void LayOutStatistics();
    // The hints over violating rows, in the current language.
    TLevelTableModel::TViolationHints ViolationHints(const TLoudnessStandard& rTarget) const;

    TLevelTableModel FModel;
    TDataOptions FOptions;
    int FLanguage = 0;
    QString FDecimalPoint = QStringLiteral(".");
    // The statistics of the last load that found rows, and the unit its levels are shown in.
    std::optional<TLevelStatistics> FStats;
    QString FUnit;
    std::vector<TStatisticRow> FStatistics;
    std::optional<TSessionJudgement> FJudgement;
    QString FSessionId;
    TDataFilter FDataFilter;
};

// The gaps of session sSessionId into aGaps; none, with a warning in the log, when they could not be read
// (false then).
bool ReadSessionGaps(TdbSQLite& rDB, const QString& sSessionId, QList<TSessionGap>& aGaps);
