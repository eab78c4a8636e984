#include "store/dbSQLite.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <SQLiteCpp/SQLiteCpp.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <thread>
#include <unistd.h>
#include <variant>

namespace {

// The tables as SQLite keeps them in sqlite_master: the create statements without "IF NOT EXISTS" and ";".
const char* const kStoredSessionsSql =
    "CREATE TABLE qxr_sessions (nId INTEGER PRIMARY KEY ASC,sReportId TEXT,iVersion INTEGER,dtDateTime "
    "REAL,sInstrument TEXT,sTitle TEXT,sNo TEXT,sOperator TEXT,sFormat TEXT,sNotes TEXT,sTimeCodeStart "
    "TEXT,sTimeCodeEnd TEXT,iLoudnessPeakMode INTEGER,iLoudnessCaptureMode INTEGER,iLoudnessScaleMode "
    "INTEGER,iLoudnessReferenceMode INTEGER,iLoudnessSlidingWindow INTEGER,fLoudnessGateLevel "
    "REAL,iLoudnessGateMode INTEGER,fLoudnessReferenceLevel REAL,fLoudnessPeakLevel REAL,iLoudnessFilter "
    "INTEGER)";
const char* const kStoredLevelsSql =
    "CREATE TABLE qxr_loudness_levels (nId INTEGER PRIMARY KEY ASC,sReportId TEXT,iVersion "
    "INTEGER,dtDateTime  DATETIME,sTimeCode TEXT,iPeakChannel INTEGER,fInstantaneousPeak REAL,fLoudnessHi "
    "REAL,fLoudnessLo REAL,fLoudnessInt REAL)";

const char* const kIdA = "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9";
const char* const kIdC = "C0C0C0C0-0000-0000-0000-000000000000";
const char* const kIdB = "F0E1D2C3-B4A5-9687-7869-5A4B3C2D1E0F";

// Texts that would break or rewrite a statement built by pasting values between double quotes.
const char* const kHostileTexts[] = {
    "say \"hello\"",
    "it's",
    ";DROP TABLE qxr_sessions;--",
    "x\"); DELETE FROM qxr_sessions; --",
    "sReportId",
    "sTitle",
    "Ærø – 東京",
};

TSessionInfo SampleSession(const QString& sId) {
    TSessionInfo r;
    r.sReportID = sId;
    r.sReportVersion = "1";
    r.sInstrument = "qxMeter 5 SN 1234";
    r.sShowTitle = "Evening News";
    r.sShowNumber = "EN-0415";
    r.sOperatorName = "Operator One";
    r.sFormat = "HD 1080i";
    r.sNotes = "Line one\r\nLine two";
    r.sTimeCodeStart = "10:00:00:00";
    r.sTimeCodeEnd = "10:30:00:00";
    r.rLoudnessSetup.iPeakMode = 1;
    r.rLoudnessSetup.iCapture = 2;
    r.rLoudnessSetup.iScaleMode = 3;
    r.rLoudnessSetup.iReference = 4;
    r.rLoudnessSetup.iSlidingWindow = 5;
    r.rLoudnessSetup.fGateLevel = -8.5;
    r.rLoudnessSetup.fReferenceLevel = -23.25;
    r.rLoudnessSetup.fMeterPeakLevel = -1.75;
    r.rLoudnessSetup.iFilter = 6;
    r.rLoudnessSetup.iGateMode = 7;
    return r;
}

using TValue = std::variant<std::nullptr_t, QString, qint64, double>;
struct TColumnCase {
    const char* sColumn;
    TValue vExpected;
};

// Every column of a session row but nId and dtDateTime, as the record should store it.
std::vector<TColumnCase> SessionColumns(const TSessionInfo& r, const TValue& vStart, const TValue& vEnd) {
    const TLoudnessSetup& s = r.rLoudnessSetup;
    return {
        {"sReportId", r.sReportID},
        {"iVersion", qint64(1)},
        {"sInstrument", r.sInstrument},
        {"sTitle", r.sShowTitle},
        {"sNo", r.sShowNumber},
        {"sOperator", r.sOperatorName},
        {"sFormat", r.sFormat},
        {"sNotes", r.sNotes},
        {"sTimeCodeStart", vStart},
        {"sTimeCodeEnd", vEnd},
        {"iLoudnessPeakMode", qint64(s.iPeakMode)},
        {"iLoudnessCaptureMode", qint64(s.iCapture)},
        {"iLoudnessScaleMode", qint64(s.iScaleMode)},
        {"iLoudnessReferenceMode", qint64(s.iReference)},
        {"iLoudnessSlidingWindow", qint64(s.iSlidingWindow)},
        {"fLoudnessGateLevel", s.fGateLevel},
        {"iLoudnessGateMode", qint64(s.iGateMode)},
        {"fLoudnessReferenceLevel", s.fReferenceLevel},
        {"fLoudnessPeakLevel", s.fMeterPeakLevel},
        {"iLoudnessFilter", qint64(s.iFilter)},
    };
}

// Checks the current row's value and its stored type (typeof, through the result's own statement).
void ExpectColumns(const TDBResult& rResult, const std::vector<TColumnCase>& aCases) {
    for (const TColumnCase& c : aCases) {
        SCOPED_TRACE(c.sColumn);
        ASSERT_GE(rResult.ColumnIndex(c.sColumn), 0);
        ASSERT_GE(rResult.ColumnIndex(QString("typeof_") + c.sColumn), 0);
        const QString sType = rResult.AsString(QString("typeof_") + c.sColumn);
        if (std::holds_alternative<std::nullptr_t>(c.vExpected)) {
            EXPECT_EQ(sType, "null");
            EXPECT_TRUE(rResult.IsNull(c.sColumn));
        } else if (auto* s = std::get_if<QString>(&c.vExpected)) {
            EXPECT_EQ(sType, "text");
            EXPECT_EQ(rResult.AsString(c.sColumn), *s);
        } else if (auto* i = std::get_if<qint64>(&c.vExpected)) {
            EXPECT_EQ(sType, "integer");
            EXPECT_EQ(rResult.AsInteger(c.sColumn), *i);
        } else {
            EXPECT_EQ(sType, "real");
            EXPECT_DOUBLE_EQ(rResult.AsFloat(c.sColumn), std::get<double>(c.vExpected));
        }
    }
}

// A query that returns each column and its stored type, for ExpectColumns, and the row's date stamp.
QString TypedSelect(const std::vector<TColumnCase>& aCases, const QString& sTable, const QString& sId) {
    QStringList slColumns{"dtDateTime", "typeof(dtDateTime) AS typeof_dtDateTime"};
    for (const TColumnCase& c : aCases)
        slColumns << QString("%1,typeof(%1) AS typeof_%1").arg(c.sColumn);
    return QString("SELECT %1 FROM %2 WHERE sReportId='%3';").arg(slColumns.join(','), sTable, sId);
}

class TdbSQLiteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        sWorking = Path("work.DB3");
        ASSERT_TRUE(db.CreateSQLiteDB(sWorking)) << db.LastError().toStdString();
        ASSERT_TRUE(db.OpenSQLiteDB(sWorking)) << db.LastError().toStdString();
    }

    QString Path(const QString& sName) const { return dir.filePath(sName); }

    // A second, independent connection, to look at the file as another program would.
    SQLite::Database Peek(const QString& sFile, int iFlags = SQLite::OPEN_READWRITE) const {
        return SQLite::Database(sFile.toStdString(), iFlags);
    }
    qint64 Count(const QString& sSQL) const {
        return Peek(sWorking).execAndGet(sSQL.toStdString()).getInt64();
    }

    void WriteFile(const QString& sName, const QByteArray& aContent) const {
        QFile f(Path(sName));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(aContent);
    }

    bool InsertLevel(const QString& sId, const QString& sTC, double fInt = -23.0) {
        return db.InsertSessionData(sId, "1", 2, 1, fInt, -3.5, -31.0, -22.4, -40.0, -1.0, sTC);
    }

    QTemporaryDir dir;
    QString sWorking;
    // Short wait on locks so a locked file fails quickly in the lock test.
    TdbSQLite db{200};
};

