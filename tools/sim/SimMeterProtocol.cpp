#include "tools/sim/SimMeterProtocol.h"

#include "meter/InstrumentMemory.h"
#include "meter/MeterCommands.h"

#include <QStringList>
#include <algorithm>

namespace {

// Status record: length byte N = 32, checksum at N - 1, then CR LF: 34 bytes in all.
constexpr int kStatusLength = 32;
constexpr quint8 kChecksumMask = 0x55;
// The longest command line the meter keeps; longer lines are junk.
constexpr qsizetype kMaxLine = 256;
// The log of received bytes keeps the newest this many.
constexpr qsizetype kMaxReceivedLog = 4 * 1024 * 1024;
// Vectors the meter knows: publish the screen number, run/pause, stop, reset the integration, reset and run.
constexpr quint16 kVectorPublishScreen = 2;
constexpr quint16 kVectorRunPause = 13;
constexpr quint16 kVectorStop = 14;
constexpr quint16 kVectorResetIntegration = 15;
constexpr quint16 kVectorResetAndRun = 62;

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");
const QByteArray kOKLine = QByteArrayLiteral("OK\r\n");
const QByteArray kErrorLine = QByteArrayLiteral("ERROR\r\n");
const QByteArray kNoiseLine = QByteArrayLiteral("#~\x01?*;noise;;\r\n");

quint32 BigEndian32(const QByteArray& Bytes, int iOffset) {
    quint32 iValue = 0;
    for (int i = 0; i < 4; ++i)
        iValue = iValue << 8 | quint8(Bytes.at(iOffset + i));
    return iValue;
}

quint16 BigEndian16(const QByteArray& Bytes, int iOffset) {
    return quint16(quint8(Bytes.at(iOffset)) << 8 | quint8(Bytes.at(iOffset + 1)));
}

int ParameterBytes(const QByteArray& sCommand) {
    if (sCommand == qxproto::kCmdGetEEPROM)
        return qxproto::kEEPROMAddressBytes;
    if (sCommand == qxproto::kCmdMemoryRead)
        return qxproto::kMemoryRequestBytes;
    if (sCommand == qxproto::kCmdDisplay)
        return qxproto::kDisplayBlockBytes;
    if (sCommand == qxproto::kCmdLogStart)
        return qxproto::kLogStartBytes;
    if (sCommand == qxproto::kCmdSetClock)
        return qxproto::kClockBlockBytes;
    return 0;
}

} // namespace

TLoudnessSetup DefaultSimLoudnessSetup() {
    TLoudnessSetup Setup;
    Setup.iPeakMode = 1;
    Setup.iCapture = 0;
    Setup.iScaleMode = 1;
    Setup.iReference = 0;
    Setup.iSlidingWindow = 1;
    Setup.fGateLevel = -10.0;
    Setup.iGateMode = 1;
    Setup.fReferenceLevel = -23.0;
    Setup.fMeterPeakLevel = -1.0;
    Setup.iFilter = 1;
    Setup.bValid = true;
    return Setup;
}

bool ParseSimLoudnessSetup(const QString& sText, TLoudnessSetup& Setup) {
    const QStringList Parts = sText.split(QLatin1Char(','));
    constexpr int kFields = 10;
    if (Parts.size() != kFields)
        return false;
    int aCodes[kFields] = {};
    double aLevels[kFields] = {};
    for (int i = 0; i < kFields; ++i) {
        bool bOk = false;
        const bool bLevel = i == 5 || i == 7 || i == 8;
        if (bLevel) {
            aLevels[i] = Parts[i].trimmed().toDouble(&bOk);
            if (!bOk || aLevels[i] < -25.5 || aLevels[i] > 0.0)
                return false;
        } else {
            aCodes[i] = Parts[i].trimmed().toInt(&bOk);
            if (!bOk || aCodes[i] < 0 || aCodes[i] > 255)
                return false;
        }
    }
    TLoudnessSetup New;
    New.iPeakMode = aCodes[0];
    New.iCapture = aCodes[1];
    New.iScaleMode = aCodes[2];
    New.iReference = aCodes[3];
    New.iSlidingWindow = aCodes[4];
    New.fGateLevel = aLevels[5];
    New.iGateMode = aCodes[6];
    New.fReferenceLevel = aLevels[7];
    New.fMeterPeakLevel = aLevels[8];
    New.iFilter = aCodes[9];
    New.bValid = true;
    Setup = New;
    return true;
}

TSimMemoryImage BuildSimMeterMemory(const TSimMeterConfig& rConfig, const TLoudnessSetup& Setup,
                                    TMeterMemoryImageOptions Options) {
    Options.iScreenNo = rConfig.iScreenNo;
    Options.iLoudnessModule = LoudnessModuleNo(rConfig.iHWID, rConfig.iSoftwarePackage);
    return BuildMeterMemoryImage(Setup, Options);
}

