#include "meter/qxMeterCOM.h"

#include "meter/ComPorts.h"
#include "meter/MeterCommands.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QThread>
#include <cstdio>

namespace {

constexpr qint32 kBaudRate = 9600;
const QString kCloseError = QStringLiteral("COM Close Error.");
// Bytes kept in the receive buffer at most: the largest memory answer and room for stray bytes. A meter
// that streams more without a line end loses the excess instead of the program its memory.
constexpr qsizetype kMaxRXBuffer = qsizetype(TqxMeterCom::kMaxMemoryReadBytes) + 64 * 1024;

quint8 ToBCD(int iValue) {
    return quint8(((iValue / 10) % 10) << 4 | (iValue % 10));
}

void AppendBigEndian32(QByteArray& Bytes, quint32 iValue) {
    Bytes.append(char(iValue >> 24));
    Bytes.append(char(iValue >> 16));
    Bytes.append(char(iValue >> 8));
    Bytes.append(char(iValue));
}

QByteArray DisplayBlock(quint8 b1, quint16 iWord23, quint16 iWord67) {
    QByteArray Block(qxproto::kDisplayBlockBytes, '\0');
    Block[1] = char(b1);
    Block[2] = char(iWord23 >> 8);
    Block[3] = char(iWord23);
    Block[6] = char(iWord67 >> 8);
    Block[7] = char(iWord67);
    return Block;
}

} // namespace

QByteArray EncodeScreenBlock(quint16 iScreenNo) {
    return DisplayBlock(qxproto::kDisplaySetScreen, iScreenNo, qxproto::kDisplayScreenTail);
}

QByteArray EncodeVectorBlock(quint16 iVector) {
    return DisplayBlock(0, 0, iVector);
}

QByteArray EncodeGetScreenBlock() {
    return DisplayBlock(0, 0, qxproto::kDisplayScreenTail);
}

QByteArray EncodeClockBlock(const QDateTime& dtLocal) {
    const QDate Date = dtLocal.date();
    const QTime Time = dtLocal.time();
    QByteArray Block;
    Block.append(char(0));
    Block.append(char(ToBCD(Time.second())));
    Block.append(char(ToBCD(Time.minute())));
    Block.append(char(ToBCD(Time.hour())));
    Block.append(char(ToBCD(Date.day())));
    Block.append(char(ToBCD(Date.month())));
    Block.append(char(ToBCD(Date.year() % 100)));
    // Qt counts Monday as 1; the meter as 0.
    Block.append(char(Date.dayOfWeek() - 1));
    return Block;
}

QByteArray EncodeMemoryRequest(quint32 iAddress, quint32 iCount) {
    QByteArray Bytes;
    AppendBigEndian32(Bytes, iAddress);
    AppendBigEndian32(Bytes, iCount);
    return Bytes;
}

TqxMeterCom::TqxMeterCom(const TTimingSettings& rTimingIn)
    : rTiming(rTimingIn), CP(std::make_unique<QSerialPort>()), FTimeout(rTimingIn.iComTimeoutTicks) {
    CP->setBaudRate(kBaudRate);
    CP->setDataBits(QSerialPort::Data8);
    CP->setParity(QSerialPort::NoParity);
    CP->setStopBits(QSerialPort::OneStop);
    CP->setFlowControl(QSerialPort::NoFlowControl);
    // Emitted inside the channel's own waits (or by the owner's event loop), always on the owning thread.
    QObject::connect(CP.get(), &QSerialPort::readyRead, CP.get(), [this] { CPRxChar(); });
}

TqxMeterCom::~TqxMeterCom() {
    if (CP->isOpen())
        CP->close();
}

bool TqxMeterCom::Connected() const {
    return CP->isOpen();
}

void TqxMeterCom::CheckOwner() const {
    Q_ASSERT_X(QThread::currentThread() == CP->thread(), "TqxMeterCom",
               "the channel is used only by the thread that created it");
}