TEST(JulianDate, MatchesKnownDatesAndSQLite) {
    struct TCase {
        QDateTime dt;
        double fExpected;
    };
    const TCase aCases[] = {
        {QDateTime(QDate(2000, 1, 1), QTime(12, 0)), 2451545.0},
        {QDateTime(QDate(2000, 1, 1), QTime(0, 0)), 2451544.5},
        {QDateTime(QDate(1970, 1, 1), QTime(0, 0)), 2440587.5},
        {QDateTime(QDate(2024, 2, 29), QTime(18, 0)), 2460370.25},
        {QDateTime(QDate(2023, 7, 15), QTime(6, 30, 15, 250)), 2460140.771009838},
        {QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 999)), 2451544.499999988},
    };
    SQLite::Database mem(":memory:", SQLite::OPEN_READWRITE);
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.dt.toString(Qt::ISODateWithMs).toStdString());
        EXPECT_NEAR(JulianDateOf(c.dt), c.fExpected, 1e-9);
        SQLite::Statement q(mem, "SELECT julianday(?);");
        q.bind(1, c.dt.toString("yyyy-MM-dd HH:mm:ss.zzz").toStdString());
        ASSERT_TRUE(q.executeStep());
        EXPECT_NEAR(JulianDateOf(c.dt), q.getColumn(0).getDouble(), 1e-9);
    }
}

TEST_F(TdbSQLiteTest, CreatesBothTablesWithTheirExactStatements) {
    auto peek = Peek(sWorking);
    SQLite::Statement q(peek, "SELECT name, sql FROM sqlite_master WHERE type='table' ORDER BY rowid;");
    ASSERT_TRUE(q.executeStep());
    EXPECT_EQ(q.getColumn(0).getString(), "qxr_sessions");
    EXPECT_EQ(q.getColumn(1).getString(), kStoredSessionsSql);
    ASSERT_TRUE(q.executeStep());
    EXPECT_EQ(q.getColumn(0).getString(), "qxr_loudness_levels");
    EXPECT_EQ(q.getColumn(1).getString(), kStoredLevelsSql);
    ASSERT_TRUE(q.executeStep());
    EXPECT_EQ(q.getColumn(0).getString(), "qxr_recording_starts");
    EXPECT_FALSE(q.executeStep());
}

TEST_F(TdbSQLiteTest, SessionRoundTripsEveryColumnAndTimecodesStayNullUntilUpdate) {
    TSessionInfo r = SampleSession(kIdA);
    const double fBefore = JulianDateOf(QDateTime::currentDateTime());
    ASSERT_TRUE(db.InsertSession(r)) << db.LastError().toStdString();
    const double fAfter = JulianDateOf(QDateTime::currentDateTime());

    std::unique_ptr<TDBResult> result;
    const auto aInserted = SessionColumns(r, nullptr, nullptr);
    ASSERT_TRUE(db.RetreiveSessionList(result, TypedSelect(aInserted, "qxr_sessions", kIdA)));
    ExpectColumns(*result, aInserted);
    EXPECT_EQ(result->AsString("typeof_dtDateTime"), "real");
    EXPECT_GE(result->AsFloat("dtDateTime"), fBefore);
    EXPECT_LE(result->AsFloat("dtDateTime"), fAfter);
    EXPECT_FALSE(result->Next());

    TSessionInfo u = SampleSession(kIdA);
    u.sInstrument = "qxMeter 7 SN 99";
    u.sShowTitle = "Late News";
    u.sShowNumber = "LN-1";
    u.sOperatorName = "Operator Two";
    u.sFormat = "UHD";
    u.sNotes = "changed";
    u.sTimeCodeStart = "21:00:00:00";
    u.sTimeCodeEnd = "21:59:59:00";
    u.rLoudnessSetup = {9, 8, 7, 6, 5, -10.5, -24.0, -2.0, -3.0, 0, 4, 3, true};
    ASSERT_TRUE(db.UpdateSession(u)) << db.LastError().toStdString();
    ASSERT_TRUE(db.RetreiveSessionList(
        result, TypedSelect(SessionColumns(u, u.sTimeCodeStart, u.sTimeCodeEnd), "qxr_sessions", kIdA)));
    ExpectColumns(*result, SessionColumns(u, u.sTimeCodeStart, u.sTimeCodeEnd));
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions;"), 1);
}

