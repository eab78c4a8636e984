#pragma once

#include <QtGlobal>

// How the main window steers the logging thread: engine commands, delivered safely to the thread, which
// acts on them between its own operations.
class IEngineControl {
public:
    virtual ~IEngineControl() = default;
    virtual void ThreadSendMessage(int iCommand) = 0;
    // The loopback port the engine's text messages leave from, fixed before it sends any; 0 when it sends
    // none. The window hears no other sender unless the user allows it.
    virtual quint16 MessageSenderPort() const { return 0; }
};
