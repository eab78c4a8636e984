#include "app/CommandLine.h"

#include "core/Version.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

QString VersionLine() {
    return QStringLiteral("QX-Logging " QX_VERSION_TEXT);
}

TCommandLine ParseCommandLine(const QStringList& slArguments, bool bAllowUnknown) {
    QCommandLineParser Parser;
    Parser.setApplicationDescription(
        QStringLiteral("Records the measurements of loudness meters into session databases and lets you "
                       "review and export them."));
    const QCommandLineOption HelpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Shows these options and ends."));
    const QCommandLineOption VersionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Shows the program's version and ends."));
    const QCommandLineOption ConfigDirOption(
        QStringLiteral("config-dir"),
        QStringLiteral("Runs with DIR as the data folder (settings, engine trace, serial port links) "
                       "instead of the user's own; DIR is created when missing."),
        QStringLiteral("DIR"));
    const QCommandLineOption ConnectOption(
        QStringLiteral("connect"),
        QStringLiteral("Connects to the selected instrument once the window is shown, as the Connect button "
                       "would."));
    const QCommandLineOption StartLoggingOption(
        QStringLiteral("start-logging"),
        QStringLiteral("Connects, and starts logging as soon as the instrument is ready, as the Start button "
                       "would."));
    const QCommandLineOption HeadlessOption(
        QStringLiteral("headless"),
        QStringLiteral("Runs the logging station without windows or a display: connects to the selected "
                       "instrument, logs into the working database with the title of [Station] "
                       "TitleTemplate, reports each event on standard error and writes status.json in the "
                       "data folder; SIGTERM or SIGINT ends it."));
    Parser.addOption(HelpOption);
    Parser.addOption(VersionOption);
    Parser.addOption(ConfigDirOption);
    Parser.addOption(ConnectOption);
    Parser.addOption(StartLoggingOption);
    Parser.addOption(HeadlessOption);

    TCommandLine r;
    const bool bParsed = Parser.parse(slArguments);
    // Without an application object the parser knows no program name for its usage line.
    const QString sProgram =
        slArguments.isEmpty() ? QStringLiteral("qxlogging") : QFileInfo(slArguments.constFirst()).fileName();
    r.sHelpText = Parser.helpText().replace(QStringLiteral("<executable_name>"), sProgram);
    r.bShowHelp = Parser.isSet(HelpOption);
    r.bShowVersion = Parser.isSet(VersionOption);
    r.bStartLogging = Parser.isSet(StartLoggingOption);
    r.bConnect = r.bStartLogging || Parser.isSet(ConnectOption);
    r.bHeadless = Parser.isSet(HeadlessOption);
    if (!bParsed && !bAllowUnknown) {
        r.sError = Parser.errorText();
        return r;
    }
    if (!Parser.positionalArguments().isEmpty() && !bAllowUnknown) {
        r.sError = QStringLiteral("Unexpected argument: ") + Parser.positionalArguments().constFirst();
        return r;
    }
    if (Parser.isSet(ConfigDirOption)) {
        const QString sDir = Parser.value(ConfigDirOption);
        if (sDir.isEmpty())
            r.sError = QStringLiteral("--config-dir needs a folder.");
        else
            r.sDataFolder = QDir::cleanPath(QDir(sDir).absolutePath());
    }
    return r;
}
