#pragma once

#include <QString>

// Logging status of the active instrument, shown in the instrument grid.
enum TLoggingStatus : int {
    kStatusDisconnected = 0,
    kStatusConnecting = 1,
    kStatusReady = 2,
    kStatusLogging = 3,
    kStatusWaitingStartTC = 4,
    kStatusWaitingStopTC = 5,
    kStatusLoggingStarted = 6,
    kStatusPaused = 7,
    kStatusWaitingForTC = 8,
};

// One instrument, serial or network: an entry of the instrument list or the active instrument.
struct TInstrumentInfo {
    // Logging status of the active instrument, 0 to 8, shown in the instrument grid.
    int iLoggingStatus = 0;
    QString sInstrumentName;
    QString sHostName;
    // TCP port of a network instrument, or the COM port number of a serial one.
    int iPort = 0;
    QString sUserName;
    QString sPassword;
    // Take the instrument's name from the meter's login banner.
    bool bVovEzodevName = true;
    int iSerialNo = 0;
    // The instrument is reached over a serial port.
    bool bComPort = false;
    // List entry in use; for the active instrument, a network test succeeded.
    bool bValid = false;
};
