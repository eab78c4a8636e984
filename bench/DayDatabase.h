#pragma once

// The database of the day-long benchmarks: two sessions of 86,400 level rows each, as a day of logging
// leaves them; for the week-long figures the loaded session runs for seven days (604,800 rows).

#include "store/dbSQLite.h"

#include <QString>
#include <QTemporaryDir>
#include <SQLiteCpp/SQLiteCpp.h>
#include <cmath>
#include <cstdio>

namespace qxbench {

inline constexpr int kRowsPerDay = 86400;
inline constexpr int kDaysPerWeek = 7;
inline constexpr int kRowsPerWeek = kDaysPerWeek * kRowsPerDay;
inline const char* const kSession = "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9";
inline const char* const kOtherSession = "F0E1D2C3-B4A5-9687-7869-5A4B3C2D1E0F";

// A database as a day of logging leaves it, with a second day-long session beside the one loaded, which
// runs for iDays days.
inline bool CreateDayDatabase(const QString& sFile, int iDays = 1) {
    TdbSQLite db;
    if (!db.CreateSQLiteDB(sFile))
        return false;
    SQLite::Database conn(sFile.toStdString(), SQLite::OPEN_READWRITE);
    SQLite::Transaction transaction(conn);
    SQLite::Statement insert(conn, "INSERT INTO qxr_loudness_levels (sReportId,iVersion,dtDateTime,sTimeCode,"
                                   "iPeakChannel,fInstantaneousPeak,fLoudnessHi,fLoudnessLo,fLoudnessInt) "
                                   "VALUES (?,1,?,?,?,?,?,?,?);");
    for (const char* sId : {kOtherSession, kSession}) {
        const int iRows = sId == kSession ? iDays * kRowsPerDay : kRowsPerDay;
        for (int iRow = 0; iRow < iRows; ++iRow) {
            // The timecode runs through midnight into the next day.
            const int i = iRow % kRowsPerDay;
            const double t = iRow;
            const double fShortTerm =
                std::round((-24 + 4 * std::sin(t / 37.0) + 2 * std::sin(t / 5.3)) * 10) / 10;
            insert.bind(1, sId);
            insert.bind(2, 2460140.5 + t / 86400.0);
            insert.bind(
                3, QString::asprintf("%02d:%02d:%02d:00", i / 3600, (i / 60) % 60, i % 60).toStdString());
            insert.bind(4, i % 97 == 0 ? 2 : 0);
            insert.bind(5, std::round((fShortTerm + 12 + 3 * std::sin(t / 2.1)) * 10) / 10);
            insert.bind(6, fShortTerm);
            insert.bind(7, fShortTerm - 8);
            insert.bind(8, std::round((-23 + std::sin(t / 900.0)) * 10) / 10);
            insert.exec();
            insert.reset();
        }
    }
    transaction.commit();
    return true;
}

// Creates the day database (the loaded session iDays long) in dir and opens it in rDB; false, with the
// reason on the error output, when either fails.
inline bool OpenDayDatabase(const QTemporaryDir& dir, TdbSQLite& rDB, int iDays = 1) {
    const QString sFile = dir.filePath(QStringLiteral("days%1.DB3").arg(iDays));
    if (!dir.isValid() || !CreateDayDatabase(sFile, iDays) || !rDB.OpenSQLiteDB(sFile)) {
        std::fprintf(stderr, "could not create the database\n");
        return false;
    }
    return true;
}

} // namespace qxbench
