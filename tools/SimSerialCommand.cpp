#include "tools/SimCommands.h"
#include "tools/SimVanishOptions.h"
#include "tools/sim/SimSerialLink.h"

#include <QCommandLineParser>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// The wake descriptor of the link being served: a signal handler can reach nothing else.
volatile sig_atomic_t iStopFd = -1;

void OnStopSignal(int) {
    if (iStopFd >= 0) {
        const char c = 'q';
        [[maybe_unused]] const ssize_t iIgnored = ::write(iStopFd, &c, 1);
    }
}

void InstallStopHandlers(int iFd) {
    iStopFd = iFd;
    struct sigaction Action {};
    Action.sa_handler = OnStopSignal;
    sigemptyset(&Action.sa_mask);
    sigaction(SIGTERM, &Action, nullptr);
    sigaction(SIGINT, &Action, nullptr);
}

bool ParseNumber(const QString& sText, int iMax, int& iValue) {
    bool bOk = false;
    const int i = sText.toInt(&bOk);
    if (!bOk || i < 0 || i > iMax)
        return false;
    iValue = i;
    return true;
}

int Fail(const QString& sMessage) {
    std::fprintf(stderr, "qxmeter-sim serial: %s\n", qPrintable(sMessage));
    return 2;
}

} // namespace

