#pragma once

#include "core/CancelToken.h"
#include "core/Timing.h"

#include <QString>
#include <QUdpSocket>
#include <memory>

// The logging thread's side of the text message channel. Created and used on the logging thread only.
class TUDPSender {
public:
    // The pause after each datagram ends early once pCancel (if any) is cancelled.
    TUDPSender(int iUDPPort, const TTimingSettings& rTiming, const TCancelToken* pCancel = nullptr);

    // Frames the text and sends it to the main window's port, then pauses: the pause is the only pacing
    // between the thread and the main window.
    void SendUDPMessage(int iCode, const QString& sText);

private:
    std::unique_ptr<QUdpSocket> UDP;
    int iUDPPort;
    int iPauseMs;
    const TCancelToken* pCancelToken;
};
