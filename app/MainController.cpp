#include "app/MainController.h"

#include "core/EngineCodes.h"
#include "core/MessageBoxLayout.h"
#include "core/SettingsFile.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "engine/EngineControl.h"
#include "engine/EngineMessages.h"
#include "engine/LoggingThread.h"
#include "meter/ComPorts.h"
#include "review/SessionJudge.h"
#include "store/ComplianceStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace {

// The timecode shown from a connect until the connection's first report.
const QString kNoTimeCode = QStringLiteral("00:00:00:00");

// A field the message did not carry leaves the target as it was.
template <typename T> void Take(const std::optional<T>& Field, T& Target) {
    if (Field)
        Target = *Field;
}

} // namespace

QString CreateGuid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QString BuildInstrumentText(const TUDPInstrumentInfo& r) {
    return r.sTypeName + '|' + QString::number(r.iTypeNo) + '|' + QString::number(r.iSerialNo) + '|' +
           QString::number(r.iReserved1) + '|' + QString::number(r.iSoftwarePackage) + '|' +
           QString::number(r.iRunVerMajor) + '.' + QString::number(r.iRunVerMinor) + '|' +
           QString::number(r.iFPGAVersion) + '|';
}

namespace {

engine::TTCControlSettings ToEngineTC(const TTimecodeControl& Main) {
    engine::TTCControlSettings TC;
    TC.OptionEnabled = Main.OptionEnabled;
    TC.Enabled = Main.Enabled;
    TC.EnabledStart = Main.EnabledStart;
    TC.EnabledStop = Main.EnabledStop;
    TC.SyncRTC = Main.SyncRTC;
    TC.TCStart = Main.TCStart;
    TC.TCStop = Main.TCStop;
    return TC;
}

std::unique_ptr<ILoggingEngine> MakeLoggingThread(const TLoggingThreadSettings& rSettings,
                                                  TLoggingThread::TPostThreadEvent fnPostEvent,
                                                  TLoggingThread::TReadTCControl fnReadTCControl,
                                                  const TTimingSettings& rTiming) {
    return std::make_unique<TLoggingThread>(rSettings, std::move(fnPostEvent), std::move(fnReadTCControl),
                                            rTiming);
}

} // namespace

TMainController::TMainController(QObject* parent)
    : QObject(parent), Keeper(KeeperActions()), fnEngineFactory(MakeLoggingThread) {
    connect(&UDP, &TMessagePort::DatagramReceived, this, &TMainController::UDPUDPRead);
    // Only the logging thread's sender is heard, unless the user lets other programs in. The thread this
    // controller made is heard until it is released: its last log lines follow its closing state.
    UDP.SetSenderCheck([this](const TDatagramSender& Sender) {
        return Settings.bAcceptExternalMessages ||
               (pLoggingThread && Sender.IsLoopbackPort(pLoggingThread->MessageSenderPort()));
    });
    connect(&UDP, &TMessagePort::ForeignDatagramsDropped, this,
            [this](qint64 iCount, const QString& sLastSender) {
                AddLog(-1, "Datagrams of other programs dropped at the message port: " +
                               QString::number(iCount) + ", the last from " + sLastSender + ".|3");
            });
    connect(this, &TMainController::LoggingThreadEnded, this, &TMainController::ReleaseLoggingThread);
    connect(&Store, &TSessionStore::WaitingChanged, this, &TMainController::StoreWaitingChanged);
    connect(&Store, &TSessionStore::SessionWritten, this, &TMainController::SessionWritten);
    connect(&Keeper, &TLinkKeeper::GapClosed, this, &TMainController::StoreGap);
    connect(&Keeper, &TLinkKeeper::ReconnectScheduled, this,
            [this](int iAttempt, int iPauseSeconds, const QString& sReason) {
                AddLog(0, sReason + " Session " + rSessionInfo.sReportID + " kept open; attempt " +
                              QString::number(iAttempt) + " in " + QString::number(iPauseSeconds) + " s.|3");
                ShowReconnect(FormatText(GetText(kTxtReconnectPause, Settings.iLNG),
                                         {QString::number(iPauseSeconds), QString::number(iAttempt)}));
            });
    connect(&Keeper, &TLinkKeeper::Attempting, this, [this](int iAttempt) {
        AddLog(0, "Reconnecting, attempt " + QString::number(iAttempt) + ".|1");
        ShowReconnect(FormatText(GetText(kTxtReconnectAttempt, Settings.iLNG), {QString::number(iAttempt)}));
    });
    connect(&SessionTargets, &TNewSessionTarget::TargetNotWritten, this,
            [this](const QString& sReportId, const QString& sReason) {
                AddLog(-1, "The loudness target of session " + sReportId +
                               " could not be stored: " + sReason + "|3");
            });
}

