#pragma once

#include "app/MainController.h"
#include "engine/EngineControl.h"

#include <memory>

namespace qxtest {

// A logging engine without a thread: the controller's commands go to rTarget (a recording stand-in), and
// it counts as finished at once, so the controller releases it at the engine's end event.
class TForwardingEngine : public ILoggingEngine {
public:
    explicit TForwardingEngine(IEngineControl& rTarget) : Target(rTarget) {}
    void ThreadSendMessage(int iCommand) override { Target.ThreadSendMessage(iCommand); }
    quint16 MessageSenderPort() const override { return Target.MessageSenderPort(); }
    void Start() override {}
    bool IsFinished() const override { return true; }
    void Wait() override {}
    bool WaitForEnd(int) override { return true; }
    void Abandon() override {}
    void CallWhenFinished(QObject&, std::function<void()>) override {}

private:
    IEngineControl& Target;
};

// Connects rCtrl as the connect button does, with rTarget standing in for the logging thread; the factory
// stays in place for later connects.
inline void ConnectEngine(TMainController& rCtrl, IEngineControl& rTarget) {
    rCtrl.SetLoggingEngineFactory([&rTarget](const TLoggingThreadSettings&, TLoggingThread::TPostThreadEvent,
                                             TLoggingThread::TReadTCControl, const TTimingSettings&) {
        return std::make_unique<TForwardingEngine>(rTarget);
    });
    rCtrl.ConnectInstrument();
}

} // namespace qxtest
