#include "review/SessionGaps.h"
#include "core/TextTable.h"
#include "review/LevelData.h"

#include <gtest/gtest.h>

namespace {

TLevelData RowsAt(const QStringList& slTimecodes) {
    TLevelData Rows;
    for (const QString& s : slTimecodes)
        Rows.Append({-10.0, -20.0, -30.0, -23.0, 1, 0}, s);
    return Rows;
}

TSessionGap Gap(const char* sBefore, const char* sAfter) {
    TSessionGap r;
    r.sTimeCodeBefore = QString::fromLatin1(sBefore);
    r.sTimeCodeAfter = QString::fromLatin1(sAfter);
    return r;
}

TEST(SessionGaps, AGapLiesBetweenTheNeighbouringRowsOfItsTimecodes) {
    // Two days of a session: the same times of day come back.
    const QStringList slTwoDays = {"23:59:58:00", "23:59:59:00", "10:00:00:00", "10:00:09:00",
                                   "10:00:21:00", "10:00:22:00", "10:00:09:00", "10:00:21:00"};
    struct TCase {
        const char* sName;
        QStringList slRows;
        QList<TSessionGap> aGaps;
        std::vector<TGapPlace> aExpected;
    } const aCases[] = {
        {"no gaps", slTwoDays, {}, {}},
        {"one gap",
         {"10:00:08:00", "10:00:09:00", "10:00:21:00"},
         {Gap("10:00:09:00", "10:00:21:00")},
         {{2, 0}}},
        // The rows between were filtered out, or the pair never stood side by side.
        {"pair not neighbours",
         {"10:00:09:00", "10:00:10:00", "10:00:21:00"},
         {Gap("10:00:09:00", "10:00:21:00")},
         {}},
        {"pair reversed", {"10:00:21:00", "10:00:09:00"}, {Gap("10:00:09:00", "10:00:21:00")}, {}},
        {"a gap at the session's first pair",
         {"10:00:09:00", "10:00:21:00"},
         {Gap("10:00:09:00", "10:00:21:00")},
         {{1, 0}}},
        // Written in order, each gap takes its own day's pair.
        {"same pair on two days",
         slTwoDays,
         {Gap("10:00:09:00", "10:00:21:00"), Gap("10:00:09:00", "10:00:21:00")},
         {{4, 0}, {7, 1}}},
        {"one gap of a pair that stands twice", slTwoDays, {Gap("10:00:09:00", "10:00:21:00")}, {{4, 0}}},
        // A gap that is not found does not keep the later ones from theirs.
        {"an unplaced gap before a placed one",
         slTwoDays,
         {Gap("11:00:00:00", "11:00:05:00"), Gap("23:59:59:00", "10:00:00:00")},
         {{2, 1}}},
        {"places in row order",
         slTwoDays,
         {Gap("10:00:22:00", "10:00:09:00"), Gap("23:59:59:00", "10:00:00:00")},
         {{2, 1}, {6, 0}}},
        {"one row", {"10:00:09:00"}, {Gap("10:00:09:00", "10:00:21:00")}, {}},
        {"an edited gap of empty timecodes", slTwoDays, {Gap("", "")}, {}},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        EXPECT_EQ(PlaceGaps(RowsAt(c.slRows), c.aGaps), c.aExpected);
    }
}

TEST(SessionGaps, LengthFromTheDateTimesOrElseTheTimecodes) {
    const QDateTime dt(QDate(2026, 12, 11), QTime(10, 0, 9));
    struct TCase {
        const char* sName;
        TSessionGap rGap;
        QString sLength;
    };
    TSessionGap rSeconds = Gap("10:00:09:00", "10:00:21:00");
    rSeconds.dtBefore = dt;
    rSeconds.dtAfter = dt.addSecs(12);
    TSessionGap rMinutes = rSeconds;
    rMinutes.dtAfter = dt.addSecs(4 * 60 + 5);
    TSessionGap rHours = rSeconds;
    rHours.dtAfter = dt.addSecs(26 * 3600 + 60 * 4 + 5);
    // Without date-times the timecodes tell, across midnight too.
    const TSessionGap rNoDates = Gap("23:59:50:00", "00:00:10:00");
    // A gap that ends before it began (a clock set back) is measured by its timecodes.
    TSessionGap rClockBack = Gap("10:00:09:00", "10:00:21:00");
    rClockBack.dtBefore = dt;
    rClockBack.dtAfter = dt.addSecs(-3600);
    const TCase aCases[] = {
        {"seconds", rSeconds, "12 s"},          {"minutes", rMinutes, "4 min 05 s"},
        {"hours", rHours, "26 h 04 min 05 s"},  {"timecodes across midnight", rNoDates, "20 s"},
        {"clock set back", rClockBack, "12 s"}, {"nothing to tell", Gap("", "10:00:21:00"), "?"}};
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        EXPECT_EQ(GapLengthText(c.rGap), c.sLength);
    }
}

