#include "tests/program/ProgramFixtures.h"

#include <QDateTime>
#include <QJsonObject>
#include <QTime>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

namespace {

// The second of the day a meter timecode (HH:MM:SS:FF) names.
int SecondOf(const QString& sTimeCode) {
    return QTime::fromString(sTimeCode.left(8), QStringLiteral("HH:mm:ss")).msecsSinceStartOfDay() / 1000;
}

} // namespace

// The station rotates its session at the time of day it was given, while the meter logs on: two sessions,
// titled from the template at their own starts, the first ending at the row before the second's first, and
// together every second the meter reported, none missing and none twice.
TEST_F(HeadlessStation, RotatesTheSessionAtTheTimeOfDayWithoutLosingARow) {
    ASSERT_NO_FATAL_FAILURE(StartMeter({"--interval-ms", "100", "--start-timecode", "10:00:00:00"}));
    ASSERT_NO_FATAL_FAILURE(WriteSettings());
    // Far enough ahead for the station to connect and begin logging first; whole seconds, as written.
    const QDateTime dtStarted = QDateTime::currentDateTime();
    const QDateTime dtRotate = dtStarted.addSecs(12).addMSecs(-dtStarted.time().msec());
    ASSERT_NO_FATAL_FAILURE(AppendSettings("[Station]\nTitleTemplate=Shift %station% %date% %time%\n"
                                           "Station=ch9\nRotateAt=" +
                                           dtRotate.toString("HH:mm:ss").toUtf8() + "\n"));
    ASSERT_NO_FATAL_FAILURE(StartStation(Station));
    const auto Errors = [&] {
        return QString::fromUtf8(StationErrors.append(Station.readAllStandardError()));
    };
    ASSERT_TRUE(qxtest::WaitFor(
        [&] {
            const QJsonObject o = Status();
            return o.value("state").toString() == "logging" && o.value("rows_stored").toInt() >= 1;
        },
        30000))
        << Errors().toStdString() << Log().toStdString();
    const QString sFirst = Status().value("session_id").toString();
    const qint64 iAheadMs = QDateTime::currentDateTime().msecsTo(dtRotate);
    std::printf("[ measured ] the station logged its first row %lld ms before the rotation time\n", iAheadMs);
    ASSERT_GT(iAheadMs, 0) << "the station began logging after the rotation time";
    ASSERT_TRUE(qxtest::WaitFor(
        [&] {
            const QJsonObject o = Status();
            return o.value("session_id").toString() != sFirst && o.value("rows_stored").toInt() >= 5;
        },
        30000))
        << Errors().toStdString();
    EXPECT_GE(QDateTime::currentDateTime(), dtRotate);
    Signal(Station, SIGTERM);
    ASSERT_TRUE(Station.waitForFinished(15000));
    EXPECT_EQ(Station.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Station.exitCode(), 0);
    ExpectJournalLines(StationErrors.append(Station.readAllStandardError()));

    SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement Sessions(
        DB, "SELECT sReportId, sTitle, sTimeCodeStart, sTimeCodeEnd FROM qxr_sessions ORDER BY nId;");
    QList<QStringList> aSessions;
    while (Sessions.executeStep())
        aSessions << QStringList{QString::fromStdString(Sessions.getColumn(0).getString()),
                                 QString::fromStdString(Sessions.getColumn(1).getString()),
                                 QString::fromStdString(Sessions.getColumn(2).getString()),
                                 QString::fromStdString(Sessions.getColumn(3).getString())};
    ASSERT_EQ(aSessions.size(), 2);
    const QString sSecond = aSessions[1][0];
    EXPECT_EQ(aSessions[0][0], sFirst);
    EXPECT_NE(sSecond, sFirst);

    // Every second of the run once, in order; the first session's rows before the second's.
    const QStringList slAll = StoredTimecodes();
    ASSERT_NO_FATAL_FAILURE(ExpectEverySecondFromTen(slAll));
    const QStringList slFirst = StoredTimecodes(sFirst);
    const QStringList slSecond = StoredTimecodes(sSecond);
    ASSERT_FALSE(slFirst.isEmpty());
    ASSERT_GE(slSecond.size(), 5);
    EXPECT_EQ(slFirst + slSecond, slAll);
    EXPECT_EQ(SecondOf(slSecond.first()), SecondOf(slFirst.last()) + 1);
    // Each session starts at its first row and ends at its last.
    EXPECT_EQ(aSessions[0].mid(2), QStringList({slFirst.first(), slFirst.last()}));
    EXPECT_EQ(aSessions[1].mid(2), QStringList({slSecond.first(), slSecond.last()}));

    // The first title from the start, the second from the rotation moment (the minute may turn meanwhile).
    const auto Title = [](const QDateTime& dt) { return "Shift ch9 " + dt.toString("yyyy-MM-dd HH:mm"); };
    EXPECT_TRUE(aSessions[0][1] == Title(dtStarted) || aSessions[0][1] == Title(dtStarted.addSecs(60)))
        << aSessions[0][1].toStdString();
    EXPECT_TRUE(aSessions[1][1] == Title(dtRotate) || aSessions[1][1] == Title(dtRotate.addSecs(60)))
        << aSessions[1][1].toStdString();

    // Both sessions were judged when they ended.
    SQLite::Statement Verdicts(DB, "SELECT count(*) FROM qxr_session_verdicts WHERE sReportId IN (?, ?);");
    Verdicts.bind(1, sFirst.toStdString());
    Verdicts.bind(2, sSecond.toStdString());
    ASSERT_TRUE(Verdicts.executeStep());
    EXPECT_EQ(Verdicts.getColumn(0).getInt(), 2);

    // The journal names both sessions and the rows of the first; status.json ends on the second.
    const QString sErrors = Errors();
    EXPECT_TRUE(sErrors.contains("<6>Session rotated. session=" + sFirst +
                                 " rows=" + QString::number(slFirst.size()) + " next_session=" + sSecond +
                                 " title=\"" + aSessions[1][1] + "\"\n"))
        << sErrors.toStdString();
    EXPECT_TRUE(sErrors.contains("<6>Stopped. session=" + sSecond +
                                 " rows=" + QString::number(slSecond.size()) + "\n"))
        << sErrors.toStdString();
    const QJsonObject o = Status();
    EXPECT_EQ(o.value("state").toString(), "stopped");
    EXPECT_EQ(o.value("session_id").toString(), sSecond);
    EXPECT_EQ(o.value("session_title").toString(), aSessions[1][1]);
    EXPECT_EQ(o.value("rows_stored").toInt(), slSecond.size());
}
