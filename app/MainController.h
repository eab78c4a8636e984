#pragma once

#include "app/LinkKeeper.h"
#include "core/DataFolder.h"
#include "core/EngineLog.h"
#include "core/MainRecords.h"
#include "core/MainView.h"
#include "core/SessionTypes.h"
#include "core/Settings.h"
#include "core/Timing.h"
#include "engine/LoggingControl.h"
#include "engine/LoggingThread.h"
#include "engine/MessagePort.h"
#include "meter/PortOpenError.h"
#include "store/NewSessionTarget.h"
#include "store/SessionStore.h"
#include "store/dbSQLite.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <functional>
#include <memory>

// The main window's program-wide state and its reactions to the logging engine: engine events, the text
// messages of the loopback port, the session rows they create and finish. It holds no widgets; the window
// presents through IMainView.
class TMainController : public QObject, public ILoggingControl {
    Q_OBJECT
public:
    // Makes the logging engine of one connection from the thread's settings record, its event poster, its
    // timecode control reader and its waits. The program's factory makes a TLoggingThread; a test makes
    // one of its own.
    using TLoggingEngineFactory = std::function<std::unique_ptr<ILoggingEngine>(
        const TLoggingThreadSettings& rSettings, TLoggingThread::TPostThreadEvent fnPostEvent,
        TLoggingThread::TReadTCControl fnReadTCControl, const TTimingSettings& rTiming)>;

    explicit TMainController(QObject* parent = nullptr);
    // Closes and joins a logging thread that still runs, waiting for it at most kThreadEndWaitMs.
    ~TMainController() override;

    // How long the end of the program waits for a logging thread told to close: its last words to the
    // meter and a margin.
    static constexpr int kThreadEndWaitMs = 700;

    void SetView(IMainView* pView) { View = pView ? pView : &NullView; }
    // Replaces the factory the connect button's logging thread comes from; empty restores the program's.
    void SetLoggingEngineFactory(TLoggingEngineFactory fnFactory);

    // Fixes the data folder sDataFolder (created with its parents), the settings path and the log mirror,
    // and binds the message port from 50001 upwards. False when no port could be bound; the program then
    // runs without an engine channel.
    bool InitialiseDataFolder(const QString& sDataFolder);
    // The same with the program's data folder under the configuration root sConfigRoot.
    bool Initialise(const QString& sConfigRoot) { return InitialiseDataFolder(DataFolderUnder(sConfigRoot)); }

    // Reads the settings file into Settings and applies what belongs to the program's state: the working
    // database is opened (or the no-database state entered) and the active instrument shown. False when
    // the file could not be read; the caller then recovers.
    bool ReadIni();
    // Writes Settings back; sError tells why it failed.
    bool WriteIni(QString& sError);
    // The start-up recovery from an unreadable settings file: a copy kept beside it, the file deleted, the
    // defaults read. False when no copy could be kept or the file could not be deleted: the settings read so
    // far stay, and the file is left as it is (WriteIni then writes nothing). sSettingsNotice tells the
    // user what happened.
    bool RecoverSettings();

    // Handles one engine event, as posted by the logging thread; a port that could not be opened (event 16)
    // comes with its cause. An event that arrives while another is being handled (its handler waiting for an
    // answer) is handled right after it.
    void HandleEngineEvent(int iCode, const TPortOpenFailure& rPortFailure = {});
    // Handles one datagram of the message port.
    void UDPUDPRead(const QByteArray& Datagram);
    void AddLog(int iThread, const QString& sMessage) { slLog.AddLog(iThread, sMessage); }

    void HandleLoudnessData(const QString& sText);
    void HandleLoudnessSetup(const QString& sText);
    void HandleInstrumentInfo(const QString& sText);
    void HandleTimeCode(const QString& sText);

    // Ends the session being logged and begins the next at once, without stopping the meter: the ended
    // session is stored (ending at its last stored row) and judged like any other; the next gets a new
    // identifier, the title sNextTitle, the same loudness setup, instrument and other texts, and the
    // program's target handling as a new session. The records that arrive from now on are its rows. False,
    // changing nothing, when no session is being logged or the session is held open for its meter.
    bool RotateSession(const QString& sNextTitle);

    // Posts an engine command to the logging thread; reaches nobody when none exists.
    void ThreadSendMessage(int iCommand) override;
    // Tells the logging thread to end and stores the running session's record. The thread stays known
    // until it reports its end (event 9), so that its owner releases it then.
    void DisconnectInstrument() override;

    // The connect button: creates the logging thread for the active instrument (Settings.rActiveNetworkCFG)
    // from the settings held now and starts it. False when a thread still exists; nothing will then report.
    bool ConnectInstrument(const TTimingSettings& rTiming = TTimingSettings()) override;
    // What the logging thread copies at its creation: the session record, the active instrument, the
    // message port, the time source, the timecode control and the data folder.
    TLoggingThreadSettings LoggingThreadSettings() const;

    // The logging thread while one exists: from its creation until it reports its end (event 9).
    IEngineControl* LoggingThread() const { return pActiveThread; }
    // A logging thread exists, or a session waits for its lost link to be reached again (a disconnect ends
    // it).
    bool HasLoggingThread() const override { return pActiveThread != nullptr || Keeper.Reconnecting(); }
    // Where the keeper reads reconnecting's settings; empty: the window's own (Settings.rReconnect).
    void SetReconnectOptionsSource(std::function<TReconnectOptions()> fnSource);
    bool IsLoggingInProgress() const override { return bLoggingInProgress; }
    const TSessionInfo& SessionInfo() const override { return rSessionInfo; }
    void SetSessionInfo(const TSessionInfo& rInfo) override { rSessionInfo = rInfo; }
    const TUDPInstrumentInfo& InstrumentInfo() const override { return rInstrumentInfo; }
    const TMainLoudnessData& LoudnessData() const override { return rLoudnessData; }
    const TLiveTarget& LiveTarget() const override { return rLiveTarget; }

