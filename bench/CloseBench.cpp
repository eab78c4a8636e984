// Closing the program while it logs: from the termination signal (a logout, or a close the user has
// confirmed) until the process has ended, with the session finished and its rows stored. The program runs
// as a whole process against the meter simulator on a pseudo-terminal, as a user runs it.

#include "bench/BenchTable.h"
#include "bench/MeterProcesses.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

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

// One run: a fresh data folder and database, the meter selected, logging started at once; returns the
// seconds from SIGTERM to the end of the process.
double CloseWhileLogging() {
    QTemporaryDir Home;
    const QString sFolder = Home.path() + "/Kelmoria/QXLogging";
    const QString sDB = Home.path() + "/Bench.DB3";
    qxbench::PrepareLoggingFolder(sFolder, sDB, kMeterPort);
    QProcess Meter;
    qxbench::StartSerialMeter(Meter, QX_METER_SIM, sFolder, kMeterPort, {"--interval-ms", "100"}, kTimeoutMs);

    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert("XDG_CONFIG_HOME", Home.path());
    QProcess Program;
    Program.setProcessEnvironment(Env);
    Program.setStandardOutputFile(QProcess::nullDevice());
    Program.setStandardErrorFile(QProcess::nullDevice());
    Program.start(QX_PROGRAM, {"--start-logging"});
    if (!Program.waitForStarted(kTimeoutMs) ||
        !qxbench::WaitFor([&] { return qxbench::LevelRows(sDB) >= kRowsBeforeClose; }, kTimeoutMs))
        throw std::runtime_error("the program did not log");

    QElapsedTimer Close;
    Close.start();
    ::kill(pid_t(Program.processId()), SIGTERM);
    if (!Program.waitForFinished(kTimeoutMs))
        throw std::runtime_error("the program did not end");
    const double fSeconds = double(Close.nsecsElapsed()) / 1e9;
    Meter.terminate();
    Meter.waitForFinished(kTimeoutMs);
    if (Program.exitCode() != 0 || qxbench::LevelRows(sDB) < kRowsBeforeClose)
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
