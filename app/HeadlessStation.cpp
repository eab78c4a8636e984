#include "app/HeadlessStation.h"

#include "app/PacingProbe.h"
#include "app/StationTitle.h"
#include "app/UnixSignals.h"
#include "core/DataFolder.h"
#include "core/EngineCodes.h"
#include "core/MessageBoxLayout.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "meter/InstrumentList.h"
#include "store/SessionGapStore.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>

QString THeadlessStation::LockFileOf(const QString& sDataFolder) {
    return sDataFolder + QStringLiteral("/QXLogging-station.lock");
}

QString THeadlessStation::StatusFileOf(const QString& sDataFolder) {
    return sDataFolder + QStringLiteral("/status.json");
}

THeadlessStation::THeadlessStation(const QString& sDataFolderIn, TStationJournal& rJournal, QObject* parent)
    : QObject(parent), sDataFolder(sDataFolderIn), Journal(rJournal) {
    Ctrl.SetView(this);
    connect(&Ctrl, &TMainController::EngineEventHandled, this, &THeadlessStation::EngineEventHandled);
    connect(&Ctrl.Store, &TSessionStore::WaitingChanged, this, &THeadlessStation::WaitingChanged);
    StopWait.setSingleShot(true);
    connect(&StopWait, &QTimer::timeout, this, &THeadlessStation::StopWaitOver);
    RotationTimer.setSingleShot(true);
    RotationTimer.setTimerType(Qt::PreciseTimer);
    connect(&RotationTimer, &QTimer::timeout, this, &THeadlessStation::RotationDue);
    // The station reconnects unless its own section turns it off; the stall time is the window's.
    Ctrl.SetReconnectOptionsSource([this] {
        TReconnectOptions r = Ctrl.Settings.rReconnect;
        r.bEnabled = Ctrl.Settings.rStation.bReconnect;
        return r;
    });
    connect(&Ctrl.Keeper, &TLinkKeeper::ReconnectScheduled, this, &THeadlessStation::ReconnectScheduled);
    connect(&Ctrl.Keeper, &TLinkKeeper::GapClosed, this, &THeadlessStation::GapClosed);
}

THeadlessStation::~THeadlessStation() {
    Ctrl.SetView(nullptr);
}

bool THeadlessStation::Start() {
    // Before anything is written into the folder: a second station must leave the first one's files alone.
    QDir().mkpath(sDataFolder);
    Lock = std::make_unique<QLockFile>(LockFileOf(sDataFolder));
    // Only a lock whose process is gone is stale; a live station keeps its lock however long it runs.
    Lock->setStaleLockTime(0);
    if (!Lock->tryLock(0)) {
        qint64 iPid = 0;
        QString sHost;
        QString sApp;
        const bool bHeld =
            Lock->error() == QLockFile::LockFailedError && Lock->getLockInfo(&iPid, &sHost, &sApp);
        Lock.reset();
        if (bHeld)
            Journal.Error(
                QStringLiteral("Another station already runs on this data folder; this one does not "
                               "start."),
                {{QStringLiteral("folder"), sDataFolder},
                 {QStringLiteral("pid"), QString::number(iPid)},
                 {QStringLiteral("host"), sHost}});
        else
            Journal.Error(
                QStringLiteral("The data folder cannot be locked; the station does not start."),
                {{QStringLiteral("folder"), sDataFolder}, {QStringLiteral("lock"), LockFileOf(sDataFolder)}});
        return false;
    }
    StatusFile =
        std::make_unique<TStationStatusFile>(StatusFileOf(sDataFolder), [this] { return CurrentStatus(); });
    connect(StatusFile.get(), &TStationStatusFile::WriteFailed, this, [this](const QString& sError) {
        Journal.Warning(QStringLiteral("The status file could not be written."),
                        {{QStringLiteral("error"), sError}});
    });

    if (!Ctrl.InitialiseDataFolder(sDataFolder)) {
        Fail(QStringLiteral("No message port could be bound for the logging engine."),
             {{QStringLiteral("ports"), QStringLiteral("50001-65500")}});
        return false;
    }
    // An unreadable settings file is the administrator's to mend: the station does not run on defaults
    // it was never given, and leaves the file as it is.
    const bool bRead = Ctrl.ReadIni();
    QString sProblem = Ctrl.sSettingsProblem;
    const std::optional<TRotationSchedule> rRotation =
        TRotationSchedule::FromSettings(Ctrl.Settings.rStation, sProblem);
    if (!bRead || !sProblem.isEmpty()) {
        Fail(QStringLiteral("The settings file could not be read."),
             {{QStringLiteral("file"), Ctrl.sINI},
              {QStringLiteral("reason"),
               sProblem.isEmpty() ? QStringLiteral("a value that does not read") : sProblem}});
        return false;
    }
    Rotation = *rRotation;
    if (!Ctrl.SQLConnection.Connected()) {
        Fail(QStringLiteral("No working database could be opened."),
             {{QStringLiteral("database"), Ctrl.Settings.sDatabaseFileName},
              {QStringLiteral("reason"),
               Ctrl.sDatabaseProblem.isEmpty() ? QStringLiteral("none is chosen") : Ctrl.sDatabaseProblem}});
        return false;
    }
    if (!InstrumentChosen(Ctrl.Settings.rActiveNetworkCFG)) {
        Fail(QStringLiteral("No instrument is selected in the settings."),
             {{QStringLiteral("file"), Ctrl.sINI}});
        return false;
    }
    // Rows an earlier run could not write are taken in first, as a person at the window would agree to.
    Ctrl.OfferRecoveredRows();

    sState = QStringLiteral("connecting");
    Journal.Info(QStringLiteral("Connecting."),
                 {{QStringLiteral("meter"), MeterName()},
                  {QStringLiteral("database"), Ctrl.Settings.sDatabaseFileName}});
    if (!Ctrl.ConnectInstrument(ProbedTiming())) {
        Fail(QStringLiteral("The logging engine could not be started."));
        return false;
    }
    return true;
}

