#include "review/LevelTable.h"
#include "core/GridLayouts.h"
#include "core/TextTable.h"
#include "review/LevelFilter.h"
#include "review/LevelRowLookup.h"
#include "review/TableColors.h"
#include "store/SessionGapStore.h"
#include "store/dbSQLite.h"

#include <QTemporaryDir>
#include <SQLiteCpp/SQLiteCpp.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace {

const char* const kId = "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9";
const char* const kOtherId = "F0E1D2C3-B4A5-9687-7869-5A4B3C2D1E0F";

struct TLevel {
    const char* sTC;
    int iCh;
    double fPeak, fHi, fLo, fInt;
};

// A real session database file with one session's level rows (and a few rows of another session that no
// load may show).
class TLevelDBTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        sFile = dir.filePath("levels.DB3");
        ASSERT_TRUE(db.CreateSQLiteDB(sFile));
        ASSERT_TRUE(db.OpenSQLiteDB(sFile));
        TSessionInfo r;
        r.sReportID = kId;
        r.sReportVersion = "1";
        ASSERT_TRUE(db.InsertSession(r));
        ASSERT_TRUE(db.InsertSessionData(kOtherId, "1", 1, 1, 5.0, 5.0, 5.0, 5.0, 0, 0, "10:00:00:00"));
    }

    void Insert(const std::vector<TLevel>& aRows) {
        for (const TLevel& l : aRows)
            ASSERT_TRUE(db.InsertSessionData(kId, "1", l.iCh, 1, l.fInt, l.fPeak, l.fLo, l.fHi, 0, 0, l.sTC));
    }

    // Hand edits a file might carry: statements run on a connection of their own.
    void Edit(const char* sSQL) {
        SQLite::Database peek(sFile.toStdString(), SQLite::OPEN_READWRITE);
        peek.exec(sSQL);
    }

    TLevelTable::TLoadResult Load(const TDataFilter& rFilter, const TDataOptions& rOptions = {}) {
        table.SetLayout(rOptions, kLanguageEnglish, ".");
        QString sError;
        const auto r = table.Load(db, kId, rFilter, "LUFS", {}, sError);
        EXPECT_EQ(r == TLevelTable::TLoadResult::Failed, !sError.isEmpty()) << sError.toStdString();
        return r;
    }

    // The statistics as label text -> value and timecode.
    std::map<int, std::pair<QString, QString>> Stats() const {
        std::map<int, std::pair<QString, QString>> m;
        for (const TStatisticRow& r : table.Statistics())
            m[r.iLabel] = {r.sValue, r.sTimecode};
        return m;
    }

    QTemporaryDir dir;
    QString sFile;
    TdbSQLite db;
    TLevelTable table;
};

using TStat = std::pair<QString, QString>;

TEST_F(TLevelDBTest, StatisticsFollowEveryRule) {
    struct TCase {
        const char* sName;
        std::vector<TLevel> aRows;
        TFilterOptions rFilter;
        TDataOptions rOptions;
        std::map<int, TStat> mExpected;
        int iRows;
    };
    TFilterOptions rTC;
    rTC.bEnableTCStart = rTC.bEnableTCEnd = true;
    rTC.sTCStart = "10:00:01:00";
    rTC.sTCEnd = "10:00:02:00";
    TFilterOptions rAboveOverBelow;
    rAboveOverBelow.bEnablePeakOver = rAboveOverBelow.bEnablePeakUnder = true;
    rAboveOverBelow.sPeakOver = "-3.0";
    rAboveOverBelow.sPeakUnder = "-6.0";
    TDataOptions rMinMax;
    rMinMax.bEnablePeakLevel = rMinMax.bEnableShortTerm = rMinMax.bEnableIntegrating = false;
    rMinMax.bEnablePeakLevelMin = rMinMax.bEnableShortTermMin = rMinMax.bEnableIntegratingMax = true;
    rMinMax.bEnableIntegratingMin = true;

    const std::vector<TCase> aCases = {
        {"fields never received start values stand, without timecode",
         {{"10:00:00:00", 0, -999, -999, -999, -999}, {"10:00:01:00", 0, -999, -999, -999, -999}},
         {},
         {},
         {{kTxtPeakLevelLabel, {"-100.0  dBFS", ""}},
          {kTxtPeakCountLabel, {"0", ""}},
          {kTxtShortTermLabel, {"-100.0 LUFS", ""}},
          {kTxtIntegratingLabel, {"-999.0 LUFS", "10:00:01:00"}}},
         2},
        {"equal highest peaks keep the first row",
         {{"10:00:00:00", 0, -9, -20, -30, -24},
          {"10:00:01:00", 0, -3.2, -20, -30, -24},
          {"10:00:02:00", 0, -3.2, -18, -30, -23}},
         {},
         {},
         {{kTxtPeakLevelLabel, {"-3.2  dBFS", "10:00:01:00"}},
          {kTxtShortTermLabel, {"-18.0 LUFS", "10:00:02:00"}},
          {kTxtIntegratingLabel, {"-23.0 LUFS", "10:00:02:00"}}},
         3},
        {"peak count counts rows, not channels",
         {{"10:00:00:00", 2, -1, -20, -30, -24},
          {"10:00:01:00", 2, -1, -20, -30, -24},
          {"10:00:02:00", 0, -1, -20, -30, -24},
          {"10:00:03:00", 2, -1, -20, -30, -24}},
         {},
         {},
         {{kTxtPeakCountLabel, {"3", ""}}},
         4},
        {"a timecode filter gives the last integrated value inside the interval",
         {{"10:00:00:00", 0, -9, -20, -30, -30},
          {"10:00:01:00", 0, -9, -20, -30, -25},
          {"10:00:02:00", 0, -9, -20, -30, -24.3},
          {"10:00:03:00", 0, -9, -20, -30, -22}},
         rTC,
         {},
         {{kTxtIntegratingLabel, {"-24.3 LUFS", "10:00:02:00"}}},
         2},
        {"minimum and maximum rows, lows at or above 100 stay at 100",
         {{"10:00:00:00", 0, 120, -20, 150, -23},
          {"10:00:01:00", 0, 130, -20, 100, -25},
          {"10:00:02:00", 0, 140, -20, 110, -24}},
         {},
         rMinMax,
         {{kTxtPeakLevelMinLabel, {"100.0  dBFS", ""}},
          {kTxtShortTermMinLabel, {"100.0 LUFS", ""}},
          {kTxtIntegratingLabel, {"-24.0 LUFS", "10:00:02:00"}},
          {kTxtIntegratingMaxLabel, {"-23.0 LUFS", "10:00:00:00"}},
          {kTxtIntegratingMinLabel, {"-25.0 LUFS", "10:00:01:00"}}},
         3},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        Edit("DELETE FROM qxr_loudness_levels WHERE sReportId<>'F0E1D2C3-B4A5-9687-7869-5A4B3C2D1E0F';");
        Insert(c.aRows);
        const std::optional<TSQLFilter> rFilter = BuildDataFilter(c.rFilter);
        ASSERT_TRUE(rFilter);
        ASSERT_EQ(Load(*rFilter, c.rOptions), TLevelTable::TLoadResult::Rows);
        EXPECT_EQ(table.RowCount(), c.iRows);
        const auto mStats = Stats();
        // The loudness range and the verdict follow the statistics the options choose.
        EXPECT_EQ(mStats.size(), DBLoudnessMaxLabels(c.rOptions).aRowLabels.size() + 2);
        EXPECT_TRUE(mStats.count(kTxtLoudnessRangeLabel) && mStats.count(kTxtVerdictLabel));
        for (const auto& [iLabel, rExpected] : c.mExpected) {
            SCOPED_TRACE(iLabel);
            ASSERT_TRUE(mStats.count(iLabel));
            EXPECT_EQ(mStats.at(iLabel).first, rExpected.first);
            EXPECT_EQ(mStats.at(iLabel).second, rExpected.second);
        }
    }
}