TMainController::~TMainController() {
    SaveWaitingRows();
    pActiveThread = nullptr;
    // A thread that has finished has nothing left to close.
    if (!pLoggingThread || pLoggingThread->IsFinished())
        return;
    pLoggingThread->ThreadSendMessage(kEngineCommandClose);
    if (!pLoggingThread->WaitForEnd(kThreadEndWaitMs)) {
        // Every wait of the thread ends on the close command, so this is a thread stuck in the system. The
        // process must end anyway (a process left behind would hold the meter's port): the thread is given
        // up, reaches nobody any more, and ends with the process.
        AddLog(-1,
               QStringLiteral("The logging thread did not end when told to; it ends with the program.|3"));
        pLoggingThread->Abandon();
        static_cast<void>(pLoggingThread.release());
    }
    pLoggingThread.reset();
}

void TMainController::SetLoggingEngineFactory(TLoggingEngineFactory fnFactory) {
    fnEngineFactory = fnFactory ? std::move(fnFactory) : MakeLoggingThread;
}

void TMainController::SetReconnectOptionsSource(std::function<TReconnectOptions()> fnSource) {
    fnReconnectOptions = std::move(fnSource);
}

TLinkKeeper::TActions TMainController::KeeperActions() {
    TLinkKeeper::TActions r;
    // The keeper's own close is no stop: it goes to the thread directly, past the stop handling.
    r.fnCloseLink = [this] {
        if (pActiveThread)
            pActiveThread->ThreadSendMessage(kEngineCommandClose);
    };
    r.fnConnect = [this] { return ConnectInstrument(); };
    r.fnStartLogging = [this] {
        if (pActiveThread)
            pActiveThread->ThreadSendMessage(kEngineCommandStart);
    };
    r.fnSerialMeter = [this] { return Settings.rActiveNetworkCFG.bComPort; };
    r.fnDevicePresent = [this] {
        const TInstrumentInfo& rMeter = Settings.rActiveNetworkCFG;
        return !rMeter.bComPort || QFileInfo::exists(ComPortDevicePath(rMeter.iPort, sDataFolder));
    };
    r.fnOptions = [this] { return fnReconnectOptions ? fnReconnectOptions() : Settings.rReconnect; };
    return r;
}

TLoggingThreadSettings TMainController::LoggingThreadSettings() const {
    TLoggingThreadSettings s;
    s.rSessionInfo = rSessionInfo;
    s.rActiveNetworkCFG = Settings.rActiveNetworkCFG;
    s.iUDPPort = UDP.Port();
    s.iTimeSource = Settings.iTimesource;
    s.TCCtrl = ToEngineTC(Settings.TCCtrl);
    s.sDataFolder = sDataFolder;
    return s;
}

bool TMainController::ConnectInstrument(const TTimingSettings& rTiming) {
    if (pLoggingThread) {
        if (!pLoggingThread->IsFinished())
            return false;
        pLoggingThread->Wait();
        pLoggingThread.reset();
    }
    // Events come back as queued calls on this object's thread; the timecode control is read there too.
    const auto fnPostEvent = [this](int iCode, const TPortOpenFailure& rPortFailure) {
        QMetaObject::invokeMethod(
            this, [this, iCode, rPortFailure] { HandleEngineEvent(iCode, rPortFailure); },
            Qt::QueuedConnection);
    };
    const auto fnReadTCControl = [this] { return ToEngineTC(Settings.TCCtrl); };
    pLoggingThread = fnEngineFactory(LoggingThreadSettings(), fnPostEvent, fnReadTCControl, rTiming);
    pActiveThread = pLoggingThread.get();
    FilterMessagePort();
    pLoggingThread->Start();
    return true;
}

void TMainController::ReleaseLoggingThread() {
    if (!pLoggingThread || pActiveThread == pLoggingThread.get())
        return;
    if (!pLoggingThread->IsFinished()) {
        // Asked before the test, so a thread that finishes in between is still seen.
        pLoggingThread->CallWhenFinished(*this, [this] { ReleaseLoggingThread(); });
        if (!pLoggingThread->IsFinished())
            return;
    }
    pLoggingThread->Wait();
    pLoggingThread.reset();
    FilterMessagePort();
}

