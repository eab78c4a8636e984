#include "meter/ComPorts.h"
#include "store/dbSQLite.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <csignal>

namespace {

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

    void Signal(int iSignal) { ::kill(pid_t(Program.processId()), iSignal); }

    qxtest::TFreshConfigHome Home;
    QProcess Program;
};

} // namespace

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

constexpr int kMeterPort = 7;
// How long closing while logging waits for the session's end to be stored: 501 rounds of 10 ms.
constexpr int kCloseWaitMs = 5010;

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
