#pragma once

#include <QtGlobal>
#include <functional>

class QObject;

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

// A logging engine as its owner sees it: started once, steered by engine commands, released once its
// thread has finished.
class ILoggingEngine : public IEngineControl {
public:
    virtual void Start() = 0;
    // The engine's thread has finished: the owner may destroy it without waiting.
    virtual bool IsFinished() const = 0;
    // Blocks until the engine's thread has finished.
    virtual void Wait() = 0;
    // Waits up to iMs for the engine's thread to finish; true when it has (or never started).
    virtual bool WaitForEnd(int iMs) = 0;
    // The owner gives the engine up (it did not end in time and the process is ending): from now on it
    // reaches nobody. Only for an engine that is then never destroyed.
    virtual void Abandon() = 0;
    // fnFinished runs once on rContext's thread after the engine's thread has finished.
    virtual void CallWhenFinished(QObject& rContext, std::function<void()> fnFinished) = 0;
};