void TMainController::FilterMessagePort() {
    const bool bThreadOnly = pLoggingThread && !Settings.bAcceptExternalMessages;
    // Should the system refuse, the sender check still keeps other programs out; only a flood could then
    // crowd out the thread's records.
    UDP.HearOnly(bThreadOnly ? pLoggingThread->MessageSenderPort() : 0);
}

bool TMainController::InitialiseDataFolder(const QString& sDataFolderIn) {
    sDataFolder = sDataFolderIn;
    sINI = sDataFolder + "/QXLogging.INI";
    // A folder that cannot be made shows up later as settings that cannot be written.
    QDir().mkpath(sDataFolder);
    slLog.SetMirrorFile(sDataFolder + "/QXLogging.log");
    Store.SetSpareRecoveryFile(sDataFolder + "/QXLogging.recovery");

    if (UDP.Bind(TMessagePort::kFirstPort)) {
        slLog.AddLog(-1, "UDP Port " + QString::number(UDP.Port()) + " selected.|1");
        return true;
    }
    slLog.AddLog(-1, "Could not bind message socket.|4");
    return false;
}

bool TMainController::ReadIni() {
    sSettingsProblem = SettingsFileProblem(sINI);
    if (!sSettingsProblem.isEmpty())
        AddLog(-1, "Could not read settings file " + sINI + ": " + sSettingsProblem + "|3");
    const bool bRead = ::ReadIni(sINI, Settings, [this](const QString& sLine) { AddLog(-1, sLine); });
    FilterMessagePort();

    const QString& sDB = Settings.sDatabaseFileName;
    const bool bOpened = !sDB.isEmpty() && SQLConnection.OpenSQLiteDB(sDB);
    sDatabaseProblem.clear();
    if (bOpened) {
        if (SQLConnection.RepairedSessions() > 0)
            AddLog(-1, "Timecodes of " + QString::number(SQLConnection.RepairedSessions()) +
                           " interrupted sessions restored from their level rows.|2");
        View->SetStatusText(kPanelDatabase, TruncateString(sDB, kDatabaseNameWidth, true));
        View->SetMainGUI(kGUIDatabase);
        bShowDBSelectWindow = false;
    } else {
        if (!sDB.isEmpty()) {
            AddLog(-1, "Could not open database " + sDB + ": " + SQLConnection.LastError() + "|3");
            const QStringList slMissing = SQLConnection.MissingColumns();
            sDatabaseProblem = slMissing.isEmpty() ? SQLConnection.LastError()
                                                   : FormatText(GetText(kTxtTablesLackColumns, Settings.iLNG),
                                                                {slMissing.join(QStringLiteral(", "))});
        }
        View->SetStatusText(kPanelDatabase, QString());
        View->SetMainGUI(kGUINoDatabase);
        bShowDBSelectWindow = true;
    }
    const TInstrumentInfo& rActive = Settings.rActiveNetworkCFG;
    if (rActive.bValid) {
        if (rActive.iSerialNo != 0)
            View->SetStatusText(kPanelSerialNo, QString::number(rActive.iSerialNo));
        View->SetStatusText(kPanelHostName, rActive.sHostName);
    }
    return bRead;
}

bool TMainController::WriteIni(QString& sError) {
    if (bKeepSettingsFile) {
        AddLog(-1, "Settings not written: " + sINI + " could not be read and no copy of it was kept.|3");
        return true;
    }
    return ::WriteIni(sINI, Settings, sError);
}

bool TMainController::RecoverSettings() {
    QString sCopy;
    QString sError;
    if (!RecoverSettingsFile(sINI, sCopy, sError)) {
        bKeepSettingsFile = QFile::exists(sINI);
        AddLog(-1, "Could not replace the unreadable settings file " + sINI + ": " + sError + "|4");
        sSettingsNotice = FormatText(GetText(kTxtSettingsNotCopied, Settings.iLNG), {sINI, sError});
        return false;
    }
    AddLog(-1, "The unreadable settings file " + sINI + " was kept as " + sCopy + "; defaults used.|3");
    ReadIni();
    sSettingsNotice = FormatText(GetText(kTxtSettingsCopyKept, Settings.iLNG), {sINI, sCopy});
    return true;
}

void TMainController::ThreadSendMessage(int iCommand) {
    const bool bEnd = iCommand == kEngineCommandStop || iCommand == kEngineCommandClose;
    if (bEnd && Keeper.StopAsked()) {
        // A stop while the session waits for its meter ends the session with the rows it has; a connect
        // the keeper began is closed, not left connected without its run.
        EndHeldSession();
        if (pActiveThread) {
            pActiveThread->ThreadSendMessage(kEngineCommandClose);
            return;
        }
        // No thread is left to report the link's end: it is reported as the thread would, after the
        // caller's own reaction to its stop.
        QMetaObject::invokeMethod(
            this, [this] { HandleEngineEvent(kEventConnectionClosed); }, Qt::QueuedConnection);
        return;
    }
    if (pActiveThread)
        pActiveThread->ThreadSendMessage(iCommand);
}

