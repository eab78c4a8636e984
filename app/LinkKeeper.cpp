#include "app/LinkKeeper.h"

#include "core/EngineCodes.h"

TLinkKeeper::TLinkKeeper(TActions rActions, QObject* parent) : QObject(parent), Actions(std::move(rActions)) {
    Stall.setSingleShot(true);
    Pause.setSingleShot(true);
    connect(&Stall, &QTimer::timeout, this, &TLinkKeeper::StallOver);
    connect(&Pause, &QTimer::timeout, this, &TLinkKeeper::StartAttempt);
}

TLinkKeeper::TEventAction TLinkKeeper::EngineEvent(int iCode) {
    switch (iCode) {
    case kEventLoggingStarted:
    case kEventLogging:
    case kEventWaitingStartTC: {
        const TReconnectOptions rOptions = Actions.fnOptions();
        if (!rOptions.bEnabled) {
            eState = TState::Idle;
            Stall.stop();
            return TEventAction::Ordinary;
        }
        if (eState != TState::Idle && eState != TState::Watching && eState != TState::Starting)
            return TEventAction::Ordinary;
        // The meter answered and runs: the next loss starts again from the shortest pause.
        if (eState == TState::Starting)
            Pauses.Reset();
        eState = TState::Watching;
        iStallSeconds = rOptions.iStallSeconds;
        // Waiting for the start timecode, the meter sends no records to wait for.
        if (iCode == kEventWaitingStartTC)
            Stall.stop();
        else
            ArmStall();
        return TEventAction::Ordinary;
    }
    case kEventPaused:
    case kEventTimecodeStopped:
        // A paused run sends no records: its silence is no lost link.
        Stall.stop();
        return TEventAction::Ordinary;
    case kEventLoggingEnded:
        if (eState == TState::Watching) {
            // Not asked for: the link's end or the meter's readiness will tell what it was.
            eState = TState::RunEnded;
            Stall.stop();
            return TEventAction::Hold;
        }
        return Reconnecting() ? TEventAction::Hold : TEventAction::Ordinary;
    case kEventReady:
        if (eState == TState::RunEnded) {
            eState = TState::Idle;
            bGapOpen = false;
            return TEventAction::FinishHeld;
        }
        if (eState == TState::Connecting) {
            eState = TState::Starting;
            Actions.fnStartLogging();
            return TEventAction::Hold;
        }
        return TEventAction::Ordinary;
    case kEventConnectionClosed:
        switch (eState) {
        case TState::Watching:
        case TState::RunEnded: {
            LinkLost(LossReason(Actions.fnSerialMeter()
                                    ? QStringLiteral("The serial link to the meter was lost.")
                                    : QStringLiteral("The network connection was lost.")));
            SchedulePause();
            return TEventAction::Hold;
        }
        case TState::Closing:
        case TState::Connecting:
        case TState::Starting:
            SchedulePause();
            return TEventAction::Hold;
        case TState::Pausing:
            // A thread that ends reports its end more than once: the pause has begun already.
            return TEventAction::Hold;
        default:
            return TEventAction::Ordinary;
        }
    default:
        // A failed attempt is logged, never shown: the keeper tries again by itself.
        if ((BlamesTheMeter(iCode) || iCode == kEventLoginRefused) && HoldsSession())
            return TEventAction::Hold;
        return TEventAction::Ordinary;
    }
}

void TLinkKeeper::RecordArrived() {
    if (eState == TState::Watching && Stall.isActive())
        ArmStall();
}

void TLinkKeeper::RowStored(const QString& sReportId, const QString& sTimeCode, const QDateTime& dtArrived) {
    if (bGapOpen && (eState == TState::Watching || eState == TState::Starting)) {
        bGapOpen = false;
        rGap.sReportId = sReportId;
        rGap.sTimeCodeAfter = sTimeCode;
        rGap.dtAfter = dtArrived;
        Q_EMIT GapClosed(rGap);
    } else if (bGapOpen) {
        // A record the lost link had already sent: the gap begins after it.
        rGap.sTimeCodeBefore = sTimeCode;
        rGap.dtBefore = dtArrived;
    }
    sLastTimeCode = sTimeCode;
    dtLastRow = dtArrived;
}

bool TLinkKeeper::StopAsked() {
    const bool bHeld = HoldsSession();
    eState = TState::Idle;
    Stall.stop();
    Pause.stop();
    bGapOpen = false;
    Pauses.Reset();
    return bHeld;
}

void TLinkKeeper::StallOver() {
    if (eState != TState::Watching)
        return;
    LinkLost(LossReason(QStringLiteral("The meter stopped reporting for %1 s.").arg(iStallSeconds)));
    eState = TState::Closing;
    Actions.fnCloseLink();
}

QString TLinkKeeper::LossReason(const QString& sOtherwise) const {
    // A network meter's device is always present.
    return Actions.fnDevicePresent() ? sOtherwise : QStringLiteral("The serial device disappeared.");
}

void TLinkKeeper::LinkLost(const QString& sLossReason) {
    Stall.stop();
    sReason = sLossReason;
    // A link lost again before the resumed run stored a row extends the gap already open.
    if (bGapOpen)
        return;
    bGapOpen = true;
    rGap = TSessionGap();
    rGap.sTimeCodeBefore = sLastTimeCode;
    rGap.dtBefore = dtLastRow;
    rGap.sReason = sLossReason;
}

void TLinkKeeper::SchedulePause() {
    eState = TState::Pausing;
    const int iPauseSeconds = Pauses.Next();
    Q_EMIT ReconnectScheduled(Pauses.Attempts(), iPauseSeconds, sReason);
    Pause.start(iPauseSeconds * 1000);
}

void TLinkKeeper::StartAttempt() {
    if (eState != TState::Pausing)
        return;
    eState = TState::Connecting;
    Q_EMIT Attempting(Pauses.Attempts());
    if (!Actions.fnConnect())
        SchedulePause();
}

void TLinkKeeper::ArmStall() {
    Stall.start(iStallSeconds * 1000);
}