TEST_F(TdbSQLiteTest, EmptyTitleIsStoredAsUnnamedSessionAtInsertAndUpdate) {
    TSessionInfo r = SampleSession(kIdA);
    r.sShowTitle.clear();
    ASSERT_TRUE(db.InsertSession(r));
    EXPECT_EQ(Peek(sWorking).execAndGet("SELECT sTitle FROM qxr_sessions;").getString(), "Unnamed Session.");

    r.sShowTitle = "Named";
    ASSERT_TRUE(db.UpdateSession(r));
    EXPECT_EQ(Peek(sWorking).execAndGet("SELECT sTitle FROM qxr_sessions;").getString(), "Named");
    r.sShowTitle.clear();
    ASSERT_TRUE(db.UpdateSession(r));
    EXPECT_EQ(Peek(sWorking).execAndGet("SELECT sTitle FROM qxr_sessions;").getString(), "Unnamed Session.");
}

TEST_F(TdbSQLiteTest, UpdateRestampsTheSessionButNotItsLevels) {
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdA)));
    ASSERT_TRUE(InsertLevel(kIdA, "10:00:00:00"));
    // Age both rows so the update's new stamp is visible without waiting on the clock.
    Peek(sWorking).exec("UPDATE qxr_sessions SET dtDateTime=2451545.0; UPDATE qxr_loudness_levels SET "
                        "dtDateTime=2451545.0;");
    const double fBefore = JulianDateOf(QDateTime::currentDateTime());
    ASSERT_TRUE(db.UpdateSession(SampleSession(kIdA)));
    const double fAfter = JulianDateOf(QDateTime::currentDateTime());

    auto peek = Peek(sWorking);
    const double fSession = peek.execAndGet("SELECT dtDateTime FROM qxr_sessions;").getDouble();
    EXPECT_GE(fSession, fBefore);
    EXPECT_LE(fSession, fAfter);
    EXPECT_EQ(peek.execAndGet("SELECT dtDateTime FROM qxr_loudness_levels;").getDouble(), 2451545.0);
}

TEST_F(TdbSQLiteTest, UpdateOfAnAbsentSessionRunsAndChangesNothing) {
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdA)));
    TSessionInfo other = SampleSession(kIdB);
    other.sShowTitle = "Other";
    EXPECT_TRUE(db.UpdateSession(other));
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions WHERE sTitle='Evening News';"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions;"), 1);
}

TEST_F(TdbSQLiteTest, LevelRowRoundTripsAndKeepsMissingValuesAsMinus999) {
    struct TCase {
        const char* sTC;
        int iPeakChannel;
        double fPeak, fHi, fLo, fInt;
    };
    const TCase aCases[] = {
        {"10:21:07:00", 2, -3.5, -22.4, -31.0, -23.7},
        {"10:21:08:00", 0, -999, -999, -999, -999},
        {"23:59:59:00", -999, 0.0, 1e-7, -123.456789012345, 12.0},
    };
    for (const TCase& c : aCases)
        ASSERT_TRUE(db.InsertSessionData(kIdA, "1", c.iPeakChannel, 1, c.fInt, c.fPeak, c.fLo, c.fHi, -50.0,
                                         -1.0, c.sTC));

    std::unique_ptr<TDBResult> result;
    ASSERT_TRUE(db.RetreiveSessionData(kIdA, {}, result));
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sTC);
        ASSERT_FALSE(result->Eof());
        EXPECT_EQ(result->ColumnCount(), 10);
        EXPECT_EQ(result->ColumnName(0), "nId");
        EXPECT_EQ(result->ColumnName(9), "fLoudnessInt");
        EXPECT_EQ(result->AsString("sReportId"), kIdA);
        EXPECT_EQ(result->AsInteger("iVersion"), 1);
        EXPECT_EQ(result->AsString("sTimeCode"), c.sTC);
        EXPECT_EQ(result->AsInteger("iPeakChannel"), c.iPeakChannel);
        EXPECT_DOUBLE_EQ(result->AsFloat("fInstantaneousPeak"), c.fPeak);
        EXPECT_DOUBLE_EQ(result->AsFloat("fLoudnessHi"), c.fHi);
        EXPECT_DOUBLE_EQ(result->AsFloat("fLoudnessLo"), c.fLo);
        EXPECT_DOUBLE_EQ(result->AsFloat("fLoudnessInt"), c.fInt);
        result->Next();
    }
    EXPECT_TRUE(result->Eof());
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels WHERE typeof(fLoudnessInt)='real' AND "
                    "typeof(sTimeCode)='text' AND typeof(dtDateTime)='real';"),
              3);
}

TEST_F(TdbSQLiteTest, HostileTextsAreStoredVerbatim) {
    int iNo = 0;
    for (const char* sText : kHostileTexts) {
        SCOPED_TRACE(sText);
        TSessionInfo r = SampleSession(QString("ID-%1").arg(++iNo));
        r.sShowTitle = sText;
        r.sNotes = sText;
        r.sOperatorName = sText;
        ASSERT_TRUE(db.InsertSession(r)) << db.LastError().toStdString();
        r.sTimeCodeStart = sText;
        ASSERT_TRUE(db.UpdateSession(r)) << db.LastError().toStdString();
        ASSERT_TRUE(InsertLevel(r.sReportID, sText));

        std::unique_ptr<TDBResult> result;
        const auto aCases = SessionColumns(r, r.sTimeCodeStart, r.sTimeCodeEnd);
        ASSERT_TRUE(db.RetreiveSessionList(result, TypedSelect(aCases, "qxr_sessions", r.sReportID)));
        ExpectColumns(*result, aCases);
        ASSERT_TRUE(db.RetreiveSessionData(r.sReportID, {}, result));
        EXPECT_EQ(result->AsString("sTimeCode"), sText);
    }
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions;"), iNo);
}

