#include "tools/SimCommands.h"
#include "tools/SimVanishOptions.h"
#include "tools/sim/SimMeterConfig.h"
#include "tools/sim/SimNetworkMeter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

bool ParseNumber(const QString& sText, int iMin, int iMax, int& iValue) {
    bool bOk = false;
    const int i = sText.toInt(&bOk);
    if (!bOk || i < iMin || i > iMax)
        return false;
    iValue = i;
    return true;
}

int Fail(const QString& sMessage) {
    std::fprintf(stderr, "qxmeter-sim network: %s\n", qPrintable(sMessage));
    return 2;
}

} // namespace

int RunNetworkSimulator(const QStringList& slArgs) {
    QCommandLineParser Parser;
    Parser.setApplicationDescription(
        QStringLiteral("A network meter on 127.0.0.1: terminal login, then a text-command meter. Prints the "
                       "port it listens on and runs until terminated."));
    Parser.addHelpOption();
    const QCommandLineOption optPort(QStringLiteral("port"),
                                     QStringLiteral("TCP port; 0 lets the system choose (printed)."),
                                     QStringLiteral("N"));
    const QCommandLineOption optUser(QStringLiteral("user"), QStringLiteral("Login name (default admin)."),
                                     QStringLiteral("U"));
    const QCommandLineOption optPassword(QStringLiteral("password"),
                                         QStringLiteral("Password (default qxmeter)."), QStringLiteral("P"));
    const QCommandLineOption optSerial(QStringLiteral("serial-number"),
                                       QStringLiteral("Serial number in the banner."), QStringLiteral("N"));
    const QCommandLineOption optUnitName(QStringLiteral("unit-name"),
                                         QStringLiteral("Unit name in the banner."), QStringLiteral("TEXT"));
    const QCommandLineOption optWrongLogin(
        QStringLiteral("wrong-login"),
        QStringLiteral("After wrong credentials: prompt (prompt again) or close (banner, then close)."),
        QStringLiteral("MODE"), QStringLiteral("prompt"));
    const QCommandLineOption optTimecode(QStringLiteral("start-timecode"),
                                         QStringLiteral("Timecode of the first report."),
                                         QStringLiteral("hh:mm:ss:ff"));
    const QCommandLineOption optInterval(
        QStringLiteral("interval-ms"),
        QStringLiteral("Time between reports; below 1000 is faster than real time."), QStringLiteral("MS"));
    const QCommandLineOption optDrop(QStringLiteral("drop-after-ms"),
                                     QStringLiteral("Drop the connection this long after a login."),
                                     QStringLiteral("MS"));
    const QCommandLineOption optFreeze(QStringLiteral("freeze-timecode"),
                                       QStringLiteral("Every report carries the same timecode."));
    const QCommandLineOption optPaused(QStringLiteral("paused"), QStringLiteral("Send paused reports."));
    const QCommandLineOption optSplitPrompts(QStringLiteral("split-prompts-ms"),
                                             QStringLiteral("Send each prompt in two writes this far apart."),
                                             QStringLiteral("MS"));
    const QCommandLineOption optSplitLines(QStringLiteral("split-lines-ms"),
                                           QStringLiteral("Send each line in two writes this far apart."),
                                           QStringLiteral("MS"));
    const QCommandLineOption optLFCR(QStringLiteral("lf-cr"), QStringLiteral("End lines LF CR."));
    Parser.addOptions({optPort, optUser, optPassword, optSerial, optUnitName, optWrongLogin, optTimecode,
                       optInterval, optDrop, optFreeze, optPaused, optSplitPrompts, optSplitLines, optLFCR});
    const TSimVanishOptions VanishOptions;
    VanishOptions.AddTo(Parser);
    Parser.process(slArgs);

    TSimNetworkConfig Config;
    int iValue = 0;
    if (!Parser.isSet(optPort) || !ParseNumber(Parser.value(optPort), 0, 65535, iValue))
        return Fail(QStringLiteral("--port N (0 to 65535) is required"));
    Config.iPort = quint16(iValue);
    if (Parser.isSet(optUser))
        Config.sUserName = Parser.value(optUser);
    if (Parser.isSet(optPassword))
        Config.sPassword = Parser.value(optPassword);
    if (Parser.isSet(optSerial)) {
        if (!ParseNumber(Parser.value(optSerial), 0, 999999999, iValue))
            return Fail(QStringLiteral("--serial-number is 0 to 999999999"));
        Config.iSerialNumber = iValue;
    }
    if (Parser.isSet(optUnitName))
        Config.sUnitName = Parser.value(optUnitName);
    const QString sWrongLogin = Parser.value(optWrongLogin);
    if (sWrongLogin == QLatin1String("close"))
        Config.eWrongLogin = TSimWrongLogin::BannerAndClose;
    else if (sWrongLogin != QLatin1String("prompt"))
        return Fail(QStringLiteral("--wrong-login is prompt or close"));
    if (Parser.isSet(optTimecode)) {
        Config.iStartSecond = ParseSimTimecode(Parser.value(optTimecode));
        if (Config.iStartSecond < 0)
            return Fail(QStringLiteral("--start-timecode is hh:mm:ss:ff"));
    }
    if (Parser.isSet(optInterval)) {
        if (!ParseNumber(Parser.value(optInterval), 1, 3600 * 1000, iValue))
            return Fail(QStringLiteral("--interval-ms is 1 to 3600000"));
        Config.iReportIntervalMs = iValue;
        Config.iInitReportDelayMs = std::min(Config.iInitReportDelayMs, iValue);
    }
    const std::pair<const QCommandLineOption*, int*> aDelays[] = {
        {&optDrop, &Config.iDropAfterMs},
        {&optSplitPrompts, &Config.iSplitPromptMs},
        {&optSplitLines, &Config.iSplitLineMs},
    };
    for (const auto& [pOption, pValue] : aDelays) {
        if (!Parser.isSet(*pOption))
            continue;
        if (!ParseNumber(Parser.value(*pOption), 0, 3600 * 1000, *pValue))
            return Fail(QStringLiteral("--%1 is 0 to 3600000").arg(pOption->names().constFirst()));
    }
    Config.bFreezeTimecode = Parser.isSet(optFreeze);
    Config.bPausedReports = Parser.isSet(optPaused);
    Config.bLFCR = Parser.isSet(optLFCR);
    QString sError;
    if (!VanishOptions.Read(Parser, Config.rVanish, sError))
        return Fail(sError);

    TSimNetworkMeter Meter(Config);
    if (!Meter.Listen(sError))
        return Fail(sError);
    std::printf("qxmeter-sim: network meter listening on 127.0.0.1:%u\n", unsigned(Meter.Port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