bool TqxMeterCom::Open() {
    CheckOwner();
    if (CP->isOpen())
        CP->close();
    FOpenFailure = {};
    const QString sDevice = ComPortDevicePath(FPort, FDataFolder);
    if (sDevice.isEmpty()) {
        FOpenFailure = DiagnosePortOpen(FPort, sDevice, false, QStringLiteral("No device for this port"));
        return false;
    }
    CP->setPortName(sDevice);
    if (CP->open(QIODevice::ReadWrite)) {
        // A pseudo-terminal has no modem lines; their failure does not matter.
        CP->setDataTerminalReady(false);
        CP->setRequestToSend(false);
    } else {
        FOpenFailure =
            DiagnosePortOpen(FPort, sDevice, CP->error() == QSerialPort::PermissionError, CP->errorString());
    }
    CP->clearError();
    return Connected();
}

void TqxMeterCom::Close() {
    CheckOwner();
    if (FCommandMode) {
        if (CP->isOpen())
            SetCommandMode(false);
        FCommandMode = false;
    }
    if (!CP->isOpen())
        return;
    CP->clearError();
    CP->close();
    if (CP->error() != QSerialPort::NoError) {
        sLastMessage = kCloseError;
        CP->clearError();
    }
}

bool TqxMeterCom::ConnectToMeter() {
    CheckOwner();
    if (!Connected())
        return false;
    FlushBuffers();
    if (!FCommandMode)
        SetCommandMode(true);
    return GetInstrumentInfo();
}

void TqxMeterCom::SetCommandMode(bool Value) {
    CheckOwner();
    bOnRXString = false;
    bool bAck = false;
    for (int iTry = 0; iTry < rTiming.iModeTries; ++iTry) {
        FlushBuffers();
        WriteLine(QLatin1String(Value ? qxproto::kCmdCommandModeOn : qxproto::kCmdCommandModeOff));
        bAck = WaitForACK(rTiming.iModeAckTicks);
        if (bAck || FTimeout == 0)
            break;
    }
    FCommandMode = Value && bAck;
    FlushBuffers();
    bOnRXString = true;
}

void TqxMeterCom::SendCMD(const QString& sCMD) {
    CheckOwner();
    FlushBuffers();
    bOnRXString = true;
    WriteLine(sCMD);
}

bool TqxMeterCom::SendCMD(const QString& sCMD, QString& sResponce) {
    CheckOwner();
    sResponce.clear();
    FlushBuffers();
    bOnRXString = false;
    WriteLine(sCMD);
    bool bResult = false;
    if (WaitForRXString(FTimeout)) {
        sResponce = QString::fromLatin1(sGlobalRXBuffer);
        bResult = true;
    }
    bOnRXString = true;
    return bResult;
}

bool TqxMeterCom::SendCMD(const QString& sCommand, bool bGetAck) {
    CheckOwner();
    if (!FCommandMode)
        SetCommandMode(true);
    bOnRXString = false;
    FlushBuffers();
    WriteLine(sCommand);
    const bool bResult = bGetAck ? WaitForACK(rTiming.iAckTicks) : true;
    bOnRXString = true;
    return bResult;
}

bool TqxMeterCom::SetScreenNo(quint16 iScreenNo) {
    SendCMD(QLatin1String(qxproto::kCmdDisplay), false);
    return Write(EncodeScreenBlock(iScreenNo)) == qxproto::kDisplayBlockBytes &&
           WaitForACK(rTiming.iAckTicks);
}

bool TqxMeterCom::CallVector(quint16 iVector) {
    SendCMD(QLatin1String(qxproto::kCmdDisplay), false);
    return Write(EncodeVectorBlock(iVector)) == qxproto::kDisplayBlockBytes && WaitForACK(rTiming.iAckTicks);
}

bool TqxMeterCom::GetScreenNo(int& iScreenNo) {
    // The command line's own acknowledgement, when the meter sends one, also satisfies the wait below.
    SendCMD(QLatin1String(qxproto::kCmdDisplay), true);
    if (Write(EncodeGetScreenBlock()) != qxproto::kDisplayBlockBytes || !WaitForACK(rTiming.iAckTicks))
        return false;
    QByteArray Screen;
    if (SPI1ReadRam(qxproto::kAddrScreenNo, 2, Screen) != 2)
        return false;
    iScreenNo = quint8(Screen.at(0)) * 256 + quint8(Screen.at(1));
    return true;
}

bool TqxMeterCom::StartLogging(quint32 lAddress) {
    SendCMD(QLatin1String(qxproto::kCmdLogStart), false);
    QByteArray Address;
    AppendBigEndian32(Address, lAddress);
    return Write(Address) == qxproto::kLogStartBytes && WaitForACK(rTiming.iAckTicks);
}