TEST_F(TLevelDBTest, AFilterWithoutRowsKeepsTheRowsStatisticsAndFilterShown) {
    Insert({{"10:00:00:00", 1, -4, -20, -30, -24},
            {"10:00:01:00", 0, -8, -20, -30, -23},
            {"10:00:02:00", 0, -2, -20, -30, -22}});
    TFilterOptions rShown;
    rShown.bEnableTCEnd = true;
    rShown.sTCEnd = "10:00:01:00";
    ASSERT_EQ(Load(TDataFilter(*BuildDataFilter(rShown), rShown)), TLevelTable::TLoadResult::Rows);
    const auto mBefore = Stats();
    EXPECT_EQ(mBefore.at(kTxtPeakLevelLabel), TStat("-4.0  dBFS", "10:00:00:00"));

    TFilterOptions r;
    r.bEnablePeakOver = r.bEnablePeakUnder = true;
    r.sPeakOver = "-3.0"; // above greater than below: nothing lies between
    r.sPeakUnder = "-6.0";
    QString sError;
    EXPECT_EQ(table.Load(db, kId, TDataFilter(*BuildDataFilter(r), r), "LUFS", {}, sError),
              TLevelTable::TLoadResult::NoRows);
    ASSERT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.CellText(1, 1), "10:00:01:00");
    EXPECT_EQ(Stats(), mBefore);
    EXPECT_EQ(table.SessionId(), kId);
    EXPECT_EQ(table.DataFilter(), *BuildDataFilter(rShown));
    EXPECT_EQ(table.DataFilterTexts(kLanguageEnglish), QStringList{"Timecode up to 10:00:01:00"});

    // A new session selected: nothing is shown, so no filter is in force either.
    table.ClearRows();
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_TRUE(table.SessionId().isEmpty());
    EXPECT_TRUE(table.DataFilter().IsEmpty());
    EXPECT_TRUE(table.DataFilterTexts(kLanguageEnglish).isEmpty());
    EXPECT_EQ(Stats(), mBefore);
}

// A programme logged through midnight: 10:00 in the morning to about 10:00 the next morning.
TEST_F(TLevelDBTest, ATimecodeRangeAcrossMidnightKeepsTheRecordedOrder) {
    Insert({{"10:00:00:00", 0, -9, -20, -30, -30},
            {"23:58:00:00", 0, -9, -20, -30, -29},
            {"23:59:00:00", 1, -1, -20, -30, -28},
            {"23:59:30:00", 0, -9, -20, -30, -27},
            {"00:00:00:00", 0, -9, -20, -30, -26},
            {"00:00:30:00", 0, -9, -20, -30, -25},
            {"00:01:00:00", 0, -9, -20, -30, -24},
            {"00:02:00:00", 0, -9, -20, -30, -23},
            {"09:59:59:00", 0, -9, -20, -30, -22}});
    // A database indexed by timecode (another tool's, or a hand-edited one) may read the rows in timecode
    // order; they must still come as they were recorded.
    Edit("CREATE INDEX levels_by_tc ON qxr_loudness_levels (sReportId, sTimeCode);");
    struct TCase {
        const char* sStart;
        const char* sEnd;
        const char* sPeakOver; // nullptr: the peak is not filtered
        QStringList slExpected;
    };
    const TCase aCases[] = {
        {"23:59:00:00",
         "00:01:00:00",
         nullptr,
         {"23:59:00:00", "23:59:30:00", "00:00:00:00", "00:00:30:00", "00:01:00:00"}},
        {"23:59:30:00", "00:00:00:00", nullptr, {"23:59:30:00", "00:00:00:00"}},
        // A range that stays on one side of midnight, and one of a single timecode.
        {"00:00:00:00", "00:01:00:00", nullptr, {"00:00:00:00", "00:00:30:00", "00:01:00:00"}},
        {"23:58:00:00", "23:59:30:00", nullptr, {"23:58:00:00", "23:59:00:00", "23:59:30:00"}},
        {"23:59:00:00", "23:59:00:00", nullptr, {"23:59:00:00"}},
        // From late evening to mid-morning: nearly the whole night, still in recorded order.
        {"12:00:00:00",
         "09:00:00:00",
         nullptr,
         {"23:58:00:00", "23:59:00:00", "23:59:30:00", "00:00:00:00", "00:00:30:00", "00:01:00:00",
          "00:02:00:00"}},
        // A range on one side of midnight that the session passed twice: the evening of the first day
        // comes before the morning of the next.
        {"09:00:00:00", "23:59:00:00", nullptr, {"10:00:00:00", "23:58:00:00", "23:59:00:00", "09:59:59:00"}},
        // The interval's two halves both meet the other conditions.
        {"23:59:00:00", "00:01:00:00", "-5", {"23:59:00:00"}},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(std::string(c.sStart) + " to " + c.sEnd);
        TFilterOptions o;
        o.bEnableTCStart = o.bEnableTCEnd = true;
        o.sTCStart = c.sStart;
        o.sTCEnd = c.sEnd;
        o.bEnablePeakOver = c.sPeakOver != nullptr;
        o.sPeakOver = c.sPeakOver ? c.sPeakOver : "";
        const std::optional<TSQLFilter> rFilter = BuildDataFilter(o);
        ASSERT_TRUE(rFilter);
        ASSERT_EQ(Load(*rFilter), TLevelTable::TLoadResult::Rows);
        QStringList slShown;
        for (int iRow = 0; iRow < table.RowCount(); ++iRow)
            slShown << table.CellText(iRow, 1);
        EXPECT_EQ(slShown, c.slExpected);
        // The last integrated value is that of the last row recorded inside the interval.
        EXPECT_EQ(Stats().at(kTxtIntegratingLabel).second, c.slExpected.last());
    }
}

