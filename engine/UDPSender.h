#pragma once

#include "core/CancelToken.h"
#include "core/Timing.h"

#include <QString>
#include <mutex>

// The logging thread's side of the text message channel. The socket is bound to 127.0.0.1 when the sender
// is made, before anything is sent, so the main window knows the one address its messages come from. It
// holds no thread affinity: made on the main thread, used on the logging thread, stopped from either.
class TUDPSender {
public:
    // The pause after each datagram ends early once pCancel (if any) is cancelled.
    TUDPSender(int iUDPPort, const TTimingSettings& rTiming, const TCancelToken* pCancel = nullptr);
    ~TUDPSender();
    TUDPSender(const TUDPSender&) = delete;
    TUDPSender& operator=(const TUDPSender&) = delete;

    // The port the messages leave from; 0 when no socket could be bound (nothing is then sent).
    quint16 LocalPort() const { return iLocalPort; }

    // Frames the text and sends it to the main window's port, then pauses: the pause is the only pacing
    // between the thread and the main window. Does nothing once stopped.
    void SendUDPMessage(int iCode, const QString& sText);

    // No datagram leaves after this returns: a port the window has given up may belong to someone else.
    void Stop();

private:
    std::mutex SendLock;
    int iSocket = -1;
    bool bStopped = false;
    quint16 iLocalPort = 0;
    quint16 iUDPPort;
    int iPauseMs;
    const TCancelToken* pCancelToken;
};