TEST(SessionGaps, TextsNameTheTimecodesTheLengthAndTheStoredReason) {
    TSessionGap r = Gap("10:00:09:00", "10:00:21:00");
    r.dtBefore = QDateTime(QDate(2026, 12, 11), QTime(10, 0, 9));
    r.dtAfter = r.dtBefore.addSecs(12);
    r.sReason = QStringLiteral("The serial device\ndisappeared.");
    EXPECT_EQ(GapSeparatorText(r, kLanguageEnglish),
              "Gap: no reports from 10:00:09:00 to 10:00:21:00 (12 s). The serial device disappeared.");
    EXPECT_EQ(GapSeparatorText(r, kLanguageDanish),
              "Afbrydelse: ingen rapporter fra 10:00:09:00 til 10:00:21:00 (12 s). The serial device "
              "disappeared.");
    EXPECT_EQ(GapShortText(r), "10:00:09:00 - 10:00:21:00 (12 s)");
    EXPECT_EQ(GapFields(r), (QStringList{"10:00:09:00", "10:00:21:00", "2026-12-11 10:00:09",
                                         "2026-12-11 10:00:21", "12 s", "The serial device disappeared."}));
    r.sReason.clear();
    EXPECT_EQ(GapSeparatorText(r, kLanguageEnglish),
              "Gap: no reports from 10:00:09:00 to 10:00:21:00 (12 s).");
}

// Over many rows the search lets the window paint, and a cancel leaves no places.
TEST(SessionGaps, ThePlacingPumpsAndCanBeCancelled) {
    QStringList slRows;
    for (int i = 0; i < 5000; ++i)
        slRows << QString::asprintf("%02d:%02d:%02d:00", i / 3600, i / 60 % 60, i % 60);
    const TLevelData Rows = RowsAt(slRows);
    const QList<TSessionGap> aGaps = {Gap("01:00:00:00", "01:00:01:00")};
    std::vector<qint64> aDone;
    std::vector<TGapPlace> aPlaces;
    ASSERT_TRUE(PlaceGaps(
        Rows, aGaps,
        [&](qint64 iDone, qint64 iTotal) {
            EXPECT_EQ(iTotal, 5000);
            aDone.push_back(iDone);
            return true;
        },
        aPlaces));
    EXPECT_EQ(aPlaces, (std::vector<TGapPlace>{{3601, 0}}));
    EXPECT_EQ(aDone, (std::vector<qint64>{0, 1024, 2048, 3072, 4096}));
    int iCalls = 0;
    EXPECT_FALSE(PlaceGaps(
        Rows, aGaps, [&](qint64, qint64) { return ++iCalls < 4; }, aPlaces));
    EXPECT_TRUE(aPlaces.empty());
    // No gaps: nothing to search, no pump.
    EXPECT_TRUE(PlaceGaps(
        Rows, {}, [](qint64, qint64) { return false; }, aPlaces));
}

} // namespace