TEST(LevelFilter, ConditionsAreNamedAsTheUserReadsThem) {
    TFilterOptions rAll;
    rAll.bEnableTCStart = rAll.bEnableTCEnd = true;
    rAll.sTCStart = "10:00:00:00";
    rAll.sTCEnd = "10:30:00:00";
    rAll.bEnablePeakOver = rAll.bEnablePeakUnder = rAll.bEnableHiOver = rAll.bEnableHiUnder = true;
    rAll.bEnableLoOver = rAll.bEnableLoUnder = rAll.bEnableIntOver = rAll.bEnableIntUnder = true;
    rAll.sPeakOver = "-6,5";
    rAll.sIntUnder = "-23";
    TFilterOptions rMidnight;
    rMidnight.bEnableTCStart = rMidnight.bEnableTCEnd = true;
    rMidnight.sTCStart = "23:59:00:00";
    rMidnight.sTCEnd = "00:01:00:00";
    TFilterOptions rStartOnly = rMidnight;
    rStartOnly.bEnableTCEnd = false;
    TFilterOptions rEndOnly = rMidnight;
    rEndOnly.bEnableTCStart = false;
    TFilterOptions rUnchecked = rAll; // texts stay in the dialog, but nothing is in force
    rUnchecked.bEnableTCStart = rUnchecked.bEnableTCEnd = rUnchecked.bEnablePeakOver = false;
    rUnchecked.bEnablePeakUnder = rUnchecked.bEnableHiOver = rUnchecked.bEnableHiUnder = false;
    rUnchecked.bEnableLoOver = rUnchecked.bEnableLoUnder = false;
    rUnchecked.bEnableIntOver = rUnchecked.bEnableIntUnder = false;

    TFilterOptions rPeak;
    rPeak.bEnablePeakOver = true;
    rPeak.sPeakOver = "-12.0";
    const TLevelRowRange rRun{7, 93, "23:59:50:00", "00:00:09:00", 20};

    struct TCase {
        const char* sName;
        TFilterOptions rOptions;
        int iLNG;
        QStringList slExpected;
        std::optional<TLevelRowRange> rRowRange = std::nullopt;
    };
    const TCase aCases[] = {
        {"every condition",
         rAll,
         kLanguageEnglish,
         {"Timecode from 10:00:00:00 to 10:30:00:00", "Peak Level at or above -6.5 dBFS",
          "Peak Level at or below 0.0 dBFS", "Shortterm Max. at or above -80.0 LUFS",
          "Shortterm Max. at or below 0.0 LUFS", "Shortterm Min. at or above -80.0 LUFS",
          "Shortterm Min. at or below 0.0 LUFS", "Integrating at or above -80.0 LUFS",
          "Integrating at or below -23 LUFS"}},
        {"across midnight",
         rMidnight,
         kLanguageEnglish,
         {"Timecode from 23:59:00:00 to 00:01:00:00, across midnight"}},
        {"across midnight, Danish",
         rMidnight,
         kLanguageDanish,
         {"Tidskode fra 23:59:00:00 til 00:01:00:00, hen over midnat"}},
        {"start only", rStartOnly, kLanguageEnglish, {"Timecode from 23:59:00:00"}},
        {"end only", rEndOnly, kLanguageEnglish, {"Timecode up to 00:01:00:00"}},
        {"Danish levels",
         rAll,
         kLanguageDanish,
         {"Tidskode fra 10:00:00:00 til 10:30:00:00", "Peak Niveau på eller over -6.5 dBFS",
          "Peak Niveau på eller under 0.0 dBFS", "Shortterm Max. på eller over -80.0 LUFS",
          "Shortterm Max. på eller under 0.0 LUFS", "Shortterm Min. på eller over -80.0 LUFS",
          "Shortterm Min. på eller under 0.0 LUFS", "Integrating på eller over -80.0 LUFS",
          "Integrating på eller under -23 LUFS"}},
        {"nothing checked", rUnchecked, kLanguageEnglish, {}},
        {"charted rows",
         rUnchecked,
         kLanguageEnglish,
         {"Charted rows from 23:59:50:00 to 00:00:09:00 (20 rows)"},
         rRun},
        {"charted rows of a filter, Danish",
         rPeak,
         kLanguageDanish,
         {"Kurverækker fra 23:59:50:00 til 00:00:09:00 (20 rækker)", "Peak Niveau på eller over -12.0 dBFS"},
         rRun},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        EXPECT_EQ(DataFilterConditionTexts(c.rOptions, c.iLNG, "LUFS", c.rRowRange), c.slExpected);
    }
}

TEST_F(TLevelDBTest, ValuesThatAreNoNumbersShowEmptyAndAreIgnored) {
    Insert({{"10:00:00:00", 1, -4, -20, -30, -24},
            {"10:00:01:00", 2, -8, -21, -31, -23},
            {"10:00:02:00", 0, -9, -22, -32, -22}});
    Edit("UPDATE qxr_loudness_levels SET fInstantaneousPeak=NULL, fLoudnessHi='abc', iPeakChannel='x' "
         "WHERE sTimeCode='10:00:00:00';");
    Edit("UPDATE qxr_loudness_levels SET fLoudnessInt=NULL, sTimeCode=NULL WHERE sTimeCode='10:00:02:00';");
    ASSERT_EQ(Load({}), TLevelTable::TLoadResult::Rows);
    ASSERT_EQ(table.RowCount(), 3);
    ASSERT_EQ(table.Headers(),
              QStringList({"#", "Timecode", "Peak Channel", "Peak Level", "Shortterm", "Integrating"}));
    const QStringList aExpected[] = {
        {"1", "10:00:00:00", "", "", "", "-24.0"},
        {"2", "10:00:01:00", "2", "-8.0", "-21.0", "-23.0"},
        {"3", "", "0", "-9.0", "-22.0", ""},
    };
    for (int iRow = 0; iRow < 3; ++iRow) {
        for (int iCol = 0; iCol < 6; ++iCol)
            EXPECT_EQ(table.CellText(iRow, iCol), aExpected[iRow][iCol]) << iRow << "," << iCol;
    }
    const auto mStats = Stats();
    EXPECT_EQ(mStats.at(kTxtPeakLevelLabel), TStat("-8.0  dBFS", "10:00:01:00"));
    EXPECT_EQ(mStats.at(kTxtPeakCountLabel), TStat("1", ""));
    EXPECT_EQ(mStats.at(kTxtShortTermLabel), TStat("-21.0 LUFS", "10:00:01:00"));
    // The last row has no integrated value: the one before it is the session's.
    EXPECT_EQ(mStats.at(kTxtIntegratingLabel), TStat("-23.0 LUFS", "10:00:01:00"));
}

