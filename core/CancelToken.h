#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

// Ends waits on request: its owner cancels it from any thread, and every wait that holds it returns soon
// after (sleeps at once, blocking device waits within one slice). Shared by reference; the owner keeps it
// alive longer than every wait that uses it.
class TCancelToken {
public:
    // Blocking waits that cannot be woken (a port's or socket's own wait) last at most this long at a time,
    // so that they see a cancel this soon.
    static constexpr int kSliceMs = 50;

    // Any thread.
    void Cancel();
    // A cancel is withdrawn for a last short exchange: waits from now on end at the latest after iMs. A
    // later Cancel ends them at once again.
    void Reopen(int iMs);
    bool Cancelled() const;
    // Sleeps iMs, or less when cancelled meanwhile; false when cancelled.
    bool SleepFor(int iMs) const;

private:
    using TClock = std::chrono::steady_clock;
    bool CancelledLocked() const;

    mutable std::mutex Lock;
    mutable std::condition_variable Wake;
    bool bCancelled = false;
    std::optional<TClock::time_point> Deadline;
};

// The slice of a blocking wait of iMs under pToken (none: the whole wait); 0 when the token is cancelled.
int CancelSliceMs(const TCancelToken* pToken, int iMs);
// Whether pToken (possibly none) is cancelled.
inline bool IsCancelled(const TCancelToken* pToken) {
    return pToken && pToken->Cancelled();
}
