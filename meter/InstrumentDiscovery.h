#pragma once

#include "core/InstrumentInfo.h"
#include "core/Timing.h"
#include "meter/PortOpenError.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

// The serial ports of the computer as COM names, and probing them for a meter.

// The number of a port name: the integer its digits 0 to 9 form; -1 when it has none or they do not fit
// a port number.
int PortNumberOfName(const QString& sName);

// Port names ordered by number: alphabetical first, then each inserted after every entry whose number is
// smaller or equal, so equal numbers keep their alphabetical order. Names without a number are left out,
// and a name listed twice is kept once.
QStringList SortPortNames(const QStringList& slNames);

// The COM name of a conventional serial device (/dev/ttyUSB2 is COM35); empty for any other device.
QString ComNameOfDevice(const QString& sSystemLocation);

// The COM names linked in <sDataFolder>/ports.
QStringList LinkedPortNames(const QString& sDataFolder);

// The names of the ports the system reports, as COM names.
QStringList SystemPortNames();

// Every serial port of the computer, ordered by number: the linked ports of the data folder and the
// ports the system reports.
QStringList LoadPorts(const QString& sDataFolder);

// What probing a port found.
struct TPortProbe {
    // The port probed; 0 when a search found nothing.
    int iPort = 0;
    bool bFound = false;
    // Identification of the meter found.
    QString sTypeName;
    QString sIOString;
    int iSerialNo = 0;
    // Why a port could not be opened: the probed port, or the first port of a search whose device is there
    // but could not be opened.
    TPortOpenFailure OpenFailure;
};

// Opens port iPort and asks the meter there who it is; the ports folder of sDataFolder (the user's own when
// empty) may link the port to its device. Blocks; the channel is created, used and freed on the calling
// thread.
TPortProbe ProbePort(int iPort, const TTimingSettings& rTiming, const QString& sDataFolder = QString());

// Probes the ports in order with one channel and stops at the first meter: the ports after it are never
// opened. bFound is false when none answered.
TPortProbe FindInstrument(const QVector<int>& aPorts, const TTimingSettings& rTiming,
                          const QString& sDataFolder = QString());

// Logs in to the network instrument rNetworkCFG and disconnects again: a TTelnetLoginResult, with the
// serial number and unit name filled on success and the connection's error text in sError when it could
// not be made. Blocks; the terminal client lives and dies on the calling thread.
int TestNetworkLogin(TInstrumentInfo& rNetworkCFG, const TTimingSettings& rTiming, QString& sError);

// Runs fnWork on a thread of its own and returns when it has ended, processing the calling thread's events
// meanwhile, so the windows stay painted while a port or a login is waited on.
void RunOffUIThread(const std::function<void()>& fnWork);