TEST_F(TdbSQLiteTest, AnIdentifierEqualToAColumnNameMatchesOnlyItself) {
    // Pasted between double quotes, "sReportId" would read as the column and match every row.
    for (const char* sId : {"sReportId", kIdA}) {
        ASSERT_TRUE(db.InsertSession(SampleSession(sId)));
        ASSERT_TRUE(InsertLevel(sId, "10:00:00:00"));
        ASSERT_TRUE(InsertLevel(sId, "10:00:01:00"));
    }
    std::unique_ptr<TDBResult> result;
    ASSERT_TRUE(db.RetreiveSessionData("sReportId", {}, result));
    int iRows = 0;
    for (; !result->Eof(); result->Next(), ++iRows)
        EXPECT_EQ(result->AsString("sReportId"), "sReportId");
    EXPECT_EQ(iRows, 2);

    ASSERT_TRUE(db.DeleteSessionData("sReportId"));
    EXPECT_EQ(Count(QString("SELECT count(*) FROM qxr_loudness_levels WHERE sReportId='%1';").arg(kIdA)), 2);
    EXPECT_EQ(Count(QString("SELECT count(*) FROM qxr_sessions WHERE sReportId='%1';").arg(kIdA)), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions;"), 1);
}

TEST_F(TdbSQLiteTest, DeleteRemovesOneSessionWithItsLevels) {
    for (const char* sId : {kIdA, kIdB}) {
        ASSERT_TRUE(db.InsertSession(SampleSession(sId)));
        ASSERT_TRUE(InsertLevel(sId, "10:00:00:00"));
    }
    EXPECT_TRUE(db.DeleteSessionData(kIdA));
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions;"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels;"), 1);
    EXPECT_EQ(Count(QString("SELECT count(*) FROM qxr_loudness_levels WHERE sReportId='%1';").arg(kIdB)), 1);

    EXPECT_TRUE(db.DeleteSessionData("NOT-THERE"));
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions;"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels;"), 1);
}

TEST_F(TdbSQLiteTest, FailedDeleteOfTheSessionRowKeepsItsLevels) {
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdA)));
    ASSERT_TRUE(InsertLevel(kIdA, "10:00:00:00"));
    ASSERT_TRUE(InsertLevel(kIdA, "10:00:01:00"));
    // Makes the second of the two deletes fail after the first has run.
    Peek(sWorking).exec("CREATE TRIGGER keep_sessions BEFORE DELETE ON qxr_sessions BEGIN SELECT "
                        "RAISE(ABORT, 'session rows are kept'); END;");
    EXPECT_FALSE(db.DeleteSessionData(kIdA));
    EXPECT_TRUE(db.LastError().contains("session rows are kept"));
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels;"), 2);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions;"), 1);
    // The connection is not left inside a transaction.
    EXPECT_TRUE(InsertLevel(kIdA, "10:00:02:00"));
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels;"), 3);
}

TEST_F(TdbSQLiteTest, VerifyAcceptsOnlyFilesWithBothTables) {
    WriteFile("text.DB3", "This is not a database.\n");
    WriteFile("empty.DB3", "");
    Peek(Path("sessions-only.DB3"), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE)
        .exec("CREATE TABLE qxr_sessions (nId INTEGER PRIMARY KEY ASC);");
    Peek(Path("levels-only.DB3"), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE)
        .exec("CREATE TABLE qxr_loudness_levels (nId INTEGER PRIMARY KEY ASC);");
    ASSERT_TRUE(db.CreateSQLiteDB(Path("created.DB3")));
    ASSERT_TRUE(QDir().mkdir(Path("folder.DB3")));

    struct TCase {
        const char* sName;
        bool bValid;
    };
    const TCase aCases[] = {
        {"text.DB3", false},        {"empty.DB3", false},   {"sessions-only.DB3", false},
        {"levels-only.DB3", false}, {"missing.DB3", false}, {"folder.DB3", false},
        {"created.DB3", true},      {"work.DB3", true},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        EXPECT_EQ(db.VerifySQLiteDB(Path(c.sName)), c.bValid);
        EXPECT_FALSE(db.Connected());
    }
    EXPECT_FALSE(QFile::exists(Path("missing.DB3")));
    EXPECT_EQ(QFileInfo(Path("empty.DB3")).size(), 0);
}

TEST_F(TdbSQLiteTest, WorkingDatabaseIsKeptAcrossVerifyAndCreateOfOtherFiles) {
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdA)));
    ASSERT_TRUE(db.CreateSQLiteDB(Path("other.DB3")));
    EXPECT_FALSE(db.Connected());
    ASSERT_TRUE(db.VerifySQLiteDB(Path("other.DB3")));
    EXPECT_FALSE(db.Connected());
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdB)));
    ASSERT_TRUE(InsertLevel(kIdB, "10:00:00:00"));
    EXPECT_TRUE(db.Connected());
    EXPECT_EQ(db.DatabaseFileName(), sWorking);

    std::unique_ptr<TDBResult> result;
    ASSERT_TRUE(db.RetreiveSessionList(result, {}));
    EXPECT_EQ(result->AsString("sReportId"), kIdA);
    ASSERT_TRUE(result->Next());
    EXPECT_EQ(result->AsString("sReportId"), kIdB);
    EXPECT_FALSE(result->Next());
    EXPECT_EQ(Peek(Path("other.DB3")).execAndGet("SELECT count(*) FROM qxr_sessions;").getInt(), 0);
}

