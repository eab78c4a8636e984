#include "review/ChartData.h"
#include "review/LevelData.h"
#include "review/LevelTable.h"
#include "store/dbSQLite.h"

#include <QLocale>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

const char* const kId = "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9";

TEST(ChartTabName, PageCountUnlessThatNameIsStillOpen) {
    struct TCase {
        int iPageCount;
        QStringList slInUse;
        const char* sExpected;
    } aCases[] = {
        {3, {"tabLogging", "tabDB"}, "tsChart3"},
        {4, {"tabLogging", "tabDB", "tsChart3"}, "tsChart4"},
        // Two tabs made, the first closed: the page count names the tab still open.
        {4, {"tabLogging", "tabDB", "tsChart4"}, "tsChart5"},
        {4, {"tsChart4", "tsChart5", "tsChart6"}, "tsChart7"},
    };
    for (const TCase& c : aCases)
        EXPECT_EQ(ChartTabName(c.iPageCount, c.slInUse), c.sExpected) << c.iPageCount;
}

TEST(ChartSnapshot, EveryBlockKeepsItsRowsWhateverTheGridsHold) {
    const auto Block = [](const char* sPrefix, int iRows) {
        std::vector<TSnapshotRow> a;
        for (int i = 0; i < iRows; ++i)
            a.push_back(
                {QString("%1 label %2").arg(sPrefix).arg(i), QString("%1 value %2").arg(sPrefix).arg(i)});
        return a;
    };
    // The statistics grid has fewer rows than its block, the configuration more.
    const TChartSnapshot r = MakeChartSnapshot({"Analysis Date.:", "1/2/26 10:00"}, Block("info", 8),
                                               Block("cfg", 14), Block("stat", 10));
    ASSERT_EQ(int(r.size()), kChartSnapshotRows);
    EXPECT_EQ(r[0], (TSnapshotRow{"Analysis Date.:", "1/2/26 10:00"}));
    EXPECT_EQ(r[1].sLabel, "info label 0");
    EXPECT_EQ(r[8].sValue, "info value 7");
    EXPECT_EQ(r[9].sLabel, "cfg label 0");
    EXPECT_EQ(r[20].sLabel, "cfg label 11");
    EXPECT_EQ(r[21].sLabel, "stat label 0");
    EXPECT_EQ(r[30].sValue, "stat value 9");
    EXPECT_EQ(r[31], TSnapshotRow());
    EXPECT_EQ(r[32], TSnapshotRow());
}

TEST(ChartSnapshot, GridRowsAreReadFromTheFirstTwoColumns) {
    QStandardItemModel Model(3, 3);
    for (int iRow = 0; iRow < 3; ++iRow)
        for (int iCol = 0; iCol < 3; ++iCol)
            Model.setData(Model.index(iRow, iCol), QString("%1.%2").arg(iRow).arg(iCol));
    const std::vector<TSnapshotRow> a = SnapshotRowsOf(&Model, 12);
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[2], (TSnapshotRow{"2.0", "2.1"}));
    EXPECT_TRUE(SnapshotRowsOf(nullptr, 12).empty());
}

TEST(AnalysisDate, TheStoredStampReadsAsTheLocalTimeItWasWritten) {
    const auto Expected = [](const QDateTime& dt) {
        return QLocale::system().language() == QLocale::C
                   ? dt.toString("yyyy-MM-dd HH:mm")
                   : QLocale::system().toString(dt, QLocale::ShortFormat);
    };
    const QDateTime dt(QDate(2026, 3, 14), QTime(21, 7, 30));
    EXPECT_EQ(AnalysisDateText(JulianDateOf(dt)), Expected(dt));
    // Just before midnight stays on its day.
    const QDateTime dtLate(QDate(2026, 3, 14), QTime(23, 59, 59));
    EXPECT_EQ(AnalysisDateText(JulianDateOf(dtLate)), Expected(dtLate));
    // A broken stamp in a hand-edited file gives no date rather than a wrong one or a crash.
    EXPECT_EQ(AnalysisDateText(std::nan("")), QString());
    EXPECT_EQ(AnalysisDateText(-1e300), QString());
    EXPECT_EQ(AnalysisDateText(1e300), QString());
}

// A database file with one session of three level rows.
class ChartRowsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DB.CreateSQLiteDB(Dir.filePath("levels.DB3")));
        ASSERT_TRUE(DB.OpenSQLiteDB(Dir.filePath("levels.DB3")));
        TSessionInfo r;
        r.sReportID = kId;
        ASSERT_TRUE(DB.InsertSession(r));
        const double aPeak[] = {-3.5, 0.0, -1.25};
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(DB.InsertSessionData(kId, "1", 0, 1, -23.4 + i, aPeak[i], -40, -22.0 + i, 0, 0,
                                             QString("10:00:0%1:00").arg(i)));
    }

    QTemporaryDir Dir;
    TdbSQLite DB;
};