TEST_F(TLevelDBTest, LevelsUseTheGivenDecimalSeparatorAndOneDecimal) {
    Insert({{"10:00:00:00", 0, -3.24, -20.04, -30, -23.96}});
    table.SetLayout({}, kLanguageDanish, ",");
    QString sError;
    ASSERT_EQ(table.Load(db, kId, {}, "LUFS", {}, sError), TLevelTable::TLoadResult::Rows);
    EXPECT_EQ(table.Headers()[2], "Peak Kanal");
    EXPECT_EQ(table.CellText(0, 3), "-3,2");
    EXPECT_EQ(table.CellText(0, 4), "-20,0");
    EXPECT_EQ(table.CellText(0, 5), "-24,0");
    EXPECT_EQ(Stats().at(kTxtIntegratingLabel).first, "-24,0 LUFS");
}

TEST_F(TLevelDBTest, AnUnreadableDatabaseFailsWithTheReason) {
    Edit("DROP TABLE qxr_loudness_levels;");
    table.SetLayout({}, kLanguageEnglish, ".");
    QString sError;
    EXPECT_EQ(table.Load(db, kId, {}, "LUFS", {}, sError), TLevelTable::TLoadResult::Failed);
    EXPECT_TRUE(sError.contains("qxr_loudness_levels")) << sError.toStdString();
}

TEST_F(TLevelDBTest, ThePumpRunsWhileALongSessionLoads) {
    Edit(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<2000) INSERT INTO "
        "qxr_loudness_levels (sReportId,sTimeCode,iPeakChannel,fInstantaneousPeak,fLoudnessHi,fLoudnessLo,"
        "fLoudnessInt) SELECT '0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9','10:00:00:00',0,-9,-20,-30,-24 FROM n;");
    std::unique_ptr<TDBResult> result;
    ASSERT_TRUE(db.RetreiveSessionData(kId, {}, result));
    TLevelData data;
    int iPumps = 0;
    QString sError;
    ASSERT_EQ(ReadLevelRows(
                  *result, data,
                  [&](qint64 iDone, qint64) {
                      ++iPumps;
                      return iDone < 2000;
                  },
                  sError),
              TReadResult::Complete);
    EXPECT_EQ(data.RowCount(), 2000);
    EXPECT_GT(iPumps, 0);
}

// A read that pumps takes the table in stretches of row numbers; it gives the rows one statement gives, in
// their order, whatever the stretch, with the session's rows between another session's and the filter's
// matches far apart; its pump reports how far through the table it is, and a cancel ends it at once.
TEST_F(TLevelDBTest, AReadInStepsGivesTheRowsOfOneStatement) {
    // Rows 2 to 601: the session's rows interleaved with the other session's, every third one the other's.
    Edit("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<600) INSERT INTO "
         "qxr_loudness_levels (sReportId,sTimeCode,iPeakChannel,fInstantaneousPeak,fLoudnessHi,fLoudnessLo,"
         "fLoudnessInt) SELECT CASE WHEN i%3=0 THEN 'F0E1D2C3-B4A5-9687-7869-5A4B3C2D1E0F' ELSE "
         "'0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9' END, printf('%02d:%02d:00:00',(i/60+23)%24,i%60),i%2,"
         "-20+i%13,-25+i%7,-40,-23 FROM n;");
    TFilterOptions rLoud;
    rLoud.bEnablePeakOver = true;
    rLoud.sPeakOver = "-9";
    TFilterOptions rMidnight;
    rMidnight.bEnableTCStart = rMidnight.bEnableTCEnd = true;
    rMidnight.sTCStart = "23:30:00:00";
    rMidnight.sTCEnd = "00:10:00:00";
    const TSQLFilter aFilters[] = {{}, *BuildDataFilter(rLoud), *BuildDataFilter(rMidnight)};
    const auto Rows = [](const TLevelData& d) {
        std::vector<std::pair<QString, double>> a;
        for (int i = 0; i < d.RowCount(); ++i)
            a.push_back({d.Timecode(i), d.Row(i).fInstantaneousPeak});
        return a;
    };
    for (const TSQLFilter& rFilter : aFilters) {
        TLevelData Whole;
        QString sError;
        ASSERT_EQ(ReadSessionLevelRows(db, kId, rFilter, Whole, {}, sError), TReadResult::Complete);
        ASSERT_GT(Whole.RowCount(), 10) << rFilter.sSQL.toStdString();
        for (const qint64 iWindow : {1, 7, 64, 599, 600, 601, 100000}) {
            SCOPED_TRACE(iWindow);
            TLevelData Steps;
            std::vector<std::pair<qint64, qint64>> aPumps;
            const auto Pump = [&](qint64 iDone, qint64 iTotal) {
                aPumps.push_back({iDone, iTotal});
                return true;
            };
            ASSERT_EQ(ReadSessionLevelRows(db, kId, rFilter, Steps, Pump, sError, iWindow),
                      TReadResult::Complete);
            EXPECT_EQ(Rows(Steps), Rows(Whole));
            // How far: row numbers read of the table's 601, never back, never beyond.
            ASSERT_FALSE(aPumps.empty());
            EXPECT_EQ(aPumps.front().first, 0);
            for (size_t i = 0; i < aPumps.size(); ++i) {
                EXPECT_EQ(aPumps[i].second, 601);
                EXPECT_LT(aPumps[i].first, 601);
                if (i > 0) {
                    EXPECT_GE(aPumps[i].first, aPumps[i - 1].first);
                }
            }
        }
    }
    // A cancel ends the read at that pump, while the rows are counted or while they are read.
    QString sError;
    for (const int iCancelAt : {1, 3, 20, 26}) {
        TLevelData Cancelled;
        int iPumps = 0;
        EXPECT_EQ(
            ReadSessionLevelRows(
                db, kId, {}, Cancelled, [&](qint64, qint64) { return ++iPumps < iCancelAt; }, sError, 50),
            TReadResult::Cancelled);
        EXPECT_EQ(iPumps, iCancelAt);
        EXPECT_LT(Cancelled.RowCount(), 400);
        EXPECT_TRUE(sError.isEmpty());
    }
    // A statement that cannot run fails with SQLite's reason, read in steps or not.
    for (const qint64 iWindow : {0, 50}) {
        TLevelData None;
        const TProgressPump Pump = [](qint64, qint64) { return true; };
        EXPECT_EQ(ReadSessionLevelRows(db, kId, TSQLFilter("SELECT * FROM no_such_table WHERE sReportId=?1"),
                                       None, iWindow ? Pump : TProgressPump(), sError, iWindow),
                  TReadResult::Failed);
        EXPECT_FALSE(sError.isEmpty());
    }
}

