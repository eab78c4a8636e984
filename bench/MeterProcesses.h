#pragma once

// The whole-program benchmarks' set-up: a data folder whose settings select the simulated serial meter and
// a fresh working database, the meter simulator serving that port on a pseudo-terminal, and the waits
// between them.

#include "meter/ComPorts.h"
#include "store/dbSQLite.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <SQLiteCpp/SQLiteCpp.h>

#include <stdexcept>

namespace qxbench {

// Polls fnDone every iPollMs until it is true; false after iMs.
template <typename F> bool WaitFor(F fnDone, int iMs, int iPollMs = 20) {
    QElapsedTimer Timer;
    Timer.start();
    while (!fnDone()) {
        if (Timer.elapsed() > iMs)
            return false;
        QThread::msleep(iPollMs);
    }
    return true;
}

// The level rows sDB holds; 0 while it cannot be read.
inline int LevelRows(const QString& sDB) {
    try {
        SQLite::Database DB(sDB.toStdString(), SQLite::OPEN_READONLY, 2000);
        return DB.execAndGet("SELECT count(*) FROM qxr_loudness_levels").getInt();
    } catch (const std::exception&) {
        return 0;
    }
}

// Creates sFolder and the database sDB, and settings that log from serial port iPort into sDB without
// asking for a session's description.
inline void PrepareLoggingFolder(const QString& sFolder, const QString& sDB, int iPort) {
    if (!QDir().mkpath(sFolder) || !TdbSQLite().CreateSQLiteDB(sDB))
        throw std::runtime_error("cannot prepare a data folder");
    QFile Ini(sFolder + "/QXLogging.INI");
    if (!Ini.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the settings");
    Ini.write(("[Configuration]\nLastDB=" + sDB +
               "\nAskSessionInfo=0\n[CurrentNetwork]\nSerialPort=1\nPort=" + QString::number(iPort) +
               "\nValid=1\n")
                  .toUtf8());
}

// Starts the simulator sSimulator as a serial meter on port iPort of sFolder with slOptions, and returns
// once its link is there.
inline void StartSerialMeter(QProcess& rMeter, const QString& sSimulator, const QString& sFolder, int iPort,
                             const QStringList& slOptions, int iTimeoutMs) {
    rMeter.setProcessChannelMode(QProcess::MergedChannels);
    rMeter.start(sSimulator, QStringList{"serial", "--link", ComPortLinkPath(sFolder, iPort)} + slOptions);
    QByteArray aOut;
    if (!rMeter.waitForStarted(iTimeoutMs) ||
        !WaitFor(
            [&] {
                rMeter.waitForReadyRead(20);
                return aOut.append(rMeter.readAll()).contains("linked at");
            },
            iTimeoutMs))
        throw std::runtime_error("the meter simulator did not start");
}

} // namespace qxbench
