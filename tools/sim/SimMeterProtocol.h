#pragma once

#include "core/SessionTypes.h"
#include "tools/sim/MeterMemoryImage.h"
#include "tools/sim/SimMemoryImage.h"
#include "tools/sim/SimMeterConfig.h"
#include "tools/sim/SimReportGenerator.h"

#include <QByteArray>
#include <QList>
#include <limits>
#include <optional>

// The loudness setup a simulated memory-pool meter measures with unless told otherwise: true peak, EBU scale,
// 3 s short-term window, relative gate -10, reference -23, peak limit -1, K-weighting.
TLoudnessSetup DefaultSimLoudnessSetup();
// "peak,capture,scale,reference,window,gate,gatemode,reflevel,peaklevel,filter": codes 0 to 255, levels from
// -25.5 to 0 dB (what the meter's memory can hold). False, Setup untouched, on anything else.
bool ParseSimLoudnessSetup(const QString& sText, TLoudnessSetup& Setup);
// The memory of a memory-pool meter configured by rConfig that measures with Setup: its screen number and
// the loudness module of its hardware and software package agree with what the meter reports.
TSimMemoryImage BuildSimMeterMemory(const TSimMeterConfig& rConfig, const TLoudnessSetup& Setup,
                                    TMeterMemoryImageOptions Options = {});

// The serial side of a simulated meter, without any port: bytes from the computer go in with the time they
// arrived, and the bytes the meter sends come out when they fall due. Imitates command mode ("@AT"
// commands with their parameter bytes), the status record, version line, flash identity, EEPROM, memory
// reads from a memory image, display commands and vectors, the clock, and data mode with its report stream.
class TSimMeterProtocol {
public:
    explicit TSimMeterProtocol(const TSimMeterConfig& rConfig, TSimMemoryImage Image = {});

    // Bytes from the computer, arrived at iNowMs (any monotonic millisecond clock).
    void Feed(const QByteArray& Bytes, qint64 iNowMs);
    // Everything due at iNowMs, in order: replies, held-back pieces and reports.
    QByteArray TakeDue(qint64 iNowMs);
    // When the next output falls due; kNever when nothing is scheduled.
    qint64 NextDueMs() const;
    static constexpr qint64 kNever = std::numeric_limits<qint64>::max();

    // The link to the computer went away: when it comes back the meter answers as after a power-up (out of
    // command mode, not reporting, running, nothing pending), while the programme's timecode runs on, so
    // that the reports after the break show how long it was. The memory, its clock and the log of received
    // bytes stay.
    void PowerOff(qint64 iNowMs);
    // How often reporting has been started.
    int ReportStarts() const { return iReportStarts; }

    // Everything the computer sent since the last ClearReceived.
    const QByteArray& Received() const { return sReceived; }
    void ClearReceived() { sReceived.clear(); }

    bool CommandMode() const { return bCommandMode; }
    // How often the computer has left command mode.
    int CommandModeExits() const { return iCommandModeExits; }
    const TSimMisbehaviour& Misbehaviour() const { return rConfig.rMisbehaviour; }
    bool Reporting() const { return bReporting; }
    bool Paused() const { return Reports.Paused(); }
    // The operator pauses the meter, or the programme's timecode stops, while reports go on.
    void SetPaused(bool bValue) { Reports.SetPaused(bValue); }
    void SetTimecodeFrozen(bool bValue) { Reports.SetTimecodeFrozen(bValue); }
    // Seconds of the day of the next report.
    int NextReportSecond() const { return Reports.CurrentSecond(); }
    quint16 ScreenNo() const { return iScreenNo; }
    // The last clock block received, 8 bytes; empty before the first.
    const QByteArray& LastClockBlock() const { return sLastClock; }
    // The logging buffer address of the last start command.
    quint32 LogStartAddress() const { return iLogStartAddress; }
    // Every vector called, in order.
    const QList<quint16>& Vectors() const { return aVectors; }
    // The status record this meter answers with (line end included).
    QByteArray StatusRecord() const;
    // The version line (line end included).
    QByteArray VersionLine() const;
    TSimMemoryImage& Image() { return MemoryImage; }

    // Reads above this many bytes are not answered.
    static constexpr quint32 kMaxReadBytes = 16u * 1024u * 1024u;

private:
    void HandleLine(const QByteArray& sLine, qint64 iNowMs);
    void HandleParameters(qint64 iNowMs);
    void HandleDisplayBlock(const QByteArray& Block);
    void HandleVector(quint16 iVector);
    void HandleMemoryRead(quint32 iAddress, quint32 iCount, qint64 iNowMs);
    void StartReports(qint64 iFirstMs);
    void Queue(const QByteArray& Bytes, qint64 iDueMs);
    void Ack(qint64 iNowMs);
    QByteArray FlashIdentity() const;
    quint8 EEPROMByte(quint16 iAddress) const;

    struct TPending {
        qint64 iDueMs;
        QByteArray Bytes;
    };

    TSimMeterConfig rConfig;
    TSimMemoryImage MemoryImage;
    TSimReportGenerator Reports;
    QList<TPending> Pending;
    QByteArray sReceived;
    QByteArray sLine;
    // A command waiting for its parameter bytes.
    QByteArray sParamCommand;
    int iParamNeeded = 0;
    QByteArray Params;
    QByteArray HeldTail;
    bool bCommandMode = false;
    int iCommandModeExits = 0;
    bool bReporting = false;
    qint64 iNextReportMs = kNever;
    int iReportStarts = 0;
    // Set at the first power-off: from then on reporting starts at the timecode the running clock shows.
    std::optional<TSimTimecodeMark> TimecodeMark;
    quint16 iScreenNo = 1;
    QByteArray sLastClock;
    quint32 iLogStartAddress = 0;
    QList<quint16> aVectors;
};