TEST_F(TdbSQLiteTest, CreateOverAnExistingFileStartsItEmpty) {
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdA)));
    ASSERT_TRUE(db.CreateSQLiteDB(sWorking));
    EXPECT_TRUE(db.VerifySQLiteDB(sWorking));
    std::unique_ptr<TDBResult> result;
    EXPECT_FALSE(db.RetreiveSessionList(result, {}));
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(result->Eof());
}

TEST_F(TdbSQLiteTest, CreateReportsTheLibraryMessageAfterItsPrefix) {
    const QString sOther = Path("locked.DB3");
    ASSERT_TRUE(db.CreateSQLiteDB(sOther));
    auto holder = Peek(sOther);
    holder.exec("BEGIN EXCLUSIVE;");
    EXPECT_FALSE(db.CreateSQLiteDB(sOther));
    EXPECT_EQ(db.LastError(), "Exception raised with messagedatabase is locked");
    holder.exec("ROLLBACK;");

    EXPECT_FALSE(db.CreateSQLiteDB(Path("no-such-folder/new.DB3")));
    EXPECT_FALSE(db.LastError().isEmpty());
    EXPECT_FALSE(db.LastError().startsWith("Exception raised with message"));
}

TEST_F(TdbSQLiteTest, OpenRefusesMissingAndNonDatabaseFiles) {
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdA)));
    EXPECT_FALSE(db.OpenSQLiteDB(Path("missing.DB3")));
    EXPECT_EQ(db.DatabaseFileName(), sWorking);
    EXPECT_TRUE(db.Connected());
    EXPECT_TRUE(InsertLevel(kIdA, "10:00:00:00"));

    WriteFile("text.DB3", QByteArray(4096, 'x'));
    EXPECT_FALSE(db.OpenSQLiteDB(Path("text.DB3")));
    EXPECT_FALSE(db.Connected());
    EXPECT_FALSE(db.LastError().isEmpty());
    EXPECT_FALSE(InsertLevel(kIdA, "10:00:01:00"));

    EXPECT_TRUE(db.OpenSQLiteDB(sWorking));
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels;"), 1);
}

TEST_F(TdbSQLiteTest, RemovedDatabaseFileIsNotRecreatedByLaterStatements) {
    // Closed on purpose before removal, or closed by a verify of the file and then removed by someone else.
    const std::function<void()> aClose[] = {[&] { db.CloseSQLiteDB(); },
                                            [&] { ASSERT_TRUE(db.VerifySQLiteDB(sWorking)); }};
    for (const auto& close : aClose) {
        ASSERT_TRUE(db.CreateSQLiteDB(sWorking));
        ASSERT_TRUE(db.OpenSQLiteDB(sWorking));
        close();
        ASSERT_TRUE(QFile::remove(sWorking));
        std::unique_ptr<TDBResult> result;
        EXPECT_FALSE(db.InsertSession(SampleSession(kIdA)));
        EXPECT_FALSE(InsertLevel(kIdA, "10:00:00:00"));
        EXPECT_FALSE(db.RetreiveSessionList(result, {}));
        EXPECT_EQ(result, nullptr);
        EXPECT_FALSE(db.Connected());
        EXPECT_FALSE(QFile::exists(sWorking));
    }
}

TEST_F(TdbSQLiteTest, ResultSetOutlivesReconnectAndTheDatabaseObject) {
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdA)));
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdB)));
    std::unique_ptr<TDBResult> first;
    std::unique_ptr<TDBResult> second;
    {
        TdbSQLite other;
        ASSERT_TRUE(other.OpenSQLiteDB(sWorking));
        ASSERT_TRUE(other.RetreiveSessionList(first, {}));
        ASSERT_TRUE(other.RetreiveSessionList(second, {}));
    }
    EXPECT_EQ(first->AsString("sReportId"), kIdA);
    ASSERT_TRUE(first->Next());
    EXPECT_EQ(first->AsString("sReportId"), kIdB);
    EXPECT_FALSE(first->Next());
    EXPECT_EQ(second->AsString("sReportId"), kIdA);
}

TEST_F(TdbSQLiteTest, ResultReadsAsNullOutsideItsRowsAndColumns) {
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdA)));
    std::unique_ptr<TDBResult> result;
    ASSERT_TRUE(db.RetreiveSessionList(result, "SELECT sTitle, iLoudnessFilter FROM qxr_sessions;"));
    EXPECT_EQ(result->ColumnIndex("STITLE"), 0);
    EXPECT_EQ(result->ColumnIndex("sNotes"), -1);
    EXPECT_TRUE(result->IsNull("sNotes"));
    EXPECT_TRUE(result->IsNull(2));
    EXPECT_TRUE(result->IsNull(-1));
    EXPECT_EQ(result->AsInteger(1), 6);
    EXPECT_FALSE(result->Next());
    EXPECT_TRUE(result->IsNull(0));
    EXPECT_EQ(result->AsString(0), "");
    EXPECT_EQ(result->AsInteger(1), 0);
    EXPECT_FALSE(result->Next());
    EXPECT_TRUE(result->LastError().isEmpty());
}

