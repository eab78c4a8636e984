// What the unattended station costs the machine it runs on, measured on the real program as a process
// against the meter simulator on a pseudo-terminal:
// - its CPU while it logs one report a second, against the main window logging the same meter the same
//   way at the same time (each read from the process's own utime + stime over the same stretch);
// - its resident memory after a simulated week of rows against after the first hour: the meter reports
//   far faster than real time, its timecode one second further at every report, so that a week's rows
//   arrive in minutes.

#include "bench/BenchTable.h"
#include "bench/MeterProcesses.h"
#include "bench/ResidentMemory.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <SQLiteCpp/SQLiteCpp.h>

#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr int kTimeoutMs = 60000;
constexpr int kMeterPort = 7;
// Rows stored before a CPU stretch begins: connecting and the session's start are behind the program.
constexpr int kWarmUpRows = 3;
// A week's run fails when the stored rows do not move for this long.
constexpr int kStallMs = 60000;
constexpr int kRowsPerDay = 86400;
constexpr double kMB = 1024.0 * 1024.0;

struct TOptions {
    int iCPUSeconds = 60;
    int iWeekRows = 7 * kRowsPerDay;
    int iHourRows = 3600;
    int iFastIntervalMs = 1;
    // The engine's pause after each datagram in the memory run (the program's own is 25 ms, at most 40 rows
    // a second).
    int iDatagramPauseMs = 0;
};

// utime + stime of process iPid in seconds, from /proc/<pid>/stat.
double ProcessCPUSeconds(qint64 iPid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(iPid));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the CPU times of a process");
    const QByteArray aStat = f.readAll();
    // The command name (field 2) may hold spaces: the fields are counted after its closing parenthesis,
    // where field 3 begins, so utime (14) and stime (15) are the 12th and 13th.
    const qsizetype iNameEnd = aStat.lastIndexOf(')');
    const QList<QByteArray> aFields = aStat.mid(iNameEnd + 2).split(' ');
    if (iNameEnd < 0 || aFields.size() < 13)
        throw std::runtime_error("unexpected /proc/<pid>/stat");
    return (aFields[11].toDouble() + aFields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// Rows whose timecode is not one second after the one of the row before: the meter counts one second a
// report, so every report missing from the database leaves one.
int TimecodeGaps(const QString& sDB) {
    SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY, 2000);
    SQLite::Statement Rows(DB, "SELECT sTimeCode FROM qxr_loudness_levels ORDER BY nId;");
    int iGaps = 0;
    int iLast = -1;
    while (Rows.executeStep()) {
        const QString sTimecode = QString::fromStdString(Rows.getColumn(0).getString());
        const int iSecond = sTimecode.mid(0, 2).toInt() * 3600 + sTimecode.mid(3, 2).toInt() * 60 +
                            sTimecode.mid(6, 2).toInt();
        if (iLast >= 0 && iSecond != (iLast + 1) % kRowsPerDay)
            ++iGaps;
        iLast = iSecond;
    }
    return iGaps;
}

// Where the memory run keeps its database: a file system in memory where there is one, because a disk
// that syncs every committed row (some 40 a second here) would make a week's rows take hours.
QString MemoryFileSystem() {
    const QFileInfo Shm(QStringLiteral("/dev/shm"));
    return Shm.isDir() && Shm.isWritable() ? Shm.filePath() : QDir::tempPath();
}

QString Thousands(int i) {
    return QLocale(QLocale::English).toString(i);
}

// One program logging from its own simulated meter into its own data folder and database.
class TLoggingProgram {
public:
    // The data folder and the database go to a new folder under sRoot.
    TLoggingProgram(const QStringList& slMeterOptions, const QStringList& slProgramOptions,
                    const QString& sRoot = QDir::tempPath(), const QProcessEnvironment& Extra = {})
        : Home(sRoot + "/qxbench-station-XXXXXX") {
        if (!Home.isValid())
            throw std::runtime_error("cannot make a temporary folder");
        qxbench::PrepareLoggingFolder(Folder(), DB(), kMeterPort);
        qxbench::StartSerialMeter(Meter, QX_METER_SIM, Folder(), kMeterPort, slMeterOptions, kTimeoutMs);
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        // A window needs no display to log: without a platform named it draws off screen.
        if (!Env.contains("QT_QPA_PLATFORM"))
            Env.insert("QT_QPA_PLATFORM", "offscreen");
        for (const QString& sName : Extra.keys())
            Env.insert(sName, Extra.value(sName));
        Program.setProcessEnvironment(Env);
        Program.setStandardOutputFile(QProcess::nullDevice());
        Program.setStandardErrorFile(Home.path() + "/journal.txt");
        Program.start(QX_PROGRAM, QStringList{"--config-dir", Folder()} + slProgramOptions);
        if (!Program.waitForStarted(kTimeoutMs))
            throw std::runtime_error("the program did not start");
    }

    ~TLoggingProgram() {
        if (Program.state() != QProcess::NotRunning) {
            Program.kill();
            Program.waitForFinished(kTimeoutMs);
        }
        Meter.terminate();
        Meter.waitForFinished(kTimeoutMs);
    }