void THeadlessStation::Stop() {
    if (bFinished || bStopping)
        return;
    bStopping = true;
    sState = QStringLiteral("stopping");
    Journal.Info(QStringLiteral("Stopping."));
    if (Ctrl.Keeper.HoldsSession()) {
        // No meter to wait for: the session held open ends at once with the rows it has.
        Ctrl.DisconnectInstrument();
        Finish(kExitStopped);
        return;
    }
    if (!bStartSent) {
        Finish(kExitStopped);
        return;
    }
    // As the window's stop: the meter's stream ends and the thread reports the end of the session once the
    // records it forwarded have been sent, so none of them is lost.
    Ctrl.ThreadSendMessage(kEngineCommandStop);
    StopWait.start(kStopWaitMs);
}

void THeadlessStation::StopWaitOver() {
    if (bFinished)
        return;
    if (Ctrl.IsLoggingInProgress()) {
        Journal.Warning(
            QStringLiteral("The meter did not confirm the end of the session in time; it is ended "
                           "with the rows received."),
            {{QStringLiteral("session"), Ctrl.rSessionInfo.sReportID},
             {QStringLiteral("wait_ms"), QString::number(kStopWaitMs)}});
        // The records already sent to the message port belong to the session being ended.
        Ctrl.UDP.DeliverPending();
        Ctrl.DisconnectInstrument();
    }
    Finish(kExitStopped);
}

void THeadlessStation::StartSession() {
    TSessionInfo r = Ctrl.SessionInfo();
    SetStationSessionTexts(r, Ctrl.Settings.rStation, QDateTime::currentDateTime());
    r.sTimeCodeStart.clear();
    r.sTimeCodeEnd.clear();
    Ctrl.SetSessionInfo(r);
    bStartSent = true;
    Ctrl.ThreadSendMessage(kEngineCommandStart);
}