void TMainController::DisconnectInstrument() {
    ThreadSendMessage(kEngineCommandClose);
    StoreEndedSession();
    sCurrentSession.clear();
}

void TMainController::StoreEndedSession() {
    if (!rSessionInfo.sReportID.isEmpty())
        aEndedSessions.insert(rSessionInfo.sReportID);
    Store.UpdateSession(rSessionInfo);
}

void TMainController::SessionWritten(const QString& sReportId) {
    // Waits drained in order may write an ended session's first record before its rows: it is judged
    // once nothing of it waits any more, which its closing record's write makes sure of.
    if (aEndedSessions.contains(sReportId) && Store.WaitingWritesOf(sReportId) == 0) {
        aEndedSessions.remove(sReportId);
        JudgeEndedSession(sReportId);
    }
    Q_EMIT SessionStored(sReportId);
}

void TMainController::JudgeEndedSession(const QString& sReportId) {
    TSessionJudge Judge(SQLConnection, Settings.rComplianceOptions);
    // Not worth a message box in the middle of logging: the list shows the session as not yet computed,
    // and its verdict is computed when it is loaded.
    if (!Judge.JudgeAndKeep(sReportId)) {
        AddLog(-1, "The verdict of session " + sReportId + " could not be kept: " + Judge.LastError() + "|3");
        return;
    }
    AddLog(-1,
           "Session " + sReportId + " judged: " + VerdictMarkName(Judge.Mark(), kLanguageEnglish) + ".|1");
}

void TMainController::StoreWaitingChanged(int iWaiting, const QString& sReason) {
    if (iWaiting == 0) {
        View->SetStatusText(kPanelStore, QString());
        if (!sLoggedStoreReason.isEmpty())
            AddLog(-1, "Every waiting row has been written to the database.|1");
        sLoggedStoreReason.clear();
        return;
    }
    View->SetStatusText(kPanelStore, FormatText(GetText(kTxtRowsWaiting, Settings.iLNG),
                                                {QString::number(iWaiting), sReason}));
    // One line for each new reason, not one for every row that joins the wait.
    if (sReason == sLoggedStoreReason)
        return;
    sLoggedStoreReason = sReason;
    AddLog(-1, "Rows wait for the database, which refused a write: " + sReason + "|4");
}

TMainController::TSavedRows TMainController::SaveWaitingRows() {
    TSavedRows r;
    if (Store.WaitingCount() == 0)
        return r;
    const int iWaiting = Store.WaitingCount();
    r.slFiles = Store.SaveWaiting(r.sError);
    r.iLost = Store.WaitingCount();
    r.iSaved = iWaiting - r.iLost;
    if (!r.slFiles.isEmpty())
        AddLog(-1, QString::number(r.iSaved) + " rows that the database did not take were saved in " +
                       r.slFiles.join(", ") + ".|4");
    if (r.iLost > 0)
        AddLog(-1, QString::number(r.iLost) + " rows could not be saved: " + r.sError + "|4");
    return r;
}

QString TMainController::SavedRowsMessage(const TSavedRows& r, int iLNG) {
    QStringList slParts;
    if (r.iSaved > 0)
        slParts << FormatText(GetText(kTxtRowsSavedAtClose, iLNG),
                              {QString::number(r.iSaved), r.slFiles.join(QStringLiteral("\", \""))});
    if (r.iLost > 0)
        slParts << FormatText(GetText(kTxtRowsNotSavedAtClose, iLNG), {QString::number(r.iLost), r.sError});
    return slParts.join(QStringLiteral("\r\r"));
}

void TMainController::OfferRecoveredRows() {
    for (const QString& sFile : Store.RecoveryFilesFound()) {
        if (!View->ConfirmEntry(kTxtImportRecoveredRows, sFile))
            continue;
        int iTaken = 0;
        int iSkipped = 0;
        QString sError;
        if (!Store.ImportRecovery(sFile, iTaken, iSkipped, sError)) {
            AddLog(-1, "Could not read " + sError + "|4");
            continue;
        }
        AddLog(-1, QString::number(iTaken) + " saved rows taken from " + sFile + " (" +
                       QString::number(iSkipped) + " lines skipped: unreadable or without their session).|2");
        if (!Store.KeptCopy().isEmpty())
            AddLog(-1, "The lines not taken stay in " + Store.KeptCopy() + ".|3");
    }
}