TEST_F(TdbSQLiteTest, ResultStatementsAreRunAsGivenButOnlyWhenTheyRead) {
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdA)));
    ASSERT_TRUE(InsertLevel(kIdA, "10:00:00:00", -20.0));
    ASSERT_TRUE(InsertLevel(kIdA, "10:00:01:00", -30.0));
    std::unique_ptr<TDBResult> result;

    EXPECT_TRUE(db.RetreiveSessionData(
        kIdA, {"SELECT * FROM qxr_loudness_levels WHERE fLoudnessInt < -25 ORDER BY nId;"}, result));
    EXPECT_EQ(result->AsString("sTimeCode"), "10:00:01:00");
    EXPECT_FALSE(result->Next());
    EXPECT_TRUE(db.RetreiveSessionData(
        kIdA, {"SELECT count(*) AS n FROM qxr_loudness_levels WHERE sReportId=?1 AND fLoudnessInt > -25;"},
        result));
    EXPECT_EQ(result->AsInteger("n"), 1);
    EXPECT_FALSE(db.RetreiveSessionList(result, "SELECT * FROM qxr_sessions WHERE iLoudnessFilter=99;"));
    ASSERT_NE(result, nullptr);

    struct TCase {
        const char* sSQL;
    };
    const TCase aRefused[] = {
        {"DELETE FROM qxr_sessions;"},       {"UPDATE qxr_sessions SET sTitle='x';"},
        {"DROP TABLE qxr_loudness_levels;"}, {"SELEC * FROM qxr_sessions;"},
        {"SELECT * FROM no_such_table;"},    {"   "},
    };
    for (const TCase& c : aRefused) {
        SCOPED_TRACE(c.sSQL);
        EXPECT_FALSE(db.RetreiveSessionList(result, c.sSQL));
        EXPECT_EQ(result, nullptr);
        EXPECT_FALSE(db.RetreiveSessionData(kIdA, {c.sSQL}, result));
        EXPECT_FALSE(db.LastError().isEmpty());
    }
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions WHERE sTitle='Evening News';"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels;"), 2);
}

TEST_F(TdbSQLiteTest, SessionListShowsTheFileAsItIsNow) {
    std::unique_ptr<TDBResult> result;
    EXPECT_FALSE(db.RetreiveSessionList(result, {}));
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(result->Eof());
    EXPECT_TRUE(db.Connected());

    // Another program replaces the file with a copy holding a session (a restore from backup).
    TdbSQLite other;
    ASSERT_TRUE(other.CreateSQLiteDB(Path("restored.DB3")));
    ASSERT_TRUE(other.OpenSQLiteDB(Path("restored.DB3")));
    ASSERT_TRUE(other.InsertSession(SampleSession(kIdB)));
    other.CloseSQLiteDB();
    ASSERT_EQ(::rename(Path("restored.DB3").toLocal8Bit().constData(), sWorking.toLocal8Bit().constData()),
              0);

    ASSERT_TRUE(db.RetreiveSessionList(result, {}));
    EXPECT_EQ(result->AsString("sReportId"), kIdB);
}

TEST_F(TdbSQLiteTest, WaitsForALockThatAnotherProgramReleases) {
    TdbSQLite waiting; // the program's own wait on locks
    ASSERT_TRUE(waiting.OpenSQLiteDB(sWorking));
    std::atomic<bool> bLocked{false};
    std::thread holder([&] {
        auto other = Peek(sWorking);
        other.exec("BEGIN EXCLUSIVE;");
        other.exec(QString("INSERT INTO qxr_sessions (sReportId) VALUES ('%1');").arg(kIdB).toStdString());
        bLocked = true;
        // Holds the lock for a moment, as another program writing would; the outcome does not depend on it.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        other.exec("COMMIT;");
    });
    while (!bLocked)
        std::this_thread::yield();
    EXPECT_TRUE(waiting.InsertSession(SampleSession(kIdA))) << waiting.LastError().toStdString();
    holder.join();
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions;"), 2);
}

TEST_F(TdbSQLiteTest, LockedFileFailsAfterTheWaitAndWorksOnceReleased) {
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdA)));
    auto holder = Peek(sWorking);
    holder.exec("BEGIN EXCLUSIVE;");
    std::unique_ptr<TDBResult> result;
    EXPECT_FALSE(InsertLevel(kIdA, "10:00:00:00"));
    EXPECT_TRUE(db.LastError().contains("locked"));
    EXPECT_FALSE(db.InsertSession(SampleSession(kIdB)));
    EXPECT_FALSE(db.UpdateSession(SampleSession(kIdA)));
    EXPECT_FALSE(db.DeleteSessionData(kIdA));
    EXPECT_FALSE(db.RetreiveSessionList(result, {}));
    EXPECT_FALSE(db.VerifySQLiteDB(sWorking));
    holder.exec("ROLLBACK;");

    EXPECT_TRUE(InsertLevel(kIdA, "10:00:00:00"));
    EXPECT_TRUE(db.RetreiveSessionList(result, {}));
}

// Makes a file read-only even for a privileged user (who ignores permission bits) by marking it immutable;
// undone on destruction so the temporary folder can be removed.
class TReadOnlyFile {
public:
    explicit TReadOnlyFile(const QString& sFile) : sPath(sFile.toStdString()) {
        QFile::setPermissions(sFile,
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        if (::access(sPath.c_str(), W_OK) == 0)
            bImmutable = SetImmutable(true);
        bReadOnly = ::access(sPath.c_str(), W_OK) != 0;
    }
    ~TReadOnlyFile() {
        if (bImmutable)
            SetImmutable(false);
        QFile::setPermissions(QString::fromStdString(sPath),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    bool ReadOnly() const { return bReadOnly; }

private:
    bool SetImmutable(bool bOn) const { return qxtest::SetImmutable(QString::fromStdString(sPath), bOn); }
    std::string sPath;
    bool bImmutable = false;
    bool bReadOnly = false;
};

TEST_F(TdbSQLiteTest, ReadOnlyFileRefusesWritesButStillReads) {
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdA)));
    db.CloseSQLiteDB();
    TReadOnlyFile readOnly(sWorking);
    if (!readOnly.ReadOnly())
        GTEST_SKIP() << "this file system cannot make the file read-only for this user";
    ASSERT_TRUE(db.OpenSQLiteDB(sWorking));
    EXPECT_FALSE(db.InsertSession(SampleSession(kIdB)));
    EXPECT_FALSE(InsertLevel(kIdA, "10:00:00:00"));
    EXPECT_FALSE(db.UpdateSession(SampleSession(kIdA)));
    EXPECT_FALSE(db.DeleteSessionData(kIdA));
    EXPECT_TRUE(db.VerifySQLiteDB(sWorking));
    std::unique_ptr<TDBResult> result;
    ASSERT_TRUE(db.RetreiveSessionList(result, {}));
    EXPECT_EQ(result->AsString("sReportId"), kIdA);
}