void THeadlessStation::EngineEventHandled(int iCode) {
    if (bFinished)
        return;
    switch (iCode) {
    case kEventConnected:
        Journal.Info(QStringLiteral("Connected."), {{QStringLiteral("meter"), MeterName()}});
        sState = QStringLiteral("waiting");
        break;
    case kEventReady:
        // The meter reached again: the keeper starts its run into the session held open.
        if (Ctrl.Keeper.HoldsSession())
            break;
        if (bRunEnded) {
            // Connected and ready again after a run it did not stop: timecode control ended the session.
            Fail(QStringLiteral("Logging ended without a stop."),
                 {{QStringLiteral("session"), Ctrl.rSessionInfo.sReportID}});
            break;
        }
        if (!bStartSent && !bStopping)
            StartSession();
        break;
    case kEventLoggingStarted:
    case kEventLogging:
        sState = QStringLiteral("logging");
        break;
    case kEventWaitingStartTC:
        sState = QStringLiteral("waiting");
        Journal.Info(QStringLiteral("Waiting for the start timecode."),
                     {{QStringLiteral("timecode"), Ctrl.Settings.TCCtrl.TCStart}});
        break;
    case kEventTimeout:
        Journal.Warning(QStringLiteral("The network meter did not answer in time."),
                        {{QStringLiteral("meter"), MeterName()}});
        break;
    case kEventLoginRefused:
        Fail(QStringLiteral("The network meter refused the login."),
             {{QStringLiteral("meter"), MeterName()}});
        break;
    case kEventLoggingEnded:
        if (bStopping) {
            Finish(kExitStopped);
            return;
        }
        // Not asked for: the next event tells whether the link was lost or the meter is ready again.
        bRunEnded = true;
        break;
    case kEventConnectionClosed:
        if (bStopping) {
            Finish(kExitStopped);
            return;
        }
        if (Ctrl.Keeper.HoldsSession()) {
            // The link was lost, not the run: the session stays open while the meter is reached again.
            bRunEnded = false;
            break;
        }
        Fail(bSessionStarted ? QStringLiteral("The connection to the meter was lost.")
                             : QStringLiteral("The meter could not be reached."),
             {{QStringLiteral("meter"), MeterName()}});
        break;
    default:
        break;
    }
}

void THeadlessStation::ShowSessionStarted() {
    bSessionStarted = true;
    sState = QStringLiteral("logging");
    Journal.Info(QStringLiteral("Session started."),
                 {{QStringLiteral("session"), Ctrl.rSessionInfo.sReportID},
                  {QStringLiteral("title"), Ctrl.rSessionInfo.sShowTitle}});
    dtSessionStart = QDateTime::currentDateTime();
    dtRotationDue = Rotation.NextRotation(dtSessionStart, dtSessionStart);
    ArmRotation();
}

void THeadlessStation::ArmRotation() {
    if (!dtRotationDue.isValid())
        return;
    const qint64 iMs = QDateTime::currentDateTime().msecsTo(dtRotationDue);
    RotationTimer.start(int(std::clamp<qint64>(iMs, 0, kRotationCheckMs)));
}

void THeadlessStation::RotationDue() {
    if (bFinished || bStopping)
        return;
    const QDateTime dtNow = QDateTime::currentDateTime();
    if (dtNow < dtRotationDue) {
        // Not yet, or the clock was set back meanwhile: then the schedule's next moment may come sooner.
        dtRotationDue = std::min(dtRotationDue, Rotation.NextRotation(dtSessionStart, dtNow));
        ArmRotation();
        return;
    }
    if (Ctrl.Keeper.HoldsSession()) {
        // The meter is away and its session held open: the gap belongs to that session, which is rotated
        // as soon as its rows flow again.
        RotationTimer.start(kRotationHeldRetryMs);
        return;
    }
    // Only a session being logged is rotated; a moment that finds none is let go.
    const QString sEnded = Ctrl.rSessionInfo.sReportID;
    const int iEndedRows = Ctrl.iSessionRows;
    const QString sTitle =
        ExpandStationTitle(Ctrl.Settings.rStation.sTitleTemplate, StationName(Ctrl.Settings.rStation), dtNow);
    if (Ctrl.RotateSession(sTitle)) {
        // Periods count from the moment that was due, so that a late timer does not shift the ones after.
        dtSessionStart = dtRotationDue;
        Journal.Info(QStringLiteral("Session rotated."),
                     {{QStringLiteral("session"), sEnded},
                      {QStringLiteral("rows"), QString::number(iEndedRows)},
                      {QStringLiteral("next_session"), Ctrl.rSessionInfo.sReportID},
                      {QStringLiteral("title"), Ctrl.rSessionInfo.sShowTitle}});
    }
    dtRotationDue = Rotation.NextRotation(dtSessionStart, dtNow);
    ArmRotation();
}

