#pragma once

#include "app/EngineLog.h"
#include "app/MainRecords.h"
#include "app/MainView.h"
#include "app/MessagePort.h"
#include "app/Settings.h"
#include "store/SessionTypes.h"
#include "store/dbSQLite.h"

#include <QObject>

class IEngineControl;

// The main window's program-wide state and its reactions to the logging engine: engine events, the text
// messages of the loopback port, the session rows they create and finish. It holds no widgets; the window
// presents through IMainView.
class TMainController : public QObject {
    Q_OBJECT
public:
    explicit TMainController(QObject* parent = nullptr);

    void SetView(IMainView* pView) { View = pView ? pView : &NullView; }

    // Fixes the data folder under sConfigRoot (created with its parents), the settings path and the log
    // mirror, and binds the message port from 50001 upwards. False when no port could be bound; the program
    // then runs without an engine channel.
    bool Initialise(const QString& sConfigRoot);

    // Reads the settings file into Settings and applies what belongs to the program's state: the working
    // database is opened (or the no-database state entered) and the active instrument shown. False when
    // the file could not be read; the caller then recovers.
    bool ReadIni();
    // Writes Settings back; sError tells why it failed.
    bool WriteIni(QString& sError);
    // The start-up recovery from an unreadable settings file: backup, delete, read the defaults. False when
    // the file could not be deleted (the settings read so far stay).
    bool RecoverSettings();

    // Handles one engine event, as posted by the logging thread.
    void HandleEngineEvent(int iCode);
    // Handles one datagram of the message port.
    void UDPUDPRead(const QByteArray& Datagram);
    void AddLog(int iThread, const QString& sMessage) { slLog.AddLog(iThread, sMessage); }

    void HandleLoudnessData(const QString& sText);
    void HandleLoudnessSetup(const QString& sText);
    void HandleInstrumentInfo(const QString& sText);
    void HandleTimeCode(const QString& sText);

    // Posts an engine command to the logging thread; reaches nobody when none exists.
    void ThreadSendMessage(int iCommand);
    // Creates and starts the logging thread for the active instrument (Settings.rActiveNetworkCFG). False
    // when no thread could be made; nothing will then report.
    bool ConnectInstrument();
    // Tells the logging thread to end and stores the running session's record. The thread stays known
    // until it reports its end (event 9), so that its owner releases it then.
    void DisconnectInstrument();

    QString sDataFolder;
    QString sINI;
    TdbSQLite SQLConnection;
    TEngineLog slLog;
    TMessagePort UDP;
    TSessionInfo rSessionInfo;
    TMainLoudnessData rLoudnessData;
    TUDPInstrumentInfo rInstrumentInfo;
    // Every setting of the program, read at start and written at close; the active instrument
    // (Settings.rActiveNetworkCFG) and the timecode control (Settings.TCCtrl) among them.
    TSettings Settings;
    // The working database could not be opened at start: the database manager is offered.
    bool bShowDBSelectWindow = false;
    QString sCurrentSession;
    bool bLoggingInProgress = false;
    bool bCanCloseMain = false;
    // The logging thread while one exists; set by whoever creates it, cleared at event 9.
    IEngineControl* LoggingThread = nullptr;

Q_SIGNALS:
    // The logging thread has ended (event 9): its owner may release it.
    void LoggingThreadEnded();

private:
    void SetLoggingStatus(int iStatus);
    void FinishSession();

    IMainView NullView;
    IMainView* View = &NullView;
};

// A new session identifier: 36 upper-case hexadecimal digits and dashes.
QString CreateGuid();
// The session's instrument text built from the meter's identification.
QString BuildInstrumentText(const TUDPInstrumentInfo& rInfo);
