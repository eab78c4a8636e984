#pragma once

#include "core/Settings.h"
#include "core/Timing.h"

#include <QString>
#include <QStringList>
#include <functional>

// What the instrument manager and the network instrument dialog need from the main window: its settings
// (the instrument list, the active instrument, the language), its message box, its log and status bar,
// the wait window, and where the serial ports come from.
struct TInstrumentManagerContext {
    TSettings* pSettings = nullptr;
    // ShowMessageBox(text, kind, buttons) → the button chosen.
    std::function<int(const QString&, int, int)> ShowMessageBox;
    // One line of the main window's log, with its level suffix.
    std::function<void(const QString&)> AddLog;
    // Sets status bar panel iPanel of the main window.
    std::function<void(int, const QString&)> SetStatusText;
    // Shows the wait window with a text; bFadeIn starts it fully transparent.
    std::function<void(const QString&, bool)> ShowWait;
    std::function<void()> CloseWait;
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