TEST_F(ChartRowsFixture, TheFilterDecidesWhichRowsAreCharted) {
    struct TCase {
        const char* sWhat;
        QString sSession;
        TSQLFilter rFilter;
        bool bOk;
        std::vector<QString> aTimeCodes;
    } aCases[] = {
        {"no filter: every row in order", kId, {}, true, {"10:00:00:00", "10:00:01:00", "10:00:02:00"}},
        {"bound level",
         kId,
         {"SELECT * FROM qxr_loudness_levels WHERE sReportId = ?1 AND fInstantaneousPeak < ?2", {-1.0}},
         true,
         {"10:00:00:00", "10:00:02:00"}},
        {"nothing matches",
         kId,
         {"SELECT * FROM qxr_loudness_levels WHERE sReportId = ?1 AND 0", {}},
         true,
         {}},
        {"another session", "NO-SUCH-SESSION", {}, true, {}},
        {"the query fails", kId, {"SELECT * FROM no_such_table WHERE ?1", {}}, false, {}},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sWhat);
        TLevelData Rows;
        EXPECT_EQ(LoadChartRows(DB, c.sSession, c.rFilter, Rows, {}), c.bOk);
        ASSERT_EQ(Rows.RowCount(), int(c.aTimeCodes.size()));
        for (int i = 0; i < Rows.RowCount(); ++i)
            EXPECT_EQ(Rows.Timecode(i), c.aTimeCodes[size_t(i)]);
    }
    // Only a table holding the selected session's rows gives a session to chart.
    TLevelTable Table;
    EXPECT_EQ(ChartableSession(Table, kId), "") << "never loaded";
    QString sError;
    ASSERT_EQ(Table.Load(DB, kId, {}, "LUFS", {}, sError), TLevelTable::TLoadResult::Rows);
    EXPECT_EQ(ChartableSession(Table, kId), kId);
    EXPECT_EQ(ChartableSession(Table, "NO-SUCH-SESSION"), "") << "another session selected";
    EXPECT_EQ(ChartableSession(Table, ""), "") << "nothing selected";
    Table.ClearRows();
    EXPECT_EQ(ChartableSession(Table, kId), "") << "emptied by another selection";
    ASSERT_EQ(Table.Load(DB, "NO-SUCH-SESSION", {}, "LUFS", {}, sError), TLevelTable::TLoadResult::NoRows);
    EXPECT_EQ(ChartableSession(Table, "NO-SUCH-SESSION"), "") << "a load without rows";

    TLevelData Rows;
    ASSERT_TRUE(LoadChartRows(DB, kId, {}, Rows, {}));
    // A level of exactly zero is a level, not a gap.
    EXPECT_DOUBLE_EQ(Rows.Row(1).fInstantaneousPeak, 0.0);
    EXPECT_DOUBLE_EQ(Rows.Row(2).fLoudnessInt, -21.4);
    EXPECT_DOUBLE_EQ(Rows.Row(2).fLoudnessHi, -20.0);
}

// The chart of a loaded table shows the table's rows: those of a range across midnight in recorded order,
// and still those after a later filter found nothing.
TEST_F(ChartRowsFixture, AChartReadsTheRowsTheTableShows) {
    for (const char* sTC : {"23:59:59:00", "00:00:00:00", "00:00:01:00"})
        ASSERT_TRUE(DB.InsertSessionData(kId, "1", 0, 1, -23, -9, -40, -22, 0, 0, sTC));
    TFilterOptions o;
    o.bEnableTCStart = o.bEnableTCEnd = true;
    o.sTCStart = "10:00:02:00";
    o.sTCEnd = "00:00:00:00";
    TLevelTable Table;
    Table.SetLayout({}, 0, ".");
    QString sError;
    ASSERT_EQ(Table.Load(DB, kId, TDataFilter(*BuildDataFilter(o), o), "LUFS", {}, sError),
              TLevelTable::TLoadResult::Rows);
    TFilterOptions rNone;
    rNone.bEnablePeakOver = true;
    rNone.sPeakOver = "50";
    ASSERT_EQ(Table.Load(DB, kId, TDataFilter(*BuildDataFilter(rNone), rNone), "LUFS", {}, sError),
              TLevelTable::TLoadResult::NoRows);

    TLevelData Rows;
    ASSERT_TRUE(LoadChartRows(DB, Table.SessionId(), Table.DataFilter(), Rows, {}));
    std::vector<QString> aCharted, aShown;
    for (int i = 0; i < Rows.RowCount(); ++i)
        aCharted.push_back(Rows.Timecode(i));
    for (int i = 0; i < Table.RowCount(); ++i)
        aShown.push_back(Table.CellText(i, 1));
    EXPECT_EQ(aCharted, (std::vector<QString>{"10:00:02:00", "23:59:59:00", "00:00:00:00"}));
    EXPECT_EQ(aCharted, aShown);
}

} // namespace
