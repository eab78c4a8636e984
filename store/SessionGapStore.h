#pragma once

#include "core/SessionTypes.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <string>

class TdbSQLite;

namespace SQLite {
class Database;
} // namespace SQLite

// The gaps of sessions that resumed after their meter could not report, in a table of their own beside the
// session tables (qxr_session_gaps), created by the first gap written: a database without it has sessions
// without gaps. Date-times are stored as local "yyyy-MM-dd HH:mm:ss" texts, so that they sort as they read.
// Values are bound as parameters; a row read back without its session or timecodes is left out. Used on
// the main thread, through the session database's one connection.
class TSessionGapStore {
public:
    explicit TSessionGapStore(TdbSQLite& rDB) : rDB(rDB) {}

    bool InsertGap(const TSessionGap& rGap);
    // The gaps of session sReportId in the order they were written. False when the database could not be
    // read (a missing table is no error).
    bool ReadGapsOf(const QString& sReportId, QList<TSessionGap>& aGaps);
    // The gaps, of every session, that ended (logging resumed) at dtFrom or later.
    bool CountEndedSince(const QDateTime& dtFrom, int& iCount);
    // Forgets a deleted session's gaps; no error when the table is missing.
    static void ForgetSession(SQLite::Database& rConn, const std::string& sReportId);

    QString LastError() const { return sLastError; }

private:
    TdbSQLite& rDB;
    QString sLastError;
};

// The stored form of a gap's date-time.
QString GapDateTimeText(const QDateTime& dt);
