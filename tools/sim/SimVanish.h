#pragma once

#include <QString>
#include <QtGlobal>
#include <limits>

// A meter that goes away and comes back, as when its USB cable is pulled or its network drops: after it has
// reported for a while it vanishes for a set time, and then, if asked, again after every stretch of
// reporting since it came back. Counting from the start of reporting (not from the program's start) puts
// every vanish in the middle of logging, however long the computer takes to connect.
struct TSimVanishConfig {
    // Reporting time before the first vanish; negative: the meter never vanishes.
    qint64 iAfterMs = -1;
    // How long the meter stays away.
    qint64 iForMs = 0;
    // Reporting time after a return before the next vanish; 0: the meter vanishes once.
    qint64 iEveryMs = 0;

    bool Enabled() const { return iAfterMs >= 0 && iForMs > 0; }
};

// When a meter vanishes and returns, on any monotonic millisecond clock. The caller tells it when the meter
// starts reporting, asks what falls due and does it.
class TSimVanishSchedule {
public:
    enum class TStep { None, Vanish, Return };
    static constexpr qint64 kNever = std::numeric_limits<qint64>::max();

    explicit TSimVanishSchedule(const TSimVanishConfig& rConfig) : rConfig(rConfig) {}

    // The meter began reporting at iNowMs: the next vanish is set, unless one is set already or none is left.
    void ReportingStarted(qint64 iNowMs);
    // The step due at iNowMs, taken as it is returned; None when nothing is due.
    TStep Take(qint64 iNowMs);
    // When the next step falls due; kNever when none is set.
    qint64 NextDueMs() const { return iDueMs; }
    bool Vanished() const { return eState == TState::Vanished; }
    qint64 ForMs() const { return rConfig.iForMs; }

private:
    enum class TState { Waiting, Armed, Vanished };

    TSimVanishConfig rConfig;
    TState eState = TState::Waiting;
    qint64 iDueMs = kNever;
    int iReturns = 0;
};

// The simulator's monotonic millisecond clock.
qint64 SimNowMs();

// One line on standard error for a person or a test following the meter: "qxmeter-sim: <sWhat> at <local
// date and time with milliseconds>[: sDetail]".
void PrintSimEvent(const QString& sWhat, const QString& sDetail);