int RunSerialSimulator(const QStringList& slArgs) {
    QCommandLineParser Parser;
    Parser.setApplicationDescription(
        QStringLiteral("A serial meter on a pseudo-terminal, linked at PATH. Runs until "
                       "SIGTERM or SIGINT, which remove the link."));
    Parser.addHelpOption();
    const QCommandLineOption optLink(
        QStringLiteral("link"), QStringLiteral("Where to link the meter's device."), QStringLiteral("PATH"));
    const QCommandLineOption optKind(QStringLiteral("kind"),
                                     QStringLiteral("pool (memory-pool meter) or text."),
                                     QStringLiteral("KIND"), QStringLiteral("pool"));
    const QCommandLineOption optHWID(QStringLiteral("hwid"), QStringLiteral("Hardware identifier, 0 to 255."),
                                     QStringLiteral("N"));
    const QCommandLineOption optSerial(QStringLiteral("serial-number"),
                                       QStringLiteral("Serial number, 0 to 65535."), QStringLiteral("N"));
    const QCommandLineOption optPackage(QStringLiteral("package"),
                                        QStringLiteral("Software package number, 0 to 65535."),
                                        QStringLiteral("N"));
    const QCommandLineOption optFirmware(QStringLiteral("firmware"), QStringLiteral("Firmware version."),
                                         QStringLiteral("MAJOR.MINOR"));
    const QCommandLineOption optTimecode(QStringLiteral("start-timecode"),
                                         QStringLiteral("Timecode of the first report."),
                                         QStringLiteral("hh:mm:ss:ff"));
    const QCommandLineOption optInterval(
        QStringLiteral("interval-ms"),
        QStringLiteral("Time between reports; below 1000 is faster than real time."), QStringLiteral("MS"));
    const QCommandLineOption optSilent(QStringLiteral("silent"), QStringLiteral("Never answer."));
    const QCommandLineOption optBadChecksum(QStringLiteral("bad-checksum"),
                                            QStringLiteral("Send a status record with a wrong checksum."));
    const QCommandLineOption optShortMemory(QStringLiteral("short-memory"),
                                            QStringLiteral("Cut memory read answers short."));
    const QCommandLineOption optNoEEPROM(QStringLiteral("no-eeprom"),
                                         QStringLiteral("Leave EEPROM reads unanswered."));
    const QCommandLineOption optNoise(QStringLiteral("noise"), QStringLiteral("Send junk between reports."));
    const QCommandLineOption optSplitStatus(
        QStringLiteral("split-status"),
        QStringLiteral("Send the status record's last 2 bytes only with the computer's next bytes."));
    const QCommandLineOption optSetup(
        QStringLiteral("setup"),
        QStringLiteral("Loudness setup in the memory-pool meter's memory: codes and levels (dB, -25.5 to 0) "
                       "peak,capture,scale,reference,window,gate,gatemode,reflevel,peaklevel,filter."),
        QStringLiteral("LIST"));
    const QCommandLineOption optScreen(QStringLiteral("screen"), QStringLiteral("Screen shown, 0 to 65535."),
                                       QStringLiteral("N"));
    const QCommandLineOption optNoLogStopAck(QStringLiteral("refuse-log-stop"),
                                             QStringLiteral("Refuse the stop logging command."));
    const QCommandLineOption optNoInitReport(
        QStringLiteral("no-init-report"),
        QStringLiteral("Text meter: acknowledge the start command, then send nothing."));
    const QCommandLineOption optBadInitReport(QStringLiteral("bad-init-report"),
                                              QStringLiteral("Text meter: send an initialisation report "
                                                             "that stops after its third field."));
    const QCommandLineOption optVanishOnReopen(
        QStringLiteral("vanish-on-reopen"),
        QStringLiteral("Remove the link once the meter has been identified and command mode left, so the "
                       "port cannot be opened again (a meter unplugged before logging starts)."));
    Parser.addOptions({optLink,         optKind,         optHWID,          optSerial,
                       optPackage,      optFirmware,     optTimecode,      optInterval,
                       optSilent,       optBadChecksum,  optShortMemory,   optNoEEPROM,
                       optNoise,        optSplitStatus,  optSetup,         optScreen,
                       optNoLogStopAck, optNoInitReport, optBadInitReport, optVanishOnReopen});
    const TSimVanishOptions VanishOptions;
    VanishOptions.AddTo(Parser);
    Parser.process(slArgs);

    if (!Parser.isSet(optLink))
        return Fail(QStringLiteral("--link PATH is required"));
    const QString sKind = Parser.value(optKind);
    if (sKind != QLatin1String("pool") && sKind != QLatin1String("text"))
        return Fail(QStringLiteral("--kind is pool or text"));
    TSimMeterConfig Config =
        DefaultSimMeterConfig(sKind == QLatin1String("text") ? TSimMeterKind::Text : TSimMeterKind::Pool);
    int iValue = 0;
    if (Parser.isSet(optHWID)) {
        if (!ParseNumber(Parser.value(optHWID), 255, iValue))
            return Fail(QStringLiteral("--hwid is 0 to 255"));
        Config.iHWID = quint8(iValue);
    }
    if (Parser.isSet(optSerial)) {
        if (!ParseNumber(Parser.value(optSerial), 65535, iValue))
            return Fail(QStringLiteral("--serial-number is 0 to 65535"));
        Config.iSerialNumber = quint16(iValue);
    }
    if (Parser.isSet(optPackage)) {
        if (!ParseNumber(Parser.value(optPackage), 65535, iValue))
            return Fail(QStringLiteral("--package is 0 to 65535"));
        Config.iSoftwarePackage = quint16(iValue);
    }
    if (Parser.isSet(optFirmware)) {
        const QStringList slParts = Parser.value(optFirmware).split(QLatin1Char('.'));
        int iMajor = 0;
        int iMinor = 0;
        if (slParts.size() != 2 || !ParseNumber(slParts[0], 255, iMajor) ||
            !ParseNumber(slParts[1], 255, iMinor))
            return Fail(QStringLiteral("--firmware is MAJOR.MINOR, each 0 to 255"));
        Config.iFirmwareMajor = quint8(iMajor);
        Config.iFirmwareMinor = quint8(iMinor);
    }
    if (Parser.isSet(optTimecode)) {
        Config.iStartSecond = ParseSimTimecode(Parser.value(optTimecode));
        if (Config.iStartSecond < 0)
            return Fail(QStringLiteral("--start-timecode is hh:mm:ss:ff"));
    }
    if (Parser.isSet(optInterval)) {
        if (!ParseNumber(Parser.value(optInterval), 3600 * 1000, iValue) || iValue < 1)
            return Fail(QStringLiteral("--interval-ms is 1 to 3600000"));
        Config.iReportIntervalMs = iValue;
        Config.iInitReportDelayMs = std::min(Config.iInitReportDelayMs, iValue);
    }
    Config.rMisbehaviour.bSilent = Parser.isSet(optSilent);
    Config.rMisbehaviour.bWrongChecksum = Parser.isSet(optBadChecksum);
    Config.rMisbehaviour.bShortMemoryReply = Parser.isSet(optShortMemory);
    Config.rMisbehaviour.bNoEEPROMAnswer = Parser.isSet(optNoEEPROM);
    Config.rMisbehaviour.bNoise = Parser.isSet(optNoise);
    Config.rMisbehaviour.bSplitStatus = Parser.isSet(optSplitStatus);
    Config.rMisbehaviour.bNoLogStopAck = Parser.isSet(optNoLogStopAck);
    Config.rMisbehaviour.bNoInitReport = Parser.isSet(optNoInitReport);
    Config.rMisbehaviour.bBadInitReport = Parser.isSet(optBadInitReport);
    Config.rMisbehaviour.bVanishOnReopen = Parser.isSet(optVanishOnReopen);
    if (Parser.isSet(optScreen)) {
        if (!ParseNumber(Parser.value(optScreen), 65535, iValue))
            return Fail(QStringLiteral("--screen is 0 to 65535"));
        Config.iScreenNo = quint16(iValue);
    }
    TLoudnessSetup Setup = DefaultSimLoudnessSetup();
    if (Parser.isSet(optSetup) && !ParseSimLoudnessSetup(Parser.value(optSetup), Setup))
        return Fail(
            QStringLiteral("--setup is ten comma-separated values: codes 0 to 255, levels -25.5 to 0"));

    TSimVanishConfig Vanish;
    QString sError;
    if (!VanishOptions.Read(Parser, Vanish, sError))
        return Fail(sError);

    // A text meter keeps nothing readable; a memory-pool meter's memory holds the setup it measures with.
    const TSimMemoryImage Image =
        Config.eKind == TSimMeterKind::Pool ? BuildSimMeterMemory(Config, Setup) : TSimMemoryImage();
    TSimSerialLink Link(Config, Image, Vanish);
    if (!Link.Open(Parser.value(optLink), sError))
        return Fail(sError);
    InstallStopHandlers(Link.StopFd());
    std::printf("qxmeter-sim: %s meter on %s, linked at %s\n", qPrintable(sKind),
                qPrintable(Link.SlaveName()), qPrintable(Link.LinkPath()));
    std::fflush(stdout);
    const bool bServed = Link.Serve();
    iStopFd = -1;
    return bServed ? 0 : 1;
}
