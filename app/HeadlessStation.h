#pragma once

#include "app/MainController.h"
#include "app/StationJournal.h"
#include "app/StationRotation.h"
#include "app/StationStatus.h"
#include "core/MainView.h"

#include <QDate>
#include <QLockFile>
#include <QObject>
#include <QTimer>
#include <memory>

// The logging side without windows: one data folder, the instrument, working database and session texts
// of its settings, one session from the meter's first report until it is told to stop. It runs the
// window's own controller (the same store, retry queue and recovery files) and presents through it as a
// view that asks nobody anything: events go to the journal as lines, the state to status.json.
class THeadlessStation : public QObject, public IMainView {
    Q_OBJECT
public:
    // The station's exit codes: stopped as asked, or unable to start or to go on.
    static constexpr int kExitStopped = 0;
    static constexpr int kExitFailed = 1;
    // How long a stop waits for the meter's end of the session before it ends the session itself.
    static constexpr int kStopWaitMs = 500;
    // The longest the rotation timer waits before it looks at the clock again, which may have been set (or
    // the computer suspended) meanwhile.
    static constexpr qint64 kRotationCheckMs = 60000;
    // How soon a rotation that found the session held open for its meter looks again.
    static constexpr int kRotationHeldRetryMs = 1000;

    THeadlessStation(const QString& sDataFolder, TStationJournal& rJournal, QObject* parent = nullptr);
    ~THeadlessStation() override;

    // Takes the data folder (another station holding it refuses this one), reads the settings, opens the
    // working database and connects to the selected instrument. False when the station cannot run; the
    // journal says why and the status file says "failed" where it could be written.
    bool Start();
    // The end asked for (SIGTERM, SIGINT): the running session is stopped with every row received stored
    // and its end recorded, the connection closed, and Finished follows.
    void Stop();

    // The lock file that keeps a second station out of the data folder, and the status file.
    static QString LockFileOf(const QString& sDataFolder);
    static QString StatusFileOf(const QString& sDataFolder);

    // IMainView: what the controller would show, as journal lines.
    void ShowSessionStarted() override;
    void ShowEntryMessage(int iEntry, int iKind, int iButtons, const QString& sArg,
                          const QString& sDetail = QString()) override;
    // Rows a previous run saved in a recovery file are always taken in: nobody is there to be asked.
    bool ConfirmEntry(int iEntry, const QString& sArg) override;

Q_SIGNALS:
    // The station has ended: its session stored, the connection told to close, the status written.
    void Finished(int iExitCode);

private:
    void EngineEventHandled(int iCode);
    void WaitingChanged(int iWaiting, const QString& sReason);
    void StartSession();
    // The meter did not end the session in time after a stop: it is ended here with what has arrived.
    void StopWaitOver();
    // The next session of the rotation schedule: armed when a session starts, the session rotated when its
    // moment has come while the station logs.
    void ArmRotation();
    void RotationDue();
    void Fail(const QString& sText, const TJournalFacts& aFacts = {});
    void Finish(int iExitCode);
    TStationStatus CurrentStatus();
    void ReconnectScheduled(int iAttempt, int iPauseSeconds, const QString& sReason);
    void GapClosed(const TSessionGap& rGap);
    // The gaps that ended today, counted again once a gap closed or the day changed.
    int GapsToday();
    int RowsStored() const;
    QString MeterName() const;

    QString sDataFolder;
    TStationJournal& Journal;
    // Declared first, so that it is released last, after the controller has saved what it had to save.
    std::unique_ptr<QLockFile> Lock;
    TMainController Ctrl;
    std::unique_ptr<TStationStatusFile> StatusFile;
    QString sState = QStringLiteral("starting");
    QString sLastError;
    QString sLoggedWaitReason;
    QTimer StopWait;
    TRotationSchedule Rotation;
    QTimer RotationTimer;
    // When the running session began (or its rotation was due), and when it is to end; invalid for never.
    QDateTime dtSessionStart;
    QDateTime dtRotationDue;
    bool bStartSent = false;
    bool bSessionStarted = false;
    // The run ended without the station's stop.
    bool bRunEnded = false;
    bool bStopping = false;
    bool bFinished = false;
    int iFinalRowsStored = 0;
    int iGapsToday = 0;
    QDate dGapsCounted;
};

// The program run as the station, without windows and without a display: the application object, the
// station on its data folder (sDataFolder, empty for the user's own), the termination signals. Returns
// the process's exit code.
int RunHeadlessStation(int argc, char** argv, const QString& sDataFolder);
