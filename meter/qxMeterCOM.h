#pragma once

#include "core/CancelToken.h"
#include "core/Timing.h"
#include "meter/MeterInfo.h"
#include "meter/MeterMemoryReader.h"
#include "meter/MeterReplies.h"
#include "meter/PortOpenError.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

class QBuffer;
class QSerialPort;

// Receiver of the lines a meter sends in data mode; the text still carries its line end.
using TOnRXString = std::function<void(const QString& sRXBuffer)>;

// The 8-byte parameter blocks of the display and clock commands, and the memory read request.
QByteArray EncodeScreenBlock(quint16 iScreenNo);
QByteArray EncodeVectorBlock(quint16 iVector);
QByteArray EncodeGetScreenBlock();
// Local date and time as the meter's clock block: 0, then seconds, minutes, hours, day, month and
// two-digit year in packed BCD, then the weekday with Monday = 0.
QByteArray EncodeClockBlock(const QDateTime& dtLocal);
// Address and count, each four bytes, most significant first.
QByteArray EncodeMemoryRequest(quint32 iAddress, quint32 iCount);

// The serial command channel to one meter: opens its COM port, switches the meter between data and command
// mode, sends commands and parameter blocks, and collects replies.
//
// Threads: the channel belongs to the thread that created it. Every operation runs on that thread and
// drives the port with blocking waits, so received bytes are handled only inside the channel's own waits
// (or by that thread's event loop, when it runs one). Operations never overlap because only the owning
// thread calls them: a meter vector requested by an engine command is queued to the logging thread, which
// calls CallVector between its own operations. Between operations the owner calls PollRX to receive
// data-mode lines.
class TqxMeterCom : public IMeterMemoryReader {
public:
    explicit TqxMeterCom(const TTimingSettings& rTiming = {});
    ~TqxMeterCom() override;
    TqxMeterCom(const TqxMeterCom&) = delete;
    TqxMeterCom& operator=(const TqxMeterCom&) = delete;

    int Port() const { return FPort; }
    void SetPort(int iPort) { FPort = iPort; }
    // The data folder whose ports folder may link the port to its device; empty for the user's own.
    void SetDataFolder(const QString& sDataFolder) { FDataFolder = sDataFolder; }
    // Every wait of the channel (replies, acknowledgements, memory reads, line delivery) ends soon after
    // pCancel is cancelled, as if its time had run out; none: the waits run their full time.
    void SetCancelToken(const TCancelToken* pCancel) { pCancelToken = pCancel; }
    // True only after the meter acknowledged the command to enter command mode.
    bool CommandMode() const { return FCommandMode; }
    void SetCommandMode(bool Value);
    // Length in ticks of the waits that use it (the flash identity and text replies).
    int Timeout() const { return FTimeout; }
    void SetTimeout(int iTimeout) { FTimeout = iTimeout; }
    bool Connected() const;
    const TqxMeterInfo& qxMeterInfo() const { return FqxMeterInfo; }
    // The last failure text; not cleared on success.
    const QString& LastMessage() const { return sLastMessage; }
    // Why the last Open failed; no cause after a successful one.
    const TPortOpenFailure& OpenFailure() const { return FOpenFailure; }

    // Receiver of delivered lines.
    TOnRXString OnRXString;

    // Opens "COM" + Port, closing it first when open. Failures are swallowed; returns Connected.
    bool Open();
    // Leaves command mode when in it, then closes; a failure leaves LastMessage "COM Close Error.".
    void Close();
    // Command mode and identification of the meter on the open port.
    bool ConnectToMeter();

    // Data-mode command: waits for nothing; a reply line reaches OnRXString.
    void SendCMD(const QString& sCMD);
    // Command with a text reply: sResponce is the whole reply with its line end.
    bool SendCMD(const QString& sCMD, QString& sResponce);
    // Command-mode command, entering command mode first when needed; waits for the acknowledgement when
    // bGetAck is set.
    bool SendCMD(const QString& sCommand, bool bGetAck);

    bool SetScreenNo(quint16 iScreenNo);
    // Runs routine iVector in the meter.
    bool CallVector(quint16 iVector);
    bool GetScreenNo(int& iScreenNo);
    // Starts the meter's report stream; lAddress is its loudness logging buffer.
    bool StartLogging(quint32 lAddress);
    // Sets the meter's clock to the computer's local time now, or to dtLocal.
    bool SetRTC();
    bool SetRTC(const QDateTime& dtLocal);

    // Identification: status record, version line, flash identity and software package into qxMeterInfo.
    bool GetInstrumentInfo();

    // Memory read, stream form: the data are written to ms at its position, ms is left at 0. Returns the
    // number of bytes received minus 4; a complete, correct answer gives iCount.
    qint32 SPI1ReadRam(quint32 iAddress, quint32 iCount, QBuffer& ms);
    // Memory read, buffer form: Buffer holds iCount bytes when the result is iCount. Otherwise 0 (nothing
    // usable came), a count other than iCount, or -1 (right length without the trailer, or a refused count).
    qint64 SPI1ReadRam(quint32 iAddress, quint32 iCount, QByteArray& Buffer) override;

    // Line delivery between operations: waits up to iMs for bytes and hands complete lines to OnRXString.
    void PollRX(int iMs);

    // Reads above this many bytes are refused as failed reads, so a wild count cannot exhaust memory.
    static constexpr quint32 kMaxMemoryReadBytes = 16u * 1024u * 1024u;

    // Hands a line to OnRXString when a receiver is assigned.
    void RXString(const QString& sRXBuffer);

private:
    void FlushBuffers();
    void CPRxChar();
    bool WaitForRXString(int iTicks);
    bool WaitForACK(int iTicks);
    bool WaitForRXCount(int iTicks, qint64 iCount);
    bool WaitUntil(int iTicks, const std::function<bool()>& fnDone);
    void WaitForBytes(int iMs);
    qint64 Write(const QByteArray& Bytes);
    qint64 WriteLine(const QString& sLine);
    bool ReadInstrumentInfo();
    bool GetEE(quint16 iAddress, quint8& b);
    TMemoryReply ReadMemory(quint32 iAddress, quint32 iCount);
    void CheckOwner() const;

    TTimingSettings rTiming;
    const TCancelToken* pCancelToken = nullptr;
    std::unique_ptr<QSerialPort> CP;
    int FPort = 0;
    QString FDataFolder;
    TPortOpenFailure FOpenFailure;
    bool FCommandMode = false;
    int FTimeout = 0;
    // Reply capture: a complete line has arrived.
    bool bRXString = false;
    // Receive mode: true = line delivery, false = reply capture.
    bool bOnRXString = false;
    QByteArray sGlobalRXBuffer;
    TqxMeterInfo FqxMeterInfo;
    QString sLastMessage;
};
