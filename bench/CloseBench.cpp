// Closing the program while it logs: from the termination signal (a logout, or a close the user has
// confirmed) until the process has ended, with the session finished and its rows stored. The program runs
// as a whole process against the meter simulator on a pseudo-terminal, as a user runs it.

#include "bench/BenchTable.h"
#include "meter/ComPorts.h"
#include "store/dbSQLite.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <SQLiteCpp/SQLiteCpp.h>

#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kRepetitions = 7;
constexpr int kTimeoutMs = 30000;
constexpr int kMeterPort = 7;
// Rows stored before the close: the run is well under way.
constexpr int kRowsBeforeClose = 5;

// Polls fnDone every 20 ms until it is true; false after iMs.
template <typename F> bool WaitFor(F fnDone, int iMs) {
    QElapsedTimer Timer;
    Timer.start();
    while (!fnDone()) {
        if (Timer.elapsed() > iMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

int LevelRows(const QString& sDB) {
    try {
        SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY, 2000);
        return DB.execAndGet("SELECT count(*) FROM qxr_loudness_levels").getInt();
    } catch (const std::exception&) {
        return 0;
    }
}

// One run: a fresh data folder and database, the meter selected, logging started at once; returns the
// seconds from SIGTERM to the end of the process.
double CloseWhileLogging() {
    QTemporaryDir Home;
    const QString sFolder = Home.path() + "/Kelmoria/QXLogging";
    const QString sDB = Home.path() + "/Bench.DB3";
    if (!QDir().mkpath(sFolder) || !TdbSQLite().CreateSQLiteDB(sDB))
        throw std::runtime_error("cannot prepare a data folder");
    QFile Ini(sFolder + "/QXLogging.INI");
    if (!Ini.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the settings");
    Ini.write(("[Configuration]\nLastDB=" + sDB +
               "\nAskSessionInfo=0\n[CurrentNetwork]\nSerialPort=1\nPort=" + QString::number(kMeterPort) +
               "\nValid=1\n")
                  .toUtf8());
    Ini.close();

    QProcess Meter;
    Meter.setProcessChannelMode(QProcess::MergedChannels);
    Meter.start(QX_METER_SIM,
                {"serial", "--link", ComPortLinkPath(sFolder, kMeterPort), "--interval-ms", "100"});
    QByteArray aMeterOut;
    if (!Meter.waitForStarted(kTimeoutMs) ||
        !WaitFor(
            [&] {
                Meter.waitForReadyRead(20);
                return aMeterOut.append(Meter.readAll()).contains("linked at");
            },
            kTimeoutMs))
        throw std::runtime_error("the meter simulator did not start");

    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert("XDG_CONFIG_HOME", Home.path());
    QProcess Program;
    Program.setProcessEnvironment(Env);
    Program.setStandardOutputFile(QProcess::nullDevice());
    Program.setStandardErrorFile(QProcess::nullDevice());
    Program.start(QX_PROGRAM, {"--start-logging"});
    if (!Program.waitForStarted(kTimeoutMs) ||
        !WaitFor([&] { return LevelRows(sDB) >= kRowsBeforeClose; }, kTimeoutMs))
        throw std::runtime_error("the program did not log");

    QElapsedTimer Close;
    Close.start();
    ::kill(pid_t(Program.processId()), SIGTERM);
    if (!Program.waitForFinished(kTimeoutMs))
        throw std::runtime_error("the program did not end");
    const double fSeconds = double(Close.nsecsElapsed()) / 1e9;
    Meter.terminate();
    Meter.waitForFinished(kTimeoutMs);
    if (Program.exitCode() != 0 || LevelRows(sDB) < kRowsBeforeClose)
        throw std::runtime_error("the program did not close cleanly");
    return fSeconds;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        std::vector<double> aSeconds;
        for (int i = 0; i < kRepetitions; ++i)
            aSeconds.push_back(CloseWhileLogging());
        qxbench::PrintRow(
            qxbench::ValueRow("close while logging, signal to process end (s)", aSeconds, "<=1"));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
