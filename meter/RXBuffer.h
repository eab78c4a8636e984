#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <atomic>

// The logging thread's receive buffer: complete lines from either transport wait here until the thread
// takes them. The receiving side appends, the thread takes; taking copies and clears in one step, so a
// line that arrives meanwhile is either in the text taken or stays for the next take, never lost.
class TRXBuffer {
public:
    // Appends one line without its line end and raises the line flag. Lines that wait together are kept
    // apart by CR LF, which the report parser skips.
    void AppendLine(const QByteArray& sLine);
    // The line flag: at least one complete line waits.
    bool HasLine() const { return bRXString.load(std::memory_order_acquire); }
    // Everything waiting (one character per byte), and the buffer empty with its flag cleared. False, and
    // sText empty, when nothing waits.
    bool Take(QString& sText);
    void Clear();

    // Lines pile up to this size when nobody takes them; beyond it the oldest are dropped, so a thread that
    // stopped taking cannot let the meter exhaust memory.
    static constexpr qsizetype kMaxBuffer = 4 * 1024 * 1024;

private:
    mutable QMutex Mutex;
    QByteArray sGlobalRXBuffer;
    std::atomic<bool> bRXString{false};
};