// The written statement the filter once was, with the same conditions as texts in the statement.
QString WrittenStatement(const TFilterOptions& o) {
    QString s = QString("SELECT * FROM qxr_loudness_levels WHERE sReportId=\"%1\"").arg(kId);
    if (o.bEnableTCStart)
        s += " AND sTimeCode>=\"" + o.sTCStart + "\"";
    if (o.bEnableTCEnd)
        s += " AND sTimeCode<=\"" + o.sTCEnd + "\"";
    const std::pair<bool, QString> aLevels[] = {
        {o.bEnablePeakOver, " AND fInstantaneousPeak>=" + o.sPeakOver},
        {o.bEnablePeakUnder, " AND fInstantaneousPeak<=" + o.sPeakUnder},
        {o.bEnableIntOver, " AND fLoudnessInt>=" + o.sIntOver},
        {o.bEnableIntUnder, " AND fLoudnessInt<=" + o.sIntUnder},
        {o.bEnableHiOver, " AND fLoudnessHi>=" + o.sHiOver},
        {o.bEnableHiUnder, " AND fLoudnessHi<=" + o.sHiUnder},
        {o.bEnableLoOver, " AND fLoudnessLo>=" + o.sLoOver},
        {o.bEnableLoUnder, " AND fLoudnessLo<=" + o.sLoUnder},
    };
    for (const auto& [bOn, sPiece] : aLevels) {
        if (bOn)
            s += sPiece;
    }
    return s;
}

std::vector<qint64> RowIds(TdbSQLite& db, const TSQLFilter& rFilter) {
    std::vector<qint64> a;
    std::unique_ptr<TDBResult> result;
    db.RetreiveSessionData(kId, rFilter, result);
    EXPECT_NE(result, nullptr) << db.LastError().toStdString();
    for (; result && !result->Eof(); result->Next())
        a.push_back(result->AsInteger("nId"));
    return a;
}

TEST_F(TLevelDBTest, BoundFilterSelectsTheRowsOfTheWrittenStatement) {
    Insert({{"09:59:59:00", 0, -6.5, -20, -30, -24},
            {"10:00:00:00", 1, -6.4, -10, -40, -23},
            {"10:00:01:00", 2, -6.6, -19.9, -31, -80},
            {"10:30:00:00", 0, 0, -5, -20, -22},
            {"11:00:00:00", 0, -999, -999, -999, -999}});
    // Hand-edited rows: a level kept as text, a NULL level, a level stored as an integer.
    Edit("INSERT INTO qxr_loudness_levels (sReportId,sTimeCode,iPeakChannel,fInstantaneousPeak,fLoudnessHi,"
         "fLoudnessLo,fLoudnessInt) VALUES ('0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9','10:00:02:00',0,'loud',"
         "NULL,-30,-23),('0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9','10:00:03:00',0,-6,-20,-30,-23);");

    const auto With = [](const std::function<void(TFilterOptions&)>& fSet) {
        TFilterOptions o;
        fSet(o);
        return o;
    };
    const TFilterOptions aCases[] = {
        {},
        With([](TFilterOptions& o) { o.bEnableTCStart = true, o.sTCStart = "10:00:00:00"; }),
        With([](TFilterOptions& o) { o.bEnableTCEnd = true, o.sTCEnd = "10:00:01:00"; }),
        With([](TFilterOptions& o) { o.bEnablePeakOver = true, o.sPeakOver = "-6.5"; }),
        With([](TFilterOptions& o) { o.bEnablePeakUnder = true, o.sPeakUnder = "-6"; }),
        With([](TFilterOptions& o) {
            o.bEnablePeakOver = o.bEnablePeakUnder = true, o.sPeakOver = "-6.5", o.sPeakUnder = "-6.4";
        }),
        With([](TFilterOptions& o) { o.bEnableHiOver = true, o.sHiOver = "-19.9"; }),
        With([](TFilterOptions& o) { o.bEnableLoUnder = true, o.sLoUnder = "-31"; }),
        With([](TFilterOptions& o) { o.bEnableIntOver = o.bEnableIntUnder = true, o.sIntUnder = "-23.0"; }),
        With([](TFilterOptions& o) { o.bEnableHiUnder = o.bEnableLoOver = true, o.sLoOver = "-1E2"; }),
        With([](TFilterOptions& o) {
            o.bEnableTCStart = o.bEnableTCEnd = o.bEnablePeakUnder = true;
            o.sTCStart = "10:00:00:00", o.sTCEnd = "10:30:00:00", o.sPeakUnder = "-6.45";
        }),
    };
    for (const TFilterOptions& o : aCases) {
        const QString sWritten = WrittenStatement(o);
        SCOPED_TRACE(sWritten.toStdString());
        const std::optional<TSQLFilter> rBound = BuildDataFilter(o);
        ASSERT_TRUE(rBound);
        EXPECT_FALSE(rBound->sSQL.contains('"'));
        EXPECT_EQ(RowIds(db, *rBound), RowIds(db, {sWritten}));
    }
}

