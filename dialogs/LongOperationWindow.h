#pragma once

#include "core/OperationProgress.h"

#include <QObject>
#include <QPointer>

class QWidget;
class TfrmWait;

// The main window's long operation: the wait window with its text, the main window taking no input but
// the wait window's Cancel, the window painting about every 30 ms while the operation pumps, and, once the
// operation has run a second, its progress and the Cancel button in the wait window.
class TLongOperationWindow : public QObject {
    Q_OBJECT
public:
    // rMain: the window disabled meanwhile. fnClock: the progress's clock (none: the system's).
    explicit TLongOperationWindow(QWidget& rMain, TOperationProgress::TClock fnClock = {});

    // Shows pWait (none: no wait window) with text entry iEntry, opaque, and disables the main window.
    void Begin(TfrmWait* pWait, int iEntry);
    // Enables the main window and closes the wait window.
    void End();
    // The operation's pump (TProgressPump): false once the user cancelled.
    bool Pump(qint64 iDone, qint64 iTotal);

    TOperationProgress& Progress() { return FProgress; }

private:
    void CancelClicked();

    QWidget& Main;
    QPointer<TfrmWait> Wait;
    TOperationProgress FProgress;
};