    TLoggingProgram(const TLoggingProgram&) = delete;
    TLoggingProgram& operator=(const TLoggingProgram&) = delete;

    QString Folder() const { return Home.path() + "/data"; }
    QString DB() const { return Home.path() + "/Bench.DB3"; }
    qint64 Pid() const { return Program.processId(); }
    bool Running() const { return Program.state() == QProcess::Running; }

    // The station's "rows_stored" of its status file; -1 while there is none to read.
    int StatusRows() const {
        QFile f(Folder() + "/status.json");
        if (!f.open(QIODevice::ReadOnly))
            return -1;
        return QJsonDocument::fromJson(f.readAll()).object().value("rows_stored").toInt(-1);
    }

    void WaitForRows(int iRows) const {
        if (!qxbench::WaitFor([&] { return !Running() || qxbench::LevelRows(DB()) >= iRows; }, kTimeoutMs) ||
            !Running())
            throw std::runtime_error("the program did not log: " + Journal());
    }

    // SIGTERM, as a service manager or a logout ends it; the program must end cleanly.
    void Stop() {
        ::kill(pid_t(Pid()), SIGTERM);
        if (!Program.waitForFinished(kTimeoutMs) || Program.exitStatus() != QProcess::NormalExit ||
            Program.exitCode() != 0)
            throw std::runtime_error("the program did not end cleanly: " + Journal());
    }

    std::string Journal() const {
        QFile f(Home.path() + "/journal.txt");
        return f.open(QIODevice::ReadOnly) ? f.readAll().right(2000).toStdString() : std::string();
    }

private:
    QTemporaryDir Home;
    QProcess Meter;
    QProcess Program;
};

// The station and the window logging one report a second side by side, each from its own meter; the
// same stretch of iSeconds is measured on both once each has a few rows stored.
void MeasureCPU(int iSeconds) {
    const QStringList slMeter{"--interval-ms", "1000"};
    TLoggingProgram Station(slMeter, {"--headless"});
    TLoggingProgram Window(slMeter, {"--start-logging"});
    Station.WaitForRows(kWarmUpRows);
    Window.WaitForRows(kWarmUpRows);

    const int iStationRows = qxbench::LevelRows(Station.DB());
    const int iWindowRows = qxbench::LevelRows(Window.DB());
    QElapsedTimer Wall;
    Wall.start();
    const double fStation0 = ProcessCPUSeconds(Station.Pid());
    const double fWindow0 = ProcessCPUSeconds(Window.Pid());
    QThread::sleep(static_cast<unsigned long>(iSeconds));
    const double fStation1 = ProcessCPUSeconds(Station.Pid());
    const double fWindow1 = ProcessCPUSeconds(Window.Pid());
    const double fWall = double(Wall.nsecsElapsed()) / 1e9;

    // Both logged all along: the figure is not that of a program that stopped.
    const int iStationLogged = qxbench::LevelRows(Station.DB()) - iStationRows;
    const int iWindowLogged = qxbench::LevelRows(Window.DB()) - iWindowRows;
    if (iStationLogged < iSeconds * 9 / 10 || iWindowLogged < iSeconds * 9 / 10)
        throw std::runtime_error("a program stopped logging during the CPU measurement: station " +
                                 Station.Journal() + " window " + Window.Journal());
    Station.Stop();
    Window.Stop();

    const double fStationShare = (fStation1 - fStation0) / fWall * 100.0;
    const double fWindowShare = (fWindow1 - fWindow0) / fWall * 100.0;
    std::fprintf(stderr, "CPU over %.1f s: station %.3f s (%d rows), window %.3f s (%d rows)\n", fWall,
                 fStation1 - fStation0, iStationLogged, fWindow1 - fWindow0, iWindowLogged);
    const double fRatio = fWindowShare > 0 ? fStationShare / fWindowShare : 0;
    char sStation[32], sWindow[32];
    std::snprintf(sStation, sizeof sStation, "%.3f", fStationShare);
    std::snprintf(sWindow, sizeof sWindow, "%.3f", fWindowShare);
    qxbench::PrintRow({"headless station CPU logging 1 report/s vs the window logging the same, " +
                           std::to_string(iSeconds) + " s (% of a core)",
                       sStation, sWindow, fRatio, fRatio, fRatio, "<=0.5 and ratio <1"});
}

