#include "core/OperationProgress.h"

#include <algorithm>
#include <chrono>

namespace {

qint64 SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

TOperationProgress::TOperationProgress(TClock fnClock, int iShowAfterMs)
    : FClock(fnClock ? std::move(fnClock) : TClock(SteadyMs)), FShowAfterMs(iShowAfterMs) {}

void TOperationProgress::Start() {
    iStartMs = FClock();
    bPainted = false;
    iDone = iTotal = 0;
    bRunning = true;
    bShowing = bCancelled = false;
}

void TOperationProgress::Finish() {
    bRunning = bShowing = false;
}

bool TOperationProgress::PaintDue() {
    const qint64 iNow = FClock();
    if (bPainted && iNow - iPaintedMs < kPaintIntervalMs)
        return false;
    bPainted = true;
    iPaintedMs = iNow;
    return true;
}

bool TOperationProgress::Note(qint64 iDoneNow, qint64 iTotalNow) {
    if (!bRunning)
        return false;
    iDone = std::max<qint64>(iDoneNow, 0);
    iTotal = iTotalNow;
    if (!bShowing && FClock() - iStartMs >= FShowAfterMs)
        bShowing = true;
    return bShowing;
}

int TOperationProgress::Permille() const {
    if (iTotal <= 0)
        return -1;
    // More done than expected (rows logged since they were counted) reads as all.
    return int(std::min<qint64>(iDone, iTotal) * kPermilleScale / iTotal);
}

void TOperationProgress::Cancel() {
    if (bRunning)
        bCancelled = true;
}