void THeadlessStation::ShowEntryMessage(int iEntry, int iKind, int iButtons, const QString& sArg,
                                        const QString& sDetail) {
    (void)iButtons;
    QString sText = FormatText(GetText(iEntry, kLanguageEnglish), {sArg});
    if (!sDetail.isEmpty())
        sText += QLatin1Char(' ') + sDetail;
    sText = sText.simplified();
    if (iKind == kMsgError || iKind == kMsgWarning) {
        sLastError = sText;
        Journal.Write(iKind == kMsgError ? TJournalPriority::Error : TJournalPriority::Warning, sText,
                      {{QStringLiteral("meter"), MeterName()}});
    } else {
        Journal.Info(sText);
    }
}

bool THeadlessStation::ConfirmEntry(int iEntry, const QString& sArg) {
    if (iEntry != kTxtImportRecoveredRows)
        return false;
    Journal.Info(QStringLiteral("Rows of an earlier run are taken from a recovery file."),
                 {{QStringLiteral("file"), sArg}});
    return true;
}

void THeadlessStation::WaitingChanged(int iWaiting, const QString& sReason) {
    if (iWaiting == 0) {
        if (!sLoggedWaitReason.isEmpty())
            Journal.Info(QStringLiteral("Every waiting row has been written to the database."));
        sLoggedWaitReason.clear();
        return;
    }
    // One line for each new reason, not one for every row that joins the wait.
    if (sReason == sLoggedWaitReason)
        return;
    sLoggedWaitReason = sReason;
    sLastError = sReason;
    Journal.Warning(
        QStringLiteral("Rows wait for the database, which refused a write."),
        {{QStringLiteral("rows"), QString::number(iWaiting)}, {QStringLiteral("reason"), sReason}});
}

void THeadlessStation::Fail(const QString& sText, const TJournalFacts& aFacts) {
    sLastError = sText;
    Journal.Error(sText, aFacts);
    Finish(kExitFailed);
}

void THeadlessStation::Finish(int iExitCode) {
    if (bFinished)
        return;
    bFinished = true;
    StopWait.stop();
    RotationTimer.stop();
    // The thread ends on its own time (its last words to the meter); the controller waits for it at the end.
    if (Ctrl.HasLoggingThread())
        Ctrl.ThreadSendMessage(kEngineCommandClose);
    Ctrl.UDP.Deactivate();
    // What the database holds; rows saved for later are no longer waiting but are not stored either.
    iFinalRowsStored = RowsStored();
    const TMainController::TSavedRows rSaved = Ctrl.SaveWaitingRows();
    if (rSaved.iSaved > 0) {
        const QString sFiles = rSaved.slFiles.join(QStringLiteral(", "));
        sLastError = QString::number(rSaved.iSaved) +
                     QStringLiteral(" rows the database did not take were saved in ") + sFiles;
        Journal.Warning(
            QStringLiteral("Rows the database did not take were saved for a later start."),
            {{QStringLiteral("rows"), QString::number(rSaved.iSaved)}, {QStringLiteral("files"), sFiles}});
    }
    if (rSaved.iLost > 0) {
        sLastError =
            QString::number(rSaved.iLost) + QStringLiteral(" rows could not be saved: ") + rSaved.sError;
        Journal.Error(QStringLiteral("Rows could not be saved."),
                      {{QStringLiteral("rows"), QString::number(rSaved.iLost)},
                       {QStringLiteral("reason"), rSaved.sError}});
    }
    if (bSessionStarted)
        Journal.Info(QStringLiteral("Stopped."),
                     {{QStringLiteral("session"), Ctrl.rSessionInfo.sReportID},
                      {QStringLiteral("rows"), QString::number(iFinalRowsStored)}});
    sState = iExitCode == kExitStopped ? QStringLiteral("stopped") : QStringLiteral("failed");
    if (StatusFile) {
        QString sError;
        if (!StatusFile->Flush(sError))
            Journal.Warning(QStringLiteral("The status file could not be written."),
                            {{QStringLiteral("error"), sError}});
    }
    Q_EMIT Finished(iExitCode);
}

