#include "engine/LoggingThread.h"

#include "core/EngineCodes.h"
#include "engine/EngineMessages.h"
#include "engine/UDPSender.h"
#include "meter/InstrumentLink.h"
#include "meter/InstrumentMemory.h"
#include "meter/MeterCommands.h"
#include "meter/qxMeterCOM.h"

#include <QDeadlineTimer>
#include <exception>
#include <typeinfo>

namespace {

const QString kCloseError = QStringLiteral("COM Close Error.");
const QString kTextLogStart = QLatin1String(qxproto::kTextCmdLogStart);
const QString kTextLogStop = QLatin1String(qxproto::kTextCmdLogStop);
const QString kLogStop = QLatin1String(qxproto::kCmdLogStop);

// Polls of 100 ms without data that end a run.
constexpr int kDefaultNoDataPolls = 300;
// Screens of a new meter: set-up menu and quick start guide (logging refused), and the logging screens.
constexpr int kScreenSetupMenu = 3;
constexpr int kScreenQuickStart = 5;
constexpr int kScreenLogging = 14;
constexpr int kScreenLoggingAlt = 15;
// Hardware that keeps its own screen while logging.
constexpr int kHWIDKeepsScreenA = 210;
constexpr int kHWIDKeepsScreenB = 222;

bool KeepsScreen(int iHWID) {
    return iHWID == kHWIDKeepsScreenA || iHWID == kHWIDKeepsScreenB;
}

} // namespace

TLoggingThread::TLoggingThread(const TLoggingThreadSettings& rSettings, TPostThreadEvent fnPostEventIn,
                               TReadTCControl fnReadTCControlIn, const TTimingSettings& rTimingIn,
                               int iThreadNo)
    : rSessionInfo(rSettings.rSessionInfo), rActiveNetworkCFG(rSettings.rActiveNetworkCFG),
      iThreadNumber(iThreadNo), iUDPPort(rSettings.iUDPPort), iTimeSource(rSettings.iTimeSource),
      sDataFolder(rSettings.sDataFolder), rTiming(rTimingIn), StartTCCtrl(rSettings.TCCtrl),
      fnPostEvent(std::move(fnPostEventIn)), fnReadTCControl(std::move(fnReadTCControlIn)) {
    iTimeout = rTiming.iNoDataPolls > 0 ? rTiming.iNoDataPolls : kDefaultNoDataPolls;
    // Bound here, before the thread runs, so that the window knows the sender before the first message.
    UDP = std::make_unique<TUDPSender>(iUDPPort, rTiming, &WaitToken);
    TCCtrl.SyncRTC = rSettings.TCCtrl.SyncRTC;
    engine::SyncTCControl(rSettings.TCCtrl, TCCtrl);
}

TLoggingThread::~TLoggingThread() {
    ThreadSendMessage(kEngineCommandClose);
    if (isRunning() || isFinished()) {
        std::unique_lock<std::mutex> Guard(EndLock);
        EndWake.wait(Guard, [this] { return bRunEnded; });
    }
    wait();
}

bool TLoggingThread::WaitForEnd(int iMs) {
    if (!isRunning() && !isFinished())
        return true;
    std::unique_lock<std::mutex> Guard(EndLock);
    return EndWake.wait_for(Guard, std::chrono::milliseconds(iMs), [this] { return bRunEnded; });
}

void TLoggingThread::Abandon() {
    std::lock_guard<std::mutex> Guard(EventLock);
    bAbandoned = true;
}