// A session whose timecodes repeat and run across midnight, its rows stored between another session's: the
// place of a row among the rows a filter reads names one stored row and back, and a run of stored rows
// selects exactly the rows between its ends.
TEST_F(TLevelDBTest, StoredRowsAreFoundByTheirPlaceAmongTheRowsAFilterReads) {
    const char* const aTimecodes[] = {"23:59:58:00", "23:59:59:00", "00:00:00:00", "00:00:01:00"};
    constexpr int kRows = 24;
    for (int i = 0; i < kRows; ++i) {
        Insert({{aTimecodes[i % 4], 0, -20.0 + i % 5, -20, -30, -24}});
        ASSERT_TRUE(db.InsertSessionData(kOtherId, "1", 0, 1, -23, -3, -30, -20, 0, 0, aTimecodes[i % 4]));
    }
    TFilterOptions rLoud;
    rLoud.bEnablePeakOver = true;
    rLoud.sPeakOver = "-18";
    const std::vector<qint64> aAll = RowIds(db, {});
    ASSERT_EQ(aAll.size(), size_t(kRows));
    const TLevelRowRange rRun{aAll[5], aAll[17], "23:59:59:00", "23:59:59:00", 13};

    struct TCase {
        const char* sName;
        TFilterOptions rConditions;
        std::optional<TLevelRowRange> rRun;
        size_t iExpectedRows;
    };
    const TCase aCases[] = {
        {"every row", {}, std::nullopt, kRows},
        {"a level condition", rLoud, std::nullopt, 14},
        {"a run", {}, rRun, 13},
        {"a run and a level condition", rLoud, rRun, 7},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const std::optional<TSQLFilter> rFilter = BuildDataFilter(c.rConditions, c.rRun);
        ASSERT_TRUE(rFilter);
        // An empty statement stands for every row, as the level table reads them unfiltered.
        const TSQLFilter rRead = c.rConditions == TFilterOptions() && !c.rRun ? TSQLFilter() : *rFilter;
        const std::vector<qint64> aIds = RowIds(db, rRead);
        ASSERT_EQ(aIds.size(), c.iExpectedRows);
        ASSERT_EQ(Load(TDataFilter(rRead, c.rConditions, c.rRun)), TLevelTable::TLoadResult::Rows);
        for (int i = 0; i < int(aIds.size()); ++i) {
            const qint64 nId = aIds[size_t(i)];
            const std::optional<TStoredLevelRow> rRow = StoredRowAt(db, kId, rRead, i);
            ASSERT_TRUE(rRow) << i;
            EXPECT_EQ(rRow->nId, nId) << i;
            EXPECT_EQ(rRow->sTimecode, table.Model().Rows().Timecode(i)) << i;
            EXPECT_EQ(PositionOfStoredRow(db, kId, rRead, nId), std::optional<int>(i)) << i;
            if (c.rRun) {
                EXPECT_TRUE(nId >= c.rRun->nFirstId && nId <= c.rRun->nLastId) << i;
            }
        }
        EXPECT_FALSE(StoredRowAt(db, kId, rRead, int(aIds.size())));
        EXPECT_FALSE(StoredRowAt(db, kId, rRead, -1));
        // Rows the filter leaves out, and the other session's rows, have no place.
        for (const qint64 nId : aAll) {
            if (std::find(aIds.begin(), aIds.end(), nId) == aIds.end()) {
                EXPECT_FALSE(PositionOfStoredRow(db, kId, rRead, nId)) << nId;
            }
        }
        EXPECT_FALSE(PositionOfStoredRow(db, kId, rRead, aAll[0] + 1));
    }
}

TEST(LevelFilter, LevelTextsReadAsNumbersWithAPoint) {
    struct TCase {
        const char* sText;
        std::optional<QString> sExpected;
    };
    const TCase aCases[] = {
        {"-6,5", QString("-6.5")}, {"-6.5", QString("-6.5")}, {"0", QString("0")},
        {"-1E2", QString("-1E2")}, {"abc", std::nullopt},     {"", std::nullopt},
        {"-6,5,1", std::nullopt},  {"1.000,5", std::nullopt}, {"inf", std::nullopt},
        {"nan", std::nullopt},     {"-6.5 dB", std::nullopt}, {"0x10", std::nullopt},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sText);
        EXPECT_EQ(NormaliseLevelText(c.sText), c.sExpected);
    }
}

TEST(LevelFilter, ConditionsKeepTheirOrderAndBindTheirValues) {
    TFilterOptions o;
    o.bEnableTCStart = o.bEnableLoUnder = o.bEnablePeakOver = true;
    o.sTCStart = "10:00:00:00";
    o.sPeakOver = "-6,5";
    o.sLoUnder = "-20";
    const std::optional<TSQLFilter> r = BuildDataFilter(o);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->sSQL, "SELECT * FROM qxr_loudness_levels WHERE sReportId=?1 AND sTimeCode>=?2 AND "
                       "fInstantaneousPeak>=?3 AND fLoudnessLo<=?4 ORDER BY nId");
    EXPECT_EQ(r->aValues, QVariantList({QString("10:00:00:00"), -6.5, -20.0}));
    o.sLoUnder = "abc";
    EXPECT_FALSE(BuildDataFilter(o));
    o.bEnableLoUnder = false; // an unchecked text is never read
    EXPECT_TRUE(BuildDataFilter(o));
}

