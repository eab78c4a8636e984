#pragma once

#include <QtGlobal>
#include <chrono>
#include <functional>
#include <future>

// What a long operation of the main thread calls often (every kPumpRows rows, every page): it reports iDone
// of iTotal units of work (rows, pages; iTotal <= 0: not known), and about every 30 ms it lets the window
// paint and take the wait window's Cancel. False once the user cancelled: the operation then stops at once
// and leaves things as they were. An empty pump neither paints nor cancels.
using TProgressPump = std::function<bool(qint64 iDone, qint64 iTotal)>;

// Rows an operation handles between two calls of its pump: a millisecond or two of work.
inline constexpr int kPumpRows = 1024;

// Calls fnPump when there is one; true (go on) when there is none.
inline bool PumpProgress(const TProgressPump& fnPump, qint64 iDone, qint64 iTotal) {
    return !fnPump || fnPump(iDone, iTotal);
}

// Waits for the result of work a worker does for the main thread, calling fnEach every iIntervalMs
// meanwhile so that the window keeps painting; the worker owns what it works on until it ends.
template <class T, class TEach> T WaitPumping(std::future<T>& Work, int iIntervalMs, TEach&& fnEach) {
    while (Work.wait_for(std::chrono::milliseconds(iIntervalMs)) != std::future_status::ready)
        fnEach();
    return Work.get();
}

// How far the long operation of the main window got, and whether the user asked it to stop. The progress
// and its Cancel button show only once the operation has run ShowAfterMs, so that a quick operation looks
// as it always did. The clock is given, so that tests drive it without sleeping.
class TOperationProgress {
public:
    // Milliseconds on a steady clock; only differences count.
    using TClock = std::function<qint64()>;
    static constexpr int kShowAfterMs = 1000;
    // The window paints this often while the operation runs.
    static constexpr int kPaintIntervalMs = 30;
    // Progress in tenths of a percent.
    static constexpr int kPermilleScale = 1000;

    // Without a clock the steady clock of the system.
    explicit TOperationProgress(TClock fnClock = {}, int iShowAfterMs = kShowAfterMs);

    int ShowAfterMs() const { return FShowAfterMs; }
    void SetShowAfterMs(int iMs) { FShowAfterMs = iMs; }

    // A new operation begins: nothing done, not cancelled, the progress hidden until ShowAfterMs passed.
    void Start();
    // The operation ended; a later Note changes nothing.
    void Finish();
    bool Running() const { return bRunning; }

    // Whether the window is to paint now: true at the first call of an operation and then once
    // kPaintIntervalMs passed since it last was.
    bool PaintDue();
    // Notes iDone of iTotal; true when the progress is to be shown now (from the first note at or after
    // ShowAfterMs on, until the operation ends).
    bool Note(qint64 iDone, qint64 iTotal);
    bool Showing() const { return bShowing; }
    // Tenths of a percent done, 0 to kPermilleScale; -1 while the total is not known.
    int Permille() const;

    // The user's Cancel: the operation sees it at its next pump. Only while it runs.
    void Cancel();
    bool Cancelled() const { return bCancelled; }

private:
    TClock FClock;
    int FShowAfterMs;
    qint64 iStartMs = 0;
    qint64 iPaintedMs = 0;
    bool bPainted = false;
    qint64 iDone = 0;
    qint64 iTotal = 0;
    bool bRunning = false;
    bool bShowing = false;
    bool bCancelled = false;
};