TSimMeterConfig DefaultSimMeterConfig(TSimMeterKind eKind) {
    TSimMeterConfig Config;
    Config.eKind = eKind;
    if (eKind == TSimMeterKind::Text)
        Config.iHWID = kSimTextMeterHWID;
    return Config;
}

QString SimUSBSerial(const TSimMeterConfig& rConfig) {
    if (!rConfig.sUSBSerial.isEmpty())
        return rConfig.sUSBSerial.left(12).leftJustified(12, QLatin1Char('0'));
    const QString sPrefix =
        rConfig.eKind == TSimMeterKind::Text ? QStringLiteral("000B3C") : QStringLiteral("QXP100");
    return sPrefix + QStringLiteral("%1").arg(rConfig.iSerialNumber % 1000000, 6, 10, QLatin1Char('0'));
}

int ParseSimTimecode(const QString& sTimecode) {
    const QStringList Parts = sTimecode.split(QLatin1Char(':'));
    if (Parts.size() != 4)
        return -1;
    int aValues[4] = {};
    const int aLimits[4] = {24, 60, 60, 100};
    for (int i = 0; i < 4; ++i) {
        bool bOk = false;
        aValues[i] = Parts[i].toInt(&bOk);
        if (!bOk || Parts[i].size() != 2 || aValues[i] < 0 || aValues[i] >= aLimits[i])
            return -1;
    }
    return aValues[0] * 3600 + aValues[1] * 60 + aValues[2];
}

TSimMeterProtocol::TSimMeterProtocol(const TSimMeterConfig& rConfigIn, TSimMemoryImage Image)
    : rConfig(rConfigIn), MemoryImage(std::move(Image)), Reports(rConfigIn.iStartSecond),
      iScreenNo(rConfigIn.iScreenNo) {
    if (rConfig.iReportIntervalMs < 1)
        rConfig.iReportIntervalMs = 1;
}

void TSimMeterProtocol::Feed(const QByteArray& Bytes, qint64 iNowMs) {
    sReceived.append(Bytes);
    if (sReceived.size() > kMaxReceivedLog)
        sReceived.remove(0, sReceived.size() - kMaxReceivedLog);
    if (rConfig.rMisbehaviour.bSilent)
        return;
    if (!HeldTail.isEmpty()) {
        Queue(HeldTail, iNowMs);
        HeldTail.clear();
    }
    for (const char c : Bytes) {
        if (iParamNeeded > 0) {
            Params.append(c);
            if (Params.size() == iParamNeeded) {
                iParamNeeded = 0;
                HandleParameters(iNowMs);
            }
            continue;
        }
        if (c == qxproto::kCR) {
            HandleLine(sLine, iNowMs);
            sLine.clear();
        } else if (c != qxproto::kLF && sLine.size() < kMaxLine) {
            sLine.append(c);
        }
    }
}

void TSimMeterProtocol::HandleLine(const QByteArray& sCommand, qint64 iNowMs) {
    if (sCommand == qxproto::kCmdCommandModeOn || sCommand == qxproto::kCmdCommandModeOff) {
        if (bCommandMode && sCommand == qxproto::kCmdCommandModeOff)
            ++iCommandModeExits;
        bCommandMode = sCommand == qxproto::kCmdCommandModeOn;
        Ack(iNowMs);
        return;
    }
    if (sCommand.startsWith("@AT")) {
        // Parameter bytes are taken in either mode so that the line parser stays in step with the computer.
        const int iParams = ParameterBytes(sCommand);
        if (iParams > 0) {
            sParamCommand = sCommand;
            iParamNeeded = iParams;
            Params.clear();
            return;
        }
        if (!bCommandMode)
            return;
        if (sCommand == qxproto::kCmdStatus) {
            const QByteArray Status = StatusRecord();
            if (rConfig.rMisbehaviour.bSplitStatus) {
                Queue(Status.left(qxproto::kStatusMinBytes), iNowMs);
                HeldTail = Status.mid(qxproto::kStatusMinBytes);
            } else {
                Queue(Status, iNowMs);
            }
        } else if (sCommand == qxproto::kCmdVersion) {
            Queue(VersionLine(), iNowMs);
        } else if (sCommand == qxproto::kCmdFlashIdentity) {
            Queue(FlashIdentity(), iNowMs);
        } else if (sCommand == qxproto::kCmdLogStop) {
            if (rConfig.rMisbehaviour.bNoLogStopAck) {
                Queue(kErrorLine, iNowMs);
                return;
            }
            bReporting = false;
            Ack(iNowMs);
        } else {
            Queue(kErrorLine, iNowMs);
        }
        return;
    }
    if (rConfig.eKind != TSimMeterKind::Text)
        return;
    if (sCommand == qxproto::kTextCmdLogStart) {
        Queue(kOKLine, iNowMs);
        if (rConfig.rMisbehaviour.bNoInitReport)
            return;
        const qint64 iInitMs = iNowMs + rConfig.iInitReportDelayMs;
        Queue(rConfig.rMisbehaviour.bBadInitReport ? TSimReportGenerator::InitReport().left(6) + "\r\n"
                                                   : TSimReportGenerator::InitReport(),
              iInitMs);
        StartReports(iInitMs + rConfig.iReportIntervalMs);
    } else if (sCommand == qxproto::kTextCmdLogStop) {
        bReporting = false;
        iNextReportMs = kNever;
    }
}

