#include "app/StationRotation.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

// A zone whose clocks go forward from 02:00 to 03:00 on 2026-03-29 and back from 03:00 to 02:00 on
// 2026-10-25, and one whose clocks go forward from 02:00 to 03:00 on 2026-03-08.
const QTimeZone kCopenhagen("Europe/Copenhagen");
const QTimeZone kNewYork("America/New_York");

QDateTime At(const char* sIso, const QTimeZone& Zone = kCopenhagen) {
    const QDateTime dtWall = QDateTime::fromString(QString::fromLatin1(sIso), Qt::ISODateWithMs);
    return QDateTime(dtWall.date(), dtWall.time(), Zone);
}

// A moment given in UTC, seen on the zone's clock: for the moments a wall reading cannot name.
QDateTime Utc(const char* sIso, const QTimeZone& Zone = kCopenhagen) {
    QDateTime dt = QDateTime::fromString(QString::fromLatin1(sIso), Qt::ISODateWithMs);
    dt.setTimeSpec(Qt::UTC);
    return dt.toTimeZone(Zone);
}

} // namespace

TEST(RotationSchedule, NextMomentForEachSettingAndTheirEdges) {
    ASSERT_TRUE(kCopenhagen.isValid() && kNewYork.isValid()) << "the system's time zone data is missing";
    struct TCase {
        const char* sName;
        QTime tAt;
        int iEveryHours;
        QDateTime dtStart;
        QDateTime dtNow;
        QDateTime dtExpected;
    };
    const QTime t0600(6, 0);
    const TCase aCases[] = {
        {"time of day still ahead today", t0600, 0, {}, At("2026-06-15T05:59:59"), At("2026-06-15T06:00:00")},
        {"exactly at the time: the next day's",
         t0600,
         0,
         {},
         At("2026-06-15T06:00:00"),
         At("2026-06-16T06:00:00")},
        {"just after the time", t0600, 0, {}, At("2026-06-15T06:00:00.001"), At("2026-06-16T06:00:00")},
        {"midnight, just before it",
         QTime(0, 0),
         0,
         {},
         At("2026-06-15T23:59:59.999"),
         At("2026-06-16T00:00:00")},
        {"midnight into a new year",
         QTime(0, 0),
         0,
         {},
         At("2026-12-31T23:30:00"),
         At("2027-01-01T00:00:00")},
        {"seconds count", QTime(23, 59, 59), 0, {}, At("2026-06-15T23:59:58"), At("2026-06-15T23:59:59")},
        {"a time the clocks jump over: the end of the jump",
         QTime(2, 30),
         0,
         {},
         At("2026-03-29T01:00:00"),
         Utc("2026-03-29T01:00:00")},
        {"the jump on the next day",
         QTime(2, 30),
         0,
         {},
         At("2026-03-28T12:00:00"),
         Utc("2026-03-29T01:00:00")},
        {"after the jump on its day",
         QTime(3, 30),
         0,
         {},
         At("2026-03-29T00:00:00"),
         Utc("2026-03-29T01:30:00")},
        {"another zone's jump",
         QTime(2, 15),
         0,
         {},
         At("2026-03-08T00:00:00", kNewYork),
         Utc("2026-03-08T07:00:00", kNewYork)},
        {"a time that occurs twice: the first",
         QTime(2, 30),
         0,
         {},
         At("2026-10-25T00:00:00"),
         Utc("2026-10-25T00:30:00")},
        {"at its first occurrence: not again at the second",
         QTime(2, 30),
         0,
         {},
         Utc("2026-10-25T00:30:00"),
         At("2026-10-26T02:30:00")},
        {"between its occurrences",
         QTime(2, 30),
         0,
         {},
         Utc("2026-10-25T01:15:00"),
         At("2026-10-26T02:30:00")},
        {"hours from the start",
         {},
         8,
         At("2026-06-15T10:00:00"),
         At("2026-06-15T10:00:00"),
         At("2026-06-15T18:00:00")},
        {"hours, just before the end of the period",
         {},
         8,
         At("2026-06-15T10:00:00"),
         At("2026-06-15T17:59:59.999"),
         At("2026-06-15T18:00:00")},
        {"hours, exactly at the end of the period",
         {},
         8,
         At("2026-06-15T10:00:00"),
         At("2026-06-15T18:00:00"),
         At("2026-06-16T02:00:00")},
        {"hours, periods missed",
         {},
         8,
         At("2026-06-15T10:00:00"),
         At("2026-06-16T03:00:00"),
         At("2026-06-16T10:00:00")},
        {"hours are elapsed time across the clocks' jump",
         {},
         24,
         At("2026-03-28T12:00:00"),
         At("2026-03-29T10:00:00"),
         At("2026-03-29T13:00:00")},
        {"hours, the most allowed",
         {},
         168,
         At("2026-06-15T10:00:00"),
         At("2026-06-15T10:00:00"),
         At("2026-06-22T10:00:00")},
        {"hours without a start count from now",
         {},
         2,
         {},
         At("2026-06-15T10:00:00"),
         At("2026-06-15T12:00:00")},
        {"hours, a start ahead of the clock (set back)",
         {},
         2,
         At("2026-06-15T10:00:00"),
         At("2026-06-15T09:00:00"),
         At("2026-06-15T12:00:00")},
        {"both: the time of day first", t0600, 8, At("2026-06-15T00:00:00"), At("2026-06-15T01:00:00"),
         At("2026-06-15T06:00:00")},
        {"both: the hours first", t0600, 8, At("2026-06-14T20:00:00"), At("2026-06-15T01:00:00"),
         At("2026-06-15T04:00:00")},
        {"both at the same moment", t0600, 6, At("2026-06-15T00:00:00"), At("2026-06-15T01:00:00"),
         At("2026-06-15T06:00:00")},
        {"neither", {}, 0, At("2026-06-15T00:00:00"), At("2026-06-15T01:00:00"), {}},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const TRotationSchedule Schedule(c.tAt, c.iEveryHours);
        EXPECT_EQ(Schedule.Rotates(), c.dtExpected.isValid());
        const QDateTime dtNext = Schedule.NextRotation(c.dtStart, c.dtNow);
        EXPECT_EQ(dtNext, c.dtExpected) << dtNext.toString(Qt::ISODateWithMs).toStdString() << " instead of "
                                        << c.dtExpected.toString(Qt::ISODateWithMs).toStdString();
        // The moment is read on the clock it was asked on.
        if (dtNext.isValid()) {
            EXPECT_EQ(dtNext.timeZone(), c.dtNow.timeZone());
        }
    }
}

