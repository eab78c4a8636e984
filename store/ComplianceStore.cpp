#include "store/ComplianceStore.h"

#include "compliance/Standards.h"
#include "store/dbSQLite.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <algorithm>
#include <cmath>

namespace {

const char* const kTargetsTable = "qxr_session_targets";
const char* const kVerdictsTable = "qxr_session_verdicts";

const char* const kCreateTargets =
    "CREATE TABLE IF NOT EXISTS qxr_session_targets (sReportId TEXT PRIMARY KEY NOT NULL,iStandard INTEGER,"
    "fTargetLoudness REAL,fTolerance REAL,fMaxTruePeak REAL,iRequireTruePeak INTEGER);";
const char* const kCreateVerdicts =
    "CREATE TABLE IF NOT EXISTS qxr_session_verdicts (sReportId TEXT PRIMARY KEY NOT NULL,iVerdict INTEGER,"
    "sReasons TEXT,iStandard INTEGER,fTargetLoudness REAL,fTolerance REAL,fMaxTruePeak REAL,"
    "iRequireTruePeak INTEGER,fLoudnessRange REAL,iRangeProblem INTEGER,iRangeCode INTEGER,sTimeCodeEnd TEXT,"
    "iLevelRows INTEGER,dtComputed REAL,iOwnTarget INTEGER);";

const char* const kTargetColumns =
    "sReportId,iStandard,fTargetLoudness,fTolerance,fMaxTruePeak,iRequireTruePeak FROM qxr_session_targets";
// What the session list needs for a mark, then the rest of a kept verdict.
const char* const kVerdictMarkColumns =
    "sReportId,iVerdict,iStandard,fTargetLoudness,fTolerance,fMaxTruePeak,"
    "iRequireTruePeak,sTimeCodeEnd";
// The marks of the session list, decided by SQLite so that a row is three values: a kept verdict's kind
// when it was computed against the session's own target (a change of which forgets it) or, for a session
// without one, against the default ?1 to ?5; -1 otherwise. Exact comparisons, as the figures go in and come
// out as the same reals.
const char* const kSelectMarks =
    "SELECT sReportId,sTimeCodeEnd,CASE WHEN typeof(iVerdict)='integer' AND iVerdict BETWEEN 0 AND 2 AND "
    "(iOwnTarget=1 OR (iOwnTarget=0 AND iStandard=?1 AND fTargetLoudness=?2 AND fTolerance=?3 AND "
    "fMaxTruePeak=?4 AND iRequireTruePeak=?5)) THEN iVerdict ELSE -1 END FROM qxr_session_verdicts;";
const char* const kVerdictDetailColumns = ",sReasons,fLoudnessRange,iRangeProblem,iRangeCode,iLevelRows";

const char* const kWriteTarget =
    "INSERT OR REPLACE INTO qxr_session_targets (sReportId,iStandard,fTargetLoudness,fTolerance,fMaxTruePeak,"
    "iRequireTruePeak) VALUES (?,?,?,?,?,?);";
const char* const kDeleteTarget = "DELETE FROM qxr_session_targets WHERE sReportId=?;";
const char* const kWriteVerdict =
    "INSERT OR REPLACE INTO qxr_session_verdicts (sReportId,iVerdict,sReasons,iStandard,fTargetLoudness,"
    "fTolerance,fMaxTruePeak,iRequireTruePeak,fLoudnessRange,iRangeProblem,iRangeCode,sTimeCodeEnd,"
    "iLevelRows,dtComputed,iOwnTarget) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);";
const char* const kDeleteVerdict = "DELETE FROM qxr_session_verdicts WHERE sReportId=?;";

// A hand-edited row number must not make the list reserve gigabytes.
constexpr qint64 kMaxReservedMarks = 1000000;
constexpr int kRangeProblemCount = int(TRangeProblem::NoValues) + 1;

std::string Utf8(const QString& s) {
    return s.toStdString();
}

QString TextOf(const SQLite::Column& col) {
    return QString::fromUtf8(static_cast<const char*>(col.getBlob()), col.getBytes());
}

bool IsNumber(const SQLite::Column& col) {
    return col.isInteger() || col.isFloat();
}

// A whole number within [iMin, iMax] stored as a number; anything else (NULL, a text) is refused.
bool IntegerIn(const SQLite::Column& col, int iMin, int iMax, int& iValue) {
    if (!col.isInteger())
        return false;
    const qint64 i = col.getInt64();
    if (i < iMin || i > iMax)
        return false;
    iValue = int(i);
    return true;
}

bool RealOf(const SQLite::Column& col, double& fValue) {
    if (!IsNumber(col))
        return false;
    fValue = col.getDouble();
    return std::isfinite(fValue);
}

// The target in columns iFirst to iFirst + 4 of the current row: id, target, tolerance, peak limit, true
// peak. A preset's figures are its own; stored Custom figures must lie in their ranges.
bool ReadStandard(SQLite::Statement& query, int iFirst, TLoudnessStandard& r) {
    int iId = 0;
    int iTruePeak = 0;
    if (!IntegerIn(query.getColumn(iFirst), 0, kStandardCount - 1, iId) ||
        !RealOf(query.getColumn(iFirst + 1), r.fTargetLoudness) ||
        !RealOf(query.getColumn(iFirst + 2), r.fTolerance) ||
        !RealOf(query.getColumn(iFirst + 3), r.fMaxTruePeak) ||
        !IntegerIn(query.getColumn(iFirst + 4), 0, 1, iTruePeak))
        return false;
    r.eId = static_cast<TStandardId>(iId);
    r.bRequireTruePeak = iTruePeak != 0;
    return ValidStandardFigures(r);
}

void BindStandard(SQLite::Statement& query, int iFirst, const TLoudnessStandard& r) {
    query.bind(iFirst, int(r.eId));
    query.bind(iFirst + 1, r.fTargetLoudness);
    query.bind(iFirst + 2, r.fTolerance);
    query.bind(iFirst + 3, r.fMaxTruePeak);
    query.bind(iFirst + 4, r.bRequireTruePeak ? 1 : 0);
}

// A session's own target from columns iFirst to iFirst + 4.
bool ReadTargetRow(SQLite::Statement& query, int iFirst, TLoudnessStandard& r) {
    if (!ReadStandard(query, iFirst, r))
        return false;
    // A preset is judged by its published figures, whatever the row says.
    if (r.eId != TStandardId::Custom)
        r = StandardOf(r.eId, TComplianceOptions());
    return true;
}

// The mark part of a kept verdict, columns 1 to 7 of the current row.
bool ReadVerdictMark(SQLite::Statement& query, TKeptVerdict& r) {
    int iVerdict = 0;
    if (!IntegerIn(query.getColumn(1), 0, int(TVerdictKind::NotVerifiable), iVerdict) ||
        !ReadStandard(query, 2, r.rStandard))
        return false;
    r.eKind = static_cast<TVerdictKind>(iVerdict);
    r.sTimeCodeEnd = TextOf(query.getColumn(7));
    return true;
}

// The whole kept verdict: the mark and the detail columns 8 to 12.
bool ReadVerdictRow(SQLite::Statement& query, TKeptVerdict& r) {
    int iProblem = 0;
    if (!ReadVerdictMark(query, r) || !query.getColumn(8).isText() ||
        !IntegerIn(query.getColumn(10), 0, kRangeProblemCount - 1, iProblem) ||
        !query.getColumn(11).isInteger())
        return false;
    r.sReasons = TextOf(query.getColumn(8));
    r.rRange.eProblem = static_cast<TRangeProblem>(iProblem);
    r.rRange.iCode = int(query.getColumn(11).getInt64());
    if (r.rRange.Valid() && !RealOf(query.getColumn(9), r.rRange.fRange))
        return false;
    r.iLevelRows = query.getColumn(12).getInt64();
    return true;
}

void RunIgnoringMissingTable(SQLite::Database& rConn, const char* sSQL, const std::string& sReportId) {
    try {
        SQLite::Statement query(rConn, sSQL);
        query.bind(1, sReportId);
        query.exec();
    } catch (const std::exception&) {
        // Preparing fails when the table is missing, which leaves the caller's transaction as it was.
    }
}

} // namespace

