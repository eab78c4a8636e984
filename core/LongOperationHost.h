#pragma once

#include "core/OperationProgress.h"

#include <QString>

// What a view asks of the main window around a command: the program's message box, and the long-operation
// state (the wait window with a text entry, the main window taking no input until the operation ends).
class ILongOperationHost {
public:
    virtual ~ILongOperationHost() = default;
    // A message of the program (text, kind kMsg..., buttons kMsgBtn...); returns the button chosen.
    virtual int ShowMessageBox(const QString& sText, int iKind, int iButtons) = 0;
    // The wait window with text entry iEntry, the main window taking no input, until EndLongOperation.
    virtual void BeginLongOperation(int iEntry) = 0;
    virtual void EndLongOperation() = 0;
    // The pump of the long operation (TProgressPump): the window paints about every 30 ms, and once the
    // operation has run a second the wait window shows iDone of iTotal and a Cancel button. False once the
    // user cancelled. A host without a wait window neither paints nor cancels.
    virtual bool PumpLongOperation(qint64 iDone, qint64 iTotal) {
        Q_UNUSED(iDone);
        Q_UNUSED(iTotal);
        return true;
    }
    // The pump above as a function, for operations that take one.
    TProgressPump LongOperationPump() {
        return [this](qint64 iDone, qint64 iTotal) { return PumpLongOperation(iDone, iTotal); };
    }
};

// The host's long operation lasts as long as the scope, also when it is left by an exception.
class TLongOperation {
public:
    TLongOperation(ILongOperationHost& rHost, int iEntry) : Host(rHost) { Host.BeginLongOperation(iEntry); }
    ~TLongOperation() { Host.EndLongOperation(); }
    TLongOperation(const TLongOperation&) = delete;
    TLongOperation& operator=(const TLongOperation&) = delete;

    // The host's pump; remembers when it cancelled.
    TProgressPump Pump() {
        return [this](qint64 iDone, qint64 iTotal) {
            bCancelled = bCancelled || !Host.PumpLongOperation(iDone, iTotal);
            return !bCancelled;
        };
    }
    // Whether the user cancelled the operation at one of its pumps.
    bool Cancelled() const { return bCancelled; }

private:
    ILongOperationHost& Host;
    bool bCancelled = false;
};