void TMainController::SetLoggingStatus(int iStatus) {
    Settings.rActiveNetworkCFG.iLoggingStatus = iStatus;
    View->UpdateSGInstrumentInfo();
}

void TMainController::ForgetPreviousMeter() {
    // The identification belongs to one connection: a meter that sends none (or a shorter one) must not
    // inherit the fields of the meter before it.
    rInstrumentInfo = TUDPInstrumentInfo();
    const TInstrumentInfo& r = Settings.rActiveNetworkCFG;
    const QString sMeter = r.bComPort ? QStringLiteral("COM%1").arg(r.iPort)
                                      : QStringLiteral("%1:%2").arg(r.sHostName).arg(r.iPort);
    const bool bOtherMeter = !sLastMeter.isEmpty() && sMeter != sLastMeter;
    sLastMeter = sMeter;
    if (!bOtherMeter)
        return;
    // What is on screen was measured by another meter: it must not be read as this one's.
    rLoudnessData = TMainLoudnessData();
    rSessionInfo = TSessionInfo();
    rLiveTarget.Clear();
    View->ClearMeterValues();
}

void TMainController::FinishSession() {
    View->CheckSessionInfoChanges(rSessionInfo);
    StoreEndedSession();
}

void TMainController::EndHeldSession() {
    AddLog(0, "The session " + rSessionInfo.sReportID + " held open for reconnecting is ended.|1");
    FinishSession();
    bLoggingInProgress = false;
    sCurrentSession.clear();
    ShowReconnect(QString());
}

void TMainController::ShowReconnect(const QString& sText) {
    View->SetStatusText(kPanelLink, sText);
}

void TMainController::StoreGap(const TSessionGap& rGap) {
    Store.InsertGap(rGap);
    AddLog(0, "Logging resumed in session " + rGap.sReportId + ": timecodes " + rGap.sTimeCodeBefore +
                  " to " + rGap.sTimeCodeAfter + " missing (" + rGap.sReason + ")|2");
    ShowReconnect(QString());
}

void TMainController::HandleHeldEvent(int iCode, const TPortOpenFailure& rPortFailure) {
    switch (iCode) {
    case kEventLoggingEnded:
        // The run's last records belong to the session held open.
        UDP.DeliverPending();
        AddLog(0, "Logging ended without a stop; the session is kept open.|3");
        // Its record is brought up to date, so that a crash during the wait loses nothing of it; it is not
        // judged, for it has not ended.
        if (!rSessionInfo.sReportID.isEmpty())
            Store.UpdateSession(rSessionInfo);
        break;
    case kEventConnectionClosed:
        UDP.DeliverPending();
        AddLog(0, "Connection closed.|1");
        SetLoggingStatus(kStatusDisconnected);
        View->CloseWaitWindow();
        if (pActiveThread) {
            pActiveThread = nullptr;
            Q_EMIT LoggingThreadEnded();
        }
        break;
    case kEventReady:
        AddLog(0, "Thread Ready; logging of the held session is started again.|1");
        SetLoggingStatus(kStatusReady);
        View->CloseWaitWindow();
        break;
    default:
        // A failed attempt is logged, never shown in a box: the keeper tries again by itself.
        if (iCode == kEventPortNotOpened && rPortFailure.Failed())
            AddLog(0, PortOpenFailureLog(rPortFailure));
        AddLog(0, "Reconnecting: the meter did not answer (event " + QString::number(iCode) + ").|3");
        break;
    }
}

void TMainController::HandleEngineEvent(int iCode, const TPortOpenFailure& rPortFailure) {
    aPendingEvents.append({iCode, rPortFailure});
    // A handler may wait in a modal box, whose event loop delivers the next events: they run after it, in
    // their order, instead of inside it (one question and one session update per end of session).
    if (bHandlingEvent)
        return;
    bHandlingEvent = true;
    while (!aPendingEvents.isEmpty()) {
        const auto [iNext, rFailure] = aPendingEvents.takeFirst();
        HandleEvent(iNext, rFailure);
        Q_EMIT EngineEventHandled(iNext);
    }
    bHandlingEvent = false;
}