void TSimMeterProtocol::HandleParameters(qint64 iNowMs) {
    if (!bCommandMode)
        return;
    if (sParamCommand == qxproto::kCmdGetEEPROM) {
        if (!rConfig.rMisbehaviour.bNoEEPROMAnswer)
            Queue(QByteArray(1, char(EEPROMByte(BigEndian16(Params, 0)))), iNowMs);
    } else if (sParamCommand == qxproto::kCmdMemoryRead) {
        HandleMemoryRead(BigEndian32(Params, 0), BigEndian32(Params, 4), iNowMs);
    } else if (sParamCommand == qxproto::kCmdDisplay) {
        HandleDisplayBlock(Params);
        Ack(iNowMs);
    } else if (sParamCommand == qxproto::kCmdLogStart) {
        iLogStartAddress = BigEndian32(Params, 0);
        StartReports(iNowMs + rConfig.iReportIntervalMs);
        Ack(iNowMs);
    } else if (sParamCommand == qxproto::kCmdSetClock) {
        sLastClock = Params;
        Ack(iNowMs);
    }
}

void TSimMeterProtocol::HandleDisplayBlock(const QByteArray& Block) {
    if (quint8(Block.at(1)) == qxproto::kDisplaySetScreen) {
        iScreenNo = BigEndian16(Block, 2);
        return;
    }
    HandleVector(BigEndian16(Block, 6));
}

void TSimMeterProtocol::HandleVector(quint16 iVector) {
    aVectors.append(iVector);
    switch (iVector) {
    case kVectorRunPause:
        Reports.SetPaused(!Reports.Paused());
        break;
    case kVectorStop:
        Reports.SetPaused(true);
        break;
    case kVectorResetIntegration:
        Reports.ResetIntegration();
        break;
    case kVectorResetAndRun:
        Reports.ResetIntegration();
        Reports.SetPaused(false);
        break;
    case kVectorPublishScreen:
    default:
        // The screen number is always readable in memory; other routines change nothing we imitate.
        break;
    }
}

void TSimMeterProtocol::HandleMemoryRead(quint32 iAddress, quint32 iCount, qint64 iNowMs) {
    if (iCount > kMaxReadBytes)
        return;
    QByteArray Data = MemoryImage.Read(iAddress, iCount);
    // The current screen number lives at its fixed address, whatever the image holds there.
    for (quint32 i = 0; i < 2; ++i) {
        const quint32 iScreenByte = qxproto::kAddrScreenNo + i;
        if (iScreenByte >= iAddress && iScreenByte - iAddress < iCount)
            Data[qsizetype(iScreenByte - iAddress)] = char(i == 0 ? iScreenNo >> 8 : iScreenNo & 0xFF);
    }
    if (rConfig.rMisbehaviour.bShortMemoryReply) {
        Queue(Data.left(Data.size() / 2), iNowMs);
        return;
    }
    Queue(Data + QByteArray(qxproto::kMemoryTrailer), iNowMs);
}

void TSimMeterProtocol::StartReports(qint64 iFirstMs) {
    if (TimecodeMark)
        Reports.RunOnFrom(*TimecodeMark, iFirstMs, rConfig.iReportIntervalMs);
    bReporting = true;
    iNextReportMs = iFirstMs;
    ++iReportStarts;
}

void TSimMeterProtocol::PowerOff(qint64 iNowMs) {
    // A stopped stream keeps the mark it had: the clock has run on from there all along.
    if (bReporting)
        TimecodeMark = TSimTimecodeMark{Reports.CurrentSecond(), iNextReportMs};
    else if (!TimecodeMark)
        TimecodeMark = TSimTimecodeMark{Reports.CurrentSecond(), iNowMs};
    Pending.clear();
    sLine.clear();
    sParamCommand.clear();
    iParamNeeded = 0;
    Params.clear();
    HeldTail.clear();
    bCommandMode = false;
    bReporting = false;
    iNextReportMs = kNever;
    iScreenNo = rConfig.iScreenNo;
    Reports.SetPaused(false);
    Reports.ResetIntegration();
}