void TComplianceStore::ForgetVerdict(SQLite::Database& rConn, const std::string& sReportId) {
    RunIgnoringMissingTable(rConn, kDeleteVerdict, sReportId);
}

void TComplianceStore::ForgetSession(SQLite::Database& rConn, const std::string& sReportId) {
    RunIgnoringMissingTable(rConn, kDeleteVerdict, sReportId);
    RunIgnoringMissingTable(rConn, kDeleteTarget, sReportId);
}

bool TComplianceStore::Run(const std::function<void(SQLite::Database&)>& fnRun) {
    return rDB.RunOnOwnTables(fnRun, sLastError);
}

bool TComplianceStore::ReadFrom(const char* sTable, const std::function<void(SQLite::Database&)>& fnRead) {
    return Run([&](SQLite::Database& rConn) {
        if (TdbSQLite::TableExists(rConn, sTable))
            fnRead(rConn);
    });
}

bool TComplianceStore::WriteTo(const std::function<void(SQLite::Database&)>& fnWrite) {
    return Run([&](SQLite::Database& rConn) {
        // Created at the first write, so that a database nobody judged stays as it was.
        rConn.exec(kCreateTargets);
        rConn.exec(kCreateVerdicts);
        fnWrite(rConn);
    });
}

bool TComplianceStore::ReadSessionTarget(const QString& sReportId,
                                         std::optional<TLoudnessStandard>& rTarget) {
    rTarget.reset();
    return ReadFrom(kTargetsTable, [&](SQLite::Database& rConn) {
        SQLite::Statement query(rConn, std::string("SELECT ") + kTargetColumns + " WHERE sReportId=?;");
        query.bind(1, Utf8(sReportId));
        TLoudnessStandard r;
        if (query.executeStep() && ReadTargetRow(query, 1, r))
            rTarget = r;
    });
}