bool TqxMeterCom::SetRTC() {
    return SetRTC(QDateTime::currentDateTime());
}

bool TqxMeterCom::SetRTC(const QDateTime& dtLocal) {
    CheckOwner();
    FlushBuffers();
    WriteLine(QLatin1String(qxproto::kCmdSetClock));
    return Write(EncodeClockBlock(dtLocal)) == qxproto::kClockBlockBytes && WaitForACK(rTiming.iAckTicks);
}

bool TqxMeterCom::GetInstrumentInfo() {
    CheckOwner();
    bOnRXString = false;
    const bool bResult = ReadInstrumentInfo();
    bOnRXString = true;
    return bResult;
}

bool TqxMeterCom::ReadInstrumentInfo() {
    FlushBuffers();
    WriteLine(QLatin1String(qxproto::kCmdStatus));
    if (!WaitForRXCount(rTiming.iStatusTicks, qxproto::kStatusMinBytes))
        return false;
    if (!DecodeStatusRecord(sGlobalRXBuffer, FqxMeterInfo))
        return false;

    FlushBuffers();
    WriteLine(QLatin1String(qxproto::kCmdVersion));
    if (WaitForRXString(rTiming.iVersionTicks))
        FqxMeterInfo.IOString = DecodeVersionLine(sGlobalRXBuffer);

    if (!FqxMeterInfo.CRCValid)
        return false;

    FlushBuffers();
    WriteLine(QLatin1String(qxproto::kCmdFlashIdentity));
    if (WaitForRXCount(FTimeout, qxproto::kFlashIdentityBytes))
        DecodeFlashIdentity(sGlobalRXBuffer, FqxMeterInfo);

    quint8 iLow = 0;
    quint8 iHigh = 0;
    if (GetEE(qxproto::kEEPackageLow, iLow) && GetEE(qxproto::kEEPackageHigh, iHigh)) {
        FqxMeterInfo.SoftwarePackage = quint16(iHigh * 256 + iLow);
        return true;
    }
    FqxMeterInfo.SoftwarePackage = kSoftwarePackageUnknown;
    return false;
}

bool TqxMeterCom::GetEE(quint16 iAddress, quint8& b) {
    WriteLine(QLatin1String(qxproto::kCmdGetEEPROM));
    FlushBuffers();
    QByteArray Address;
    Address.append(char(iAddress >> 8));
    Address.append(char(iAddress));
    Write(Address);
    if (!WaitForRXCount(rTiming.iEEPROMTicks, 1))
        return false;
    b = quint8(sGlobalRXBuffer.at(0));
    return true;
}

qint32 TqxMeterCom::SPI1ReadRam(quint32 iAddress, quint32 iCount, QBuffer& ms) {
    const TMemoryReply Reply = ReadMemory(iAddress, iCount);
    if (!ms.isOpen())
        ms.open(QIODevice::ReadWrite);
    if (Reply.bComplete)
        ms.write(Reply.Data);
    ms.seek(0);
    return qint32(Reply.iReceived);
}

qint64 TqxMeterCom::SPI1ReadRam(quint32 iAddress, quint32 iCount, QByteArray& Buffer) {
    if (iCount > kMaxMemoryReadBytes)
        return -1;
    return MemoryReadResult(ReadMemory(iAddress, iCount), iCount, Buffer);
}

TMemoryReply TqxMeterCom::ReadMemory(quint32 iAddress, quint32 iCount) {
    CheckOwner();
    if (iCount > kMaxMemoryReadBytes)
        return {QByteArray(), false, -qxproto::kMemoryTrailerBytes};
    if (!FCommandMode)
        SetCommandMode(true);
    bOnRXString = false;
    FlushBuffers();
    WriteLine(QLatin1String(qxproto::kCmdMemoryRead));
    const QByteArray Request = EncodeMemoryRequest(iAddress, iCount);
    Write(Request.left(4));
    Write(Request.mid(4));
    WaitForRXCount(rTiming.iMemoryReadTicks, qint64(iCount) + qxproto::kMemoryTrailerBytes);
    bOnRXString = true;
    return DecodeMemoryReply(sGlobalRXBuffer, iCount);
}

void TqxMeterCom::PollRX(int iMs) {
    CheckOwner();
    bOnRXString = true;
    WaitForBytes(iMs);
}

