#pragma once

#include "core/AppServices.h"
#include "core/Timing.h"

#include <QString>
#include <QStringList>
#include <functional>

// What the instrument manager and the network instrument dialog work with: the program's services (the
// settings with the instrument list, the active instrument and the language; the message box, the log, the
// status bar and the wait window), and where the serial ports come from.
struct TInstrumentManagerContext {
    IAppServices* pServices = nullptr;
    // The serial port names for the tree; the computer's ports unless a test gives others.
    std::function<QStringList()> LoadPorts;
    // Logs in to the network instrument rCFG on the calling thread, which is never the window's, and
    // disconnects again: a TTelnetLoginResult, with sError the text of a connection error. Empty: the real
    // login (TestNetworkLogin) with rTiming.
    std::function<int(TInstrumentInfo& rCFG, QString& sError)> TelnetLogin;
    // Waits of the serial channel and the login.
    TTimingSettings rTiming;
    // The data folder whose ports folder links COM ports to devices; empty for the user's own.
    QString sDataFolder;
};
