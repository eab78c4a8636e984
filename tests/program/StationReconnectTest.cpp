#include "meter/ComPorts.h"
#include "store/dbSQLite.h"
#include "tests/support/JsonFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

namespace {

constexpr int kMeterPort = 7;

// A timecode "HH:MM:SS:FF" as its whole seconds.
int SecondsOf(const QString& sTimeCode) {
    const QStringList sl = sTimeCode.split(':');
    return sl.size() < 3 ? -1 : sl[0].toInt() * 3600 + sl[1].toInt() * 60 + sl[2].toInt();
}

// The station without windows on a simulated meter that vanishes in the middle of its run and comes back.
class StationReconnect : public ::testing::Test {
protected:
    void TearDown() override {
        for (QProcess* p : {&Station, &Meter}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    // The meter counts one second a report from 10:00:00, vanishes after 3 s of reporting and is away 10 s.
    QStringList MeterOptions() const {
        return {"--interval-ms",     "100",  "--start-timecode", "10:00:00:00",
                "--vanish-after-ms", "3000", "--vanish-for-ms",  "10000"};
    }

    void StartMeter(const QStringList& slArgs, const QString& sReady) {
        QDir().mkpath(Home.DataFolder());
        Meter.setProcessChannelMode(QProcess::MergedChannels);
        Meter.start(QStringLiteral(QX_BIN_DIR "/qxmeter-sim"), slArgs + MeterOptions());
        ASSERT_TRUE(Meter.waitForStarted(10000));
        ASSERT_TRUE(
            qxtest::WaitFor([&] { return Output.append(Meter.readAll()).contains(sReady.toUtf8()); }, 10000))
            << Output.toStdString();
    }

    // The settings: the working database, the meter, and a short stall time, so that a serial device that
    // went away is noticed within the meter's absence.
    void WriteSettings(const QString& sMeter) {
        sDB = Home.Path() + "/sessions.DB3";
        {
            TdbSQLite DB;
            ASSERT_TRUE(DB.CreateSQLiteDB(sDB));
        }
        QFile f(Home.DataFolder() + "/QXLogging.INI");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(("[Configuration]\nLastDB=" + sDB + "\n[Advanced]\nStallSeconds=2\n[CurrentNetwork]\n" +
                 sMeter + "Valid=1\n")
                    .toUtf8());
    }

    void StartStation() {
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert("XDG_CONFIG_HOME", Home.Path());
        for (const char* sName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            Env.remove(sName);
        Station.setProcessEnvironment(Env);
        Station.start(QString(QX_BIN_DIR) + "/qxlogging", {"--headless"});
        ASSERT_TRUE(Station.waitForStarted(10000));
    }

    QJsonObject Status() const {
        QString sError;
        return qxtest::ReadJsonObject(Home.DataFolder() + "/status.json", sError);
    }

    int Count(const char* sSQL) const {
        SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY, 2000);
        return DB.execAndGet(sSQL).getInt();
    }

    // The meter vanishes and returns while the station logs; once rows from after its return are stored,
    // SIGTERM. One session holds the rows of both sides, consecutive seconds but for the one gap, which the
    // gap table holds with the reason sReason.
    void RunThroughAVanish(const QString& sReason) {
        ASSERT_NO_FATAL_FAILURE(StartStation());
        ASSERT_TRUE(
            qxtest::WaitFor([&] { return Status().value("state").toString() == "reconnecting"; }, 30000))
            << Station.readAllStandardError().toStdString();
        // Rows after the return, well past the first one that closed the gap.
        ASSERT_TRUE(qxtest::WaitFor(
            [&] {
                return Status().value("gaps_today").toInt() == 1 &&
                       Count("SELECT count(*) FROM qxr_loudness_levels WHERE sTimeCode > "
                             "(SELECT sTimeCodeAfter FROM qxr_session_gaps)") >= 10;
            },
            60000))
            << Station.readAllStandardError().toStdString() << Output.append(Meter.readAll()).toStdString();
        EXPECT_EQ(Status().value("state").toString(), "logging");

        QElapsedTimer Elapsed;
        Elapsed.start();
        ::kill(pid_t(Station.processId()), SIGTERM);
        ASSERT_TRUE(Station.waitForFinished(1000)) << "the station did not end within 1 s of SIGTERM";
        std::printf("[ measured ] the station ended %lld ms after SIGTERM\n", Elapsed.elapsed());
        EXPECT_EQ(Station.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(Station.exitCode(), 0);
        const QString sErrors = QString::fromUtf8(Station.readAllStandardError());

        SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY);
        EXPECT_EQ(DB.execAndGet("SELECT count(*) FROM qxr_sessions").getInt(), 1);
        const QString sSession =
            QString::fromStdString(DB.execAndGet("SELECT sReportId FROM qxr_sessions").getString());
        SQLite::Statement Rows(DB, "SELECT sTimeCode, sReportId FROM qxr_loudness_levels ORDER BY nId;");
        QStringList slTimecodes;
        while (Rows.executeStep()) {
            slTimecodes << QString::fromStdString(Rows.getColumn(0).getString());
            EXPECT_EQ(QString::fromStdString(Rows.getColumn(1).getString()), sSession);
        }
        ASSERT_GE(slTimecodes.size(), 20);
        EXPECT_EQ(slTimecodes.first(), "10:00:00:00");
        EXPECT_EQ(DB.execAndGet("SELECT sTimeCodeEnd FROM qxr_sessions").getString(),
                  slTimecodes.last().toStdString());
        QList<int> aJumps;
        for (int i = 1; i < slTimecodes.size(); ++i) {
            if (SecondsOf(slTimecodes[i]) != SecondsOf(slTimecodes[i - 1]) + 1)
                aJumps << i;
        }
        ASSERT_EQ(aJumps.size(), 1) << slTimecodes.join(' ').toStdString();
        const int iAfter = aJumps.first();
        EXPECT_GT(SecondsOf(slTimecodes[iAfter]), SecondsOf(slTimecodes[iAfter - 1]) + 1);

        SQLite::Statement Gap(DB,
                              "SELECT count(*), max(sReportId), max(sTimeCodeBefore), max(sTimeCodeAfter), "
                              "max(sReason) FROM qxr_session_gaps;");
        ASSERT_TRUE(Gap.executeStep());
        EXPECT_EQ(Gap.getColumn(0).getInt(), 1);
        EXPECT_EQ(QString::fromStdString(Gap.getColumn(1).getString()), sSession);
        EXPECT_EQ(QString::fromStdString(Gap.getColumn(2).getString()), slTimecodes[iAfter - 1]);
        EXPECT_EQ(QString::fromStdString(Gap.getColumn(3).getString()), slTimecodes[iAfter]);
        EXPECT_EQ(QString::fromStdString(Gap.getColumn(4).getString()), sReason);

        // The journal told of the wait and of the gap's end.
        EXPECT_TRUE(sErrors.contains(QRegularExpression("<4>Reconnecting\\. attempt=1 pause_s=1 reason=\"" +
                                                        QRegularExpression::escape(sReason) + "\"")))
            << sErrors.toStdString();
        EXPECT_TRUE(sErrors.contains("<6>Gap closed. session=" + sSession + " before=" +
                                     slTimecodes[iAfter - 1] + " after=" + slTimecodes[iAfter] + " seconds="))
            << sErrors.toStdString();
        EXPECT_FALSE(sErrors.contains("<3>")) << sErrors.toStdString();
        const QJsonObject o = Status();
        EXPECT_EQ(o.value("state").toString(), "stopped");
        EXPECT_EQ(o.value("gaps_today").toInt(), 1);
        EXPECT_EQ(o.value("rows_stored").toInt(), slTimecodes.size());
    }

    qxtest::TFreshConfigHome Home;
    QProcess Meter;
    QProcess Station;
    QByteArray Output;
    QString sDB;
};

} // namespace

TEST_F(StationReconnect, TheSerialMeterThatVanishesAndReturnsResumesItsSessionWithOneGap) {
    ASSERT_NO_FATAL_FAILURE(
        StartMeter({"serial", "--link", ComPortLinkPath(Home.DataFolder(), kMeterPort)}, "linked at"));
    ASSERT_NO_FATAL_FAILURE(WriteSettings("SerialPort=1\nPort=" + QString::number(kMeterPort) + "\n"));
    RunThroughAVanish("The serial device disappeared.");
}

TEST_F(StationReconnect, TheNetworkMeterThatDropsAndReturnsResumesItsSessionWithOneGap) {
    ASSERT_NO_FATAL_FAILURE(StartMeter({"network", "--port", "0"}, "listening on"));
    const QRegularExpressionMatch m =
        QRegularExpression("listening on 127\\.0\\.0\\.1:(\\d+)").match(QString::fromUtf8(Output));
    ASSERT_TRUE(m.hasMatch()) << Output.toStdString();
    ASSERT_NO_FATAL_FAILURE(WriteSettings(
        "HostName=127.0.0.1\nUserName=admin\nPassword=qxmeter\nSerialPort=0\nPort=" + m.captured(1) + "\n"));
    RunThroughAVanish("The network connection was lost.");
}
