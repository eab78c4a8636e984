#include "review/LevelRowOrder.h"
#include "core/TextTable.h"
#include "review/LevelTableModel.h"

#include <QPersistentModelIndex>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Five rows recorded across midnight; rows 2 and 3 miss a level each, row 4 its peak channel.
TLevelData MidnightRows() {
    struct TRow {
        const char* sTC;
        qint32 iCh;
        double fPeak, fHi, fLo, fInt;
    } const aRows[] = {
        {"23:59:58:00", 1, -5, -20, -30, -24},
        {"23:59:59:00", 0, -1, -18, -31, -23},
        {"00:00:00:00", 2, kNaN, -22, -29, -25},
        {"00:00:01:00", 1, -9, -18, kNaN, -22},
        {"00:00:03:00", kNoPeakChannel, -1, -25, -32, -21},
    };
    TLevelData Data;
    for (const TRow& r : aRows)
        Data.Append({r.fPeak, r.fHi, r.fLo, r.fInt, r.iCh, 0}, QString::fromLatin1(r.sTC));
    return Data;
}

const std::vector<int> kColumns{kTxtRowNumberHeading,  kTxtTimecodeHeading,     kTxtPeakChannelHeading,
                                kTxtPeakLevelHeading,  kTxtShortTermMaxHeading, kTxtShortTermMinHeading,
                                kTxtIntegratingHeading};

// The row number column of every view row: the recorded place of the row shown there.
std::vector<int> ShownRows(const TLevelTableModel& Model) {
    std::vector<int> a;
    for (int i = 0; i < Model.rowCount(); ++i)
        a.push_back(Model.index(i, 0).data().toInt());
    return a;
}

TEST(LevelRowOrder, AColumnSortsByItsValuesWithTiesInRecordedOrderAndNoNumberLast) {
    TLevelTableModel Model;
    Model.SetColumns(kColumns, kLanguageEnglish, ".");
    Model.SetRows(MidnightRows());
    const Qt::SortOrder Up = Qt::AscendingOrder;
    const Qt::SortOrder Down = Qt::DescendingOrder;
    struct TCase {
        int iColumn;
        Qt::SortOrder eOrder;
        std::vector<int> aShown; // row numbers, 1 = first recorded
    } const aCases[] = {
        // The row number and the timecode keep the recorded order, across midnight.
        {0, Up, {1, 2, 3, 4, 5}},
        {0, Down, {5, 4, 3, 2, 1}},
        {1, Up, {1, 2, 3, 4, 5}},
        {1, Down, {5, 4, 3, 2, 1}},
        // Numbers as numbers (-9 before -5 before -1), the two -1 peaks in recorded order either way.
        {3, Up, {4, 1, 2, 5, 3}},
        {3, Down, {2, 5, 1, 4, 3}},
        {2, Up, {2, 1, 4, 3, 5}},
        {2, Down, {3, 1, 4, 2, 5}},
        {4, Up, {5, 3, 1, 2, 4}},
        {5, Down, {3, 1, 2, 5, 4}},
        {5, Up, {5, 2, 1, 3, 4}},
        {6, Up, {3, 1, 2, 4, 5}},
        // Outside the table: recorded order again.
        {-1, Up, {1, 2, 3, 4, 5}},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(testing::Message() << "column " << c.iColumn << (c.eOrder == Up ? " up" : " down"));
        Model.sort(c.iColumn, c.eOrder);
        EXPECT_EQ(ShownRows(Model), c.aShown);
        // Every cell of a view row is its data row's.
        for (int v = 0; v < Model.rowCount(); ++v) {
            const int iData = Model.DataRow(v);
            EXPECT_EQ(iData, c.aShown[size_t(v)] - 1);
            EXPECT_EQ(Model.ViewRow(iData), v);
            for (int iCol = 1; iCol < Model.columnCount(); ++iCol)
                EXPECT_EQ(Model.index(v, iCol).data().toString(), Model.CellText(iData, iCol));
        }
    }
}

