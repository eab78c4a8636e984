#pragma once

#include "core/CancelToken.h"
#include "core/EngineCodes.h"
#include "core/InstrumentInfo.h"
#include "core/SessionTypes.h"
#include "core/Timing.h"
#include "engine/EngineControl.h"
#include "engine/EngineMessages.h"
#include "engine/ReportParser.h"
#include "engine/TimecodeControl.h"
#include "meter/PortOpenError.h"

#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class TqxMeterCom;
class TInstrumentMemory;
class TUDPSender;
class TInstrumentLink;

// What the thread copies from the main window when it is created; it never reads the main window's
// records afterwards (the timecode control comes again with each start and each change command).
struct TLoggingThreadSettings {
    TSessionInfo rSessionInfo;
    TInstrumentInfo rActiveNetworkCFG;
    int iUDPPort = 0;
    int iTimeSource = engine::kTimeSourceMeter;
    engine::TTCControlSettings TCCtrl;
    // Where the serial port links live.
    QString sDataFolder;
};

// The logging engine: one thread per instrument connection. It connects to the meter, reports its
// identification, waits idle for the start command, starts the meter's report stream, forwards level
// records and timecodes, applies timecode control, stops the meter and ends on disconnect, failure or
// time-out. It reports only through engine events (queued calls to the controller's HandleEngineEvent on
// the main thread) and text messages (datagrams to the controller's message port), and is steered only
// through engine commands. It never touches the database or a window.
//
// Threads: the serial channel, the network link and the memory model are created and used on the logging
// thread only; the datagram sender is bound by the constructor and stopped by the close command on the main
// thread. Engine commands arrive on the main thread (ThreadSendMessage) and wait in a locked queue until the
// thread takes them between its own meter operations and between every report line it handles; the state is
// an atomic written by the thread alone. The close command also cancels every wait of the channels at once
// (WaitToken) and stops the datagram sender before ThreadSendMessage returns. The owner must outlive the
// thread, or Abandon it; destroying the object closes and joins it.
class TLoggingThread : public QThread, public ILoggingEngine {
public:
    // Posts an engine event to the main window; called on the logging thread, must not block. A port that
    // could not be opened (event 16) carries its cause.
    using TPostThreadEvent = std::function<void(int iCode, const TPortOpenFailure& rPortFailure)>;
    // Reads the main window's timecode control; called on the main thread only.
    using TReadTCControl = std::function<engine::TTCControlSettings()>;

    TLoggingThread(const TLoggingThreadSettings& rSettings, TPostThreadEvent fnPostEvent,
                   TReadTCControl fnReadTCControl, const TTimingSettings& rTiming, int iThreadNo = 0);
    ~TLoggingThread() override;

    // Engine commands 104, 105, 110, 112 and 113; run on the main thread, never blocks on the meter.
    void ThreadSendMessage(int iCommand) override;

    // ILoggingEngine: the thread's start and end as its owner sees them.
    void Start() override { start(); }
    bool IsFinished() const override { return isFinished(); }
    void Wait() override { wait(); }
    void CallWhenFinished(QObject& rContext, std::function<void()> fnFinished) override;

    int ThreadState() const { return iThreadState.load(); }
    quint16 MessageSenderPort() const override;

    // Waits up to iMs for the thread's end; true when it has ended (or was never started).
    bool WaitForEnd(int iMs) override;
    // The owner gives the thread up (it did not end in time and the process is ending): from now on no
    // event reaches the owner. Only for an object that is then never destroyed.
    void Abandon() override;

    // After a close, the last words to the meter (stop its reports, leave command mode, log out) may take
    // this long in all before the thread ends regardless.
    static constexpr int kFarewellMs = 300;

protected:
    // Execute, then Destroy's clean-up and its final event 9.
    void run() override;

private:
    struct TCommand {
        int iCode = 0;
        engine::TTCControlSettings TCCtrl;
    };

    void Execute();
    void Destroy();
    void HandleException(const QString& sClassName, const QString& sMessage);

    bool ConnectCOM();
    bool ConnectNetwork();
    bool StartInstrumentLogging();
    bool StartTextMeter();
    bool StartNewMeter();
    void StopInstrumentLogging();
    bool SendLoudnessSetup();
    bool UsesVectorStart() const;
    bool IsNewMeter() const;

    // The data loop of one logging run.
    void DataLoop();
    // Logging or waiting for the start timecode.
    bool InRun() const;
    // After a close: the channels' waits get a short time again for the last words to the meter.
    void BeginFarewell();
    void HandleReports(const QString& sRXData);
    // False when the timecode ended the run.
    bool ApplyTimecodeStep(const QString& sTimeCode);

    // Commands waiting in the queue, applied on the thread.
    void ProcessCommands();
    void ApplyCommand(const TCommand& Command);
    // Ready: blocks without using the processor until a command ends the ready state.
    void WaitWhileReady();

    // The receiving side of the active link: waits up to iMs, handing complete lines to the receive buffer;
    // returns early once a line is waiting.
    void PollInstrument(int iMs);
    // Sends one text command over the active link, optionally waiting for one reply line.
    bool SendInstrumentCMD(const QString& sCMD, QString& sResponce, bool bResponce);
    // The receive buffer's content, taken.
    QString TakeRXBuffer();

    void SetState(int iState);
    int State() const { return iThreadState.load(); }
    void PostThreadEvent(int iCode, const TPortOpenFailure& rPortFailure = {});
    void SendUDPMessage(int iCode, const QString& sText);
    void SendLog(const QString& sLine);
    TInstrumentInfoMessage SerialInstrumentInfo() const;

    // Copies, owned by the thread.
    TSessionInfo rSessionInfo;
    TInstrumentInfo rActiveNetworkCFG;
    int iThreadNumber = 0;
    int iUDPPort = 0;
    int iTimeout = 0;
    int iTimeSource = engine::kTimeSourceMeter;
    QString sDataFolder;
    TTimingSettings rTiming;
    engine::TTimecodeControl TCCtrl;
    // The timecode control as the main window had it at the last start command.
    engine::TTCControlSettings StartTCCtrl;

    // Steering and reporting.
    TPostThreadEvent fnPostEvent;
    TReadTCControl fnReadTCControl;
    std::atomic<int> iThreadState{kThreadStateCreated};
    // Command 110 ends the thread even when it arrives while a connect step is still running.
    std::atomic<bool> bCloseRequested{false};
    // Cancelled by command 110: every wait of the channels and the datagram pause end at once.
    TCancelToken WaitToken;
    bool bFarewell = false;
    // Set by Abandon; held while an event is posted.
    std::mutex EventLock;
    bool bAbandoned = false;
    std::mutex CommandLock;
    std::condition_variable CommandWake;
    std::deque<TCommand> Commands;
    // Set as the last act of run(): joining on it makes the thread's end visible through the standard
    // library as well as through QThread::wait.
    std::mutex EndLock;
    std::condition_variable EndWake;
    bool bRunEnded = false;

    // Bound by the constructor, used on the logging thread, stopped by the close command.
    std::unique_ptr<TUDPSender> UDP;
    // Created and used on the logging thread.
    std::unique_ptr<TqxMeterCom> COM;
    std::unique_ptr<TInstrumentMemory> InstrumentMemory;
    // The active transport (serial channel or network terminal) in data mode, with the receive buffer.
    std::unique_ptr<TInstrumentLink> Link;

    // The meter and the run, on the logging thread.
    int iSerialNumber = 0;
    QString sInstrumentName;
    int iPeakCount = 0;
    int iLastScreenNo = 1;
    QString sLastTimeCode;
    bool bPaused = false;
};