QByteArray TSimMeterProtocol::TakeDue(qint64 iNowMs) {
    QByteArray Out;
    while (!Pending.isEmpty() && Pending.first().iDueMs <= iNowMs)
        Out.append(Pending.takeFirst().Bytes);
    if (bReporting && iNextReportMs <= iNowMs && !rConfig.rMisbehaviour.bSilent) {
        if (rConfig.rMisbehaviour.bNoise)
            Out.append(kNoiseLine);
        Out.append(Reports.NextReport());
        iNextReportMs += rConfig.iReportIntervalMs;
        // After a long stall the stream goes on from now instead of bursting to catch up.
        if (iNextReportMs <= iNowMs)
            iNextReportMs = iNowMs + rConfig.iReportIntervalMs;
    }
    return Out;
}

qint64 TSimMeterProtocol::NextDueMs() const {
    qint64 iDue = bReporting ? iNextReportMs : kNever;
    if (!Pending.isEmpty())
        iDue = std::min(iDue, Pending.first().iDueMs);
    return iDue;
}

void TSimMeterProtocol::Queue(const QByteArray& Bytes, qint64 iDueMs) {
    qsizetype i = Pending.size();
    while (i > 0 && Pending.at(i - 1).iDueMs > iDueMs)
        --i;
    Pending.insert(i, TPending{iDueMs, Bytes});
}

void TSimMeterProtocol::Ack(qint64 iNowMs) {
    Queue(rConfig.sAckLine, iNowMs);
}

QByteArray TSimMeterProtocol::StatusRecord() const {
    QByteArray Status(kStatusLength + kLineEnd.size(), '\0');
    Status[0] = char(kStatusLength);
    Status[1] = char(1); // system mode: running
    Status[2] = char(1); // boot loader 1.3, program 7
    Status[3] = char(3);
    Status[4] = char(7);
    Status[5] = char(0); // watchdog count
    Status[6] = char(5); // USB state: configured
    Status[7] = char(1); // RS232 valid
    Status.replace(9, 3, QByteArrayLiteral("A02"));
    Status[12] = char(rConfig.iFirmwareMajor);
    Status[13] = char(rConfig.iFirmwareMinor);
    Status[14] = char(0x21);
    Status.replace(15, 12, SimUSBSerial(rConfig).toLatin1());
    Status[27] = char(rConfig.iSerialNumber >> 8);
    Status[28] = char(rConfig.iSerialNumber & 0xFF);
    Status[29] = char(rConfig.iHWID);
    Status[30] = char(rConfig.iFPGAVersion);
    quint32 iSum = 0;
    for (int i = 0; i < kStatusLength - 1; ++i)
        iSum += quint8(Status.at(i));
    quint8 iChecksum = quint8((iSum & 0xFF) ^ kChecksumMask);
    if (rConfig.rMisbehaviour.bWrongChecksum)
        iChecksum = quint8(~iChecksum);
    Status[kStatusLength - 1] = char(iChecksum);
    Status.replace(kStatusLength, kLineEnd.size(), kLineEnd);
    return Status;
}

QByteArray TSimMeterProtocol::VersionLine() const {
    const QString sKind =
        rConfig.eKind == TSimMeterKind::Text ? QStringLiteral("text") : QStringLiteral("pool");
    return QStringLiteral("qxMeter simulator %1 firmware %2.%3 HW A02")
               .arg(sKind)
               .arg(rConfig.iFirmwareMajor)
               .arg(rConfig.iFirmwareMinor)
               .toLatin1() +
           kLineEnd;
}

QByteArray TSimMeterProtocol::FlashIdentity() const {
    QByteArray Identity(qxproto::kFlashIdentityBytes, '\0');
    Identity[0] = char(0x5A);
    Identity[1] = char(0x20);
    Identity[2] = char(0x17);
    for (int i = 0; i < qxproto::kFlashUIDBytes; ++i)
        Identity[3 + i] = char((rConfig.iSerialNumber >> (i % 2 ? 8 : 0)) + i);
    return Identity;
}

quint8 TSimMeterProtocol::EEPROMByte(quint16 iAddress) const {
    if (iAddress == qxproto::kEEPackageLow)
        return quint8(rConfig.iSoftwarePackage & 0xFF);
    if (iAddress == qxproto::kEEPackageHigh)
        return quint8(rConfig.iSoftwarePackage >> 8);
    // Erased EEPROM.
    return 0xFF;
}
