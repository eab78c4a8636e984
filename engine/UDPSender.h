#pragma once

#include "core/Timing.h"

#include <QString>
#include <QUdpSocket>
#include <memory>

// The logging thread's side of the text message channel. Created and used on the logging thread only.
class TUDPSender {
public:
    TUDPSender(int iUDPPort, const TTimingSettings& rTiming);

    // Frames the text and sends it to the main window's port, then pauses: the pause is the only pacing
    // between the thread and the main window.
    void SendUDPMessage(int iCode, const QString& sText);

private:
    std::unique_ptr<QUdpSocket> UDP;
    int iUDPPort;
    int iPauseMs;
};