TEST_F(TdbSQLiteTest, ReadsAFileWrittenWithTextStatementsByAnOlderVersion) {
    const QString sOld = Path("old.DB3");
    {
        auto old = Peek(sOld, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        old.exec(
            "CREATE TABLE IF NOT EXISTS qxr_sessions (nId INTEGER PRIMARY KEY ASC,sReportId TEXT,iVersion "
            "INTEGER,dtDateTime REAL,sInstrument TEXT,sTitle TEXT,sNo TEXT,sOperator TEXT,sFormat "
            "TEXT,sNotes "
            "TEXT,sTimeCodeStart TEXT,sTimeCodeEnd TEXT,iLoudnessPeakMode INTEGER,iLoudnessCaptureMode "
            "INTEGER,iLoudnessScaleMode INTEGER,iLoudnessReferenceMode INTEGER,iLoudnessSlidingWindow "
            "INTEGER,fLoudnessGateLevel REAL,iLoudnessGateMode INTEGER,fLoudnessReferenceLevel "
            "REAL,fLoudnessPeakLevel REAL,iLoudnessFilter INTEGER);");
        old.exec("CREATE TABLE IF NOT EXISTS qxr_loudness_levels (nId INTEGER PRIMARY KEY ASC,sReportId "
                 "TEXT,iVersion INTEGER,dtDateTime  DATETIME,sTimeCode TEXT,iPeakChannel "
                 "INTEGER,fInstantaneousPeak "
                 "REAL,fLoudnessHi REAL,fLoudnessLo REAL,fLoudnessInt REAL);");
        old.exec("INSERT INTO qxr_sessions "
                 "(sReportId,iVersion,dtDateTime,sInstrument,sTitle,sNo,sOperator,sFormat,"
                 "sNotes,iLoudnessPeakMode,iLoudnessCaptureMode,iLoudnessScaleMode,iLoudnessReferenceMode,"
                 "iLoudnessSlidingWindow,fLoudnessGateLevel,iLoudnessGateMode,fLoudnessReferenceLevel,"
                 "fLoudnessPeakLevel,iLoudnessFilter) VALUES (\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\",\"1\","
                 "2460140.77100984,\"qxMeter 5 SN 1234\",\"Evening News\",\"EN-0415\",\"Operator One\",\"HD "
                 "1080i\",\"Line one\",1,2,3,4,5,-8.5,7,-23.25,-1.75,6);");
        old.exec(
            "UPDATE qxr_sessions SET iVersion=\"1\",dtDateTime=2460140.78,sTimeCodeStart=\"10:00:00:00\","
            "sTimeCodeEnd=\"10:30:00:00\" WHERE sReportId=\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\";");
        old.exec(
            "INSERT INTO qxr_loudness_levels (sReportId,iVersion,dtDateTime,sTimeCode,iPeakChannel,"
            "fInstantaneousPeak,fLoudnessHi,fLoudnessLo,fLoudnessInt) VALUES "
            "(\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\",\"1\",2460140.77101,\"10:00:00:00\",2,-3.5,-22.4,-31,"
            "-23.7);");
        old.exec(
            "INSERT INTO qxr_loudness_levels (sReportId,iVersion,dtDateTime,sTimeCode,iPeakChannel,"
            "fInstantaneousPeak,fLoudnessHi,fLoudnessLo,fLoudnessInt) VALUES "
            "(\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\",\"1\",2460140.77102,\"10:00:01:00\",0,-999,-999,-999,"
            "-999);");
    }
    ASSERT_TRUE(db.VerifySQLiteDB(sOld));
    ASSERT_TRUE(db.OpenSQLiteDB(sOld));

    TSessionInfo r = SampleSession(kIdA);
    r.sNotes = "Line one";
    std::unique_ptr<TDBResult> result;
    const auto aCases = SessionColumns(r, QString("10:00:00:00"), QString("10:30:00:00"));
    ASSERT_TRUE(db.RetreiveSessionList(result, TypedSelect(aCases, "qxr_sessions", kIdA)));
    ExpectColumns(*result, aCases);

    ASSERT_TRUE(db.RetreiveSessionData(kIdA, {}, result));
    EXPECT_DOUBLE_EQ(result->AsFloat("dtDateTime"), 2460140.77101);
    EXPECT_DOUBLE_EQ(result->AsFloat("fLoudnessLo"), -31.0);
    EXPECT_DOUBLE_EQ(result->AsFloat("fLoudnessInt"), -23.7);
    ASSERT_TRUE(result->Next());
    EXPECT_EQ(result->AsString("sTimeCode"), "10:00:01:00");
    EXPECT_DOUBLE_EQ(result->AsFloat("fInstantaneousPeak"), -999.0);
    EXPECT_FALSE(result->Next());

    // New rows go on beside the old ones.
    ASSERT_TRUE(InsertLevel(kIdA, "10:00:02:00"));
    ASSERT_TRUE(db.RetreiveSessionData(kIdA, {"SELECT count(*) AS n FROM qxr_loudness_levels;"}, result));
    EXPECT_EQ(result->AsInteger("n"), 3);
}

// A file as an older program leaves it: the two tables, no recording starts. Session A has two level rows
// whose stamps run backwards (a clock set back), session B none, and session C's rows lie among A's.
void WriteOlderFile(SQLite::Database& old) {
    old.exec(kStoredSessionsSql);
    old.exec(kStoredLevelsSql);
    SQLite::Statement session(old, "INSERT INTO qxr_sessions (sReportId,iVersion,dtDateTime,sTitle) "
                                   "VALUES (?,1,?,?);");
    for (const auto& [sId, fStamp] : {std::pair{kIdA, 2460141.5}, {kIdB, 2460142.5}, {kIdC, 2460143.5}}) {
        session.bind(1, sId);
        session.bind(2, fStamp);
        session.bind(3, sId);
        session.exec();
        session.reset();
    }
    SQLite::Statement level(old, "INSERT INTO qxr_loudness_levels (sReportId,iVersion,dtDateTime,sTimeCode) "
                                 "VALUES (?,1,?,'10:00:00:00');");
    for (const auto& [sId, fStamp] :
         {std::pair{kIdC, 2460140.25}, {kIdA, 2460140.75}, {kIdC, 2460140.30}, {kIdA, 2460140.70}}) {
        level.bind(1, sId);
        level.bind(2, fStamp);
        level.exec();
        level.reset();
    }
}

// The recording start of each listed session, by identifier.
std::map<QString, double> ListedStarts(TdbSQLite& rDB) {
    std::map<QString, double> m;
    std::unique_ptr<TDBResult> result;
    rDB.RetreiveSessionList(result, {});
    for (; result && !result->Eof(); result->Next())
        m[result->AsString("sReportId")] = result->AsFloat("dtRecordingStart");
    return m;
}

TEST_F(TdbSQLiteTest, TheListGivesEachSessionItsRecordingStartNotItsLastUpdate) {
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdA), 2460000.0));
    ASSERT_TRUE(db.InsertSession(SampleSession(kIdB), 2460000.5));
    TStoredLevel rRow;
    rRow.sReportId = kIdA;
    rRow.sReportVersion = "1";
    rRow.sTimeCode = "10:00:00:00";
    for (const double fStamp : {2460000.125, 2460000.25}) {
        rRow.fStamp = fStamp;
        ASSERT_TRUE(db.InsertLevelRow(rRow)) << db.LastError().toStdString();
    }
    // Stopped, disconnected, edited: the row's stamp moves on, the session was still recorded at its start.
    ASSERT_TRUE(db.UpdateSession(SampleSession(kIdA), 2460003.0));
    ASSERT_TRUE(db.UpdateSession(SampleSession(kIdB), 2460004.0));
    ASSERT_TRUE(InsertLevel(kIdC, "10:00:00:00"));

    auto m = ListedStarts(db);
    EXPECT_DOUBLE_EQ(m[kIdA], 2460000.125);
    EXPECT_DOUBLE_EQ(m[kIdB], 2460004.0) << "a session without level rows reads its own stamp";
    EXPECT_EQ(m.count(kIdC), 0u) << "level rows without a session row list nothing";
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_recording_starts WHERE dtRecordingStart IS NULL;"), 1);

    ASSERT_TRUE(db.DeleteSessionData(kIdA));
    EXPECT_EQ(Count(QString("SELECT count(*) FROM qxr_recording_starts WHERE sReportId='%1';").arg(kIdA)), 0);
}

