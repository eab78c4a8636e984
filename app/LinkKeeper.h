#pragma once

#include "app/ReconnectPauses.h"
#include "core/SessionTypes.h"
#include "core/Settings.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

// Keeps a logging session open across a lost meter link. While a session logs and reconnecting is on, a
// link that ends without a stop asked for, or a meter that sends no level record for the stall time,
// closes the link, waits a pause and connects again; once the meter is ready its run is started again and
// its rows go into the same session. The first row stored after the resumption closes the gap, which the
// owner stores. It decides only: the owner (the controller, on the main thread) carries out its actions
// and tells it every engine event and level record.
class TLinkKeeper : public QObject {
    Q_OBJECT
public:
    // What the owner does with an engine event the keeper has seen.
    enum class TEventAction {
        // The event's ordinary handling.
        Ordinary,
        // The session is held open: the run's end or the link's end does not end it, and a failed attempt
        // shows no message.
        Hold,
        // A run that ended without a stop turned out not to be a lost link (timecode control ended it, the
        // meter is ready again): the held session is ended now, then the event is handled as usual.
        FinishHeld,
    };

    // What the keeper asks of its owner.
    struct TActions {
        // Closes the current link without the close counting as a stop.
        std::function<void()> fnCloseLink;
        // Creates a logging thread for the same meter; false when none could be made.
        std::function<bool()> fnConnect;
        // Starts the run of the connected, ready meter.
        std::function<void()> fnStartLogging;
        // The meter's serial device exists; always true for a network meter.
        std::function<bool()> fnDevicePresent;
        // Whether the meter is a serial one.
        std::function<bool()> fnSerialMeter;
        // Reconnecting on or off, and the stall time, as the settings have them now.
        std::function<TReconnectOptions()> fnOptions;
    };

    explicit TLinkKeeper(TActions rActions, QObject* parent = nullptr);

    // An engine event, told before its ordinary handling.
    TEventAction EngineEvent(int iCode);
    // A level record arrived (re-arms the stall timer).
    void RecordArrived();
    // A level row of session sReportId was given to the store at dtArrived.
    void RowStored(const QString& sReportId, const QString& sTimeCode, const QDateTime& dtArrived);
    // The user or the station asked for the run's or the link's end: reconnecting stops at once. True when
    // a held session was waiting for a reconnect; the owner then ends it.
    bool StopAsked();

    // Between a lost link and the resumed run: the session is held open.
    bool Reconnecting() const { return eState >= TState::Closing && eState <= TState::Starting; }
    // The same, or a run that ended without a stop while the keeper waits to learn whether its link is lost.
    bool HoldsSession() const { return eState >= TState::RunEnded && eState <= TState::Starting; }
    // A lost link's session whose gap the next stored row closes: its loudness setup starts no new session.
    bool ResumesSession() const { return bGapOpen; }
    // Why the link was last lost, in English words.
    const QString& Reason() const { return sReason; }
    int Attempt() const { return Pauses.Attempts(); }

Q_SIGNALS:
    // The link was lost and the next attempt follows in iPauseSeconds; iAttempt counts from 1.
    void ReconnectScheduled(int iAttempt, int iPauseSeconds, const QString& sReason);
    // An attempt begins.
    void Attempting(int iAttempt);
    // The resumed run's first row was stored: the gap to store.
    void GapClosed(const TSessionGap& rGap);

private:
    enum class TState {
        Idle,
        // Logging, the stall timer armed by each record.
        Watching,
        // The run ended without a stop: the link's end or the meter's readiness tells what it was.
        RunEnded,
        // The link is being closed; its end (event 9) starts the pause.
        Closing,
        Pausing,
        // A logging thread is connecting.
        Connecting,
        // The meter is ready and told to start.
        Starting,
    };

    void StallOver();
    // Why the link ended: the serial device gone, or else sOtherwise.
    QString LossReason(const QString& sOtherwise) const;
    void LinkLost(const QString& sLossReason);
    void SchedulePause();
    void StartAttempt();
    void ArmStall();

    TActions Actions;
    TState eState = TState::Idle;
    TReconnectPauses Pauses;
    QTimer Stall;
    QTimer Pause;
    QString sReason;
    int iStallSeconds = 0;
    // The last row stored before the loss, and whether a gap waits for the first row after it.
    QString sLastTimeCode;
    QDateTime dtLastRow;
    QString sLastSession;
    TSessionGap rGap;
    bool bGapOpen = false;
};