TEST(TableColors, CellsFollowTheRulesOfTheirColumnInEitherLanguage) {
    TTableColorOptions rPeak;
    rPeak.rMax = {true, -6.0, clRed};
    rPeak.rMin = {true, -40.0, clPurple};
    rPeak.rDefault = {true, 0.0, clGreen};
    TTableColorOptions rInt; // only a high rule
    rInt.rMax = {true, -20.0, clBlue};
    const TTableColorOptions rOff;
    const TTableColorRules rRules{rPeak, rOff, rOff, rInt};
    const TTableCellStyle plain{clWhite, Tint(clSilver, 0.5), clBlack, false};
    const TTableCellStyle fixed{Tint(clGray, 0.9), Tint(clGray, 0.5), clBlack, false};
    const TTableCellStyle red{Tint(clRed, 0.9), Tint(clRed, 0.5), clRed, true};
    const TTableCellStyle purple{Tint(clPurple, 0.9), Tint(clPurple, 0.5), clPurple, true};
    const TTableCellStyle green{Tint(clGreen, 0.9), Tint(clGreen, 0.5), clGreen, false};
    const TTableCellStyle blue{Tint(clBlue, 0.9), Tint(clBlue, 0.5), clBlue, true};
    const TTableCellStyle noRule{clWhite, Tint(clGray, 0.5), clBlack, false};
    TTableCellStyle selected{Tint(clNavy, 0.9), Tint(clNavy, 0.5), clBlack, false};
    TTableCellStyle focusedRed = red;
    focusedRed.clPen = Tint(clNavy, 0.5);
    TTableCellStyle focusedNoRule = noRule;
    focusedNoRule.clPen = Tint(clNavy, 0.5);

    struct TCase {
        int iHeading;
        const char* sText;
        TCellState rState;
        int iLNG;
        TTableCellStyle rExpected;
    };
    const TCase aCases[] = {
        {kTxtRowNumberHeading, "1", {true, false, false}, 0, fixed},
        {kTxtTimecodeHeading, "10:00:00:00", {}, 0, plain},
        {kTxtPeakChannelHeading, "2", {}, 0, red},
        {kTxtPeakChannelHeading, "2", {}, 1, red},
        {kTxtPeakChannelHeading, "0", {}, 0, plain},
        {kTxtPeakLevelHeading, "-6.0", {}, 0, red},
        {kTxtPeakLevelHeading, "-3.2", {}, 1, red},
        {kTxtPeakLevelHeading, "-40.0", {}, 0, purple},
        {kTxtPeakLevelHeading, "-20.0", {}, 1, green},
        {kTxtPeakLevelHeading, "", {}, 0, plain},
        {kTxtPeakLevelHeading, "-3.2", {false, true, true}, 0, focusedRed},
        {kTxtIntegratingHeading, "-19.0", {}, 1, blue},
        {kTxtIntegratingHeading, "-23.0", {}, 0, noRule},
        {kTxtIntegratingHeading, "-23.0", {false, true, true}, 0, focusedNoRule},
        {kTxtShortTermHeading, "-3.0", {}, 0, plain},
        {kTxtShortTermHeading, "-3.0", {false, true, true}, 0, selected},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(std::to_string(c.iHeading) + " " + c.sText + " lng " + std::to_string(c.iLNG));
        const TTableCellStyle r =
            LevelCellStyle(GetText(c.iHeading, c.iLNG), c.sText, c.rState, c.iLNG, rRules, QLocale::c());
        EXPECT_EQ(r, c.rExpected);
    }
    // An English header in a Danish table is no rule column.
    EXPECT_EQ(LevelCellStyle("Peak Channel", "2", {}, kLanguageDanish, rRules, QLocale::c()), plain);
    // A cell written with "," reads in the locale that wrote it.
    EXPECT_EQ(LevelCellStyle("Peak Niveau", "-3,2", {}, kLanguageDanish, rRules, QLocale(QLocale::Danish)),
              red);

    EXPECT_EQ(StatisticValueStyle(kTxtPeakCountLabel, "3", false, rInt, QLocale::c()), red);
    EXPECT_EQ(StatisticValueStyle(kTxtPeakCountLabel, "0", false, rInt, QLocale::c()), std::nullopt);
    EXPECT_EQ(StatisticValueStyle(kTxtIntegratingLabel, "-19.0 LUFS", false, rInt, QLocale::c()), blue);
    EXPECT_EQ(StatisticValueStyle(kTxtIntegratingLabel, "-23.0 LUFS", true, rInt, QLocale::c()),
              focusedNoRule);
    EXPECT_EQ(StatisticValueStyle(kTxtIntegratingLabel, "-19.0 LUFS", false, rOff, QLocale::c()),
              std::nullopt);
    EXPECT_EQ(StatisticValueStyle(kTxtPeakLevelLabel, "-3.0  dBFS", false, rInt, QLocale::c()), std::nullopt);
}

// A damaged or hand-edited file may hold any real: the table and the statistics show it bounded, and the
// stored value stays as it was.
TEST_F(TLevelDBTest, LevelsBeyondTheMetersRangeShowBoundedAndStayStored) {
    Insert(
        {{"10:00:00:00", 0, 1e308, -20.0, -1e300, -23.0}, {"10:00:01:00", 0, -9.0, 12345.6, -30.0, -23.5}});
    ASSERT_EQ(Load({}), TLevelTable::TLoadResult::Rows);
    EXPECT_EQ(table.CellText(0, 3), "1.0e+308");
    EXPECT_EQ(table.CellText(1, 4), "1.2e+04");
    EXPECT_EQ(table.CellText(0, 4), "-20.0");
    const auto mStats = Stats();
    EXPECT_EQ(mStats.at(kTxtPeakLevelLabel), TStat("1.0e+308  dBFS", "10:00:00:00"));
    EXPECT_EQ(mStats.at(kTxtShortTermLabel), TStat("1.2e+04 LUFS", "10:00:01:00"));
    SQLite::Database peek(sFile.toStdString(), SQLite::OPEN_READONLY);
    EXPECT_EQ(
        peek.execAndGet("SELECT fInstantaneousPeak FROM qxr_loudness_levels WHERE sTimeCode = '10:00:00:00' "
                        "AND sReportId = '0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9'")
            .getDouble(),
        1e308);
}

// Applying new options or another language lays the loaded rows, statistics and filter out again; only
// another database forgets them.
TEST_F(TLevelDBTest, ANewLayoutKeepsTheLoadAndClearForgetsIt) {
    Insert({{"10:00:00:00", 1, -3.0, -20.0, -30.0, -23.0}, {"10:00:01:00", 0, -9.0, -21.0, -31.0, -24.0}});
    const TSQLFilter rFilter(
        "SELECT * FROM qxr_loudness_levels WHERE sReportId = ?1 AND fInstantaneousPeak < ?2", {-5.0});
    ASSERT_EQ(Load(rFilter), TLevelTable::TLoadResult::Rows);
    ASSERT_EQ(table.RowCount(), 1);
    TDataOptions rNoChannel;
    rNoChannel.bEnablePeakChannel = false;
    rNoChannel.bEnablePeakLevel = false;
    rNoChannel.bEnablePeakLevelMax = true;
    table.SetLayout(rNoChannel, kLanguageDanish, ",");
    EXPECT_EQ(table.RowCount(), 1);
    EXPECT_EQ(table.SessionId(), kId);
    EXPECT_EQ(table.DataFilter(), rFilter);
    EXPECT_EQ(table.Headers().size(), 5);
    EXPECT_EQ(table.CellText(0, 2), "-9,0");
    EXPECT_EQ(Stats().at(kTxtPeakLevelMaxLabel), TStat("-9,0  dBFS", "10:00:01:00"));

    // Another selection empties the table: it then holds no session's rows to chart.
    table.ClearRows();
    EXPECT_TRUE(table.SessionId().isEmpty());
    EXPECT_TRUE(table.DataFilter().IsEmpty());
    EXPECT_EQ(Stats().at(kTxtPeakLevelMaxLabel).first, "-9,0  dBFS");
    table.Clear();
    EXPECT_EQ(Stats().at(kTxtPeakLevelMaxLabel), TStat("", ""));
}