TEST_F(TdbSQLiteTest, AnOlderFileHasItsRecordingStartsNotedOnceFromTheFirstLevelRows) {
    const QString sOld = Path("older.DB3");
    {
        auto old = Peek(sOld, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        WriteOlderFile(old);
    }
    ASSERT_TRUE(db.OpenSQLiteDB(sOld)) << db.LastError().toStdString();
    auto m = ListedStarts(db);
    EXPECT_DOUBLE_EQ(m[kIdA], 2460140.75) << "the first row stored, not the earliest stamp";
    EXPECT_DOUBLE_EQ(m[kIdB], 2460142.5);
    EXPECT_DOUBLE_EQ(m[kIdC], 2460140.25);
    {
        // The specified tables are left exactly as they were.
        auto peek = Peek(sOld);
        EXPECT_EQ(peek.execAndGet("SELECT sql FROM sqlite_master WHERE name='qxr_sessions';").getString(),
                  kStoredSessionsSql);
        EXPECT_EQ(
            peek.execAndGet("SELECT sql FROM sqlite_master WHERE name='qxr_loudness_levels';").getString(),
            kStoredLevelsSql);
        // An older program adds a session with rows later: the next open notes it; B's first row, which
        // came after B was noted without any, does not move what the list shows for B.
        peek.exec("INSERT INTO qxr_sessions (sReportId,iVersion,dtDateTime) VALUES ('D',1,2460150.5);");
        peek.exec("INSERT INTO qxr_loudness_levels (sReportId,dtDateTime) VALUES ('D',2460149.5);");
    }
    ASSERT_TRUE(db.OpenSQLiteDB(sOld));
    m = ListedStarts(db);
    EXPECT_DOUBLE_EQ(m["D"], 2460149.5);
    EXPECT_DOUBLE_EQ(m[kIdA], 2460140.75);
    // The session's first row from this program sets a start still unknown.
    ASSERT_TRUE(InsertLevel(kIdB, "11:00:00:00"));
    EXPECT_GT(ListedStarts(db)[kIdB], 2460142.5);
}

TEST_F(TdbSQLiteTest, AReadOnlyOlderFileListsItsSessionsByTheirOwnStamps) {
    const QString sOld = Path("older.DB3");
    {
        auto old = Peek(sOld, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        WriteOlderFile(old);
    }
    TReadOnlyFile readOnly(sOld);
    if (!readOnly.ReadOnly())
        GTEST_SKIP() << "this file system cannot make the file read-only for this user";
    ASSERT_TRUE(db.OpenSQLiteDB(sOld)) << db.LastError().toStdString();
    const auto m = ListedStarts(db);
    ASSERT_EQ(m.size(), 3u) << db.LastError().toStdString();
    EXPECT_DOUBLE_EQ(m.at(kIdA), 2460141.5);
    EXPECT_DOUBLE_EQ(m.at(kIdC), 2460143.5);
    EXPECT_EQ(Peek(sOld, SQLite::OPEN_READONLY)
                  .execAndGet("SELECT count(*) FROM sqlite_master WHERE name='qxr_recording_starts';")
                  .getInt(),
              0);
}

} // namespace
