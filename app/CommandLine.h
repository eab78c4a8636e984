#pragma once

#include <QString>
#include <QStringList>

// What the program was asked for on its command line. Started without options it runs as always: the
// user's own data folder, the main window.
struct TCommandLine {
    bool bShowVersion = false;
    bool bShowHelp = false;
    // The data folder to run with instead of the user's own (absolute); empty for the default.
    QString sDataFolder;
    // Unattended stations: connect to the selected instrument once the window is shown, and start logging
    // as soon as the meter is ready (bStartLogging implies bConnect).
    bool bConnect = false;
    bool bStartLogging = false;
    // The logging station without windows or a display: connects, logs one session from the settings, and
    // ends on SIGTERM or SIGINT.
    bool bHeadless = false;
    // Why the command line was refused; empty when it was understood.
    QString sError;
    // The option list, for --help and for a refused command line.
    QString sHelpText;
};

// Reads the program's options from slArguments (the program's name first). Options the windowing toolkit
// takes for itself (-platform, -style, ...) are no error when bAllowUnknown is set: they are read before
// the toolkit has removed them.
TCommandLine ParseCommandLine(const QStringList& slArguments, bool bAllowUnknown);

// "QX-Logging" and the program's four-number version.
QString VersionLine();
