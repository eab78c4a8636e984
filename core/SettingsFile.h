#pragma once

#include "core/Scrambler.h"
#include "core/Settings.h"

#include <QRect>
#include <QString>
#include <QStringList>

// Reading and writing the settings file QXLogging.INI.
//
// ReadIni only fills the records. Applying them is the main window's work: opening the database named by
// sDatabaseFileName (and, on failure, the no-database state and bShowDBSelectWindow), the status bar
// panels, window placement (see PlacementForMonitors), the chart window, the data filter dialog and the
// auto-start check box.

// Reads every section into r. A missing or unreadable file, section or key gives the defaults; values that
// do not parse give their key's default. Network instruments are appended to r.aNetworkInstruments. Decrypt
// errors of stored credentials go to fnLog. Returns false when a colour-name value is neither a colour name
// nor a number: reading stops at that key, the values read before it keep their new values.
bool ReadIni(const QString& sINI, TSettings& r, const TLogLine& fnLog = {});

// Writes every setting back into the file at sINI, keeping the sections and keys the program does not
// know. r.rWindow.MonitorCount must hold the number of monitors attached now. On failure (also when the
// file exists but cannot be read) sError is "Unable to write to <path>" and the file is left as it was.
bool WriteIni(const QString& sINI, const TSettings& r, QString& sError);

// Recovery from a settings file that could not be read: copies it beside itself to sCopy, named
// sINI + ".unreadable-" + date and time (never replacing an earlier copy), then deletes it. Returns whether
// both succeeded; the caller then reads again. Without a copy the file is not deleted; sError says why.
bool RecoverSettingsFile(const QString& sINI, QString& sCopy, QString& sError);
// Why the settings file sINI exists but cannot be read (a folder in its place, no permission); empty when
// it can be read or does not exist.
QString SettingsFileProblem(const QString& sINI);

// The address block of the PDF report when the file holds none.
QStringList DefaultPDFUserText();

// The main window's placement at start: the stored one, or left 10, top 10, 800 by 600 when the file was
// written with another number of monitors attached than iMonitorsNow (a stored count of 0 never resets).
TWindowPlacement PlacementForMonitors(const TWindowPlacement& rStored, int iMonitorsNow);

// The placement fitted to a screen's free area rAvailable, so that the whole window and its title bar (the
// iFrameTop pixels of frame above the placement's top) can be reached: too large a size shrinks to the
// area, then a window beyond an edge moves in.
TWindowPlacement FitPlacementToScreen(const TWindowPlacement& rPlace, const QRect& rAvailable, int iFrameTop);

// sIn shortened for display to iLength characters: in file mode the first six characters, an elided
// folder part and the whole file name; otherwise the first iLength characters followed by "...".
QString TruncateString(const QString& sIn, int iLength, bool bFileMode);