void TqxMeterCom::RXString(const QString& sRXBuffer) {
    if (OnRXString)
        OnRXString(sRXBuffer);
}

void TqxMeterCom::FlushBuffers() {
    bRXString = false;
    sGlobalRXBuffer.clear();
    // Only stale input is discarded: the command just written must still reach the meter.
    if (CP->isOpen())
        CP->clear(QSerialPort::Input);
}

void TqxMeterCom::CPRxChar() {
    const qint64 iCount = CP->bytesAvailable();
    if (iCount <= 0)
        return;
    const QByteArray Received = CP->read(iCount);
    if (Received.size() != iCount) {
        std::fputs("DEBUG_COM_ERROR: CPRxChar\n", stdout);
        std::fflush(stdout);
        return;
    }
    if (sGlobalRXBuffer.size() + Received.size() > kMaxRXBuffer)
        sGlobalRXBuffer.clear();
    sGlobalRXBuffer.append(Received.right(kMaxRXBuffer));
    if (!IsLineComplete(sGlobalRXBuffer))
        return;
    if (bOnRXString) {
        // Bytes already waiting in the port belong to the next line, so only the delivered text is dropped.
        const QString sLine = QString::fromLatin1(sGlobalRXBuffer);
        sGlobalRXBuffer.clear();
        bRXString = false;
        RXString(sLine);
    } else {
        bRXString = true;
    }
}

bool TqxMeterCom::WaitForRXString(int iTicks) {
    if (iTicks <= 0)
        return false;
    return WaitUntil(iTicks, [this] { return bRXString; });
}

bool TqxMeterCom::WaitForACK(int iTicks) {
    bOnRXString = false;
    const bool bResult = WaitForRXString(iTicks) && sGlobalRXBuffer.startsWith(qxproto::kAck);
    bOnRXString = true;
    return bResult;
}

bool TqxMeterCom::WaitForRXCount(int iTicks, qint64 iCount) {
    if (iTicks < 0)
        return false;
    return WaitUntil(iTicks, [this, iCount] { return sGlobalRXBuffer.size() >= iCount; });
}

bool TqxMeterCom::WaitUntil(int iTicks, const std::function<bool()>& fnDone) {
    QDeadlineTimer Deadline(qint64(iTicks) * rTiming.iTickMs);
    for (;;) {
        if (fnDone())
            return true;
        if (Deadline.hasExpired() || IsCancelled(pCancelToken))
            return false;
        WaitForBytes(CancelSliceMs(pCancelToken, int(Deadline.remainingTime())));
    }
}

void TqxMeterCom::WaitForBytes(int iMs) {
    QElapsedTimer Elapsed;
    Elapsed.start();
    if (CP->isOpen() && CP->waitForReadyRead(iMs))
        return;
    // A closed or failed port returns at once; sleep out the wait instead of spinning.
    const qint64 iLeft = iMs - Elapsed.elapsed();
    if (iLeft > 0 && (!CP->isOpen() || CP->error() != QSerialPort::TimeoutError)) {
        if (pCancelToken)
            pCancelToken->SleepFor(int(iLeft));
        else
            QThread::msleep(quint64(iLeft));
    }
    CP->clearError();
}

qint64 TqxMeterCom::Write(const QByteArray& Bytes) {
    if (!CP->isOpen())
        return -1;
    const qint64 iQueued = CP->write(Bytes);
    if (iQueued <= 0)
        return iQueued;
    // Without an event loop the bytes leave only while we wait for them.
    const QDeadlineTimer Deadline(rTiming.iWriteWaitMs);
    while (CP->bytesToWrite() > 0 && !Deadline.hasExpired() && !IsCancelled(pCancelToken))
        CP->waitForBytesWritten(CancelSliceMs(pCancelToken, int(Deadline.remainingTime())));
    return iQueued - CP->bytesToWrite();
}

qint64 TqxMeterCom::WriteLine(const QString& sLine) {
    QByteArray Bytes;
    Bytes.reserve(sLine.size() + 1);
    // One byte per character, its low 8 bits: no code-page conversion.
    for (const QChar c : sLine)
        Bytes.append(char(c.unicode() & 0xFF));
    Bytes.append(qxproto::kCR);
    return Write(Bytes);
}
