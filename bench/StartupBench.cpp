// Start-up of the program to its main window shown and its event loop's first wait, against an empty main
// window started the same way. Both run as whole processes, alternately; each ends itself at that moment
// (QX_STARTUP_PROBE), so what is timed is the start of a fresh process up to its "idle" line.

#include "bench/BenchTable.h"
#include "store/dbSQLite.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kRepetitions = 11;
constexpr int kTimeoutMs = 60000;

// A data folder that has been used before: settings naming an existing session database, so the program
// starts the way it usually does, without the first-start question.
bool PrepareConfigHome(const QString& sHome) {
    const QString sFolder = sHome + "/Kelmoria/QXLogging";
    const QString sDB = sFolder + "/Bench.DB3";
    if (!QDir().mkpath(sFolder) || !TdbSQLite().CreateSQLiteDB(sDB))
        return false;
    QFile Ini(sFolder + "/QXLogging.INI");
    if (!Ini.open(QIODevice::WriteOnly))
        return false;
    Ini.write("[Configuration]\r\nLastDB=" + sDB.toUtf8() + "\r\n");
    return true;
}

// Runs sProgram once to its "idle" line.
void RunToIdle(const QString& sProgram, const QProcessEnvironment& Env) {
    QProcess Process;
    Process.setProcessEnvironment(Env);
    Process.setStandardErrorFile(QProcess::nullDevice());
    Process.start(sProgram, {});
    while (!Process.canReadLine()) {
        if (!Process.waitForReadyRead(kTimeoutMs))
            throw std::runtime_error("no idle line from " + sProgram.toStdString());
    }
    if (Process.readLine().trimmed() != "idle")
        throw std::runtime_error("unexpected output from " + sProgram.toStdString());
    Process.waitForFinished(kTimeoutMs);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir Home;
    if (!Home.isValid() || !PrepareConfigHome(Home.path())) {
        std::fprintf(stderr, "cannot prepare a data folder\n");
        return 1;
    }
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert("XDG_CONFIG_HOME", Home.path());
    Env.insert("QX_STARTUP_PROBE", "1");
    // On an X display, as users start it, when there is one; and without a display, where the shared
    // libraries' loading weighs more against the empty window's smaller work.
    struct TPlatform {
        const char* sName;
        const char* sFigure;
    };
    std::vector<TPlatform> aPlatforms;
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        aPlatforms.push_back({"xcb", "start-up to first idle vs empty main window, X display (s)"});
    aPlatforms.push_back({"offscreen", "start-up to first idle vs empty main window, no display (s)"});
    try {
        for (const TPlatform& r : aPlatforms) {
            Env.insert("QT_QPA_PLATFORM", r.sName);
            // One start of each first, so both find their libraries in the file cache.
            RunToIdle(QX_PROGRAM, Env);
            RunToIdle(QX_EMPTY_WINDOW, Env);
            const qxbench::TPairedTimes t = qxbench::MeasurePaired(
                [&] { RunToIdle(QX_PROGRAM, Env); }, [&] { RunToIdle(QX_EMPTY_WINDOW, Env); }, kRepetitions);
            qxbench::PrintRow(qxbench::RatioRow(r.sFigure, t, "<=1.5"));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
