#pragma once

#include "core/InstrumentInfo.h"
#include "core/Timing.h"
#include "meter/RXBuffer.h"
#include "meter/TelnetClient.h"
#include "meter/TelnetProtocol.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QObject;
class QThread;

// Outcomes of a network login.
enum TTelnetLoginResult : int {
    kLoginNoResponse = 0,
    kLoginOK = 1,
    // The meter showed its banner and then closed the connection: it refused the user name or password.
    kLoginRefused = 2,
    // The connection could not be made; the error says why.
    kLoginError = 3,
};

// Why a connection could not be made: the kind of failure and the socket's own text.
struct TTelnetError {
    QString sName;
    QString sText;
};

// One terminal session with a network meter: the login dialogue and, after it, the intake of the meter's
// lines into a receive buffer. The main window's instrument test and each logging thread own one.
//
// Threads: like its client, the link belongs to the thread that created it and is driven only there; its
// waits block that thread, so the window thread must never own one (see StartTelnetLoginTest).
class TNetworkLink {
public:
    explicit TNetworkLink(const TTimingSettings& rTiming = {});

    // Connects to rNetworkCFG's host and port and answers the login and password prompts with its user name
    // and password. Returns a TTelnetLoginResult: on kLoginOK the banner's serial number and unit name are
    // in rNetworkCFG.iSerialNo and sInstrumentName; on kLoginError rError says why. A link that is already
    // connected gives kLoginNoResponse at once. The caller disconnects and calls ResetLogin afterwards.
    int TelnetLogin(TInstrumentInfo& rNetworkCFG, TTelnetError& rError);

    // The data notification: one chunk as received, one character per byte.
    void TelnetDataAvailable(const QByteArray& Chunk);

    // The banner has been seen.
    bool LoginComplete() const { return bLoginComplete; }
    void ResetLogin();
    // The login banner as received (the text the serial number and unit name come from).
    const QByteArray& Banner() const { return sRXData; }

    // Empties the receive buffer and clears the line flag.
    void FlushBuffers();
    bool Connected() const { return Telnet.Connected(); }
    void Disconnect();

    // Sends sLine followed by CR, one byte per character. False when not connected or the bytes did not
    // leave.
    bool SendLine(const QString& sLine);

    // Lets the meter's bytes in: waits up to iMs and handles what arrived.
    void PollRX(int iMs);
    // Up to iRXStringPolls ticks for a complete line.
    bool WaitForRXString();
    // Takes the receive buffer: sText := its lines, and the buffer is empty.
    void GetRXString(QString& sText);
    // The login, its pauses and every wait for the meter's bytes end soon after pCancel is cancelled.
    void SetCancelToken(const TCancelToken* pCancel);
    TRXBuffer& RXBuffer() { return RX; }
    const TRXBuffer& RXBuffer() const { return RX; }

    // Called once when the meter closes or loses the connection (not when we disconnect).
    std::function<void()> OnDisconnected;

    // Text received before the login completes is kept up to this size (its newest part).
    static constexpr qsizetype kMaxLoginText = 64 * 1024;

private:
    void AnswerPrompt(const QString& sValue);
    void CheckBannerClosed();
    void WaitLoginPause();

    TTimingSettings rTiming;
    const TCancelToken* pCancelToken = nullptr;
    TTelnetClient Telnet;
    bool bLoginComplete = false;
    // The banner's unit name line has ended; later text belongs to the lines.
    bool bBannerClosed = false;
    // Text since the last answered prompt, where prompts and the banner are looked for.
    QByteArray sLoginText;
    QByteArray sRXData;
    QString sUserName;
    QString sPassword;
    TLineAssembler Lines;
    TRXBuffer RX;
};

// The instrument manager's network test without freezing the windows: the login runs on a thread of its
// own, which then disconnects; fnDone gets the result, the instrument with its serial number and unit name
// filled in on success, and the error, on pContext's thread (nothing is delivered when pContext is gone).
// Returns the worker thread, which deletes itself when done.
using TTelnetLoginDone =
    std::function<void(int iResult, const TInstrumentInfo& rNetworkCFG, const TTelnetError& rError)>;
QThread* StartTelnetLoginTest(const TInstrumentInfo& rNetworkCFG, const TTimingSettings& rTiming,
                              QObject* pContext, TTelnetLoginDone fnDone);
