#pragma once

#include "compliance/KeptVerdict.h"
#include "core/LoudnessStandard.h"

#include <QHash>
#include <QString>
#include <functional>
#include <optional>
#include <string>

class TdbSQLite;

namespace SQLite {
class Database;
} // namespace SQLite

// A session's own delivery target and its kept verdict, in two tables of their own beside the session
// tables (qxr_session_targets, qxr_session_verdicts), so that the session tables stay as other programs
// know them. A database without these tables is read as one whose sessions have no target of their own
// and no kept verdict: they are judged against the program's default and computed when shown. Values are
// bound as parameters; rows read back are checked, and a row that does not hold sound values is treated as
// absent. Used on the main thread, through the session database's one connection.
class TComplianceStore {
public:
    explicit TComplianceStore(TdbSQLite& rDB) : rDB(rDB) {}

    // Forgets the kept verdict of a session whose rows or setup changed. No error when the table is
    // missing: the write that changed them must not fail for it.
    static void ForgetVerdict(SQLite::Database& rConn, const std::string& sReportId);
    // Forgets a deleted session's target and verdict (same rule).
    static void ForgetSession(SQLite::Database& rConn, const std::string& sReportId);

    // The session's own target; nothing when it has none (or its row is not sound). False when the
    // database could not be read (a missing table is no error).
    bool ReadSessionTarget(const QString& sReportId, std::optional<TLoudnessStandard>& rTarget);
    // The target session sReportId is judged against: its own, or the default of rOptions. False (and the
    // default in rTarget) when its own target could not be read.
    bool ReadTargetOf(const QString& sReportId, const TComplianceOptions& rOptions,
                      TLoudnessStandard& rTarget);
    // Every session's own target, by identifier.
    bool ReadSessionTargets(QHash<QString, TLoudnessStandard>& aTargets);
    // Sets the session's own target and forgets its kept verdict, in one transaction.
    bool WriteSessionTarget(const QString& sReportId, const TLoudnessStandard& rTarget);
    // Removes the session's own target (it is judged against the default again) and its kept verdict.
    bool ClearSessionTarget(const QString& sReportId);

    bool ReadKeptVerdict(const QString& sReportId, std::optional<TKeptVerdict>& rKept);
    // The marks of every session with a kept verdict, by identifier, in one statement, as the session list
    // needs them: each verdict's mark holds when it was computed against the session's own target, or the
    // default of rOptions when it has none.
    bool ReadVerdictMarks(const TComplianceOptions& rOptions, QHash<QString, TKeptMark>& aMarks);
    // Keeps the verdict of a session; refused when the session has a target of its own and the verdict was
    // computed against another.
    bool WriteKeptVerdict(const QString& sReportId, const TKeptVerdict& rKept);

    QString LastError() const { return sLastError; }

private:
    // Runs fnRun on the open connection; false, with the reason kept, when it cannot open or fnRun throws.
    bool Run(const std::function<void(SQLite::Database&)>& fnRun);
    // Runs fnRead when sTable exists: a missing table reads as empty.
    bool ReadFrom(const char* sTable, const std::function<void(SQLite::Database&)>& fnRead);
    // Creates the tables when they are missing, then runs fnWrite.
    bool WriteTo(const std::function<void(SQLite::Database&)>& fnWrite);

    TdbSQLite& rDB;
    QString sLastError;
};

// The target a session is judged against: its own, or the program's default.
TLoudnessStandard EffectiveTarget(const std::optional<TLoudnessStandard>& rOwn,
                                  const TComplianceOptions& rOptions);