    // What the close did with the writes the database had not taken.
    struct TSavedRows {
        int iSaved = 0;
        QStringList slFiles;
        int iLost = 0;
        QString sError;
    };
    // Closing: the writes still waiting for the database go to recovery files, and the log says where.
    TSavedRows SaveWaitingRows();
    // What the window tells the user about rSaved in language iLNG: where the rows went, or that they could
    // not be saved; empty when nothing waited.
    static QString SavedRowsMessage(const TSavedRows& rSaved, int iLNG);
    // At start, once the window is shown: offers to store the rows a previous run could not write.
    void OfferRecoveredRows();

    // Where settings, engine trace and serial port links live.
    QString sDataFolder;
    QString sINI;
    // The window's own connection waits only briefly for a lock: the store keeps and retries what it
    // could not write.
    TdbSQLite SQLConnection{kWindowBusyTimeoutMs};
    TSessionStore Store{SQLConnection};
    // The target chosen in the session information dialog, written beside the new session's row.
    TNewSessionTarget SessionTargets{SQLConnection, Store};
    TEngineLog slLog;
    TMessagePort UDP;
    TSessionInfo rSessionInfo;
    TMainLoudnessData rLoudnessData;
    TUDPInstrumentInfo rInstrumentInfo;
    // The running session's levels against its target, row by row as they are stored.
    TLiveTarget rLiveTarget;
    // Every setting of the program, read at start and written at close; the active instrument
    // (Settings.rActiveNetworkCFG) and the timecode control (Settings.TCCtrl) among them.
    TSettings Settings;
    // The working database could not be opened at start: the database manager is offered.
    bool bShowDBSelectWindow = false;
    // Why the working database could not be opened at start, and why the settings file could not be read;
    // empty when nothing went wrong.
    QString sDatabaseProblem;
    QString sSettingsProblem;
    // What the start did about a settings file it could not read, for the window to show; empty when the
    // file was read.
    QString sSettingsNotice;
    // An unreadable settings file that could not be copied: it is left as it is at close.
    bool bKeepSettingsFile = false;
    QString sCurrentSession;
    // Level rows of the running (or last) session given to the store, when the last of them arrived and its
    // timecode.
    int iSessionRows = 0;
    QDateTime dtLastRow;
    QString sLastRowTimeCode;
    bool bLoggingInProgress = false;
    bool bCanCloseMain = false;
    // Keeps the running session open across a lost link and connects again.
    TLinkKeeper Keeper;

Q_SIGNALS:
    // The logging thread has ended (event 9): its owner may release it.
    void LoggingThreadEnded();
    // An engine event has been handled.
    void EngineEventHandled(int iCode);
    // A session's row has been written to its database: the session started, ended or was described.
    void SessionStored(const QString& sReportId);

private:
    // Frees the logging thread once it has finished its clean-up.
    void ReleaseLoggingThread();
    // Lets the system turn away every sender but the logging thread while only the thread may talk.
    void FilterMessagePort();
    void HandleEvent(int iCode, const TPortOpenFailure& rPortFailure);
    void SetLoggingStatus(int iStatus);
    // At every connect: the previous identification goes; the values on screen go too when another meter
    // than the last one connects.
    void ForgetPreviousMeter();
    void FinishSession();
    // Opens the session rSessionInfo describes under a new identifier: its row and target are given to the
    // store and the live verdict starts from nothing.
    void OpenSession();
    // What the keeper needs of the controller to hold a session and reach its meter again.
    TLinkKeeper::TActions KeeperActions();
    // An event of a session held open for reconnecting: the session goes on, no message is shown.
    void HandleHeldEvent(int iCode, const TPortOpenFailure& rPortFailure);
    // Ends a session that was held open for reconnecting.
    void EndHeldSession();
    void ShowReconnect(const QString& sText);
    void StoreGap(const TSessionGap& rGap);
    // Stores the ended session's record; once the database holds it (at once, or after waiting behind
    // refused writes), the session is judged from its stored rows and its verdict kept.
    void StoreEndedSession();
    // A session row was written: an ended session's verdict is computed and kept before the window hears
    // of it, so that the list it refreshes shows the mark.
    void SessionWritten(const QString& sReportId);
    void JudgeEndedSession(const QString& sReportId);
    void StoreWaitingChanged(int iWaiting, const QString& sReason);

    IMainView NullView;
    IMainView* View = &NullView;
    // Ended sessions whose final record the database has not taken yet.
    QSet<QString> aEndedSessions;
    // The port ("COMn") or host and port of the last connection.
    QString sLastMeter;
    // Events that arrived while an earlier one was being handled, in order.
    struct TPendingEvent {
        int iCode;
        TPortOpenFailure rPortFailure;
    };
    QList<TPendingEvent> aPendingEvents;
    bool bHandlingEvent = false;
    // The reason the log last gave for waiting writes.
    QString sLoggedStoreReason;
    TLoggingEngineFactory fnEngineFactory;
    std::function<TReconnectOptions()> fnReconnectOptions;
    // The logging thread this controller created; pActiveThread points at it until it reports its end.
    std::unique_ptr<ILoggingEngine> pLoggingThread;
    IEngineControl* pActiveThread = nullptr;
};

// A new session identifier: 36 upper-case hexadecimal digits and dashes.
QString CreateGuid();
// The session's instrument text built from the meter's identification.
QString BuildInstrumentText(const TUDPInstrumentInfo& rInfo);