// A session that resumed after its meter was lost: ten rows, twelve seconds without reports, five rows.
TEST_F(TLevelDBTest, AGapIsASeparatorRowInRecordedOrderOnlyAndNoLevelRow) {
    std::vector<std::string> aTimecodes;
    for (const int iSecond : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 21, 22, 23, 24, 25})
        aTimecodes.push_back(QString::asprintf("10:00:%02d:00", iSecond).toStdString());
    std::vector<TLevel> aRows;
    for (size_t i = 0; i < aTimecodes.size(); ++i)
        aRows.push_back({aTimecodes[i].c_str(), int(i % 2), -20.0 + double((i * 7) % 15), -20, -30, -23});
    Insert(aRows);
    ASSERT_EQ(Load({}), TLevelTable::TLoadResult::Rows);
    const auto mWithoutGap = Stats();
    const TVerdictSummary rVerdictWithoutGap = table.VerdictSummary();

    TSessionGap rGap;
    rGap.sReportId = kId;
    rGap.sTimeCodeBefore = "10:00:09:00";
    rGap.sTimeCodeAfter = "10:00:21:00";
    rGap.dtBefore = QDateTime(QDate(2026, 12, 11), QTime(10, 0, 9));
    rGap.dtAfter = QDateTime(QDate(2026, 12, 11), QTime(10, 0, 21));
    rGap.sReason = "The serial device disappeared.";
    ASSERT_TRUE(TSessionGapStore(db).InsertGap(rGap));
    ASSERT_EQ(Load({}), TLevelTable::TLoadResult::Rows);
    const TLevelTableModel& M = table.Model();

    // Fifteen level rows, one separator between the tenth and the eleventh.
    EXPECT_EQ(table.RowCount(), 15);
    ASSERT_EQ(M.rowCount(), 16);
    ASSERT_EQ(table.Gaps().aGaps, QList<TSessionGap>{rGap});
    EXPECT_EQ(M.SeparatorViewRows(), std::vector<int>{10});
    const QModelIndex Separator = M.index(10, 0);
    EXPECT_EQ(Separator.data().toString(),
              "Gap: no reports from 10:00:09:00 to 10:00:21:00 (12 s). The serial device disappeared.");
    EXPECT_TRUE(Separator.data(TLevelTableModel::kGapRole).toBool());
    EXPECT_EQ(M.flags(Separator), Qt::NoItemFlags);
    EXPECT_FALSE(M.index(10, 1).data().isValid());
    EXPECT_FALSE(M.index(11, 1).data(TLevelTableModel::kGapRole).toBool());
    EXPECT_TRUE(M.flags(M.index(11, 1)).testFlag(Qt::ItemIsSelectable));
    struct TMap {
        int iView, iData;
    };
    for (const TMap& r : {TMap{0, 0}, TMap{9, 9}, TMap{10, -1}, TMap{11, 10}, TMap{15, 14}, TMap{16, -1}}) {
        SCOPED_TRACE(r.iView);
        EXPECT_EQ(M.DataRow(r.iView), r.iData);
        if (r.iData >= 0) {
            EXPECT_EQ(M.ViewRow(r.iData), r.iView);
            EXPECT_EQ(M.index(r.iView, 1).data().toString(), table.CellText(r.iData, 1));
            // The row number counts level rows.
            EXPECT_EQ(M.index(r.iView, 0).data().toString(), QString::number(r.iData + 1));
        }
    }
    // The statistics and the verdict know no separator.
    EXPECT_EQ(Stats(), mWithoutGap);
    EXPECT_EQ(table.VerdictSummary().sVerdict, rVerdictWithoutGap.sVerdict);

    // Sorted by the peak level no separator shows; the current row stays with its data, and comes back to
    // its place below the separator in recorded order.
    int iPeakColumn = -1;
    int iTimecodeColumn = -1;
    for (int c = 0; c < M.columnCount(); ++c) {
        if (M.HeadingEntry(c) == kTxtPeakLevelHeading)
            iPeakColumn = c;
        if (M.HeadingEntry(c) == kTxtTimecodeHeading)
            iTimecodeColumn = c;
    }
    ASSERT_GE(iPeakColumn, 0);
    ASSERT_GE(iTimecodeColumn, 0);
    TLevelTableModel& rModel = table.Model();
    const QPersistentModelIndex Current(rModel.index(12, 1));
    ASSERT_EQ(Current.data().toString(), "10:00:22:00");
    struct TSort {
        const char* sName;
        int iColumn;
        Qt::SortOrder eOrder;
        bool bSeparator;
    } const aSorts[] = {{"peak", iPeakColumn, Qt::AscendingOrder, false},
                        {"recorded", -1, Qt::AscendingOrder, true},
                        {"timecode falling", iTimecodeColumn, Qt::DescendingOrder, false},
                        {"timecode rising: recorded order", iTimecodeColumn, Qt::AscendingOrder, true},
                        {"peak falling", iPeakColumn, Qt::DescendingOrder, false},
                        {"recorded again", -1, Qt::AscendingOrder, true}};
    for (const TSort& c : aSorts) {
        SCOPED_TRACE(c.sName);
        rModel.sort(c.iColumn, c.eOrder);
        EXPECT_EQ(M.rowCount(), c.bSeparator ? 16 : 15);
        EXPECT_EQ(M.SeparatorViewRows(), c.bSeparator ? std::vector<int>{10} : std::vector<int>());
        for (int iRow = 0; iRow < M.rowCount(); ++iRow)
            EXPECT_EQ(M.DataRow(iRow) < 0, c.bSeparator && iRow == 10) << iRow;
        EXPECT_EQ(Current.data().toString(), "10:00:22:00");
        EXPECT_EQ(Current.row(), M.ViewRow(11));
    }

    // A filter that leaves out the row before the gap shows no separator; the gap stays the session's.
    TFilterOptions rTo;
    rTo.bEnableTCEnd = true;
    rTo.sTCEnd = "10:00:05:00";
    ASSERT_EQ(Load(TDataFilter(*BuildDataFilter(rTo), rTo)), TLevelTable::TLoadResult::Rows);
    EXPECT_EQ(M.rowCount(), 6);
    EXPECT_TRUE(M.SeparatorViewRows().empty());
    EXPECT_EQ(table.Gaps().aGaps.size(), 1);
    // Another session's rows show none of this session's gaps.
    table.ClearRows();
    EXPECT_TRUE(table.Gaps().aGaps.isEmpty());
}

} // namespace
