#include "store/SessionGapStore.h"

#include "store/dbSQLite.h"

#include <SQLiteCpp/SQLiteCpp.h>

namespace {

const char* const kGapsTable = "qxr_session_gaps";
const char* const kCreateGaps =
    "CREATE TABLE IF NOT EXISTS qxr_session_gaps (nId INTEGER PRIMARY KEY ASC,sReportId TEXT NOT NULL,"
    "sTimeCodeBefore TEXT,sTimeCodeAfter TEXT,dtBefore TEXT,dtAfter TEXT,sReason TEXT);"
    "CREATE INDEX IF NOT EXISTS qxr_session_gaps_report ON qxr_session_gaps (sReportId);";
const char* const kInsertGap =
    "INSERT INTO qxr_session_gaps (sReportId,sTimeCodeBefore,sTimeCodeAfter,dtBefore,dtAfter,sReason) "
    "VALUES (?,?,?,?,?,?);";
const char* const kSelectGaps =
    "SELECT sReportId,sTimeCodeBefore,sTimeCodeAfter,dtBefore,dtAfter,sReason FROM qxr_session_gaps "
    "WHERE sReportId=? ORDER BY nId;";
const char* const kCountEnded = "SELECT count(*) FROM qxr_session_gaps WHERE dtAfter>=?;";
const char* const kDeleteGaps = "DELETE FROM qxr_session_gaps WHERE sReportId=?;";
const char* const kDateTimeFormat = "yyyy-MM-dd HH:mm:ss";

std::string Utf8(const QString& s) {
    return s.toStdString();
}

QString TextOf(const SQLite::Column& col) {
    return col.isText() ? QString::fromUtf8(static_cast<const char*>(col.getBlob()), col.getBytes())
                        : QString();
}

} // namespace

QString GapDateTimeText(const QDateTime& dt) {
    return dt.toString(QLatin1String(kDateTimeFormat));
}

bool TSessionGapStore::InsertGap(const TSessionGap& r) {
    return rDB.RunOnOwnTables(
        [&](SQLite::Database& rConn) {
            rConn.exec(kCreateGaps);
            SQLite::Statement insert(rConn, kInsertGap);
            insert.bind(1, Utf8(r.sReportId));
            insert.bind(2, Utf8(r.sTimeCodeBefore));
            insert.bind(3, Utf8(r.sTimeCodeAfter));
            insert.bind(4, Utf8(GapDateTimeText(r.dtBefore)));
            insert.bind(5, Utf8(GapDateTimeText(r.dtAfter)));
            insert.bind(6, Utf8(r.sReason));
            insert.exec();
        },
        sLastError);
}

bool TSessionGapStore::ReadGapsOf(const QString& sReportId, QList<TSessionGap>& aGaps) {
    aGaps.clear();
    return rDB.RunOnOwnTables(
        [&](SQLite::Database& rConn) {
            if (!TdbSQLite::TableExists(rConn, kGapsTable))
                return;
            SQLite::Statement query(rConn, kSelectGaps);
            query.bind(1, Utf8(sReportId));
            const QString sFormat = QLatin1String(kDateTimeFormat);
            while (query.executeStep()) {
                TSessionGap r;
                r.sReportId = TextOf(query.getColumn(0));
                r.sTimeCodeBefore = TextOf(query.getColumn(1));
                r.sTimeCodeAfter = TextOf(query.getColumn(2));
                r.dtBefore = QDateTime::fromString(TextOf(query.getColumn(3)), sFormat);
                r.dtAfter = QDateTime::fromString(TextOf(query.getColumn(4)), sFormat);
                r.sReason = TextOf(query.getColumn(5));
                // A hand-edited row that does not say where the gap lies cannot be shown in its place.
                if (r.sReportId.isEmpty() || r.sTimeCodeBefore.isEmpty() || r.sTimeCodeAfter.isEmpty())
                    continue;
                aGaps.append(r);
            }
        },
        sLastError);
}

bool TSessionGapStore::CountEndedSince(const QDateTime& dtFrom, int& iCount) {
    iCount = 0;
    return rDB.RunOnOwnTables(
        [&](SQLite::Database& rConn) {
            if (!TdbSQLite::TableExists(rConn, kGapsTable))
                return;
            SQLite::Statement query(rConn, kCountEnded);
            query.bind(1, Utf8(GapDateTimeText(dtFrom)));
            if (query.executeStep())
                iCount = query.getColumn(0).getInt();
        },
        sLastError);
}

void TSessionGapStore::ForgetSession(SQLite::Database& rConn, const std::string& sReportId) {
    if (!TdbSQLite::TableExists(rConn, kGapsTable))
        return;
    SQLite::Statement remove(rConn, kDeleteGaps);
    remove.bind(1, sReportId);
    remove.exec();
}
