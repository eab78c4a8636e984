#pragma once

#include <QString>

// Why a COM port's device could not be opened, in words the user can act on: the device is missing, the
// user may not use it (and which group would let them), another program holds it, or another failure
// with the system's own words.

enum class TPortOpenCause { None, NoDevice, PermissionDenied, Busy, Other };

struct TPortOpenFailure {
    TPortOpenCause Cause = TPortOpenCause::None;
    int iPort = 0;
    // The path the port resolved to (a link in the data folder's ports folder, or a device).
    QString sPath;
    // The device behind it, links followed; the path itself when it leads nowhere.
    QString sDevice;
    // The system's own words for the failure.
    QString sSystemError;
    // The group whose members may read and write the device; empty when membership would not help.
    QString sGroup;

    bool Failed() const { return Cause != TPortOpenCause::None; }
};

// The cause an errno of open(2) stands for.
TPortOpenCause PortOpenCauseOfErrno(int iErrno);

// A failure of port iPort at sPath with the given cause and system text; the device behind sPath and its
// group are read from the file system.
TPortOpenFailure DescribePortOpenFailure(int iPort, const QString& sPath, TPortOpenCause Cause,
                                         const QString& sSystemError);

// After the serial port library refused to open sPath (bLibraryPermissionError: it reported a permission
// error, which also stands for its lock on a port another program holds; sLibraryError: its words), finds
// out why by opening the device once more directly. Blocks briefly; any thread.
TPortOpenFailure DiagnosePortOpen(int iPort, const QString& sPath, bool bLibraryPermissionError,
                                  const QString& sLibraryError);

// The paragraph that tells the user the cause and what to do, in language iLNG; empty when nothing failed.
QString PortOpenFailureText(const TPortOpenFailure& rFailure, int iLNG);
// The engine log line: port, path, device and the system's words, as a problem.
QString PortOpenFailureLog(const TPortOpenFailure& rFailure);
