#pragma once

#include "core/SessionTypes.h"
#include "store/SQLFilter.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace SQLite {
class Database;
class Statement;
} // namespace SQLite

// How long a statement waits for a lock held by another connection before it fails.
inline constexpr int kDefaultBusyTimeoutMs = 5000;
// The wait of the window's own connection: a write that cannot get the lock this soon is kept and retried
// later, so the window never freezes behind another program's long transaction.
inline constexpr int kWindowBusyTimeoutMs = 40;

// The sessions as the session list reads them, a view that every connection of TdbSQLite makes for itself:
// every column of qxr_sessions and dtRecordingStart, the Julian date at which the session's first level row
// was stored (its own dtDateTime when the file does not know it).
inline constexpr const char* kSessionListView = "qxr_session_list";
// The SQL function of every connection of TdbSQLite that folds the case of a text for every letter (LIKE
// folds only A to Z): qx_fold(x) LIKE qx_fold(?) finds "Ærø Håndbold" with "håndbold" and with "ærø".
inline constexpr const char* kFoldCaseFunction = "qx_fold";

// One stored level report, as it arrived: fStamp is the Julian date of its arrival, kept when the row has
// to wait before it can be written.
struct TStoredLevel {
    QString sReportId;
    QString sReportVersion;
    QString sTimeCode;
    int iPeakChannel = 0;
    double fInstantaneousPeak = 0.0;
    double fLoudnessHi = 0.0;
    double fLoudnessLo = 0.0;
    double fLoudnessInt = 0.0;
    double fStamp = 0.0;
};

// The Julian date of a date and time as it reads on the clock (local time when given local time): whole
// days since noon of 1 January 4713 BC plus the fraction of the day, so noon of 1 January 2000 is
// 2451545.0. Session and level rows carry this stamp of the local time they were written.
double JulianDateOf(const QDateTime& dtDateTime);

// A result set handed out by the session database. It belongs to the caller, is read forward and starts on
// its first row. It keeps its connection alive, so it stays valid when the database object closes or
// reopens its connection. An unfinished result holds a read lock on the file: read it to the end or free it.
class TDBResult {
public:
    ~TDBResult();
    TDBResult(const TDBResult&) = delete;
    TDBResult& operator=(const TDBResult&) = delete;

    // True when there is no current row (past the last row, or a read failed).
    bool Eof() const { return !bHasRow; }
    // Moves to the next row; false at the end or on a read error.
    bool Next();

    int ColumnCount() const;
    QString ColumnName(int iIndex) const;
    // The index of a column by name (case-insensitive as in SQL), -1 when there is no such column.
    int ColumnIndex(const QString& sName) const;

    // Values of the current row. Without a current row or for an unknown column they read as NULL: an empty
    // text, 0 or 0.0.
    bool IsNull(int iIndex) const;
    // The value is stored as an integer or a real (not NULL, not a text such as a hand-edited "abc").
    bool IsNumber(int iIndex) const;
    QString AsString(int iIndex) const;
    qint64 AsInteger(int iIndex) const;
    double AsFloat(int iIndex) const;
    bool IsNull(const QString& sName) const { return IsNull(ColumnIndex(sName)); }
    QString AsString(const QString& sName) const { return AsString(ColumnIndex(sName)); }
    qint64 AsInteger(const QString& sName) const { return AsInteger(ColumnIndex(sName)); }
    double AsFloat(const QString& sName) const { return AsFloat(ColumnIndex(sName)); }

    // Why the last read failed; empty after a clean end.
    QString LastError() const { return sLastError; }

private:
    friend class TdbSQLite;
    TDBResult(std::shared_ptr<SQLite::Database> pConn, std::unique_ptr<SQLite::Statement> pStatement);
    bool ValidColumn(int iIndex) const;

    // Declared first so the statement is finalised before its connection goes.
    std::shared_ptr<SQLite::Database> FConn;
    std::unique_ptr<SQLite::Statement> FStatement;
    bool bHasRow = false;
    QString sLastError;
};

