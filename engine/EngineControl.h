#pragma once

// How the main window steers the logging thread: engine commands, delivered safely to the thread, which
// acts on them between its own operations.
class IEngineControl {
public:
    virtual ~IEngineControl() = default;
    virtual void ThreadSendMessage(int iCommand) = 0;
};
