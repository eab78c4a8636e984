#pragma once

// The fixtures of the program's tests: the real program, the simulated meter on a serial link in its data
// folder, and the station without windows.

#include "meter/ComPorts.h"
#include "store/dbSQLite.h"
#include "tests/support/JsonFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// The real program on the offscreen platform with a data folder of its own.
class ProgramFixture : public ::testing::Test {
protected:
    void Start(const QStringList& slArgs = {}) {
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert("XDG_CONFIG_HOME", Home.Path());
        Env.insert("QT_QPA_PLATFORM", "offscreen");
        Program.setProcessEnvironment(Env);
        Program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QString sLog = Home.DataFolder() + "/QXLogging.log";
        QFile::remove(sLog);
        Program.start(QString(QX_BIN_DIR) + "/qxlogging", slArgs);
        ASSERT_TRUE(Program.waitForStarted(10000));
        // The engine log's first line is written while the main window is created.
        ASSERT_TRUE(qxtest::WaitFor(
            [&] {
                QFile f(sLog);
                return f.open(QIODevice::ReadOnly) && f.readAll().contains("selected.|1");
            },
            20000));
    }

    void Signal(int iSignal) { Signal(Program, iSignal); }
    static void Signal(QProcess& Process, int iSignal) { ::kill(pid_t(Process.processId()), iSignal); }

    qxtest::TFreshConfigHome Home;
    QProcess Program;
};

constexpr int kMeterPort = 7;

// The real program with the real simulator on a serial link in the program's data folder, the meter selected
// and a working database in the settings.
class ProgramWithMeter : public ProgramFixture {
protected:
    void TearDown() override {
        if (Program.state() != QProcess::NotRunning) {
            Program.kill();
            Program.waitForFinished(5000);
        }
        Meter.terminate();
        Meter.waitForFinished(5000);
    }

    void StartMeter(const QStringList& slOptions) {
        QDir().mkpath(Home.DataFolder());
        Meter.setProcessChannelMode(QProcess::MergedChannels);
        Meter.start(QStringLiteral(QX_BIN_DIR "/qxmeter-sim"),
                    QStringList{"serial", "--link", ComPortLinkPath(Home.DataFolder(), kMeterPort)} +
                        slOptions);
        ASSERT_TRUE(Meter.waitForStarted(10000));
        ASSERT_TRUE(
            qxtest::WaitFor([&] { return Output.append(Meter.readAll()).contains("linked at"); }, 10000))
            << Output.toStdString();
    }

    void WriteSettings() {
        sDB = Home.Path() + "/sessions.DB3";
        {
            TdbSQLite DB;
            ASSERT_TRUE(DB.CreateSQLiteDB(sDB));
        }
        QFile f(Home.DataFolder() + "/QXLogging.INI");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(("[Configuration]\nLastDB=" + sDB +
                 "\nAskSessionInfo=0\n[CurrentNetwork]\nSerialPort=1\nPort=" + QString::number(kMeterPort) +
                 "\nValid=1\n")
                    .toUtf8());
    }

    QString Log() const {
        QFile f(Home.DataFolder() + "/QXLogging.log");
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    bool WaitLog(const QString& sText, int iMs = 20000) {
        return qxtest::WaitFor([&] { return Log().contains(sText); }, iMs);
    }

    int MessagePort() const {
        const QRegularExpressionMatch m = QRegularExpression("UDP Port (\\d+) selected").match(Log());
        return m.hasMatch() ? m.captured(1).toInt() : 0;
    }

    qsizetype LevelCount() const {
        SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY, 2000);
        return DB.execAndGet("SELECT count(*) FROM qxr_loudness_levels").getInt();
    }

    QProcess Meter;
    QByteArray Output;
    QString sDB;
};

// The station without windows on the same real meter and database, started with no display and no platform
// plugin named: it must never need one.
class HeadlessStation : public ProgramWithMeter {
protected:
    QProcessEnvironment StationEnvironment() const {
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert("XDG_CONFIG_HOME", Home.Path());
        for (const char* sName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            Env.remove(sName);
        return Env;
    }

    void StartStation(QProcess& Station, const QStringList& slArgs = {"--headless"}) const {
        Station.setProcessEnvironment(StationEnvironment());
        Station.start(QString(QX_BIN_DIR) + "/qxlogging", slArgs);
        ASSERT_TRUE(Station.waitForStarted(10000));
    }

    void AppendSettings(const QByteArray& Lines) const {
        QFile f(Home.DataFolder() + "/QXLogging.INI");
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(Lines);
    }

    QJsonObject Status() const {
        QString sError;
        const QJsonObject o = qxtest::ReadJsonObject(Home.DataFolder() + "/status.json", sError);
        // Written whole or not at all: whatever a reader finds is a complete document.
        EXPECT_EQ(sError, QString());
        return o;
    }

    // A lock left behind by a station that was killed: its process is gone, the file stays.
    void LeaveStaleLock() const {
        const QString sLock = Home.DataFolder() + "/QXLogging-station.lock";
        QDir().mkpath(Home.DataFolder());
        const pid_t Child = ::fork();
        ASSERT_GE(Child, 0);
        if (Child == 0) {
            QLockFile Lock(sLock);
            ::_exit(Lock.tryLock(0) ? 0 : 1);
        }
        int iStatus = 0;
        ASSERT_EQ(::waitpid(Child, &iStatus, 0), Child);
        ASSERT_TRUE(WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0);
        ASSERT_TRUE(QFileInfo::exists(sLock));
    }

    // The level rows' timecodes in the order they were stored: every row, or those of session sReportId.
    QStringList StoredTimecodes(const QString& sReportId = QString()) const {
        SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY);
        SQLite::Statement Rows(DB,
                               "SELECT sTimeCode FROM qxr_loudness_levels WHERE ?1 IS NULL OR sReportId=?1 "
                               "ORDER BY nId;");
        if (!sReportId.isNull())
            Rows.bind(1, sReportId.toStdString());
        QStringList slTimecodes;
        while (Rows.executeStep())
            slTimecodes << QString::fromStdString(Rows.getColumn(0).getString());
        return slTimecodes;
    }

    // The meter counts one second a report from 10:00:00: every report of the run is there, once, in order.
    static void ExpectEverySecondFromTen(const QStringList& slTimecodes) {
        for (int i = 0; i < slTimecodes.size(); ++i)
            ASSERT_EQ(
                slTimecodes[i],
                QStringLiteral("10:%1:%2:00").arg(i / 60, 2, 10, QChar('0')).arg(i % 60, 2, 10, QChar('0')))
                << "row " << i;
    }

    QProcess Station;
    QByteArray StationErrors;
};

// Every line on standard error is one event with a priority the system journal reads.
inline void ExpectJournalLines(const QByteArray& Errors) {
    const QRegularExpression rxLine("^<[346]>[A-Z][^\\n]*$");
    for (const QByteArray& Line : Errors.split('\n')) {
        if (!Line.isEmpty()) {
            EXPECT_TRUE(rxLine.match(QString::fromUtf8(Line)).hasMatch()) << Line.toStdString();
        }
    }
    EXPECT_TRUE(Errors.endsWith('\n')) << Errors.toStdString();
}
