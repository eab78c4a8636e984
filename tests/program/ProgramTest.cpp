#include "store/StoreWrite.h"
#include "tests/program/ProgramFixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

TEST_F(ProgramFixture, TerminationSignalsCloseTheProgramCleanly) {
    for (int iSignal : {SIGTERM, SIGINT}) {
        Start();
        Signal(iSignal);
        ASSERT_TRUE(Program.waitForFinished(15000)) << "signal " << iSignal;
        EXPECT_EQ(Program.exitStatus(), QProcess::NormalExit) << "signal " << iSignal;
        EXPECT_EQ(Program.exitCode(), 0) << "signal " << iSignal;
        // Closing on the signal wrote the settings, as a close by the user would.
        EXPECT_TRUE(QFileInfo::exists(Home.DataFolder() + "/QXLogging.INI")) << "signal " << iSignal;
        QFile::remove(Home.DataFolder() + "/QXLogging.INI");
    }
}

TEST_F(ProgramFixture, AnUnreadableSettingsFileIsKeptAsACopyAndReplacedByDefaults) {
    const QString sINI = Home.DataFolder() + "/QXLogging.INI";
    const auto WriteFile = [](const QString& sPath, const QByteArray& Content) {
        QDir().mkpath(QFileInfo(sPath).path());
        QFile f(sPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(Content);
    };
    const auto ReadFile = [](const QString& sPath) {
        QFile f(sPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray First = "[Configuration]\nGUILanguage=1\n[PDFOptions]\nEvenLines=notacolour\n";
    const QByteArray Second = "[PDFOptions]\nEvenLines=stillnotacolour\n";

    QList<QByteArray> aKept;
    for (const QByteArray& Broken : {First, Second}) {
        WriteFile(sINI, Broken);
        Start();
        Signal(SIGTERM);
        ASSERT_TRUE(Program.waitForFinished(15000));
        EXPECT_EQ(Program.exitCode(), 0);
        aKept << Broken;
        // Every unreadable file has a copy of its own; an earlier one is never replaced.
        QList<QByteArray> aCopies;
        for (const QString& sName :
             QDir(Home.DataFolder()).entryList({"QXLogging.INI.unreadable-*"}, QDir::Files, QDir::Name))
            aCopies << ReadFile(Home.DataFolder() + "/" + sName);
        EXPECT_EQ(aCopies, aKept);
        const QByteArray Fresh = ReadFile(sINI);
        EXPECT_TRUE(Fresh.contains("EvenLines=clSilver")) << Fresh.toStdString();
        EXPECT_TRUE(Fresh.contains("GUILanguage=0")) << Fresh.toStdString();
        // The window said so; closing on the signal leaves the log as the record of what it said.
        QFile Log(Home.DataFolder() + "/QXLogging.log");
        ASSERT_TRUE(Log.open(QIODevice::ReadOnly));
        EXPECT_TRUE(Log.readAll().contains("was kept as " + sINI.toUtf8() + ".unreadable-"));
    }
}

namespace {

QByteArray RunToEnd(const QStringList& slArgs, const QProcessEnvironment& Env, int& iExitCode,
                    QByteArray* pStdErr = nullptr) {
    QProcess Program;
    Program.setProcessEnvironment(Env);
    Program.start(QString(QX_BIN_DIR) + "/qxlogging", slArgs);
    EXPECT_TRUE(Program.waitForFinished(15000));
    iExitCode = Program.exitStatus() == QProcess::NormalExit ? Program.exitCode() : -1;
    if (pStdErr)
        *pStdErr = Program.readAllStandardError();
    return Program.readAllStandardOutput();
}

// Every file below sRoot, as paths relative to it.
QStringList FilesBelow(const QString& sRoot) {
    QStringList slFiles;
    QDirIterator It(sRoot, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (It.hasNext())
        slFiles << QDir(sRoot).relativeFilePath(It.next());
    return slFiles;
}

} // namespace

// Version and help are answered without a display: the package test and scripts run them anywhere.
TEST(ProgramCommandLine, VersionAndHelpNeedNoDisplay) {
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.remove("QT_QPA_PLATFORM");
    Env.remove("DISPLAY");
    Env.remove("WAYLAND_DISPLAY");
    int iExit = -1;
    for (const char* sOption : {"--version", "-v"}) {
        EXPECT_EQ(RunToEnd({sOption}, Env, iExit), "QX-Logging 1.0.0.1\n") << sOption;
        EXPECT_EQ(iExit, 0) << sOption;
    }
    const QByteArray Help = RunToEnd({"--help"}, Env, iExit);
    EXPECT_EQ(iExit, 0);
    EXPECT_TRUE(Help.startsWith("Usage: qxlogging [options]\n")) << Help.toStdString();
    EXPECT_TRUE(Help.contains("--config-dir <DIR>")) << Help.toStdString();
    EXPECT_TRUE(Help.contains("--headless")) << Help.toStdString();

    // An option the program does not know is refused with the list of those it knows.
    Env.insert("QT_QPA_PLATFORM", "offscreen");
    QByteArray Errors;
    RunToEnd({"--no-such-option"}, Env, iExit, &Errors);
    EXPECT_EQ(iExit, 2);
    EXPECT_TRUE(Errors.contains("no-such-option")) << Errors.toStdString();
    EXPECT_TRUE(Errors.contains("--config-dir <DIR>")) << Errors.toStdString();
}

// A run with --config-dir writes its settings and engine trace into that folder and nothing into the
// user's own configuration, cache or home.
TEST(ProgramCommandLine, ConfigDirKeepsEveryFileOfTheRunInsideIt) {
    QTemporaryDir Outside, Inside;
    ASSERT_TRUE(Outside.isValid() && Inside.isValid());
    const QString sDataFolder = Inside.path() + "/station 2";
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert("HOME", Outside.path());
    Env.insert("XDG_CONFIG_HOME", Outside.path() + "/config");
    Env.insert("XDG_CACHE_HOME", Outside.path() + "/cache");
    Env.insert("XDG_DATA_HOME", Outside.path() + "/data");
    Env.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess Program;
    Program.setProcessEnvironment(Env);
    Program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Program.start(QString(QX_BIN_DIR) + "/qxlogging", {"--config-dir", sDataFolder});
    ASSERT_TRUE(Program.waitForStarted(10000));
    ASSERT_TRUE(qxtest::WaitFor(
        [&] {
            QFile f(sDataFolder + "/QXLogging.log");
            return f.open(QIODevice::ReadOnly) && f.readAll().contains("selected.|1");
        },
        20000));
    ::kill(pid_t(Program.processId()), SIGTERM);
    ASSERT_TRUE(Program.waitForFinished(15000));
    EXPECT_EQ(Program.exitCode(), 0);

    QStringList slInside = FilesBelow(sDataFolder);
    slInside.sort();
    EXPECT_EQ(slInside, QStringList({"QXLogging.INI", "QXLogging.log"}));
    EXPECT_EQ(FilesBelow(Outside.path()), QStringList());
}

namespace {

// How long closing while logging waits for the session's end to be stored: 501 rounds of 10 ms.
constexpr int kCloseWaitMs = 5010;

} // namespace

// A meter that stops answering in its memory read holds nothing up: the close ends the connect at once and
// the process is gone, not left behind holding the port.
TEST_F(ProgramWithMeter, TerminationWhileConnectingToASilentMeterEndsTheProcessAtOnce) {
    ASSERT_NO_FATAL_FAILURE(StartMeter({"--short-memory"}));
    ASSERT_NO_FATAL_FAILURE(WriteSettings());
    ASSERT_NO_FATAL_FAILURE(Start({"--connect"}));
    ASSERT_TRUE(WaitLog("Connecting.|1")) << Log().toStdString();

    QElapsedTimer Elapsed;
    Elapsed.start();
    Signal(SIGTERM);
    ASSERT_TRUE(Program.waitForFinished(15000));
    EXPECT_LT(Elapsed.elapsed(), 2000);
    EXPECT_EQ(Program.exitCode(), 0);
    EXPECT_FALSE(Log().contains("ConnectInstrument: True")) << Log().toStdString();
}

// Closing while logging from a meter far faster than the thread forwards: the session's end is waited for
// as the close specifies and no longer, and the thread sends nothing to the message port once the window
// has released it (another instance could have taken it by then).
TEST_F(ProgramWithMeter, TerminationWhileLoggingFromAFastMeterEndsInTimeAndSendsNothingAfterward) {
    ASSERT_NO_FATAL_FAILURE(StartMeter({"--interval-ms", "10"}));
    ASSERT_NO_FATAL_FAILURE(WriteSettings());
    ASSERT_NO_FATAL_FAILURE(Start({"--start-logging"}));
    const int iPort = MessagePort();
    ASSERT_GT(iPort, 0) << Log().toStdString();
    ASSERT_TRUE(qxtest::WaitFor([&] { return LevelCount() >= 20; }, 20000)) << Log().toStdString();

    QElapsedTimer Elapsed;
    Elapsed.start();
    Signal(SIGTERM);
    // The port is taken the moment the window lets it go.
    QUdpSocket Listener;
    const bool bTaken = qxtest::WaitFor(
        [&] {
            return Program.state() == QProcess::NotRunning ||
                   Listener.bind(QHostAddress::LocalHost, quint16(iPort), QUdpSocket::DontShareAddress);
        },
        15000);
    ASSERT_TRUE(Program.waitForFinished(15000));
    const qint64 iGoneMs = Elapsed.elapsed();
    EXPECT_LT(iGoneMs, kCloseWaitMs + 1000);
    EXPECT_EQ(Program.exitCode(), 0);
    ASSERT_TRUE(bTaken);
    ASSERT_EQ(Listener.state(), QAbstractSocket::BoundState) << "the port was never released before the end";
    EXPECT_FALSE(Listener.hasPendingDatagrams());
}

// Closing while logging waits for the session to be finished, not for the connection's end that only the
// close itself brings about: the process is gone well within the close time, with the run's rows stored
// without a gap and the session ended at the last of them.
TEST_F(ProgramWithMeter, TerminationWhileLoggingEndsSoonWithEveryRowOfTheRunStored) {
    ASSERT_NO_FATAL_FAILURE(StartMeter({"--interval-ms", "100", "--start-timecode", "10:00:00:00"}));
    ASSERT_NO_FATAL_FAILURE(WriteSettings());
    ASSERT_NO_FATAL_FAILURE(Start({"--start-logging"}));
    ASSERT_TRUE(qxtest::WaitFor([&] { return LevelCount() >= 10; }, 20000)) << Log().toStdString();

    QElapsedTimer Elapsed;
    Elapsed.start();
    Signal(SIGTERM);
    ASSERT_TRUE(Program.waitForFinished(15000));
    const qint64 iGoneMs = Elapsed.elapsed();
    EXPECT_LT(iGoneMs, kCloseWaitMs / 2) << "the close waited for something that never came";
    EXPECT_EQ(Program.exitCode(), 0);

    SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement Rows(DB, "SELECT sTimeCode FROM qxr_loudness_levels ORDER BY nId;");
    QStringList slTimecodes;
    while (Rows.executeStep())
        slTimecodes << QString::fromStdString(Rows.getColumn(0).getString());
    ASSERT_GE(slTimecodes.size(), 10);
    // The meter counts one second a report from 10:00:00: every report of the run is there, in order.
    for (int i = 0; i < slTimecodes.size(); ++i)
        ASSERT_EQ(slTimecodes[i].left(8),
                  QStringLiteral("10:%1:%2").arg(i / 60, 2, 10, QChar('0')).arg(i % 60, 2, 10, QChar('0')))
            << "row " << i;
    SQLite::Statement Session(DB, "SELECT count(*), max(sTimeCodeEnd) FROM qxr_sessions;");
    ASSERT_TRUE(Session.executeStep());
    EXPECT_EQ(Session.getColumn(0).getInt(), 1);
    EXPECT_EQ(QString::fromStdString(Session.getColumn(1).getString()), slTimecodes.last());
    EXPECT_FALSE(QFileInfo::exists(sDB + ".recovery"));
    EXPECT_FALSE(QFileInfo::exists(Home.DataFolder() + "/QXLogging.recovery"));
}

// The unattended station: started without a display over the lock a killed station left, it logs one
// session titled from its template, refuses a second station on its folder, keeps status.json, and ends on
// SIGTERM with every row the meter reported stored and the session's end recorded.
TEST_F(HeadlessStation, LogsOneTitledSessionAndStoresEveryRowWhenTerminated) {
    ASSERT_NO_FATAL_FAILURE(StartMeter({"--interval-ms", "100", "--start-timecode", "10:00:00:00"}));
    ASSERT_NO_FATAL_FAILURE(WriteSettings());
    ASSERT_NO_FATAL_FAILURE(AppendSettings("[Station]\nTitleTemplate=Bench %station% %date%\nStation=ch7\n"
                                           "Operator=robot\n"));
    ASSERT_NO_FATAL_FAILURE(LeaveStaleLock());
    const QString sDayBefore = QDate::currentDate().toString("yyyy-MM-dd");
    ASSERT_NO_FATAL_FAILURE(StartStation(Station));
    ASSERT_TRUE(qxtest::WaitFor([&] { return LevelCount() >= 20; }, 30000))
        << Station.readAllStandardError().toStdString() << Log().toStdString();
    ASSERT_TRUE(qxtest::WaitFor(
        [&] {
            const QJsonObject o = Status();
            return o.value("state").toString() == "logging" && o.value("rows_stored").toInt() >= 1;
        },
        10000));

    // A second station on the same folder, named another way, refuses to start and changes nothing, however
    // long the first one has held its lock.
    {
        QFile Lock(Home.DataFolder() + "/QXLogging-station.lock");
        ASSERT_TRUE(Lock.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            Lock.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    }
    const qsizetype iRowsBefore = LevelCount();
    QProcess Second;
    ASSERT_NO_FATAL_FAILURE(
        StartStation(Second, {"--headless", "--config-dir", Home.DataFolder() + "/../QXLogging/."}));
    ASSERT_TRUE(Second.waitForFinished(15000));
    EXPECT_NE(Second.exitCode(), 0);
    const QByteArray SecondErrors = Second.readAllStandardError();
    EXPECT_TRUE(SecondErrors.startsWith("<3>Another station already runs on this data folder"))
        << SecondErrors.toStdString();
    EXPECT_TRUE(SecondErrors.contains("pid=" + QByteArray::number(Station.processId())))
        << SecondErrors.toStdString();
    ExpectJournalLines(SecondErrors);
    EXPECT_GE(LevelCount(), iRowsBefore);
    EXPECT_EQ(Status().value("state").toString(), "logging");

    QElapsedTimer Elapsed;
    Elapsed.start();
    Signal(Station, SIGTERM);
    ASSERT_TRUE(Station.waitForFinished(15000));
    std::printf("[ measured ] the station ended %lld ms after SIGTERM\n", Elapsed.elapsed());
    EXPECT_EQ(Station.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Station.exitCode(), 0);
    const QString sDayAfter = QDate::currentDate().toString("yyyy-MM-dd");
    StationErrors = Station.readAllStandardError();
    ExpectJournalLines(StationErrors);

    const QStringList slTimecodes = StoredTimecodes();
    ASSERT_GE(slTimecodes.size(), 20);
    ASSERT_NO_FATAL_FAILURE(ExpectEverySecondFromTen(slTimecodes));
    SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement Session(
        DB, "SELECT count(*), max(sReportId), max(sTitle), max(sOperator), max(sTimeCodeStart), "
            "max(sTimeCodeEnd), "
            "(SELECT count(DISTINCT sReportId) FROM qxr_loudness_levels) FROM qxr_sessions;");
    ASSERT_TRUE(Session.executeStep());
    EXPECT_EQ(Session.getColumn(0).getInt(), 1);
    const QString sId = QString::fromStdString(Session.getColumn(1).getString());
    const QString sTitle = QString::fromStdString(Session.getColumn(2).getString());
    EXPECT_TRUE(sTitle == "Bench ch7 " + sDayBefore || sTitle == "Bench ch7 " + sDayAfter)
        << sTitle.toStdString();
    EXPECT_EQ(Session.getColumn(3).getString(), "robot");
    EXPECT_EQ(QString::fromStdString(Session.getColumn(4).getString()), slTimecodes.first());
    EXPECT_EQ(QString::fromStdString(Session.getColumn(5).getString()), slTimecodes.last());
    EXPECT_EQ(Session.getColumn(6).getInt(), 1);
    EXPECT_FALSE(QFileInfo::exists(sDB + ".recovery"));
    EXPECT_FALSE(QFileInfo::exists(Home.DataFolder() + "/QXLogging.recovery"));

    // The journal told the story, with the facts a monitor needs.
    const QString sErrors = QString::fromUtf8(StationErrors);
    EXPECT_FALSE(sErrors.contains("Another station")) << sErrors.toStdString();
    EXPECT_TRUE(sErrors.contains("<6>Connected. meter=COM7\n")) << sErrors.toStdString();
    EXPECT_TRUE(sErrors.contains("<6>Session started. session=" + sId + " title=\"" + sTitle + "\"\n"))
        << sErrors.toStdString();
    EXPECT_TRUE(sErrors.contains("<6>Stopped. session=" + sId +
                                 " rows=" + QString::number(slTimecodes.size()) + "\n"))
        << sErrors.toStdString();

    // The status file's last word: the session, its rows, nothing waiting, the lock given back.
    const QJsonObject o = Status();
    EXPECT_EQ(o.value("state").toString(), "stopped");
    EXPECT_EQ(o.value("session_id").toString(), sId);
    EXPECT_EQ(o.value("session_title").toString(), sTitle);
    EXPECT_EQ(o.value("rows_stored").toInt(), slTimecodes.size());
    EXPECT_EQ(o.value("last_timecode").toString(), slTimecodes.last());
    EXPECT_TRUE(QDateTime::fromString(o.value("last_row_time").toString(), Qt::ISODate).isValid());
    EXPECT_EQ(o.value("rows_waiting").toInt(-1), 0);
    EXPECT_EQ(o.value("gaps_today").toInt(-1), 0);
    EXPECT_EQ(o.value("last_error").toString(), "");
    EXPECT_FALSE(QFileInfo::exists(Home.DataFolder() + "/QXLogging-station.lock"));
}

// A station that cannot do its work says why on standard error and in status.json, ends at once with a
// failure code, and leaves the settings file as the administrator wrote it.
TEST_F(HeadlessStation, AStationThatCannotRunSaysWhyAndFails) {
    const struct {
        const char* sCase;
        QByteArray Settings;
        QByteArray Expected;
    } aCases[] = {
        {"no instrument", "[Configuration]\nLastDB=@DB@\n", "<3>No instrument is selected in the settings."},
        {"no database",
         "[Configuration]\nLastDB=@DIR@/none/missing.DB3\n[CurrentNetwork]\nSerialPort=1\nPort=7\n"
         "Valid=1\n",
         "<3>No working database could be opened. database=@DIR@/none/missing.DB3"},
        // A port number no device stands for.
        {"no meter on the port",
         "[Configuration]\nLastDB=@DB@\n[CurrentNetwork]\nSerialPort=1\nPort=200\nValid=1\n",
         "<3>The meter could not be reached. meter=COM200"},
        {"unreadable settings", "[Configuration]\nLastDB=@DB@\n[PDFOptions]\nEvenLines=notacolour\n",
         "<3>The settings file could not be read."},
        // The rotation settings: refused by name, not taken as "never".
        {"a rotation time that does not read",
         "[Configuration]\nLastDB=@DB@\n[CurrentNetwork]\nSerialPort=1\nPort=7\nValid=1\n[Station]\n"
         "RotateAt=25:00\n",
         "QXLogging.INI reason=\"RotateAt \\\"25:00\\\" is no time of day (HH:MM or HH:MM:SS)\"\n"},
        {"a rotation period that does not read",
         "[Configuration]\nLastDB=@DB@\n[CurrentNetwork]\nSerialPort=1\nPort=7\nValid=1\n[Station]\n"
         "RotateEveryHours=8h\n",
         "QXLogging.INI reason=\"RotateEveryHours \\\"8h\\\" is no whole number of hours from 0 to 168\"\n"},
    };
    sDB = Home.Path() + "/sessions.DB3";
    {
        TdbSQLite DB;
        ASSERT_TRUE(DB.CreateSQLiteDB(sDB));
    }
    QDir().mkpath(Home.DataFolder());
    const QString sINI = Home.DataFolder() + "/QXLogging.INI";
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.sCase);
        QByteArray Settings = c.Settings;
        Settings.replace("@DB@", sDB.toUtf8()).replace("@DIR@", Home.Path().toUtf8());
        {
            QFile f(sINI);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(Settings);
        }
        QProcess Failing;
        ASSERT_NO_FATAL_FAILURE(StartStation(Failing));
        ASSERT_TRUE(Failing.waitForFinished(30000));
        EXPECT_EQ(Failing.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(Failing.exitCode(), 1);
        QByteArray Expected = c.Expected;
        Expected.replace("@DIR@", Home.Path().toUtf8());
        const QByteArray Errors = Failing.readAllStandardError();
        EXPECT_TRUE(Errors.contains(Expected)) << Errors.toStdString();
        ExpectJournalLines(Errors);
        const QJsonObject o = Status();
        EXPECT_EQ(o.value("state").toString(), "failed");
        EXPECT_FALSE(o.value("last_error").toString().isEmpty());
        QFile f(sINI);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), Settings);
        EXPECT_FALSE(QFileInfo::exists(Home.DataFolder() + "/QXLogging-station.lock"));
        QFile::remove(Home.DataFolder() + "/status.json");
    }
    SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY);
    EXPECT_EQ(DB.execAndGet("SELECT count(*) FROM qxr_sessions").getInt(), 0);
}

// A database that refuses writes (another program holds it locked): the station keeps the rows waiting and
// says so in the journal and in status.json. Let go before the stop, the database takes them all; still
// locked at the stop, what waits goes to the recovery file beside the database. Either way the database and
// the file together hold every row of the run, once, in order, and the session's end.
TEST_F(HeadlessStation, RowsWaitWhileTheDatabaseIsLockedAndNoneIsLostAtTheStop) {
    const struct {
        const char* sCase;
        bool bLockedAtStop;
    } aCases[] = {{"let go before the stop", false}, {"locked at the stop", true}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.sCase);
        ASSERT_NO_FATAL_FAILURE(StartMeter({"--interval-ms", "100", "--start-timecode", "10:00:00:00"}));
        ASSERT_NO_FATAL_FAILURE(WriteSettings());
        QFile::remove(sDB + ".recovery");
        QProcess Run;
        QByteArray RunErrors;
        ASSERT_NO_FATAL_FAILURE(StartStation(Run));
        ASSERT_TRUE(qxtest::WaitFor([&] { return LevelCount() >= 5; }, 30000))
            << Run.readAllStandardError().toStdString() << Log().toStdString();
        const auto Errors = [&] { return QString::fromUtf8(RunErrors.append(Run.readAllStandardError())); };
        {
            SQLite::Database Holder(sDB.toStdString(), SQLite::OPEN_READWRITE);
            Holder.exec("BEGIN EXCLUSIVE;");
            ASSERT_TRUE(qxtest::WaitFor(
                [&] {
                    return Status().value("rows_waiting").toInt() > 0 && Errors().contains("<4>Rows wait");
                },
                15000))
                << Errors().toStdString();
            EXPECT_FALSE(Status().value("last_error").toString().isEmpty());
            if (c.bLockedAtStop) {
                Signal(Run, SIGTERM);
                ASSERT_TRUE(Run.waitForFinished(15000));
            }
            Holder.exec("ROLLBACK;");
        }
        if (!c.bLockedAtStop) {
            ASSERT_TRUE(qxtest::WaitFor(
                [&] {
                    return Status().value("rows_waiting").toInt(-1) == 0 &&
                           Errors().contains("<6>Every waiting row has been written to the database.\n");
                },
                15000))
                << Errors().toStdString();
            Signal(Run, SIGTERM);
            ASSERT_TRUE(Run.waitForFinished(15000));
        }
        EXPECT_EQ(Run.exitCode(), 0);
        ExpectJournalLines(RunErrors.append(Run.readAllStandardError()));

        QStringList slTimecodes = StoredTimecodes();
        SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY);
        QString sSessionEnd =
            QString::fromStdString(DB.execAndGet("SELECT sTimeCodeEnd FROM qxr_sessions").getString());
        const qsizetype iInDatabase = slTimecodes.size();
        EXPECT_EQ(Status().value("rows_stored").toInt(), iInDatabase);
        QFile Recovery(sDB + ".recovery");
        if (c.bLockedAtStop) {
            // The rows that waited follow the stored ones in the recovery file, with the session's end.
            ASSERT_TRUE(Recovery.open(QIODevice::ReadOnly)) << Errors().toStdString();
            int iRecovered = 0;
            for (const QByteArray& Line : Recovery.readAll().split('\n')) {
                TStoreWrite Write;
                if (Line.isEmpty() || !DecodeStoreWrite(Line, Write))
                    continue;
                if (Write.eKind == TStoreWrite::InsertLevel) {
                    slTimecodes << Write.rLevel.sTimeCode;
                    ++iRecovered;
                } else if (Write.eKind == TStoreWrite::UpdateSession) {
                    sSessionEnd = Write.rSession.sTimeCodeEnd;
                }
            }
            EXPECT_GT(iRecovered, 0);
            EXPECT_TRUE(
                Errors().contains("<4>Rows the database did not take were saved for a later start. rows="))
                << Errors().toStdString();
        } else {
            EXPECT_FALSE(Recovery.exists());
        }
        ASSERT_GE(slTimecodes.size(), 5);
        ASSERT_NO_FATAL_FAILURE(ExpectEverySecondFromTen(slTimecodes));
        EXPECT_EQ(sSessionEnd, slTimecodes.last());
        EXPECT_EQ(Errors().contains("Stopped. session="), true) << Errors().toStdString();

        Meter.terminate();
        ASSERT_TRUE(Meter.waitForFinished(10000));
        Output.clear();
        if (!c.bLockedAtStop)
            continue;
        // The next start takes the saved rows in before it logs anew: the first session is then whole in
        // the database, and the recovery file is gone.
        const std::string sFirstSession = DB.execAndGet("SELECT sReportId FROM qxr_sessions").getString();
        ASSERT_NO_FATAL_FAILURE(StartMeter({"--interval-ms", "100", "--start-timecode", "11:00:00:00"}));
        QProcess Next;
        ASSERT_NO_FATAL_FAILURE(StartStation(Next));
        QByteArray NextErrors;
        ASSERT_TRUE(qxtest::WaitFor(
            [&] {
                NextErrors.append(Next.readAllStandardError());
                return NextErrors.contains("<6>Session started.") && !Recovery.exists();
            },
            30000))
            << NextErrors.toStdString();
        EXPECT_TRUE(NextErrors.contains("<6>Rows of an earlier run are taken from a recovery file. file=" +
                                        Recovery.fileName().toUtf8() + "\n"))
            << NextErrors.toStdString();
        Signal(Next, SIGTERM);
        ASSERT_TRUE(Next.waitForFinished(15000));
        EXPECT_EQ(Next.exitCode(), 0);
        SQLite::Statement FirstRows(
            DB, "SELECT sTimeCode FROM qxr_loudness_levels WHERE sReportId=? ORDER BY nId;");
        FirstRows.bind(1, sFirstSession);
        QStringList slFirst;
        while (FirstRows.executeStep())
            slFirst << QString::fromStdString(FirstRows.getColumn(0).getString());
        EXPECT_EQ(slFirst, slTimecodes);
        SQLite::Statement FirstEnd(DB, "SELECT sTimeCodeEnd FROM qxr_sessions WHERE sReportId=?;");
        FirstEnd.bind(1, sFirstSession);
        ASSERT_TRUE(FirstEnd.executeStep());
        EXPECT_EQ(QString::fromStdString(FirstEnd.getColumn(0).getString()), slTimecodes.last());
        Meter.terminate();
        ASSERT_TRUE(Meter.waitForFinished(10000));
        Output.clear();
    }
}