void TMainController::HandleEvent(int iCode, const TPortOpenFailure& rPortFailure) {
    switch (Keeper.EngineEvent(iCode)) {
    case TLinkKeeper::TEventAction::Hold:
        HandleHeldEvent(iCode, rPortFailure);
        return;
    case TLinkKeeper::TEventAction::FinishHeld:
        EndHeldSession();
        break;
    case TLinkKeeper::TEventAction::Ordinary:
        break;
    }
    switch (iCode) {
    case kEventConnecting:
        AddLog(0, "Connecting.|1");
        ForgetPreviousMeter();
        SetLoggingStatus(kStatusConnecting);
        View->SetWaitTextEntry(kTxtConnecting);
        break;
    case kEventConnected:
        AddLog(0, "Connected to instrument.|1");
        View->UpdateSGInstrumentInfo();
        // No report has come from this connection yet.
        View->ShowTimeCode(kNoTimeCode);
        View->SetWaitTextEntry(kTxtConnectedToInstrument);
        View->SetStatusPicture(IMainView::StatusPlaying);
        View->SetMainGUI(kGUIConnected);
        break;
    case kEventIdle:
        AddLog(0, "Idle.|1");
        break;
    case kEventReady:
        AddLog(0, "Thread Ready.|1");
        sCurrentSession.clear();
        SetLoggingStatus(kStatusReady);
        View->CloseWaitWindow();
        View->SetStatusPicture(IMainView::StatusStopped);
        View->SetMainGUI(kGUIConnected);
        break;
    case kEventLoggingStarted:
        AddLog(0, "Logging Started.|1");
        SetLoggingStatus(kStatusLoggingStarted);
        View->SetBlinking(false);
        bLoggingInProgress = true;
        View->SetStatusPicture(IMainView::StatusPlaying);
        // A start pressed before the thread reported ready was put back to "connected" by the ready event;
        // the window must show the run the meter has now begun.
        View->SetMainGUI(kGUILogging);
        break;
    case kEventLoggingEnded:
        // The thread sent the run's last records before this event: they belong to the session ending here.
        UDP.DeliverPending();
        FinishSession();
        View->SetBlinking(false);
        bLoggingInProgress = false;
        sCurrentSession.clear();
        break;
    case kEventLogging:
        AddLog(0, "Logging Started.|1");
        SetLoggingStatus(kStatusLogging);
        if (View->IsPauseAvailable())
            View->SetStartButtonCaption(kTxtPauseLogging);
        View->SetBlinking(false);
        View->SetStatusPicture(IMainView::StatusPlaying);
        View->CloseWaitWindow();
        break;
    case kEventConnectionClosed:
        UDP.DeliverPending();
        AddLog(0, "Connection closed.|1");
        // A link lost in the middle of a run ends the session without the thread's own end event: finish
        // the stored session so its end timecode and texts are not lost.
        if (bLoggingInProgress && !sCurrentSession.isEmpty())
            FinishSession();
        sCurrentSession.clear();
        SetLoggingStatus(kStatusDisconnected);
        bLoggingInProgress = false;
        bCanCloseMain = true;
        View->CloseWaitWindow();
        if (pActiveThread) {
            pActiveThread = nullptr;
            Q_EMIT LoggingThreadEnded();
        }
        View->SetMainGUI(kGUINoInstrument);
        break;
    case kEventTimeout:
        AddLog(0, "Telnet Timeout.|4");
        break;
    case kEventNetworkNoAnswer:
        View->ShowEntryMessage(kTxtCouldNotConnect, kMsgError, kMsgBtnOK,
                               Settings.rActiveNetworkCFG.sHostName);
        break;
    case kEventLoginRefused:
        AddLog(0, "Telnet Login Incorrect.|4");
        break;
    case kEventPortNotOpened:
        if (rPortFailure.Failed())
            AddLog(0, PortOpenFailureLog(rPortFailure));
        View->ShowEntryMessage(kTxtCouldNotOpenCOM, kMsgError, kMsgBtnOK,
                               QString::number(Settings.rActiveNetworkCFG.iPort),
                               PortOpenFailureText(rPortFailure, Settings.iLNG));
        break;
    case kEventNoInstrument:
        View->ShowEntryMessage(kTxtNoInstrumentOnPort, kMsgWarning, kMsgBtnOK,
                               QString::number(Settings.rActiveNetworkCFG.iPort));
        break;
    case kEventLoggingNotSupported:
        View->ShowEntryMessage(kTxtNoLoggingSupport, kMsgWarning, kMsgBtnOK,
                               QString::number(Settings.rActiveNetworkCFG.iPort));
        break;
    case kEventSetupMenuShown:
        View->ShowEntryMessage(kTxtExitSetupMenu, kMsgWarning, kMsgBtnOK, QString());
        break;
    case kEventWaitingStartTC:
        AddLog(0, "Waiting for start TC.|1");
        SetLoggingStatus(kStatusWaitingStartTC);
        View->SetBlinking(true);
        View->SetStatusPicture(IMainView::StatusPaused);
        break;
    case kEventWaitingStopTC:
        AddLog(0, "Waiting for stop TC.|1");
        SetLoggingStatus(kStatusWaitingStopTC);
        break;
    case kEventPaused:
        AddLog(0, "Logging paused.|1");
        View->SetStartButtonCaption(kTxtResumeLogging);
        // The status line names the pause's timecode, so it is taken before the line is shown.
        Settings.TCCtrl.TCPaused = rLoudnessData.sTimeCode;
        SetLoggingStatus(kStatusPaused);
        View->SetBlinking(true);
        View->SetStatusPicture(IMainView::StatusPaused);
        break;
    case kEventTimecodeStopped:
        AddLog(0, "Logging waiting for TC.|1");
        Settings.TCCtrl.TCPaused = rLoudnessData.sTimeCode;
        SetLoggingStatus(kStatusWaitingForTC);
        View->SetBlinking(true);
        View->SetStatusPicture(IMainView::StatusPaused);
        break;
    default:
        break;
    }
}