// The session database: the one connection of the program to its working database file, and the only
// code that creates the tables and writes session and level rows. Every operation returns a boolean and
// never throws; the reason for the last failure is kept in LastError(). Values are bound as parameters, so
// no text a user or a meter supplies can alter a statement. Used on the main thread only.
class TdbSQLite {
public:
    explicit TdbSQLite(int iBusyTimeoutMs = kDefaultBusyTimeoutMs);
    ~TdbSQLite();
    TdbSQLite(const TdbSQLite&) = delete;
    TdbSQLite& operator=(const TdbSQLite&) = delete;

    // Creates sFileName afresh (an existing file is truncated) with both tables. On a database error
    // LastError() is "Exception raised with message" immediately followed by the library's message, the text
    // the caller shows; other failures (a file that cannot be created) give a plain error text. Leaves the
    // connection closed; the working database stays the one last opened and is reopened by the next
    // statement.
    bool CreateSQLiteDB(const QString& sFileName);
    // True when sFileName exists and holds both tables. Leaves the connection closed like CreateSQLiteDB.
    bool VerifySQLiteDB(const QString& sFileName);
    // Makes an existing sFileName the working database and opens it; true when it is open and readable as a
    // database. A missing file changes nothing; a file that cannot be read as a database stays the working
    // database with the connection closed, and LastError() says why.
    bool OpenSQLiteDB(const QString& sFileName);
    // Closes the connection and forgets the working database, so no statement reopens it (for a file
    // about to be removed).
    void CloseSQLiteDB();

    // Inserts the session row; an empty title is stored as "Unnamed Session.", the timecodes stay NULL.
    // fStamp is the row's date stamp, the time of the call when 0.
    bool InsertSession(const TSessionInfo& rSessionInfo, double fStamp = 0.0);
    // Rewrites every column of the session's row but its identifier and stamps it with the time of the
    // update (fStamp when not 0); true when the statement ran, also when no row matched. The session's
    // kept verdict is forgotten, since its setup may have changed.
    bool UpdateSession(const TSessionInfo& rSessionInfo, double fStamp = 0.0);
    // Reopens the connection to see the file's current content, runs rFilter's statement with its values
    // bound (the whole session list when empty) and hands out its result; true when it has a row. A
    // statement that would change the file is refused. DBResult is null when the statement could not run.
    bool RetreiveSessionList(std::unique_ptr<TDBResult>& DBResult, const TSQLFilter& rFilter);
    // Runs rFilter's statement, or when it is empty reads every level row of the session; true when the
    // result has a row. The session's identifier is bound to the parameter ?1 and rFilter's values to ?2,
    // ?3, ... Same rules for DBResult as RetreiveSessionList.
    bool RetreiveSessionData(const QString& sSessionId, const TSQLFilter& rFilter,
                             std::unique_ptr<TDBResult>& DBResult);
    // The first and last row number (nId) of the level table; iLast < iFirst when it has no rows. False when
    // the table could not be read.
    bool LevelRowIdRange(qint64& iFirst, qint64& iLast);
    // RetreiveSessionData for the level rows numbered iFrom to iTo only: SQLite reads that stretch of the
    // table and no more, so a long read can be taken in steps. rFilter's statement must read
    // qxr_loudness_levels with its nId, as the data filter's statements do.
    bool RetreiveSessionDataWindow(const QString& sSessionId, const TSQLFilter& rFilter, qint64 iFrom,
                                   qint64 iTo, std::unique_ptr<TDBResult>& DBResult);
    // How many rows RetreiveSessionDataWindow would give, counted by SQLite; false when it failed.
    bool CountSessionDataWindow(const QString& sSessionId, const TSQLFilter& rFilter, qint64 iFrom,
                                qint64 iTo, qint64& iCount);
    // Whether the session's row is stored: bExists tells; false when the database could not be read.
    bool SessionExists(const QString& sSessionId, bool& bExists);
    // Deletes the session's level rows and its session row together: either both go or neither. Its own
    // target and kept verdict go with them.
    bool DeleteSessionData(const QString& sSessionId);
    // Inserts one level row stamped with the time of insertion. iMeterTimeInterval, fMeterLowLimit and
    // fMeterPeakLimit are accepted and not stored.
    bool InsertSessionData(const QString& sRPTId, const QString& sRPTVer, int iPeakChannel,
                           int iMeterTimeInterval, double fLoudnessIntegrating, double fInstantaneousPeak,
                           double fLoudnessLo, double fLoudnessHi, double fMeterLowLimit,
                           double fMeterPeakLimit, const QString& sTC);

