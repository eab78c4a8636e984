#pragma once

#include "core/InstrumentInfo.h"
#include "core/Timing.h"
#include "meter/NetworkLink.h"
#include "meter/TelnetProtocol.h"

#include <QString>
#include <functional>

class TqxMeterCom;

// How the link reports to the logging thread: its state, engine events and log texts (text message 10).
struct TLinkReporter {
    std::function<void(int iState)> fnSetThreadState;
    std::function<void(int iEvent)> fnPostThreadEvent;
    std::function<void(const QString& sText)> fnSendLog;
};

// The logging thread's link to its meter over either transport. Once connected, a serial text meter and a
// network meter look the same: text commands go out with SendInstrumentCMD, and complete lines wait in one
// receive buffer until the thread takes them with GetRXString.
//
// Threads: owned and driven by the logging thread, like the serial channel and the terminal client it uses;
// received bytes are handled only inside PollRX, WaitForRXString and SendInstrumentCMD.
class TInstrumentLink {
public:
    // pCOM is the thread's serial channel (used when rActiveNetworkCFG.bComPort is set); the link receives
    // its lines from then on.
    TInstrumentLink(const TInstrumentInfo& rActiveNetworkCFG, TqxMeterCom* pCOM, TLinkReporter Reporter,
                    const TTimingSettings& rTiming = {});
    ~TInstrumentLink();
    TInstrumentLink(const TInstrumentLink&) = delete;
    TInstrumentLink& operator=(const TInstrumentLink&) = delete;

    // The network login: kLoginOK, kLoginRefused or kLoginNoResponse; a connection error is logged and
    // gives kLoginNoResponse. Fills SerialNumber and InstrumentName on success.
    int TelnetLogin();
    // The network connect step: logs in; accepted: state 5, event 3, the meter's report stream stopped;
    // refused: state 9, event 12; no answer: event 11, state 9. Returns whether the meter is connected.
    bool ConnectNetwork();

    // Sends one text command over the active transport, optionally waiting for one reply line. Over the
    // network sResponce is the line without its end; over a serial port the channel's whole reply.
    bool SendInstrumentCMD(const QString& sCMD, QString& sResponce, bool bResponce);

    // Lines a serial channel delivers, with their line ends.
    void COMOnRXString(const QString& sRXBuffer);
    // Empties the receive buffer and clears the line flag.
    void ClearRXBuffer();
    // The line flag: the receive buffer holds at least one complete line.
    bool RXString() const;
    // Up to iRXStringPolls ticks for a complete line, receiving meanwhile.
    bool WaitForRXString();
    // Takes the receive buffer in one step: sText := its lines, and the buffer is empty.
    void GetRXString(QString& sText);
    // Lets the meter's bytes in on the active transport, waiting up to iMs.
    void PollRX(int iMs);

    // Every wait of the link ends soon after pCancel is cancelled (the serial channel has its own).
    void SetCancelToken(const TCancelToken* pCancel) {
        pCancelToken = pCancel;
        Telnet.SetCancelToken(pCancel);
    }
    bool NetworkConnected() const { return Telnet.Connected(); }
    void DisconnectNetwork() { Telnet.Disconnect(); }
    int SerialNumber() const { return iSerialNumber; }
    const QString& InstrumentName() const { return sInstrumentName; }

private:
    void SetThreadState(int iState);
    void PostThreadEvent(int iEvent);
    void SendLog(const QString& sText);

    TInstrumentInfo rActiveNetworkCFG;
    TqxMeterCom* pCOM;
    TLinkReporter Reporter;
    TTimingSettings rTiming;
    const TCancelToken* pCancelToken = nullptr;
    TNetworkLink Telnet;
    TLineAssembler SerialLines;
    int iSerialNumber = 0;
    QString sInstrumentName;
};