bool TComplianceStore::ReadSessionTargets(QHash<QString, TLoudnessStandard>& aTargets) {
    aTargets.clear();
    return ReadFrom(kTargetsTable, [&](SQLite::Database& rConn) {
        SQLite::Statement query(rConn, std::string("SELECT ") + kTargetColumns + ";");
        TLoudnessStandard r;
        while (query.executeStep()) {
            if (ReadTargetRow(query, 1, r))
                aTargets.insert(TextOf(query.getColumn(0)), r);
        }
    });
}

bool TComplianceStore::WriteSessionTarget(const QString& sReportId, const TLoudnessStandard& rTarget) {
    if (!ValidStandardFigures(rTarget)) {
        sLastError = QStringLiteral("The target's figures lie outside their ranges.");
        return false;
    }
    return WriteTo([&](SQLite::Database& rConn) {
        // The verdict kept for the old target goes with it.
        SQLite::Transaction transaction(rConn);
        SQLite::Statement query(rConn, kWriteTarget);
        query.bind(1, Utf8(sReportId));
        BindStandard(query, 2, rTarget);
        query.exec();
        ForgetVerdict(rConn, Utf8(sReportId));
        transaction.commit();
    });
}

bool TComplianceStore::ClearSessionTarget(const QString& sReportId) {
    return Run([&](SQLite::Database& rConn) {
        SQLite::Transaction transaction(rConn);
        ForgetSession(rConn, Utf8(sReportId));
        transaction.commit();
    });
}

bool TComplianceStore::ReadKeptVerdict(const QString& sReportId, std::optional<TKeptVerdict>& rKept) {
    rKept.reset();
    return ReadFrom(kVerdictsTable, [&](SQLite::Database& rConn) {
        SQLite::Statement query(rConn, std::string("SELECT ") + kVerdictMarkColumns + kVerdictDetailColumns +
                                           " FROM qxr_session_verdicts WHERE sReportId=?;");
        query.bind(1, Utf8(sReportId));
        TKeptVerdict r;
        if (query.executeStep() && ReadVerdictRow(query, r))
            rKept = r;
    });
}

bool TComplianceStore::ReadVerdictMarks(const TComplianceOptions& rOptions,
                                        QHash<QString, TKeptMark>& aMarks) {
    aMarks.clear();
    return ReadFrom(kVerdictsTable, [&](SQLite::Database& rConn) {
        SQLite::Statement query(rConn, kSelectMarks);
        // The highest row number is at least the number of rows and costs one step down the table's tree.
        const qint64 iRows = rConn.execAndGet("SELECT max(rowid) FROM qxr_session_verdicts;").getInt64();
        aMarks.reserve(qsizetype(std::clamp<qint64>(iRows, 0, kMaxReservedMarks)));
        BindStandard(query, 1, DefaultStandardOf(rOptions));
        while (query.executeStep()) {
            const int iVerdict = query.getColumn(2).getInt();
            const TVerdictMark eMark =
                iVerdict < 0 ? TVerdictMark::NotComputed : MarkOfKind(static_cast<TVerdictKind>(iVerdict));
            aMarks.insert(TextOf(query.getColumn(0)), {eMark, TextOf(query.getColumn(1))});
        }
    });
}

bool TComplianceStore::WriteKeptVerdict(const QString& sReportId, const TKeptVerdict& rKept) {
    // A verdict holds for the target the session is judged against: its own when it has one.
    std::optional<TLoudnessStandard> rOwn;
    if (!ReadSessionTarget(sReportId, rOwn))
        return false;
    if (rOwn && !(*rOwn == rKept.rStandard)) {
        sLastError =
            QStringLiteral("The verdict was computed against another target than the session's own.");
        return false;
    }
    return WriteTo([&](SQLite::Database& rConn) {
        SQLite::Statement query(rConn, kWriteVerdict);
        query.bind(1, Utf8(sReportId));
        query.bind(2, int(rKept.eKind));
        query.bind(3, Utf8(rKept.sReasons));
        BindStandard(query, 4, rKept.rStandard);
        if (rKept.rRange.Valid())
            query.bind(9, rKept.rRange.fRange);
        else
            query.bind(9);
        query.bind(10, int(rKept.rRange.eProblem));
        query.bind(11, rKept.rRange.iCode);
        query.bind(12, Utf8(rKept.sTimeCodeEnd));
        query.bind(13, static_cast<int64_t>(rKept.iLevelRows));
        query.bind(14, JulianDateOf(QDateTime::currentDateTime()));
        query.bind(15, rOwn ? 1 : 0);
        query.exec();
    });
}

bool TComplianceStore::ReadTargetOf(const QString& sReportId, const TComplianceOptions& rOptions,
                                    TLoudnessStandard& rTarget) {
    std::optional<TLoudnessStandard> rOwn;
    const bool bRead = ReadSessionTarget(sReportId, rOwn);
    rTarget = EffectiveTarget(bRead ? rOwn : std::nullopt, rOptions);
    return bRead;
}

TLoudnessStandard EffectiveTarget(const std::optional<TLoudnessStandard>& rOwn,
                                  const TComplianceOptions& rOptions) {
    return rOwn ? *rOwn : DefaultStandardOf(rOptions);
}