int THeadlessStation::RowsStored() const {
    const QString& sId = Ctrl.rSessionInfo.sReportID;
    if (sId.isEmpty())
        return 0;
    return std::max(0, Ctrl.iSessionRows - Ctrl.Store.WaitingLevelsOf(sId));
}

void THeadlessStation::ReconnectScheduled(int iAttempt, int iPauseSeconds, const QString& sReason) {
    if (bFinished)
        return;
    sState = QStringLiteral("reconnecting");
    sLastError = sReason;
    Journal.Warning(QStringLiteral("Reconnecting."),
                    {{QStringLiteral("attempt"), QString::number(iAttempt)},
                     {QStringLiteral("pause_s"), QString::number(iPauseSeconds)},
                     {QStringLiteral("reason"), sReason},
                     {QStringLiteral("meter"), MeterName()},
                     {QStringLiteral("session"), Ctrl.rSessionInfo.sReportID}});
}

void THeadlessStation::GapClosed(const TSessionGap& rGap) {
    sState = QStringLiteral("logging");
    // The controller has given the gap to the store by now: today's count includes it once it is written.
    dGapsCounted = QDate();
    const qint64 iSeconds = rGap.dtBefore.isValid() ? rGap.dtBefore.secsTo(rGap.dtAfter) : 0;
    Journal.Info(QStringLiteral("Gap closed."), {{QStringLiteral("session"), rGap.sReportId},
                                                 {QStringLiteral("before"), rGap.sTimeCodeBefore},
                                                 {QStringLiteral("after"), rGap.sTimeCodeAfter},
                                                 {QStringLiteral("seconds"), QString::number(iSeconds)},
                                                 {QStringLiteral("reason"), rGap.sReason}});
}

int THeadlessStation::GapsToday() {
    const QDate dToday = QDate::currentDate();
    if (dGapsCounted == dToday && Ctrl.Store.WaitingCount() == 0)
        return iGapsToday;
    // A gap still waiting for the database is counted once it is written.
    int iCount = 0;
    TSessionGapStore Gaps(Ctrl.SQLConnection);
    if (Ctrl.SQLConnection.Connected() && Gaps.CountEndedSince(QDateTime(dToday, QTime(0, 0)), iCount)) {
        iGapsToday = iCount;
        dGapsCounted = dToday;
    }
    return iGapsToday;
}

TStationStatus THeadlessStation::CurrentStatus() {
    TStationStatus r;
    r.sState = sState;
    if (bSessionStarted) {
        r.sSessionId = Ctrl.rSessionInfo.sReportID;
        r.sSessionTitle = Ctrl.rSessionInfo.sShowTitle;
        r.iRowsStored = bFinished ? iFinalRowsStored : RowsStored();
        r.dtLastRow = Ctrl.dtLastRow;
        if (Ctrl.dtLastRow.isValid())
            r.sLastTimeCode = Ctrl.rSessionInfo.sTimeCodeEnd;
    }
    r.iRowsWaiting = Ctrl.Store.WaitingCount();
    r.iGapsToday = GapsToday();
    r.sLastError = sLastError;
    return r;
}

QString THeadlessStation::MeterName() const {
    const TInstrumentInfo& r = Ctrl.Settings.rActiveNetworkCFG;
    return r.bComPort ? QStringLiteral("COM%1").arg(r.iPort)
                      : QStringLiteral("%1:%2").arg(r.sHostName).arg(r.iPort);
}

int RunHeadlessStation(int argc, char** argv, const QString& sDataFolderIn) {
    // The core application only: no windowing system, no platform plugin, no display.
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("QX-Logging"));
    // First of all, so that a signal arriving during start-up ends the station in order.
    TUnixSignals Signals;
    TStationJournal Journal(stderr);
    const QString sDataFolder = sDataFolderIn.isEmpty() ? DataFolder() : sDataFolderIn;
    THeadlessStation Station(sDataFolder, Journal);
    QObject::connect(
        &Station, &THeadlessStation::Finished, &app, [](int iExitCode) { QCoreApplication::exit(iExitCode); },
        Qt::QueuedConnection);
    QObject::connect(&Signals, &TUnixSignals::TerminationRequested, &Station, &THeadlessStation::Stop);
    if (!Station.Start())
        return THeadlessStation::kExitFailed;
    return app.exec();
}
