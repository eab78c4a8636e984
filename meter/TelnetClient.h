#pragma once

#include "core/CancelToken.h"
#include "core/Timing.h"
#include "meter/TelnetNegotiation.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class QTcpSocket;

// A terminal client on TCP: option negotiation announcing the terminal type "dumb", data bytes in and out.
//
// Threads: the client belongs to the thread that created it and is driven only there, with blocking waits
// (Connect, Write, WaitForData); received bytes are handled only inside WaitForData. The logging thread owns
// one for its whole run. The main window's test login must not run on the window thread: create and use the
// client (or the link that owns it) inside a worker thread, e.g. with StartTelnetLoginTest.
class TTelnetClient {
public:
    explicit TTelnetClient(const TTimingSettings& rTiming = {});
    ~TTelnetClient();
    TTelnetClient(const TTelnetClient&) = delete;
    TTelnetClient& operator=(const TTelnetClient&) = delete;

    // Connects within iTimeoutMs and switches the Nagle delay off. On failure sError holds the socket's
    // own text and sErrorName the kind of failure.
    bool Connect(const QString& sHost, quint16 iPort, int iTimeoutMs, QString& sErrorName, QString& sError);
    bool Connected() const;
    // Closes the connection from our side; OnDisconnected is not called for it.
    void Disconnect();

    // Sends data bytes (bytes equal to the negotiation marker are escaped). False when not connected or when
    // the bytes could not leave.
    bool Write(const QByteArray& Bytes);

    // Waits up to iMs for bytes. The data of each read, negotiation removed, go to OnDataAvailable as one
    // chunk. Returns whether a chunk was delivered. A connection the meter closed or lost calls
    // OnDisconnected once, after its last data.
    bool WaitForData(int iMs);
    // Connecting, sending and waiting for data end soon after pCancel is cancelled, as if their time had
    // run out; none: they run their full time.
    void SetCancelToken(const TCancelToken* pCancel) { pCancelToken = pCancel; }

    std::function<void(const QByteArray& Chunk)> OnDataAvailable;
    std::function<void()> OnDisconnected;

private:
    void FlushWrites();
    void CheckClosed();
    void CheckOwner() const;
    // The connection attempt's end within iTimeoutMs: true when connected; bTimedOut when it was still
    // under way when the time ran out or the token was cancelled.
    bool WaitForConnected(int iTimeoutMs, bool& bTimedOut);

    TTimingSettings rTiming;
    const TCancelToken* pCancelToken = nullptr;
    std::unique_ptr<QTcpSocket> Socket;
    TTelnetNegotiation Negotiation;
    bool bWriteFailed = false;
    // Connected, and the loss of the connection not yet reported.
    bool bWatching = false;
};
