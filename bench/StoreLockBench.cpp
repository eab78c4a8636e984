// The window's longest stall while another program holds the session database locked: level reports keep
// arriving ten a second, and a heartbeat timer on the window's thread measures the longest time it was kept
// from running.
#include "app/MainController.h"
#include "bench/BenchTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <SQLiteCpp/SQLiteCpp.h>
#include <chrono>
#include <thread>

namespace {

constexpr int kHoldMs = 3000;
constexpr int kRunMs = 4500;
constexpr int kReportMs = 100;
constexpr int kHeartbeatMs = 5;

// One run: returns the longest gap between heartbeats in milliseconds, or -1 when a row was lost. With
// bLocked another connection holds the file locked from 0.5 s for kHoldMs.
double LongestStallMs(const QString& sFolder, int iRun, bool bLocked) {
    TMainController Ctrl;
    Ctrl.InitialiseDataFolder(sFolder + "/data" + QString::number(iRun));
    const QString sDB = sFolder + "/bench" + QString::number(iRun) + ".DB3";
    if (!Ctrl.SQLConnection.CreateSQLiteDB(sDB) || !Ctrl.SQLConnection.OpenSQLiteDB(sDB))
        return -1;
    Ctrl.HandleLoudnessSetup("1|0|1|1|2|-70|1|-18|-1|1|");

    std::thread Holder([&] {
        if (!bLocked)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        SQLite::Database Other(sDB.toStdString(), SQLite::OPEN_READWRITE, 5000);
        Other.exec("BEGIN EXCLUSIVE;");
        // The other program's long transaction.
        std::this_thread::sleep_for(std::chrono::milliseconds(kHoldMs));
        Other.exec("ROLLBACK;");
    });

    int iSecond = 0;
    QTimer Reports;
    QObject::connect(&Reports, &QTimer::timeout, [&] {
        const QString sTC = QStringLiteral("10:%1:%2:00")
                                .arg(iSecond / 60, 2, 10, QChar('0'))
                                .arg(iSecond % 60, 2, 10, QChar('0'));
        ++iSecond;
        Ctrl.HandleLoudnessData(sTC + "|-1|-20|-22|-30|-3|1|0|-23|1|");
    });
    Reports.start(kReportMs);

    QElapsedTimer Clock;
    Clock.start();
    qint64 iLast = 0;
    qint64 iLongest = 0;
    QTimer Heartbeat;
    QObject::connect(&Heartbeat, &QTimer::timeout, [&] {
        const qint64 iNow = Clock.elapsed();
        iLongest = std::max(iLongest, iNow - iLast);
        iLast = iNow;
        if (iNow >= kRunMs)
            QCoreApplication::quit();
    });
    Heartbeat.start(kHeartbeatMs);
    QCoreApplication::exec();
    Reports.stop();
    Holder.join();
    // Everything that waited must be in the file once the lock is gone.
    QElapsedTimer Drain;
    Drain.start();
    while (Ctrl.Store.WaitingCount() > 0 && Drain.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    SQLite::Database Check(sDB.toStdString(), SQLite::OPEN_READONLY);
    if (Check.execAndGet("SELECT count(*) FROM qxr_loudness_levels;").getInt() != iSecond)
        return -1;
    return double(iLongest);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir Dir;
    std::vector<double> aStallMs;
    std::vector<double> aUnlockedMs;
    for (int i = 0; i < 3; ++i) {
        aStallMs.push_back(LongestStallMs(Dir.path(), 2 * i, true));
        aUnlockedMs.push_back(LongestStallMs(Dir.path(), 2 * i + 1, false));
    }
    // The same rows without the lock: what the disk's own syncs cost the window on this machine.
    qxbench::PrintRow(qxbench::ValueRow("window's longest stall storing rows, database not locked (ms)",
                                        aUnlockedMs, "<=100"));
    qxbench::PrintRow(qxbench::ValueRow("window's longest stall, database locked 3 s by another program (ms)",
                                        aStallMs, "<=100"));
    return 0;
}
