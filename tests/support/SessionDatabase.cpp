#include "tests/support/SessionDatabase.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <stdexcept>

namespace qxtest {

TSessionDatabase::TSessionDatabase(int iBusyTimeoutMs) : Db(iBusyTimeoutMs) {
    sPath = Dir.filePath(QStringLiteral("sessions.DB3"));
    if (!Db.CreateSQLiteDB(sPath) || !Db.OpenSQLiteDB(sPath))
        throw std::runtime_error("cannot create the test database");
}

QString TSessionDatabase::AddSession(const TStoredSession& r, int iLevels) {
    TSessionInfo s;
    s.sReportID = QStringLiteral("00000000-0000-0000-0000-%1").arg(++iNext, 12, 10, QLatin1Char('0'));
    s.sReportVersion = QStringLiteral("1");
    s.sInstrument = r.sInstrument;
    s.sShowTitle = r.sTitle;
    s.sShowNumber = r.sNo;
    s.sOperatorName = r.sOperator;
    s.sFormat = r.sFormat;
    s.sNotes = r.sNotes;
    s.rLoudnessSetup = {1, 2, 1, 0, 1, -10.5, -23.0, -1.0, 0.0, 0, 1, 1, true};
    if (!Db.InsertSession(s))
        throw std::runtime_error("cannot insert a session");
    for (int i = 0; i < iLevels; ++i)
        Db.InsertSessionData(s.sReportID, s.sReportVersion, 0, 1, -23.0, -3.0, -30.0, -20.0, 0, 0,
                             QStringLiteral("10:00:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')));
    SQLite::Database db(sPath.toStdString(), SQLite::OPEN_READWRITE);
    SQLite::Statement stamp(
        db, "UPDATE qxr_sessions SET dtDateTime=?, sTimeCodeStart=?, sTimeCodeEnd=? WHERE sReportId=?");
    stamp.bind(1, JulianDateOf(r.dtStamp));
    stamp.bind(2, "10:00:00:00");
    stamp.bind(3, "10:30:00:00");
    stamp.bind(4, s.sReportID.toStdString());
    stamp.exec();
    if (iLevels > 0) {
        const double fRecorded = JulianDateOf(r.dtRecorded.isValid() ? r.dtRecorded : r.dtStamp);
        SQLite::Statement levels(db,
                                 "UPDATE qxr_loudness_levels SET dtDateTime=?2+(nId-(SELECT min(nId) FROM "
                                 "qxr_loudness_levels WHERE sReportId=?1))/86400.0 WHERE sReportId=?1");
        levels.bind(1, s.sReportID.toStdString());
        levels.bind(2, fRecorded);
        levels.exec();
        SQLite::Statement start(db, "UPDATE qxr_recording_starts SET dtRecordingStart=? WHERE sReportId=?");
        start.bind(1, fRecorded);
        start.bind(2, s.sReportID.toStdString());
        start.exec();
    }
    return s.sReportID;
}

int TSessionDatabase::CountRows(const char* sTable, const QString& sReportId) const {
    SQLite::Database db(sPath.toStdString(), SQLite::OPEN_READONLY);
    const std::string sWhere = sReportId.isEmpty() ? "" : " WHERE sReportId=?";
    SQLite::Statement count(db, std::string("SELECT count(*) FROM ") + sTable + sWhere);
    if (!sReportId.isEmpty())
        count.bind(1, sReportId.toStdString());
    count.executeStep();
    return count.getColumn(0).getInt();
}

bool TSessionDatabase::TablesIntact() const {
    SQLite::Database db(sPath.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement tables(db, "SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN "
                                 "('qxr_sessions','qxr_loudness_levels')");
    tables.executeStep();
    return tables.getColumn(0).getInt() == 2;
}

} // namespace qxtest
