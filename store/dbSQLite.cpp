#include "store/dbSQLite.h"

#include "store/ComplianceStore.h"
#include "store/SessionGapStore.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <SQLiteCpp/SQLiteCpp.h>
#include <span>
#include <sqlite3.h>

namespace {

const char* const kCreateSessions =
    "CREATE TABLE IF NOT EXISTS qxr_sessions (nId INTEGER PRIMARY KEY ASC,sReportId TEXT,iVersion "
    "INTEGER,dtDateTime REAL,sInstrument TEXT,sTitle TEXT,sNo TEXT,sOperator TEXT,sFormat TEXT,sNotes "
    "TEXT,sTimeCodeStart TEXT,sTimeCodeEnd TEXT,iLoudnessPeakMode INTEGER,iLoudnessCaptureMode "
    "INTEGER,iLoudnessScaleMode INTEGER,iLoudnessReferenceMode INTEGER,iLoudnessSlidingWindow "
    "INTEGER,fLoudnessGateLevel REAL,iLoudnessGateMode INTEGER,fLoudnessReferenceLevel "
    "REAL,fLoudnessPeakLevel REAL,iLoudnessFilter INTEGER);";

// The two blanks before DATETIME are part of the table's stored definition.
const char* const kCreateLevels =
    "CREATE TABLE IF NOT EXISTS qxr_loudness_levels (nId INTEGER PRIMARY KEY ASC,sReportId TEXT,iVersion "
    "INTEGER,dtDateTime  DATETIME,sTimeCode TEXT,iPeakChannel INTEGER,fInstantaneousPeak REAL,fLoudnessHi "
    "REAL,fLoudnessLo REAL,fLoudnessInt REAL);";

// When each session began to record: the stamp of its first level row (NULL while it has none). A table of
// its own, so that listing sessions by their start never reads the level rows.
const char* const kCreateRecordingStarts =
    "CREATE TABLE IF NOT EXISTS qxr_recording_starts (sReportId TEXT PRIMARY KEY,dtRecordingStart REAL);";
const char* const kNoteSessionCreated =
    "INSERT OR IGNORE INTO qxr_recording_starts (sReportId,dtRecordingStart) VALUES (?,NULL);";
const char* const kNoteRecordingStart =
    "INSERT INTO qxr_recording_starts (sReportId,dtRecordingStart) VALUES (?1,?2) ON CONFLICT(sReportId) "
    "DO UPDATE SET dtRecordingStart=excluded.dtRecordingStart WHERE dtRecordingStart IS NULL;";
const char* const kDeleteRecordingStart = "DELETE FROM qxr_recording_starts where sReportId=?;";
const char* const kCountUnnotedSessions =
    "SELECT EXISTS (SELECT 1 FROM qxr_sessions s WHERE s.sReportId IS NOT NULL AND NOT EXISTS "
    "(SELECT 1 FROM qxr_recording_starts r WHERE r.sReportId=s.sReportId));";
// The level rows are read once, grouped by session; min() makes the row's stamp that of its first row.
const char* const kBackfillRecordingStarts =
    "INSERT OR IGNORE INTO qxr_recording_starts (sReportId,dtRecordingStart) "
    "SELECT s.sReportId,f.dtDateTime FROM qxr_sessions s LEFT JOIN "
    "(SELECT sReportId,dtDateTime,min(nId) FROM qxr_loudness_levels GROUP BY sReportId) f "
    "ON f.sReportId=s.sReportId WHERE s.sReportId IS NOT NULL AND NOT EXISTS "
    "(SELECT 1 FROM qxr_recording_starts r WHERE r.sReportId=s.sReportId);";
const char* const kCreateSessionListView =
    "CREATE TEMP VIEW qxr_session_list AS SELECT s.*,COALESCE(r.dtRecordingStart,s.dtDateTime) AS "
    "dtRecordingStart FROM qxr_sessions s LEFT JOIN qxr_recording_starts r ON r.sReportId=s.sReportId;";
// A file that cannot be written and has no recording starts lists its sessions by their own stamp.
const char* const kCreatePlainSessionListView =
    "CREATE TEMP VIEW qxr_session_list AS SELECT *,dtDateTime AS dtRecordingStart FROM qxr_sessions;";

const char* const kInsertSession =
    "INSERT INTO qxr_sessions (sReportId,iVersion,dtDateTime,sInstrument,sTitle,sNo,sOperator,sFormat,sNotes,"
    "iLoudnessPeakMode,iLoudnessCaptureMode,iLoudnessScaleMode,iLoudnessReferenceMode,iLoudnessSlidingWindow,"
    "fLoudnessGateLevel,iLoudnessGateMode,fLoudnessReferenceLevel,fLoudnessPeakLevel,iLoudnessFilter) VALUES "
    "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);";

const char* const kUpdateSession =
    "UPDATE qxr_sessions SET iVersion=?,dtDateTime=?,sTimeCodeStart=?,sTimeCodeEnd=?,sInstrument=?,sTitle=?,"
    "sNo=?,sOperator=?,sFormat=?,sNotes=?,iLoudnessPeakMode=?,iLoudnessCaptureMode=?,iLoudnessScaleMode=?,"
    "iLoudnessReferenceMode=?,iLoudnessSlidingWindow=?,fLoudnessGateLevel=?,iLoudnessGateMode=?,"
    "fLoudnessReferenceLevel=?,fLoudnessPeakLevel=?,iLoudnessFilter=? WHERE sReportId=?;";

const char* const kInsertLevel = "INSERT INTO qxr_loudness_levels "
                                 "(sReportId,iVersion,dtDateTime,sTimeCode,iPeakChannel,fInstantaneousPeak,"
                                 "fLoudnessHi,fLoudnessLo,fLoudnessInt) VALUES (?,?,?,?,?,?,?,?,?);";

// Every level row also moves its session's end timecode, and sets its start timecode while it has none (an
// empty one counts as none: it is what an open gives a session that had no rows yet).
const char* const kUpdateSessionTimecodes =
    "UPDATE qxr_sessions SET sTimeCodeStart=COALESCE(NULLIF(sTimeCodeStart,''),?1),sTimeCodeEnd=?1 "
    "WHERE sReportId=?2;";

const char* const kCountCutOffSessions =
    "SELECT count(*) FROM qxr_sessions WHERE sTimeCodeStart IS NULL OR sTimeCodeEnd IS NULL;";
const char* const kRepairCutOffSessions =
    "UPDATE qxr_sessions SET "
    "sTimeCodeStart=COALESCE(sTimeCodeStart,(SELECT l.sTimeCode FROM qxr_loudness_levels l WHERE "
    "l.sReportId=qxr_sessions.sReportId ORDER BY l.nId LIMIT 1),''),"
    "sTimeCodeEnd=COALESCE(sTimeCodeEnd,(SELECT l.sTimeCode FROM qxr_loudness_levels l WHERE "
    "l.sReportId=qxr_sessions.sReportId ORDER BY l.nId DESC LIMIT 1),'') "
    "WHERE sTimeCodeStart IS NULL OR sTimeCodeEnd IS NULL;";

// The columns this program reads and writes, table by table.
const char* const kSessionColumns[] = {"nId",
                                       "sReportId",
                                       "iVersion",
                                       "dtDateTime",
                                       "sInstrument",
                                       "sTitle",
                                       "sNo",
                                       "sOperator",
                                       "sFormat",
                                       "sNotes",
                                       "sTimeCodeStart",
                                       "sTimeCodeEnd",
                                       "iLoudnessPeakMode",
                                       "iLoudnessCaptureMode",
                                       "iLoudnessScaleMode",
                                       "iLoudnessReferenceMode",
                                       "iLoudnessSlidingWindow",
                                       "fLoudnessGateLevel",
                                       "iLoudnessGateMode",
                                       "fLoudnessReferenceLevel",
                                       "fLoudnessPeakLevel",
                                       "iLoudnessFilter"};
const char* const kLevelColumns[] = {"nId",         "sReportId",    "iVersion",           "dtDateTime",
                                     "sTimeCode",   "iPeakChannel", "fInstantaneousPeak", "fLoudnessHi",
                                     "fLoudnessLo", "fLoudnessInt"};
struct TTableColumns {
    const char* sTable;
    std::span<const char* const> aColumns;
};
const TTableColumns kRequiredColumns[] = {{"qxr_sessions", kSessionColumns},
                                          {"qxr_loudness_levels", kLevelColumns}};

const char* const kSelectSessions = "SELECT * FROM qxr_session_list;";
const char* const kSelectLevels = "SELECT * FROM qxr_loudness_levels where sReportId=? ORDER BY nId;";
// Each bound alone, so that SQLite reads it from the end of the row index instead of every row.
const char* const kSelectLevelRowIdRange =
    "SELECT (SELECT min(nId) FROM qxr_loudness_levels),(SELECT max(nId) FROM qxr_loudness_levels);";
const char* const kDeleteLevels = "DELETE FROM qxr_loudness_levels where sReportId=?;";
const char* const kSessionExists = "SELECT count(*) FROM qxr_sessions WHERE sReportId=?;";
const char* const kDeleteSession = "DELETE FROM qxr_sessions where sReportId=?;";

const char* const kUnnamedSession = "Unnamed Session.";
const char* const kCreateErrorPrefix = "Exception raised with message";

// qx_fold(x): x with the case of every letter folded; NULL stays NULL.
void FoldCase(sqlite3_context* pContext, int iArgs, sqlite3_value** aArgs) {
    if (iArgs != 1 || sqlite3_value_type(aArgs[0]) == SQLITE_NULL) {
        sqlite3_result_null(pContext);
        return;
    }
    const auto* pText = reinterpret_cast<const char*>(sqlite3_value_text(aArgs[0]));
    const int iBytes = sqlite3_value_bytes(aArgs[0]);
    const QByteArray aFolded = QString::fromUtf8(pText, iBytes).toCaseFolded().toUtf8();
    sqlite3_result_text(pContext, aFolded.constData(), int(aFolded.size()), SQLITE_TRANSIENT);
}

std::string Utf8(const QString& s) {
    return s.toStdString();
}

double LocalStamp() {
    return JulianDateOf(QDateTime::currentDateTime());
}

double StampOr(double fStamp) {
    return fStamp != 0.0 ? fStamp : LocalStamp();
}

void BindLevelRow(SQLite::Statement& query, const TStoredLevel& r) {
    query.bind(1, Utf8(r.sReportId));
    query.bind(2, Utf8(r.sReportVersion));
    query.bind(3, StampOr(r.fStamp));
    query.bind(4, Utf8(r.sTimeCode));
    query.bind(5, r.iPeakChannel);
    query.bind(6, r.fInstantaneousPeak);
    query.bind(7, r.fLoudnessHi);
    query.bind(8, r.fLoudnessLo);
    query.bind(9, r.fLoudnessInt);
}

// The ten loudness-setup columns, in the same order in the insert and the update, from parameter iFirst on.
void BindLoudnessSetup(SQLite::Statement& query, int iFirst, const TLoudnessSetup& r) {
    query.bind(iFirst, r.iPeakMode);
    query.bind(iFirst + 1, r.iCapture);
    query.bind(iFirst + 2, r.iScaleMode);
    query.bind(iFirst + 3, r.iReference);
    query.bind(iFirst + 4, r.iSlidingWindow);
    query.bind(iFirst + 5, r.fGateLevel);
    query.bind(iFirst + 6, r.iGateMode);
    query.bind(iFirst + 7, r.fReferenceLevel);
    query.bind(iFirst + 8, r.fMeterPeakLevel);
    query.bind(iFirst + 9, r.iFilter);
}

QString TitleOf(const TSessionInfo& r) {
    return r.sShowTitle.isEmpty() ? QString(kUnnamedSession) : r.sShowTitle;
}

// True when sSQL only reads: result sets are for reading, so a statement built from typed filter text can
// never change the file.
bool IsReadOnlyStatement(SQLite::Database& rDB, const std::string& sSQL) {
    sqlite3_stmt* pStmt = nullptr;
    if (sqlite3_prepare_v2(rDB.getHandle(), sSQL.c_str(), -1, &pStmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(pStmt);
        return true; // Preparing it again reports the library's error.
    }
    if (pStmt == nullptr)
        return false; // Blank or only a comment: nothing that reads.
    const bool bReadOnly = sqlite3_stmt_readonly(pStmt) != 0;
    sqlite3_finalize(pStmt);
    return bReadOnly;
}

// Binds one filter value by its kind: reals and integers as numbers, NULL as NULL, anything else as text.
void BindValue(SQLite::Statement& query, int iIndex, const QVariant& vValue) {
    switch (vValue.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        query.bind(iIndex, vValue.toDouble());
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        query.bind(iIndex, static_cast<int64_t>(vValue.toLongLong()));
        break;
    default:
        if (vValue.isNull())
            query.bind(iIndex);
        else
            query.bind(iIndex, Utf8(vValue.toString()));
        break;
    }
}

} // namespace

double JulianDateOf(const QDateTime& dtDateTime) {
    // QDate's Julian day number counts from noon, so the day starts half a day earlier.
    const double fDay = static_cast<double>(dtDateTime.date().toJulianDay());
    const double fFraction = dtDateTime.time().msecsSinceStartOfDay() / 86400000.0;
    return fDay - 0.5 + fFraction;
}

// ---- TDBResult ----

TDBResult::TDBResult(std::shared_ptr<SQLite::Database> pConn, std::unique_ptr<SQLite::Statement> pStatement)
    : FConn(std::move(pConn)), FStatement(std::move(pStatement)) {}

TDBResult::~TDBResult() = default;

bool TDBResult::Next() {
    bHasRow = false;
    if (!FStatement || FStatement->isDone())
        return false;
    try {
        bHasRow = FStatement->executeStep();
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(e.what());
    }
    return bHasRow;
}

int TDBResult::ColumnCount() const {
    return FStatement ? FStatement->getColumnCount() : 0;
}

bool TDBResult::ValidColumn(int iIndex) const {
    return bHasRow && iIndex >= 0 && iIndex < ColumnCount();
}

QString TDBResult::ColumnName(int iIndex) const {
    if (iIndex < 0 || iIndex >= ColumnCount())
        return {};
    return QString::fromUtf8(FStatement->getColumnName(iIndex));
}

int TDBResult::ColumnIndex(const QString& sName) const {
    for (int i = 0; i < ColumnCount(); ++i) {
        if (ColumnName(i).compare(sName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool TDBResult::IsNull(int iIndex) const {
    return !ValidColumn(iIndex) || FStatement->getColumn(iIndex).isNull();
}

QString TDBResult::AsString(int iIndex) const {
    if (!ValidColumn(iIndex))
        return {};
    const SQLite::Column col = FStatement->getColumn(iIndex);
    return QString::fromUtf8(static_cast<const char*>(col.getBlob()), col.getBytes());
}

bool TDBResult::IsNumber(int iIndex) const {
    if (!ValidColumn(iIndex))
        return false;
    const SQLite::Column col = FStatement->getColumn(iIndex);
    return col.isInteger() || col.isFloat();
}

qint64 TDBResult::AsInteger(int iIndex) const {
    return ValidColumn(iIndex) ? FStatement->getColumn(iIndex).getInt64() : 0;
}

double TDBResult::AsFloat(int iIndex) const {
    return ValidColumn(iIndex) ? FStatement->getColumn(iIndex).getDouble() : 0.0;
}

// ---- TdbSQLite ----

TdbSQLite::TdbSQLite(int iBusyTimeoutMs) : iBusyTimeoutMs(iBusyTimeoutMs) {}

TdbSQLite::~TdbSQLite() = default;

std::shared_ptr<SQLite::Database> TdbSQLite::OpenFile(const QString& sFileName) const {
    // Never OPEN_CREATE: a statement must not bring a missing database file back as an empty one.
    auto pConn = std::make_shared<SQLite::Database>(Utf8(sFileName), SQLite::OPEN_READWRITE, iBusyTimeoutMs);
    sqlite3_create_function_v2(pConn->getHandle(), kFoldCaseFunction, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                               nullptr, FoldCase, nullptr, nullptr, nullptr);
    return pConn;
}

void TdbSQLite::PrepareSessionList(SQLite::Database& rDB) {
    bRecordingStarts = TableExists(rDB, "qxr_recording_starts");
    if (!bRecordingStarts) {
        try {
            rDB.exec(kCreateRecordingStarts);
            bRecordingStarts = true;
            BackfillRecordingStarts(rDB);
        } catch (const std::exception&) {
            // A file that cannot be written now gets the table when it can be written again.
        }
    }
    try {
        rDB.exec("DROP VIEW IF EXISTS temp.qxr_session_list;");
        rDB.exec(bRecordingStarts ? kCreateSessionListView : kCreatePlainSessionListView);
    } catch (const std::exception& e) {
        // The list statement then fails and says why.
        sLastError = QString::fromUtf8(e.what());
    }
}

void TdbSQLite::BackfillRecordingStarts(SQLite::Database& rDB) {
    try {
        if (rDB.execAndGet(kCountUnnotedSessions).getInt() != 0)
            rDB.exec(kBackfillRecordingStarts);
    } catch (const std::exception&) {
        // Sessions without a noted start list by their own stamp until a later open notes it.
    }
}

bool TdbSQLite::EnsureOpen() {
    if (SQLConn)
        return true;
    if (sWorkingFile.isEmpty()) {
        sLastError = QStringLiteral("No database is open.");
        return false;
    }
    try {
        SQLConn = OpenFile(sWorkingFile);
        PrepareSessionList(*SQLConn);
        return true;
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(e.what());
        return false;
    }
}

void TdbSQLite::DropAfterFailedWrite() {
    // A connection opened while the file could not be written stays read-only, and one that saw a table
    // change may hold a stale view: the next write opens the file afresh.
    SQLConn.reset();
}

bool TdbSQLite::RunOnOwnTables(const std::function<void(SQLite::Database&)>& fnRun, QString& sError) {
    if (!EnsureOpen()) {
        sError = sLastError;
        return false;
    }
    try {
        fnRun(*SQLConn);
        return true;
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(e.what());
        sError = sLastError;
        return false;
    }
}

bool TdbSQLite::TableExists(SQLite::Database& rDB, const char* sName) {
    try {
        SQLite::Statement query(rDB, "SELECT name FROM sqlite_master WHERE type='table' and name=?;");
        query.bind(1, sName);
        return query.executeStep();
    } catch (const std::exception&) {
        return false;
    }
}

bool TdbSQLite::CreateSQLiteDB(const QString& sFileName) {
    // The working database may be the very file being recreated; it is reopened by the next statement.
    SQLConn.reset();
    QFile file(sFileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        sLastError = file.errorString();
        return false;
    }
    file.close();
    try {
        SQLite::Database db(Utf8(sFileName), SQLite::OPEN_READWRITE, iBusyTimeoutMs);
        db.exec(kCreateSessions);
        db.exec(kCreateLevels);
        db.exec(kCreateRecordingStarts);
        return true;
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(kCreateErrorPrefix) + QString::fromUtf8(e.what());
        return false;
    }
}

QStringList TdbSQLite::FindMissingColumns(SQLite::Database& rDB) {
    QStringList slMissing;
    for (const TTableColumns& rTable : kRequiredColumns) {
        QStringList slHave;
        SQLite::Statement query(rDB, "SELECT name FROM pragma_table_info(?);");
        query.bind(1, rTable.sTable);
        while (query.executeStep())
            slHave << QString::fromUtf8(query.getColumn(0).getText());
        if (slHave.isEmpty()) {
            slMissing << QString::fromUtf8(rTable.sTable);
            continue;
        }
        for (const char* sColumn : rTable.aColumns) {
            if (!slHave.contains(QString::fromUtf8(sColumn), Qt::CaseInsensitive))
                slMissing << QString::fromUtf8(rTable.sTable) + '.' + QString::fromUtf8(sColumn);
        }
    }
    return slMissing;
}

int TdbSQLite::RepairSessionTimecodes(SQLite::Database& rDB) {
    try {
        if (rDB.execAndGet(kCountCutOffSessions).getInt() == 0)
            return 0;
        return rDB.exec(kRepairCutOffSessions);
    } catch (const std::exception&) {
        // A file that cannot be written now keeps them for a later open.
        return 0;
    }
}

bool TdbSQLite::VerifySQLiteDB(const QString& sFileName) {
    SQLConn.reset();
    slMissing.clear();
    if (!QFileInfo(sFileName).isFile()) {
        sLastError = QStringLiteral("The file does not exist.");
        return false;
    }
    try {
        SQLite::Database db(Utf8(sFileName), SQLite::OPEN_READWRITE, iBusyTimeoutMs);
        const bool bValid = TableExists(db, "qxr_sessions") && TableExists(db, "qxr_loudness_levels");
        if (!bValid) {
            sLastError = QStringLiteral("The file does not hold the session tables.");
            return false;
        }
        slMissing = FindMissingColumns(db);
        if (!slMissing.isEmpty()) {
            sLastError = QStringLiteral("The tables lack these columns: ") + slMissing.join(", ");
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(e.what());
        return false;
    }
}

bool TdbSQLite::OpenSQLiteDB(const QString& sFileName) {
    if (!QFileInfo(sFileName).isFile()) {
        sLastError = QStringLiteral("The file does not exist.");
        return false;
    }
    SQLConn.reset();
    sWorkingFile = sFileName;
    slMissing.clear();
    iRepaired = 0;
    try {
        auto pConn = OpenFile(sFileName);
        // SQLite reads the file lazily; reading its schema here tells a non-database file at once.
        pConn->execAndGet("SELECT count(*) FROM sqlite_master;");
        slMissing = FindMissingColumns(*pConn);
        if (!slMissing.isEmpty()) {
            // Rows written into it would be refused or lose their session: nothing goes there.
            sWorkingFile.clear();
            sLastError = QStringLiteral("The tables lack these columns: ") + slMissing.join(", ");
            return false;
        }
        iRepaired = RepairSessionTimecodes(*pConn);
        PrepareSessionList(*pConn);
        if (bRecordingStarts)
            BackfillRecordingStarts(*pConn);
        SQLConn = std::move(pConn);
        return true;
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(e.what());
        return false;
    }
}

void TdbSQLite::CloseSQLiteDB() {
    SQLConn.reset();
    sWorkingFile.clear();
}

bool TdbSQLite::InsertSession(const TSessionInfo& rSessionInfo, double fStamp) {
    if (!EnsureOpen())
        return false;
    const TLoudnessSetup& rSetup = rSessionInfo.rLoudnessSetup;
    try {
        SQLite::Statement query(*SQLConn, kInsertSession);
        // The version goes in as text, as it always has; the column's integer affinity stores "1" as 1.
        query.bind(1, Utf8(rSessionInfo.sReportID));
        query.bind(2, Utf8(rSessionInfo.sReportVersion));
        query.bind(3, StampOr(fStamp));
        query.bind(4, Utf8(rSessionInfo.sInstrument));
        query.bind(5, Utf8(TitleOf(rSessionInfo)));
        query.bind(6, Utf8(rSessionInfo.sShowNumber));
        query.bind(7, Utf8(rSessionInfo.sOperatorName));
        query.bind(8, Utf8(rSessionInfo.sFormat));
        query.bind(9, Utf8(rSessionInfo.sNotes));
        BindLoudnessSetup(query, 10, rSetup);
        if (query.exec() != 1)
            return false;
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(e.what());
        DropAfterFailedWrite();
        return false;
    }
    // Noted as known without a start, so that no later open has to look for its first level row; should
    // this fail, an open looks for it then.
    if (bRecordingStarts) {
        try {
            SQLite::Statement note(*SQLConn, kNoteSessionCreated);
            note.bind(1, Utf8(rSessionInfo.sReportID));
            note.exec();
        } catch (const std::exception&) {
        }
    }
    return true;
}

bool TdbSQLite::UpdateSession(const TSessionInfo& rSessionInfo, double fStamp) {
    if (!EnsureOpen())
        return false;
    const TLoudnessSetup& rSetup = rSessionInfo.rLoudnessSetup;
    try {
        SQLite::Statement query(*SQLConn, kUpdateSession);
        query.bind(1, Utf8(rSessionInfo.sReportVersion));
        query.bind(2, StampOr(fStamp));
        query.bind(3, Utf8(rSessionInfo.sTimeCodeStart));
        query.bind(4, Utf8(rSessionInfo.sTimeCodeEnd));
        query.bind(5, Utf8(rSessionInfo.sInstrument));
        query.bind(6, Utf8(TitleOf(rSessionInfo)));
        query.bind(7, Utf8(rSessionInfo.sShowNumber));
        query.bind(8, Utf8(rSessionInfo.sOperatorName));
        query.bind(9, Utf8(rSessionInfo.sFormat));
        query.bind(10, Utf8(rSessionInfo.sNotes));
        BindLoudnessSetup(query, 11, rSetup);
        query.bind(21, Utf8(rSessionInfo.sReportID));
        query.exec();
        TComplianceStore::ForgetVerdict(*SQLConn, Utf8(rSessionInfo.sReportID));
        return true;
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(e.what());
        DropAfterFailedWrite();
        return false;
    }
}

bool TdbSQLite::RunResult(std::unique_ptr<TDBResult>& DBResult, const QString& sSQL,
                          const QVariantList& aValues) {
    DBResult.reset();
    if (!EnsureOpen())
        return false;
    try {
        const std::string sStatement = Utf8(sSQL);
        if (!IsReadOnlyStatement(*SQLConn, sStatement)) {
            sLastError = QStringLiteral("Only a statement that reads can give a result set.");
            return false;
        }
        auto pStatement = std::make_unique<SQLite::Statement>(*SQLConn, sStatement);
        const int iBound = std::min<int>(pStatement->getBindParameterCount(), int(aValues.size()));
        for (int i = 0; i < iBound; ++i)
            BindValue(*pStatement, i + 1, aValues[i]);
        std::unique_ptr<TDBResult> pResult(new TDBResult(SQLConn, std::move(pStatement)));
        // The first row is read here so a failing statement gives false rather than an empty list.
        pResult->bHasRow = pResult->FStatement->executeStep();
        DBResult = std::move(pResult);
        return DBResult->bHasRow;
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(e.what());
        return false;
    }
}

bool TdbSQLite::RetreiveSessionList(std::unique_ptr<TDBResult>& DBResult, const TSQLFilter& rFilter) {
    // A fresh connection shows the file's current content; results already handed out keep the old one.
    SQLConn.reset();
    if (rFilter.IsEmpty())
        return RunResult(DBResult, QString(kSelectSessions), {});
    return RunResult(DBResult, rFilter.sSQL, rFilter.aValues);
}

bool TdbSQLite::RetreiveSessionData(const QString& sSessionId, const TSQLFilter& rFilter,
                                    std::unique_ptr<TDBResult>& DBResult) {
    if (rFilter.IsEmpty())
        return RunResult(DBResult, QString(kSelectLevels), {sSessionId});
    return RunResult(DBResult, rFilter.sSQL, QVariantList{sSessionId} + rFilter.aValues);
}

bool TdbSQLite::LevelRowIdRange(qint64& iFirst, qint64& iLast) {
    iFirst = 0;
    iLast = -1;
    std::unique_ptr<TDBResult> Result;
    if (!RunResult(Result, QString(kSelectLevelRowIdRange), {}))
        return Result != nullptr;
    if (Result->IsNull(0) || Result->IsNull(1))
        return true; // no level rows at all
    iFirst = Result->AsInteger(0);
    iLast = Result->AsInteger(1);
    return true;
}

bool TdbSQLite::RunSessionDataWindow(const char* sOuter, const QString& sSessionId, const TSQLFilter& rFilter,
                                     qint64 iFrom, qint64 iTo, std::unique_ptr<TDBResult>& DBResult) {
    QString sStatement = rFilter.IsEmpty() ? QString(kSelectLevels) : rFilter.sSQL;
    // The statement becomes a subquery, which SQLite folds into one search of the row range: its closing
    // semicolon goes, and so does its order by row, which the outer statement gives when it needs it.
    static const QRegularExpression reTail(QStringLiteral("(\\s+ORDER\\s+BY\\s+nId)?\\s*;?\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    sStatement.remove(reTail);
    // The bounds are numbers of this program, never typed text.
    return RunResult(
        DBResult, QString::fromLatin1(sOuter).arg(sStatement, QString::number(iFrom), QString::number(iTo)),
        QVariantList{sSessionId} + (rFilter.IsEmpty() ? QVariantList() : rFilter.aValues));
}

bool TdbSQLite::RetreiveSessionDataWindow(const QString& sSessionId, const TSQLFilter& rFilter, qint64 iFrom,
                                          qint64 iTo, std::unique_ptr<TDBResult>& DBResult) {
    return RunSessionDataWindow("SELECT * FROM (%1) WHERE nId BETWEEN %2 AND %3 ORDER BY nId", sSessionId,
                                rFilter, iFrom, iTo, DBResult);
}

bool TdbSQLite::CountSessionDataWindow(const QString& sSessionId, const TSQLFilter& rFilter, qint64 iFrom,
                                       qint64 iTo, qint64& iCount) {
    iCount = 0;
    std::unique_ptr<TDBResult> Result;
    if (!RunSessionDataWindow("SELECT count(*) FROM (%1) WHERE nId BETWEEN %2 AND %3", sSessionId, rFilter,
                              iFrom, iTo, Result))
        return false;
    iCount = Result->AsInteger(0);
    return true;
}

bool TdbSQLite::SessionExists(const QString& sSessionId, bool& bExists) {
    bExists = false;
    if (!EnsureOpen())
        return false;
    try {
        SQLite::Statement query(*SQLConn, kSessionExists);
        query.bind(1, Utf8(sSessionId));
        bExists = query.executeStep() && query.getColumn(0).getInt64() > 0;
        return true;
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(e.what());
        return false;
    }
}

bool TdbSQLite::DeleteSessionData(const QString& sSessionId) {
    if (!EnsureOpen())
        return false;
    try {
        // One transaction: a session is never left with its levels gone but its row still listed.
        SQLite::Transaction transaction(*SQLConn);
        SQLite::Statement deleteLevels(*SQLConn, kDeleteLevels);
        deleteLevels.bind(1, Utf8(sSessionId));
        deleteLevels.exec();
        SQLite::Statement deleteSession(*SQLConn, kDeleteSession);
        deleteSession.bind(1, Utf8(sSessionId));
        deleteSession.exec();
        if (bRecordingStarts) {
            SQLite::Statement deleteStart(*SQLConn, kDeleteRecordingStart);
            deleteStart.bind(1, Utf8(sSessionId));
            deleteStart.exec();
        }
        TComplianceStore::ForgetSession(*SQLConn, Utf8(sSessionId));
        TSessionGapStore::ForgetSession(*SQLConn, Utf8(sSessionId));
        transaction.commit();
        return true;
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(e.what());
        return false;
    }
}

bool TdbSQLite::InsertSessionData(const QString& sRPTId, const QString& sRPTVer, int iPeakChannel,
                                  [[maybe_unused]] int iMeterTimeInterval, double fLoudnessIntegrating,
                                  double fInstantaneousPeak, double fLoudnessLo, double fLoudnessHi,
                                  [[maybe_unused]] double fMeterLowLimit,
                                  [[maybe_unused]] double fMeterPeakLimit, const QString& sTC) {
    if (!EnsureOpen())
        return false;
    try {
        const TStoredLevel rRow{sRPTId,
                                sRPTVer,
                                sTC,
                                iPeakChannel,
                                fInstantaneousPeak,
                                fLoudnessHi,
                                fLoudnessLo,
                                fLoudnessIntegrating,
                                LocalStamp()};
        SQLite::Transaction transaction(*SQLConn);
        SQLite::Statement query(*SQLConn, kInsertLevel);
        BindLevelRow(query, rRow);
        if (query.exec() != 1)
            return false;
        NoteRecordingStart(rRow);
        TComplianceStore::ForgetVerdict(*SQLConn, Utf8(sRPTId));
        transaction.commit();
        return true;
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(e.what());
        return false;
    }
}

void TdbSQLite::NoteRecordingStart(const TStoredLevel& rRow) {
    if (!bRecordingStarts)
        return;
    SQLite::Statement note(*SQLConn, kNoteRecordingStart);
    note.bind(1, Utf8(rRow.sReportId));
    note.bind(2, rRow.fStamp);
    note.exec();
}

bool TdbSQLite::InsertLevelRow(const TStoredLevel& rRow) {
    if (!EnsureOpen())
        return false;
    TStoredLevel rStamped = rRow;
    rStamped.fStamp = StampOr(rRow.fStamp);
    try {
        // One transaction, so the row and its session's timecodes cost one disk sync together.
        SQLite::Transaction transaction(*SQLConn);
        SQLite::Statement insert(*SQLConn, kInsertLevel);
        BindLevelRow(insert, rStamped);
        insert.exec();
        SQLite::Statement update(*SQLConn, kUpdateSessionTimecodes);
        update.bind(1, Utf8(rRow.sTimeCode));
        update.bind(2, Utf8(rRow.sReportId));
        update.exec();
        NoteRecordingStart(rStamped);
        TComplianceStore::ForgetVerdict(*SQLConn, Utf8(rRow.sReportId));
        transaction.commit();
        return true;
    } catch (const std::exception& e) {
        sLastError = QString::fromUtf8(e.what());
        DropAfterFailedWrite();
        return false;
    }
}
