#include "tools/sim/SimVanish.h"

#include <QDateTime>
#include <chrono>
#include <cstdio>

qint64 SimNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void TSimVanishSchedule::ReportingStarted(qint64 iNowMs) {
    if (!rConfig.Enabled() || eState != TState::Waiting)
        return;
    if (iReturns > 0 && rConfig.iEveryMs <= 0)
        return;
    eState = TState::Armed;
    iDueMs = iNowMs + (iReturns == 0 ? rConfig.iAfterMs : rConfig.iEveryMs);
}

TSimVanishSchedule::TStep TSimVanishSchedule::Take(qint64 iNowMs) {
    if (iDueMs > iNowMs)
        return TStep::None;
    if (eState == TState::Armed) {
        eState = TState::Vanished;
        iDueMs = iNowMs + rConfig.iForMs;
        return TStep::Vanish;
    }
    eState = TState::Waiting;
    iDueMs = kNever;
    ++iReturns;
    return TStep::Return;
}

void PrintSimEvent(const QString& sWhat, const QString& sDetail) {
    const QString sLine =
        QStringLiteral("qxmeter-sim: %1 at %2")
            .arg(sWhat, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))) +
        (sDetail.isEmpty() ? QString() : QStringLiteral(": ") + sDetail);
    std::fprintf(stderr, "%s\n", qPrintable(sLine));
    std::fflush(stderr);
}