void TMainController::UDPUDPRead(const QByteArray& Datagram) {
    const auto Decoded = DecodeEngineDatagram(Datagram);
    if (!Decoded)
        return;
    switch (Decoded->iCode) {
    case kMessageLog:
        AddLog(kThreadNumber, DecodeLogMessage(Decoded->sText).sLine);
        break;
    case kMessageInstrumentName:
        Settings.rActiveNetworkCFG.sInstrumentName =
            DecodeInstrumentNameMessage(Decoded->sText).sInstrumentName;
        View->UpdateSGInstrumentInfo();
        break;
    case kMessageSerialNumber:
        Take(DecodeSerialNumberMessage(Decoded->sText).iSerialNo, Settings.rActiveNetworkCFG.iSerialNo);
        View->UpdateSGInstrumentInfo();
        break;
    case kMessageLevelRecord:
        HandleLoudnessData(Decoded->sText);
        break;
    case kMessageLoudnessSetup:
        HandleLoudnessSetup(Decoded->sText);
        break;
    case kMessageInstrumentInfo:
        HandleInstrumentInfo(Decoded->sText);
        break;
    case kMessageTimeCode:
        HandleTimeCode(Decoded->sText);
        break;
    default:
        break;
    }
}

void TMainController::HandleLoudnessData(const QString& sText) {
    const TLevelRecordMessage m = DecodeLevelRecordMessage(sText);
    // The window's record names the session's peak and gate levels as its limits.
    TMainLoudnessData& r = rLoudnessData;
    Take(m.sTimeCode, r.sTimeCode);
    Take(m.fMeterPeakLevel, r.nMeterPeakLimit);
    Take(m.fGateLevel, r.nMeterLowLimit);
    Take(m.nLoudnessHi, r.nLoudnessHi);
    Take(m.nLoudnessLow, r.nLoudnessLow);
    Take(m.nInstantaneousPeak, r.nInstantaneousPeak);
    Take(m.iSlidingWindow, r.iMeterTimeInterval);
    Take(m.iPeakChannel, r.iPeakChannel);
    Take(m.nLoudnessIntegrating, r.nLoudnessIntegrating);
    Take(m.iPeakCount, r.iPeakCount);

    Keeper.RecordArrived();
    if (rSessionInfo.sTimeCodeStart.isEmpty())
        rSessionInfo.sTimeCodeStart = r.sTimeCode;
    rSessionInfo.sTimeCodeEnd = r.sTimeCode;
    // Only whole-second records are stored, and only into a session that has been opened: a record from a
    // stray sender before any session must not leave rows that belong to none. The live verdict judges the
    // rows stored, so that it agrees with the verdict the stored session gets.
    const bool bStored = r.sTimeCode.endsWith(":00") && !rSessionInfo.sReportID.isEmpty();
    if (bStored)
        rLiveTarget.AddRow(r.sTimeCode, r.nLoudnessIntegrating, r.nInstantaneousPeak);
    View->UpdateSGLoudnessData();

    if (!bStored)
        return;
    TStoredLevel rRow;
    rRow.sReportId = rSessionInfo.sReportID;
    rRow.sReportVersion = rSessionInfo.sReportVersion;
    rRow.sTimeCode = r.sTimeCode;
    rRow.iPeakChannel = r.iPeakChannel;
    rRow.fInstantaneousPeak = r.nInstantaneousPeak;
    rRow.fLoudnessHi = r.nLoudnessHi;
    rRow.fLoudnessLo = r.nLoudnessLow;
    rRow.fLoudnessInt = r.nLoudnessIntegrating;
    Store.InsertLevel(rRow);
    ++iSessionRows;
    dtLastRow = QDateTime::currentDateTime();
    sLastRowTimeCode = rRow.sTimeCode;
    Keeper.RowStored(rRow.sReportId, rRow.sTimeCode, dtLastRow);
}