// The station logging from a meter that reports every iFastIntervalMs: resident memory once the first
// hour's rows are stored and once the week's are, with a line on standard error at every day's rows.
void MeasureWeekMemory(const TOptions& o) {
    QProcessEnvironment Pacing;
    Pacing.insert("QX_DATAGRAM_PAUSE_MS", QString::number(o.iDatagramPauseMs));
    TLoggingProgram Station(
        {"--interval-ms", QString::number(o.iFastIntervalMs), "--start-timecode", "00:00:00:00"},
        {"--headless"}, MemoryFileSystem(), Pacing);
    QElapsedTimer Run;
    Run.start();
    double fHourBytes = 0;
    int iNextDay = kRowsPerDay;
    int iRows = 0;
    int iLastRows = -1;
    QElapsedTimer SinceProgress;
    SinceProgress.start();
    while (iRows < o.iWeekRows) {
        QThread::msleep(100);
        if (!Station.Running())
            throw std::runtime_error("the station ended: " + Station.Journal());
        iRows = Station.StatusRows();
        if (iRows != iLastRows) {
            iLastRows = iRows;
            SinceProgress.restart();
        } else if (SinceProgress.elapsed() > kStallMs) {
            throw std::runtime_error("the station stored no rows for a minute: " + Station.Journal());
        }
        if (fHourBytes == 0 && iRows >= o.iHourRows) {
            fHourBytes = qxbench::ResidentBytesOf(Station.Pid());
            std::fprintf(stderr, "%s rows after %.0f s: %.2f MB resident\n", qPrintable(Thousands(iRows)),
                         double(Run.elapsed()) / 1000, fHourBytes / kMB);
        }
        if (iRows >= iNextDay && iRows < o.iWeekRows) {
            std::fprintf(stderr, "%s rows after %.0f s: %.2f MB resident\n", qPrintable(Thousands(iRows)),
                         double(Run.elapsed()) / 1000, qxbench::ResidentBytesOf(Station.Pid()) / kMB);
            iNextDay = (iRows / kRowsPerDay + 1) * kRowsPerDay;
        }
    }
    const double fWeekBytes = qxbench::ResidentBytesOf(Station.Pid());
    std::fprintf(stderr, "%s rows after %.0f s: %.2f MB resident\n", qPrintable(Thousands(iRows)),
                 double(Run.elapsed()) / 1000, fWeekBytes / kMB);
    Station.Stop();
    // Every row the meter reported is stored: a station that keeps memory low by dropping rows fails here.
    const int iStored = qxbench::LevelRows(Station.DB());
    const int iGaps = TimecodeGaps(Station.DB());
    std::fprintf(stderr, "%s rows stored, %d gaps\n", qPrintable(Thousands(iStored)), iGaps);
    if (iStored < o.iWeekRows || iGaps > 0)
        throw std::runtime_error("the station lost rows the meter reported");
    if (fHourBytes <= 0 || fWeekBytes <= 0)
        throw std::runtime_error("cannot read the station's resident memory");

    const double fRatio = fWeekBytes / fHourBytes;
    char sWeek[32], sHour[32];
    std::snprintf(sWeek, sizeof sWeek, "%.2f", fWeekBytes / kMB);
    std::snprintf(sHour, sizeof sHour, "%.2f", fHourBytes / kMB);
    qxbench::PrintRow({"headless station resident memory after " + Thousands(o.iWeekRows).toStdString() +
                           " rows vs after " + Thousands(o.iHourRows).toStdString() + " (MB)",
                       sWeek, sHour, fRatio, fRatio, fRatio, "<=reference+5 MB"});
}

TOptions ReadOptions(const QCoreApplication& app) {
    QCommandLineParser Parser;
    Parser.setApplicationDescription(
        QStringLiteral("The headless station's CPU at one report a second against the window's, and its "
                       "resident memory after a simulated week of rows."));
    Parser.addHelpOption();
    TOptions o;
    struct TNumberOption {
        QCommandLineOption Option;
        int iMin;
        int& iValue;
    };
    const auto Number = [](const char* sName, const char* sText, int iDefault) {
        return QCommandLineOption(QString::fromLatin1(sName),
                                  QString::fromLatin1(sText) + QStringLiteral(" (default %1).").arg(iDefault),
                                  QStringLiteral("N"));
    };
    TNumberOption aOptions[] = {
        {Number("cpu-seconds", "Seconds of the CPU measurement; 0 leaves it out", o.iCPUSeconds), 0,
         o.iCPUSeconds},
        {Number("rows", "Rows of the memory run; 0 leaves it out", o.iWeekRows), 0, o.iWeekRows},
        {Number("first-rows", "Rows at the first memory reading", o.iHourRows), 1, o.iHourRows},
        {Number("fast-interval-ms", "The meter's milliseconds between reports in the memory run",
                o.iFastIntervalMs),
         1, o.iFastIntervalMs},
        {Number("datagram-pause-ms", "The engine's pause after each datagram in the memory run",
                o.iDatagramPauseMs),
         0, o.iDatagramPauseMs},
    };
    for (const TNumberOption& r : aOptions)
        Parser.addOption(r.Option);
    Parser.process(app);
    for (const TNumberOption& r : aOptions) {
        if (!Parser.isSet(r.Option))
            continue;
        bool bOk = false;
        const int i = Parser.value(r.Option).toInt(&bOk);
        if (!bOk || i < r.iMin)
            throw std::runtime_error("--" + r.Option.names().constFirst().toStdString() +
                                     " must be at least " + std::to_string(r.iMin));
        r.iValue = i;
    }
    if (o.iWeekRows > 0 && o.iHourRows > o.iWeekRows)
        throw std::runtime_error("--first-rows must not exceed --rows");
    return o;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        const TOptions o = ReadOptions(app);
        if (o.iCPUSeconds > 0)
            MeasureCPU(o.iCPUSeconds);
        if (o.iWeekRows > 0)
            MeasureWeekMemory(o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