// The station's own clock is the local one: the answer is a local time, at the time of day asked for.
TEST(RotationSchedule, LocalClockGivesLocalMoments) {
    const QDateTime dtNow(QDate(2026, 6, 15), QTime(12, 0), Qt::LocalTime);
    const QDateTime dtNext = TRotationSchedule(QTime(13, 0, 30), 0).NextRotation(dtNow, dtNow);
    EXPECT_EQ(dtNext.timeSpec(), Qt::LocalTime);
    EXPECT_EQ(dtNext, QDateTime(QDate(2026, 6, 15), QTime(13, 0, 30), Qt::LocalTime));
}

TEST(RotationSchedule, SettingsReadOrAreRefusedByName) {
    struct TCase {
        const char* sAt;
        const char* sEveryHours;
        bool bReads;
        QTime tAt;
        int iEveryHours;
        const char* sProblemPart;
    };
    const TCase aCases[] = {
        {"", "", true, {}, 0, ""},
        {"06:00", "", true, QTime(6, 0), 0, ""},
        {"6:05", "", true, QTime(6, 5), 0, ""},
        {" 23:59:59 ", "", true, QTime(23, 59, 59), 0, ""},
        {"00:00", "0", true, QTime(0, 0), 0, ""},
        {"", "1", true, {}, 1, ""},
        {"", "168", true, {}, 168, ""},
        {"", " 08 ", true, {}, 8, ""},
        {"24:00", "", false, {}, 0, "RotateAt \"24:00\""},
        {"06:60", "", false, {}, 0, "RotateAt"},
        {"06:00:60", "", false, {}, 0, "RotateAt"},
        {"0600", "", false, {}, 0, "RotateAt"},
        {"06:00 pm", "", false, {}, 0, "RotateAt"},
        {"-1:00", "", false, {}, 0, "RotateAt"},
        {"06:0", "", false, {}, 0, "RotateAt"},
        {"06:00:00.5", "", false, {}, 0, "RotateAt"},
        {"", "169", false, {}, 0, "RotateEveryHours \"169\""},
        {"", "-1", false, {}, 0, "RotateEveryHours"},
        {"", "+8", false, {}, 0, "RotateEveryHours"},
        {"", "1.5", false, {}, 0, "RotateEveryHours"},
        {"", "8h", false, {}, 0, "RotateEveryHours"},
        {"", "99999999999", false, {}, 0, "RotateEveryHours"},
        {"06:00", "eight", false, {}, 0, "RotateEveryHours"},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(std::string(c.sAt) + " / " + c.sEveryHours);
        TStationOptions r;
        r.sRotateAt = QString::fromLatin1(c.sAt);
        r.sRotateEveryHours = QString::fromLatin1(c.sEveryHours);
        QString sProblem;
        const std::optional<TRotationSchedule> rSchedule = TRotationSchedule::FromSettings(r, sProblem);
        ASSERT_EQ(rSchedule.has_value(), c.bReads) << sProblem.toStdString();
        if (!c.bReads) {
            EXPECT_TRUE(sProblem.contains(QString::fromLatin1(c.sProblemPart))) << sProblem.toStdString();
            continue;
        }
        EXPECT_EQ(sProblem, QString());
        EXPECT_EQ(rSchedule->At(), c.tAt);
        EXPECT_EQ(rSchedule->EveryHours(), c.iEveryHours);
    }
}