void TMainController::HandleLoudnessSetup(const QString& sText) {
    if (Keeper.ResumesSession() && !rSessionInfo.sReportID.isEmpty()) {
        // The run resumed after a lost link: its rows go on into the session held open, with its setup.
        AddLog(0, "The meter's run resumed in session " + rSessionInfo.sReportID + ".|1");
        return;
    }
    const TLoudnessSetupMessage m = DecodeLoudnessSetupMessage(sText);
    TLoudnessSetup& s = rSessionInfo.rLoudnessSetup;
    Take(m.iPeakMode, s.iPeakMode);
    Take(m.iCapture, s.iCapture);
    Take(m.iScaleMode, s.iScaleMode);
    Take(m.iReference, s.iReference);
    Take(m.iSlidingWindow, s.iSlidingWindow);
    Take(m.fGateLevel, s.fGateLevel);
    Take(m.iGateMode, s.iGateMode);
    Take(m.fReferenceLevel, s.fReferenceLevel);
    Take(m.fMeterPeakLevel, s.fMeterPeakLevel);
    Take(m.iFilter, s.iFilter);

    rSessionInfo.sInstrument = BuildInstrumentText(rInstrumentInfo);
    OpenSession();

    View->UpdateSGLoudnessSetup();
    View->ShowSessionStarted();
}

void TMainController::OpenSession() {
    sCurrentSession = CreateGuid();
    rSessionInfo.sReportID = sCurrentSession;
    rSessionInfo.sReportVersion = "1";
    iSessionRows = 0;
    dtLastRow = QDateTime();
    sLastRowTimeCode.clear();
    // The target chosen for this session, before starting it hands the choice on.
    const std::optional<TLoudnessStandard> rOwnTarget = SessionTargets.NextTarget();
    SessionTargets.SessionStarting(sCurrentSession);
    Store.InsertSession(rSessionInfo);
    rLiveTarget.Start(rSessionInfo.rLoudnessSetup, EffectiveTarget(rOwnTarget, Settings.rComplianceOptions));
}

bool TMainController::RotateSession(const QString& sNextTitle) {
    // A session held open for its meter keeps its gap: it is rotated once its rows flow again.
    if (!bLoggingInProgress || sCurrentSession.isEmpty() || Keeper.HoldsSession())
        return false;
    // A record shown but not stored (not on a whole second) is no part of the ended session.
    if (!sLastRowTimeCode.isEmpty())
        rSessionInfo.sTimeCodeEnd = sLastRowTimeCode;
    // The ended session's record goes to the store before the next one's and its rows: writes that wait
    // for the database keep that order.
    StoreEndedSession();
    rSessionInfo.sShowTitle = sNextTitle;
    rSessionInfo.sTimeCodeStart.clear();
    rSessionInfo.sTimeCodeEnd.clear();
    OpenSession();
    return true;
}

void TMainController::HandleInstrumentInfo(const QString& sText) {
    const TInstrumentInfoMessage m = DecodeInstrumentInfoMessage(sText);
    TUDPInstrumentInfo& r = rInstrumentInfo;
    Take(m.sTypeName, r.sTypeName);
    Take(m.iTypeNo, r.iTypeNo);
    Take(m.iSerialNo, r.iSerialNo);
    Take(m.sReserved, r.sReserved);
    Take(m.iReserved1, r.iReserved1);
    Take(m.iReserved2, r.iReserved2);
    Take(m.iSoftwarePackage, r.iSoftwarePackage);
    Take(m.iRunVerMajor, r.iRunVerMajor);
    Take(m.iRunVerMinor, r.iRunVerMinor);
    Take(m.iFPGAVersion, r.iFPGAVersion);
    // A network meter reports no firmware version; its serial number from the login is its identity.
    r.bValid = r.iSerialNo > 0 && (r.iRunVerMajor > 0 || !Settings.rActiveNetworkCFG.bComPort);
}

void TMainController::HandleTimeCode(const QString& sText) {
    rLoudnessData.sTimeCode = DecodeTimeCodeMessage(sText).sTimeCode;
    View->ShowTimeCode(rLoudnessData.sTimeCode);
}
