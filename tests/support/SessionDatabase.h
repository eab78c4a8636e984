#pragma once

#include "store/dbSQLite.h"

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

namespace qxtest {

// The texts and stamps of one stored session: dtStamp is its row's last update, dtRecorded the arrival of
// its first level row (dtStamp when not given); level rows follow one second apart.
struct TStoredSession {
    QString sTitle;
    QString sNo;
    QString sOperator;
    QString sFormat;
    QString sNotes;
    QDateTime dtStamp;
    QString sInstrument;
    QDateTime dtRecorded = {};
};

// A session database file of its own for one test, created by the program's store and open in Db.
// Sessions are added through the store and then given the stamp the test needs.
class TSessionDatabase {
public:
    explicit TSessionDatabase(int iBusyTimeoutMs = kDefaultBusyTimeoutMs);

    // Adds a session with iLevels level rows; returns its identifier.
    QString AddSession(const TStoredSession& r, int iLevels = 0);
    // Rows of a table, all of them or those of one session.
    int CountRows(const char* sTable, const QString& sReportId = QString()) const;
    // True when both tables still exist.
    bool TablesIntact() const;
    QString Path() const { return sPath; }

    TdbSQLite Db;

private:
    QTemporaryDir Dir;
    QString sPath;
    int iNext = 0;
};

} // namespace qxtest