namespace {

// The station with the simulated network meter: terminal login on a port of 127.0.0.1.
class HeadlessNetworkStation : public HeadlessStation {
protected:
    void StartNetworkMeter(const QStringList& slOptions) {
        Meter.setProcessChannelMode(QProcess::MergedChannels);
        Meter.start(QStringLiteral(QX_BIN_DIR "/qxmeter-sim"),
                    QStringList{"network", "--port", "0"} + slOptions);
        ASSERT_TRUE(Meter.waitForStarted(10000));
        const QRegularExpression rxPort("listening on 127\\.0\\.0\\.1:(\\d+)");
        ASSERT_TRUE(qxtest::WaitFor(
            [&] { return rxPort.match(QString::fromUtf8(Output.append(Meter.readAll()))).hasMatch(); },
            10000))
            << Output.toStdString();
        iMeterPort = rxPort.match(QString::fromUtf8(Output)).captured(1).toInt();
    }

    void WriteNetworkSettings() {
        sDB = Home.Path() + "/sessions.DB3";
        {
            TdbSQLite DB;
            ASSERT_TRUE(DB.CreateSQLiteDB(sDB));
        }
        QDir().mkpath(Home.DataFolder());
        QFile f(Home.DataFolder() + "/QXLogging.INI");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(("[Configuration]\nLastDB=" + sDB +
                 "\n[CurrentNetwork]\nHostName=127.0.0.1\nUserName=admin\nPassword=qxmeter\nSerialPort="
                 "0\nValid=1\n"
                 "Port=" +
                 QString::number(iMeterPort) + "\n")
                    .toUtf8());
    }