TEST(LevelRowOrder, MarksAndTheCurrentRowStayWithTheirDataAndNewRowsComeInRecordedOrder) {
    TLevelTableModel Model;
    Model.SetColumns(kColumns, kLanguageEnglish, ".");
    Model.SetRows(MidnightRows());
    TLevelData Data = MidnightRows();
    TLoudnessSetup Setup;
    Model.SetViolations(TViolations(Model.Rows(), Setup, {TStandardId::Custom, -23.0, 1.0, -2.0, true}),
                        {"peak", "short-term"});
    // The rows with a -1 peak, recorded second and fifth, are above -2 dBTP.
    const QPersistentModelIndex Current = Model.index(4, 3);
    Model.sort(3, Qt::DescendingOrder);
    EXPECT_EQ(Current.row(), 1);
    EXPECT_EQ(Current.column(), 3);
    for (int v = 0; v < Model.rowCount(); ++v) {
        SCOPED_TRACE(v);
        const bool bMarked = v < 2;
        EXPECT_EQ(Model.index(v, 0).data(TLevelTableModel::kViolationRole).toInt() & kViolationPeak,
                  bMarked ? kViolationPeak : 0);
        EXPECT_EQ(Model.index(v, 0).data(Qt::ToolTipRole).toString().contains("peak"), bMarked);
    }
    Model.SetRows(std::move(Data));
    EXPECT_FALSE(Model.Sorted());
    EXPECT_EQ(ShownRows(Model), (std::vector<int>{1, 2, 3, 4, 5}));
    Model.sort(3, Qt::AscendingOrder);
    Model.SetColumns(kColumns, kLanguageDanish, ",");
    EXPECT_EQ(ShownRows(Model), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(LevelRowOrder, ATimecodeFindsItsRowOrTheNextOneAcrossMidnight) {
    const TLevelData Data = MidnightRows();
    struct TCase {
        const char* sWanted;
        int iRow;
    } const aCases[] = {
        {"23:59:59:00", 1},
        {"00:00:00:00", 2},
        // No row at the time: the next one recorded.
        {"23:59:58:50", 1},
        {"00:00:02:00", 4},
        {"00:00:02:99", 4},
        {"00:00:03:00", 4},
        // Before the session's start, nearer to it than after its end: its first row.
        {"23:00:00:00", 0},
        // After the end, on the morning after midnight.
        {"00:00:03:01", -1},
        {"01:00:00:00", -1},
        // Not a timecode.
        {"", -1},
        {"24:00:00:00", -1},
        {"00:60:00:00", -1},
        {"0:00:00:00", -1},
        {"00-00-00-00", -1},
        {"aa:00:00:00", -1},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sWanted);
        EXPECT_EQ(FindTimecodeRow(Data, QString::fromLatin1(c.sWanted)), c.iRow);
    }
    EXPECT_EQ(FindTimecodeRow(TLevelData(), u"00:00:00:00"), -1);
}

TEST(LevelRowOrder, ATimeOfDayPassedTwiceFindsItsFirstDayAndUnreadableTimecodesArePassedOver) {
    TLevelData Data;
    for (const char* sTC :
         {"10:00:00:00", "garbage", "22:00:00:00", "08:00:00:00", "10:00:00:00", "12:00:00:00"})
        Data.Append({-10, -20, -30, -23, 0, 0}, QString::fromLatin1(sTC));
    struct TCase {
        const char* sWanted;
        int iRow;
    } const aCases[] = {
        {"10:00:00:00", 0}, {"11:00:00:00", 2}, {"07:00:00:00", 3}, {"09:00:00:00", 4}, {"11:30:00:00", 2},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sWanted);
        EXPECT_EQ(FindTimecodeRow(Data, QString::fromLatin1(c.sWanted)), c.iRow);
    }
}

} // namespace