void TLoggingThread::CallWhenFinished(QObject& rContext, std::function<void()> fnFinished) {
    connect(this, &QThread::finished, &rContext, std::move(fnFinished),
            Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
}

void TLoggingThread::ThreadSendMessage(int iCommand) {
    TCommand Command{iCommand, {}};
    switch (iCommand) {
    case kEngineCommandStart:
    case kEngineCommandTCChanged:
        // The timecode control is read here, on the main thread, and travels with the command.
        if (fnReadTCControl)
            Command.TCCtrl = fnReadTCControl();
        break;
    case kEngineCommandClose:
    case kEngineCommandStop:
    case kEngineCommandPause:
        break;
    default:
        return;
    }
    {
        std::lock_guard<std::mutex> Guard(CommandLock);
        Commands.push_back(Command);
    }
    CommandWake.notify_all();
    if (iCommand != kEngineCommandClose)
        return;
    // Queued first: a wait ended by the cancel must find the command that explains it, never count as a
    // meter that stopped sending.
    bCloseRequested.store(true);
    // The pause after a datagram ends first; nothing the thread does from now on belongs to the window,
    // which may give its port up at once.
    WaitToken.Cancel();
    UDP->Stop();
}

void TLoggingThread::run() {
    try {
        // The meter channels belong to this thread: they are created here, not by the constructor.
        if (rActiveNetworkCFG.bComPort) {
            COM = std::make_unique<TqxMeterCom>(rTiming);
            COM->SetCancelToken(&WaitToken);
            COM->SetDataFolder(sDataFolder);
            InstrumentMemory = std::make_unique<TInstrumentMemory>();
            InstrumentMemory->SetqxMeterCOM(COM.get());
        }
        TLinkReporter Reporter;
        Reporter.fnSetThreadState = [this](int iState) { SetState(iState); };
        Reporter.fnPostThreadEvent = [this](int iCode) { PostThreadEvent(iCode); };
        Reporter.fnSendLog = [this](const QString& sText) { SendLog(sText); };
        Link = std::make_unique<TInstrumentLink>(rActiveNetworkCFG, COM.get(), Reporter, rTiming);
        Link->SetCancelToken(&WaitToken);
        Execute();
    } catch (const std::exception& e) {
        HandleException(QString::fromLatin1(typeid(e).name()), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        HandleException(QStringLiteral("Exception"), QStringLiteral("unknown error"));
    }
    PostThreadEvent(State());
    Destroy();
    // Notified under the lock, so the destructor cannot free the condition before the notification is done.
    std::lock_guard<std::mutex> Guard(EndLock);
    bRunEnded = true;
    EndWake.notify_all();
}

void TLoggingThread::HandleException(const QString& sClassName, const QString& sMessage) {
    SetState(kThreadStateClosing);
    // The report itself must not throw out of the thread.
    try {
        SendLog(sClassName + " error raised, with message : " + sMessage);
        if (Link && Link->NetworkConnected())
            Link->DisconnectNetwork();
    } catch (...) {
    }
}

void TLoggingThread::Destroy() {
    BeginFarewell();
    if (Link && Link->NetworkConnected())
        Link->DisconnectNetwork();
    Link.reset();
    if (COM) {
        COM->Close();
        InstrumentMemory.reset();
        COM.reset();
    }
    PostThreadEvent(kEventConnectionClosed);
}

void TLoggingThread::Execute() {
    while (State() != kThreadStateClosing) {
        if (State() == kThreadStateCreated) {
            SetState(kThreadStateConnecting);
            PostThreadEvent(kEventConnecting);
            bool bOk = false;
            if (rActiveNetworkCFG.bComPort) {
                bOk = ConnectCOM();
                const QString sInfo = EncodeInstrumentInfoMessage(SerialInstrumentInfo());
                SendLog(sInfo);
                SendUDPMessage(kMessageInstrumentInfo, sInfo);
                if (bOk) {
                    if (!IsNewMeter()) {
                        SetState(kThreadStateReady);
                    } else if (COM->SendCMD(kLogStop, true)) {
                        InstrumentMemory->InitLogging();
                        SetState(kThreadStateReady);
                    } else {
                        PostThreadEvent(kEventLoggingNotSupported);
                        SetState(kThreadStateClosing);
                    }
                }
            } else {
                bOk = ConnectNetwork();
            }
            if (!bOk)
                SetState(kThreadStateClosing);
            SendLog(QStringLiteral("ConnectInstrument: ") +
                    (bOk ? QStringLiteral("True") : QStringLiteral("False")) + QStringLiteral("|1"));
            SendUDPMessage(kMessageInstrumentName, EncodeInstrumentNameMessage({sInstrumentName}));
            SendUDPMessage(kMessageSerialNumber, EncodeSerialNumberMessage({iSerialNumber}));
        }

        PostThreadEvent(State());
        WaitWhileReady();

        // Event 7 and the meter's stop belong to a logging run only: a failed connect or a close from the
        // ready state has nothing to stop and no session to finish.
        if (State() != kThreadStateLogging)
            break;
        StartInstrumentLogging();
        if (State() == kThreadStateLogging && engine::WaitsForStartTC(TCCtrl))
            SetState(kThreadStateWaitingStartTC);
        PostThreadEvent(State());
        // A start refused before the meter was told to log (port gone, set-up menu shown) had no run.
        if (State() == kThreadStateClosing)
            break;

        DataLoop();

        PostThreadEvent(kEventLoggingEnded);
        BeginFarewell();
        StopInstrumentLogging();
        // Lines the meter sent before it stopped belong to no session, nor to the next run's start.
        Link->ClearRXBuffer();
        ProcessCommands();
        if (Link->NetworkConnected() && State() == kThreadStateClosing)
            Link->DisconnectNetwork();
        if (State() != kThreadStateLogging && State() != kThreadStateReady)
            break;
    }
}

bool TLoggingThread::IsNewMeter() const {
    return COM && COM->qxMeterInfo().TypeNo >= engine::kFirstNewMeterTypeNo;
}

bool TLoggingThread::UsesVectorStart() const {
    return COM && engine::UsesVectorStart(COM->qxMeterInfo().HWID);
}

TInstrumentInfoMessage TLoggingThread::SerialInstrumentInfo() const {
    const TqxMeterInfo& r = COM->qxMeterInfo();
    TInstrumentInfoMessage m;
    m.sTypeName = r.TypeName;
    m.iTypeNo = r.TypeNo;
    m.iSerialNo = r.SerialNo;
    m.sReserved = QString();
    m.iReserved1 = 0;
    m.iReserved2 = 0;
    m.iSoftwarePackage = int(r.SoftwarePackage);
    m.iRunVerMajor = int(r.RunVerMajor);
    m.iRunVerMinor = int(r.RunVerMinor);
    m.iFPGAVersion = int(r.FPGAVersion);
    return m;
}

bool TLoggingThread::ConnectCOM() {
    COM->SetPort(rActiveNetworkCFG.iPort);
    if (!COM->Open()) {
        PostThreadEvent(kEventPortNotOpened, COM->OpenFailure());
        return false;
    }
    if (!COM->ConnectToMeter()) {
        PostThreadEvent(kEventNoInstrument);
        return false;
    }
    const TqxMeterInfo& rInfo = COM->qxMeterInfo();
    sInstrumentName = rInfo.TypeName;
    iSerialNumber = rInfo.SerialNo;

    if (IsNewMeter()) {
        TInstrumentMemory& Memory = *InstrumentMemory;
        const bool bRead =
            Memory.DeAllocatePresetMemory() && Memory.ReadMainMemoryPool() && Memory.ReadScreenInfo() &&
            Memory.SPIReadPreset() &&
            Memory.GetLoudnessConfig(rSessionInfo.rLoudnessSetup, rInfo.HWID, rInfo.SoftwarePackage);
        if (!bRead) {
            SendLog(QStringLiteral("Main Memory Pool Read Error."));
            PostThreadEvent(kEventLoggingNotSupported);
            SetState(kThreadStateClosing);
            COM->SetCommandMode(false);
            return false;
        }
    }
    if (TCCtrl.SyncRTC && UsesVectorStart())
        COM->SetRTC();
    COM->SetCommandMode(false);
    PostThreadEvent(kEventConnected);
    SetState(kThreadStateConnecting);
    return true;
}

bool TLoggingThread::ConnectNetwork() {
    const bool bOk = Link->ConnectNetwork();
    sInstrumentName = Link->InstrumentName();
    iSerialNumber = Link->SerialNumber();
    // A network meter identifies itself only through its login: its sessions carry that identification,
    // never the one of the meter connected before it.
    if (bOk) {
        TInstrumentInfoMessage m;
        m.sTypeName = sInstrumentName;
        m.iSerialNo = iSerialNumber;
        m.sReserved = QString();
        m.iTypeNo = m.iReserved1 = m.iReserved2 = m.iSoftwarePackage = m.iRunVerMajor = m.iRunVerMinor =
            m.iFPGAVersion = 0;
        SendUDPMessage(kMessageInstrumentInfo, EncodeInstrumentInfoMessage(m));
    }
    return bOk;
}

bool TLoggingThread::StartInstrumentLogging() {
    engine::SyncTCControl(StartTCCtrl, TCCtrl);
    if (IsNewMeter())
        return StartNewMeter();
    return StartTextMeter();
}

bool TLoggingThread::StartTextMeter() {
    QString sResponce;
    for (int i = 0; i < 3; ++i) {
        SendInstrumentCMD(kTextLogStop, sResponce, false);
        PollInstrument(rTiming.iTextStopPauseMs);
    }
    PollInstrument(rTiming.iTextStartPauseMs);

    if (!SendInstrumentCMD(kTextLogStart, sResponce, true)) {
        SetState(kThreadStateConnecting);
        return false;
    }
    PostThreadEvent(kEventLoggingStarted);

    bool bReceived = false;
    for (int i = 0; i < rTiming.iInitReportPolls && !bReceived; ++i) {
        PollInstrument(rTiming.iInitReportPollMs);
        bReceived = Link->RXString();
    }
    if (!bReceived) {
        SetState(kThreadStateFailed);
        SendLog(QStringLiteral("No initialization data received from instrument.|4"));
        return false;
    }
    QString sRXData;
    Link->GetRXString(sRXData);
    engine::ParseSetupReport(sRXData, rSessionInfo.rLoudnessSetup);
    SetState(kThreadStateLogging);
    if (!SendLoudnessSetup()) {
        SetState(kThreadStateFailed);
        SendLog("Invalid initialization data received from instrument. (" + TakeRXBuffer() + ")|4");
        return false;
    }
    return true;
}

bool TLoggingThread::StartNewMeter() {
    COM->Close();
    // A port that fails to open again (the meter unplugged since connecting) ends the thread at once;
    // going on would only wait out the no-data time-out with nothing to tell the user.
    if (COM->LastMessage() == kCloseError || !COM->Open()) {
        SetState(kThreadStateClosing);
        PostThreadEvent(kEventNoInstrument);
        SendLog("Could not reopen COM. (" + QString::number(rActiveNetworkCFG.iPort) + ")|4");
        return false;
    }
    iLastScreenNo = 1;
    if (!COM->GetScreenNo(iLastScreenNo))
        return false;
    if (iLastScreenNo == kScreenSetupMenu || iLastScreenNo == kScreenQuickStart) {
        PostThreadEvent(kEventSetupMenuShown);
        SetState(kThreadStateClosing);
        return false;
    }
    const TqxMeterInfo& rInfo = COM->qxMeterInfo();
    const bool bVectorStart = UsesVectorStart() && rInfo.SoftwarePackage >= engine::kFirstVectorStartSoftware;
    if (bVectorStart) {
        COM->CallVector(engine::kVectorResetFirst);
        COM->CallVector(engine::kVectorResetSecond);
    } else {
        COM->CallVector(engine::kVectorResetOlder);
    }
    PostThreadEvent(kEventLoggingStarted);
    if (!SendLoudnessSetup()) {
        SendLog("Invalid initialization data received from instrument. (" + TakeRXBuffer() + ")|4");
        return false;
    }
    const int iScreen = InstrumentMemory->ReadScreenInfo() && InstrumentMemory->DisplayRec().Active == 0
                            ? kScreenLogging
                            : kScreenLoggingAlt;
    const bool bScreenOk = KeepsScreen(rInfo.HWID) || COM->SetScreenNo(quint16(iScreen));
    const quint32 lAddress = InstrumentMemory->LoggingDataAddress();
    bool bStarted = false;
    if (bVectorStart)
        bStarted = bScreenOk && COM->CallVector(engine::kVectorResetFirst) &&
                   COM->CallVector(engine::kVectorResetSecond) && COM->CallVector(engine::kVectorRun) &&
                   COM->StartLogging(lAddress);
    else
        bStarted = bScreenOk && COM->CallVector(engine::kVectorResetOlder) && COM->StartLogging(lAddress);
    if (bStarted)
        SetState(kThreadStateLogging);
    return bStarted;
}

void TLoggingThread::StopInstrumentLogging() {
    if (IsNewMeter()) {
        COM->SendCMD(kLogStop, true);
        if (!KeepsScreen(COM->qxMeterInfo().HWID))
            COM->SetScreenNo(quint16(iLastScreenNo));
        return;
    }
    QString sResponce;
    SendInstrumentCMD(kTextLogStop, sResponce, false);
    SendInstrumentCMD(kTextLogStop, sResponce, false);
}

bool TLoggingThread::SendLoudnessSetup() {
    const TLoudnessSetup& s = rSessionInfo.rLoudnessSetup;
    if (!s.bValid)
        return false;
    TLoudnessSetupMessage m;
    m.iPeakMode = s.iPeakMode;
    m.iCapture = s.iCapture;
    m.iScaleMode = s.iScaleMode;
    m.iReference = s.iReference;
    m.iSlidingWindow = s.iSlidingWindow;
    m.fGateLevel = s.fGateLevel;
    m.iGateMode = s.iGateMode;
    m.fReferenceLevel = s.fReferenceLevel;
    m.fMeterPeakLevel = s.fMeterPeakLevel;
    m.iFilter = s.iFilter;
    SendUDPMessage(kMessageLoudnessSetup, EncodeLoudnessSetupMessage(m));
    iPeakCount = 0;
    return true;
}

bool TLoggingThread::InRun() const {
    const int iState = State();
    return iState == kThreadStateLogging || iState == kThreadStateWaitingStartTC;
}

void TLoggingThread::BeginFarewell() {
    if (!bCloseRequested.load() || bFarewell)
        return;
    bFarewell = true;
    WaitToken.Reopen(kFarewellMs);
}

void TLoggingThread::DataLoop() {
    while (InRun()) {
        int iCount = 0;
        for (;;) {
            ProcessCommands();
            if (Link->RXString() || !InRun())
                break;
            ++iCount;
            if (iTimeout > 0 && iCount > iTimeout) {
                SetState(kThreadStateFailed);
                PostThreadEvent(State());
                break;
            }
            PollInstrument(rTiming.iPollMs);
        }
        if (Link->RXString()) {
            QString sRXData;
            Link->GetRXString(sRXData);
            HandleReports(sRXData);
        }
    }
}

void TLoggingThread::HandleReports(const QString& sRXData) {
    engine::TLoudnessData Records;
    engine::ParseLevelReport(sRXData, Records, iTimeSource);
    const TLoudnessSetup& s = rSessionInfo.rLoudnessSetup;
    for (const engine::TLoudnessDataRec& r : Records) {
        // Stop and close take effect between lines, however many the meter has sent meanwhile: the lines
        // still waiting then belong to no session.
        ProcessCommands();
        if (!InRun())
            break;
        if (!r.bValid)
            continue;
        if (r.iPeakChannel > 0)
            ++iPeakCount;
        if (r.bPaused) {
            if (!bPaused) {
                PostThreadEvent(kEventPaused);
                bPaused = true;
            }
            SendUDPMessage(kMessageTimeCode, EncodeTimeCodeMessage({r.sTimeCode}));
        } else if (State() == kThreadStateWaitingStartTC) {
            SendUDPMessage(kMessageTimeCode, EncodeTimeCodeMessage({r.sTimeCode}));
        } else if (r.sTimeCode != sLastTimeCode) {
            if (bPaused) {
                PostThreadEvent(State());
                bPaused = false;
            }
            sLastTimeCode = r.sTimeCode;
            TLevelRecordMessage m;
            m.sTimeCode = r.sTimeCode;
            m.fMeterPeakLevel = s.fMeterPeakLevel;
            m.fGateLevel = s.fGateLevel;
            m.nLoudnessHi = r.nLoudnessHi;
            m.nLoudnessLow = r.nLoudnessLow;
            m.nInstantaneousPeak = r.nInstantaneousPeak;
            m.iSlidingWindow = s.iSlidingWindow;
            m.iPeakChannel = r.iPeakChannel;
            m.nLoudnessIntegrating = r.nIntegrating;
            m.iPeakCount = iPeakCount;
            m.bValid = true;
            SendUDPMessage(kMessageLevelRecord, EncodeLevelRecordMessage(m));
        } else {
            SendUDPMessage(kMessageTimeCode, EncodeTimeCodeMessage({r.sTimeCode}));
            if (!bPaused) {
                PostThreadEvent(kEventTimecodeStopped);
                bPaused = true;
            }
        }
        if (TCCtrl.Enabled && !ApplyTimecodeStep(r.sTimeCode))
            // The stop timecode ends the run: later reports of the same take belong to no session.
            break;
    }
}

bool TLoggingThread::ApplyTimecodeStep(const QString& sTimeCode) {
    engine::TTCMeter Meter;
    if (COM) {
        const TqxMeterInfo& rInfo = COM->qxMeterInfo();
        Meter = {rInfo.TypeNo, rInfo.HWID, rInfo.SoftwarePackage};
    }
    const engine::TTCStepResult Step =
        engine::TimecodeStep(TCCtrl, sTimeCode, State() == kThreadStateWaitingStartTC, Meter);
    switch (Step.action) {
    case engine::TTCAction::StartLogging:
        SetState(kThreadStateLogging);
        PostThreadEvent(kEventLogging);
        for (const int iVector : Step.resetVectors)
            if (COM)
                COM->CallVector(quint16(iVector));
        break;
    case engine::TTCAction::StopLogging:
        SetState(kThreadStateReady);
        return false;
    case engine::TTCAction::WaitingForStop:
        PostThreadEvent(kEventWaitingStopTC);
        break;
    case engine::TTCAction::None:
        break;
    }
    return true;
}

void TLoggingThread::ProcessCommands() {
    std::deque<TCommand> Pending;
    {
        std::lock_guard<std::mutex> Guard(CommandLock);
        Pending.swap(Commands);
    }
    for (const TCommand& Command : Pending)
        ApplyCommand(Command);
}

void TLoggingThread::ApplyCommand(const TCommand& Command) {
    const int iState = State();
    switch (Command.iCode) {
    case kEngineCommandStart:
        // The start button is offered only when the thread is ready; a late or repeated start must not
        // restart a run that is already going.
        if (iState == kThreadStateReady) {
            StartTCCtrl = Command.TCCtrl;
            SetState(kThreadStateLogging);
        }
        break;
    case kEngineCommandStop:
        if (iState == kThreadStateLogging || iState == kThreadStateWaitingStartTC)
            SetState(kThreadStateReady);
        break;
    case kEngineCommandClose:
        SetState(kThreadStateClosing);
        break;
    case kEngineCommandTCChanged:
        if (engine::TCControlChanged(Command.TCCtrl, TCCtrl, iState == kThreadStateWaitingStartTC))
            SetState(kThreadStateLogging);
        PostThreadEvent(State());
        break;
    case kEngineCommandPause:
        // Only a new meter on the serial channel pauses by vector; the call runs here, between the thread's
        // own operations on the channel.
        if (IsNewMeter() && COM->Connected())
            COM->CallVector(engine::kVectorRun);
        break;
    default:
        break;
    }
}

void TLoggingThread::WaitWhileReady() {
    while (State() == kThreadStateReady) {
        {
            std::unique_lock<std::mutex> Guard(CommandLock);
            CommandWake.wait(Guard, [this] { return !Commands.empty(); });
        }
        ProcessCommands();
    }
}

void TLoggingThread::PollInstrument(int iMs) {
    if (!Link) {
        // No link to receive from: the wait is still a wait, never a spin.
        WaitToken.SleepFor(iMs);
        return;
    }
    // The full interval unless a line arrives or the thread is told to close: bytes without a line end do
    // not shorten the wait. The interval is waited in one piece, not in cancel slices: while a session runs
    // this wait is where the thread spends its time, and slices would wake it twice as often for nothing
    // (the station's largest CPU cost at one report a second). A close is seen at the latest one poll
    // interval later; a network link still cuts its own waits into slices.
    QDeadlineTimer Deadline(qMax(iMs, 0));
    do {
        Link->PollRX(WaitToken.Cancelled() ? 0 : int(qMax<qint64>(Deadline.remainingTime(), 0)));
    } while (!Link->RXString() && !Deadline.hasExpired() && !WaitToken.Cancelled());
}

bool TLoggingThread::SendInstrumentCMD(const QString& sCMD, QString& sResponce, bool bResponce) {
    sResponce.clear();
    return Link && Link->SendInstrumentCMD(sCMD, sResponce, bResponce);
}

QString TLoggingThread::TakeRXBuffer() {
    QString sText;
    if (Link)
        Link->GetRXString(sText);
    return sText;
}

void TLoggingThread::SetState(int iState) {
    // Once closing is asked for, only a failure state may stand in its place.
    if (bCloseRequested.load() && iState != kThreadStateFailed)
        iState = kThreadStateClosing;
    iThreadState.store(iState);
}

void TLoggingThread::PostThreadEvent(int iCode, const TPortOpenFailure& rPortFailure) {
    // A connect the user cancelled fails because of the cancel: no message may blame the meter for it.
    if (bCloseRequested.load() && BlamesTheMeter(iCode))
        return;
    std::lock_guard<std::mutex> Guard(EventLock);
    if (fnPostEvent && !bAbandoned)
        fnPostEvent(iCode, rPortFailure);
}

void TLoggingThread::SendUDPMessage(int iCode, const QString& sText) {
    UDP->SendUDPMessage(iCode, sText);
}

void TLoggingThread::SendLog(const QString& sLine) {
    SendUDPMessage(kMessageLog, EncodeLogMessage({sLine}));
}

quint16 TLoggingThread::MessageSenderPort() const {
    return UDP->LocalPort();
}
