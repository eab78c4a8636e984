#include "core/CancelToken.h"

#include <algorithm>

void TCancelToken::Cancel() {
    {
        std::lock_guard<std::mutex> Guard(Lock);
        bCancelled = true;
    }
    Wake.notify_all();
}

void TCancelToken::Reopen(int iMs) {
    std::lock_guard<std::mutex> Guard(Lock);
    bCancelled = false;
    Deadline = TClock::now() + std::chrono::milliseconds(std::max(iMs, 0));
}

bool TCancelToken::CancelledLocked() const {
    return bCancelled || (Deadline && TClock::now() >= *Deadline);
}

bool TCancelToken::Cancelled() const {
    std::lock_guard<std::mutex> Guard(Lock);
    return CancelledLocked();
}

bool TCancelToken::SleepFor(int iMs) const {
    std::unique_lock<std::mutex> Guard(Lock);
    TClock::time_point End = TClock::now() + std::chrono::milliseconds(std::max(iMs, 0));
    if (Deadline)
        End = std::min(End, *Deadline);
    Wake.wait_until(Guard, End, [this] { return bCancelled; });
    return !CancelledLocked();
}

int CancelSliceMs(const TCancelToken* pToken, int iMs) {
    if (!pToken)
        return iMs;
    return pToken->Cancelled() ? 0 : std::min(iMs, TCancelToken::kSliceMs);
}