    int iMeterPort = 0;
};

} // namespace

// The network meter, ended two ways: by SIGINT (the session stopped, exit 0), and by the meter dropping
// the connection (reported as an error, exit 1, for a service manager to act on). Either way every report
// that arrived is stored once, in order, and the session's end is its last row.
TEST_F(HeadlessNetworkStation, LogsTheNetworkMeterUntilTerminatedOrDropped) {
    const struct {
        const char* sCase;
        QStringList slMeterOptions;
        bool bTerminate;
        int iExitCode;
        const char* sLastLine;
        const char* sState;
    } aCases[] = {
        {"interrupted", {}, true, 0, "<6>Stopped.", "stopped"},
        // Dropped well after logging has begun (the login and the start take about three seconds).
        {"dropped", {"--drop-after-ms", "8000"}, false, 1, "<6>Stopped.", "failed"},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.sCase);
        ASSERT_NO_FATAL_FAILURE(StartNetworkMeter(
            QStringList{"--interval-ms", "100", "--start-timecode", "10:00:00:00"} + c.slMeterOptions));
        ASSERT_NO_FATAL_FAILURE(WriteNetworkSettings());
        // Reconnecting off: the lost link ends the station, as a service manager expects it to.
        if (!c.bTerminate) {
            ASSERT_NO_FATAL_FAILURE(AppendSettings("[Station]\nAutoReconnect=0\n"));
        }
        QProcess Run;
        ASSERT_NO_FATAL_FAILURE(StartStation(Run));
        if (c.bTerminate) {
            ASSERT_TRUE(qxtest::WaitFor([&] { return LevelCount() >= 5; }, 30000))
                << Run.readAllStandardError().toStdString() << Log().toStdString();
            // SIGINT here, SIGTERM in the serial meter's tests: both end the station alike.
            Signal(Run, SIGINT);
        }
        ASSERT_TRUE(Run.waitForFinished(60000));
        EXPECT_EQ(Run.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(Run.exitCode(), c.iExitCode);
        const QByteArray Errors = Run.readAllStandardError();
        ExpectJournalLines(Errors);
        EXPECT_TRUE(Errors.contains("<6>Connected. meter=127.0.0.1:" + QByteArray::number(iMeterPort) + "\n"))
            << Errors.toStdString();
        if (!c.bTerminate) {
            EXPECT_TRUE(Errors.contains("<3>The connection to the meter was lost. meter=127.0.0.1:"))
                << Errors.toStdString();
        }

        const QStringList slTimecodes = StoredTimecodes();
        ASSERT_GE(slTimecodes.size(), 1);
        ASSERT_NO_FATAL_FAILURE(ExpectEverySecondFromTen(slTimecodes));
        SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY);
        EXPECT_EQ(DB.execAndGet("SELECT count(*) FROM qxr_sessions").getInt(), 1);
        EXPECT_EQ(DB.execAndGet("SELECT sTimeCodeEnd FROM qxr_sessions").getString(),
                  slTimecodes.last().toStdString());
        const QJsonObject o = Status();
        EXPECT_EQ(o.value("state").toString(), c.sState);
        EXPECT_EQ(o.value("rows_stored").toInt(), slTimecodes.size());
        EXPECT_TRUE(Errors.contains(QByteArray(c.sLastLine) + " session=")) << Errors.toStdString();

        Meter.terminate();
        ASSERT_TRUE(Meter.waitForFinished(10000));
        Output.clear();
        QFile::remove(Home.DataFolder() + "/status.json");
    }
}