    // Inserts one level row and, in the same transaction, makes its timecode the session's end timecode
    // (and its start timecode while the session has none), so a session cut off by a crash still tells
    // where it began and ended. The session's kept verdict no longer holds and is forgotten.
    bool InsertLevelRow(const TStoredLevel& rRow);

    // Runs fnRun on the open connection, for the tables of their own that other classes keep beside the
    // session tables; false, with the reason in sError, when the database cannot open or fnRun throws.
    bool RunOnOwnTables(const std::function<void(SQLite::Database&)>& fnRun, QString& sError);
    static bool TableExists(SQLite::Database& rDB, const char* sName);

    bool Connected() const { return SQLConn != nullptr; }
    // The working database file, empty when none is chosen.
    QString DatabaseFileName() const { return sWorkingFile; }
    QString LastError() const { return sLastError; }
    // What the last refused open or verify found missing: "table" or "table.column" names.
    QStringList MissingColumns() const { return slMissing; }
    // Sessions whose timecodes the last open filled in from their level rows.
    int RepairedSessions() const { return iRepaired; }

private:
    // Targets and kept verdicts live in tables of their own on the same connection.
    friend class TComplianceStore;

    // Opens the working database when the connection is closed; false when there is none or it fails.
    bool EnsureOpen();
    void DropAfterFailedWrite();
    std::shared_ptr<SQLite::Database> OpenFile(const QString& sFileName) const;
    // The tables and columns this program writes that the file lacks.
    static QStringList FindMissingColumns(SQLite::Database& rDB);
    // Fills the NULL timecodes of sessions cut off by a crash from their first and last level rows; a
    // session without rows gets empty ones, as a session ended normally would. Returns the sessions changed.
    static int RepairSessionTimecodes(SQLite::Database& rDB);
    // Gives the connection its session list view, and the file its table of recording starts when the
    // file can be written and lacks it (then filled for the sessions already there).
    void PrepareSessionList(SQLite::Database& rDB);
    // Notes the recording start of the sessions that have none noted yet (written by an older program):
    // the stamp of their first level row, NULL when they have none. One pass over the level rows.
    static void BackfillRecordingStarts(SQLite::Database& rDB);
    // Makes the row's stamp its session's recording start while the session has none (its first row).
    void NoteRecordingStart(const TStoredLevel& rRow);
    // Runs a reading statement and hands out its result; aValues are bound to its parameters in order
    // (values beyond its parameters are left out, parameters beyond the values stay NULL).
    bool RunResult(std::unique_ptr<TDBResult>& DBResult, const QString& sSQL, const QVariantList& aValues);
    // RunResult of sOuter with its %1 the session data statement and %2, %3 the row numbers' bounds.
    bool RunSessionDataWindow(const char* sOuter, const QString& sSessionId, const TSQLFilter& rFilter,
                              qint64 iFrom, qint64 iTo, std::unique_ptr<TDBResult>& DBResult);

    int iBusyTimeoutMs;
    QString sWorkingFile;
    std::shared_ptr<SQLite::Database> SQLConn;
    QString sLastError;
    QStringList slMissing;
    int iRepaired = 0;
    // The open connection's file has the table of recording starts.
    bool bRecordingStarts = false;
};
