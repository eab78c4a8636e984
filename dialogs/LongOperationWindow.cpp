#include "dialogs/LongOperationWindow.h"

#include "dialogs/FormWait.h"

#include <QCoreApplication>
#include <QWidget>

TLongOperationWindow::TLongOperationWindow(QWidget& rMain, TOperationProgress::TClock fnClock)
    : QObject(&rMain), Main(rMain), FProgress(std::move(fnClock)) {}

void TLongOperationWindow::Begin(TfrmWait* pWait, int iEntry) {
    if (Wait && Wait != pWait)
        disconnect(Wait, nullptr, this, nullptr);
    Wait = pWait;
    FProgress.Start();
    if (Wait) {
        Wait->SetWaitTextEntry(iEntry);
        Wait->SetAlphaBlendValue(255);
        Wait->HideProgress();
        Wait->ShowWait();
        connect(Wait, &TfrmWait::CancelClicked, this, &TLongOperationWindow::CancelClicked,
                Qt::UniqueConnection);
    }
    Main.setEnabled(false);
    // The wait window is the main window's child, which disabling the main window disables too: its
    // Cancel stays the one thing that takes input.
    if (Wait)
        Wait->setEnabled(true);
}

void TLongOperationWindow::End() {
    FProgress.Finish();
    Main.setEnabled(true);
    if (Wait)
        Wait->close();
}

void TLongOperationWindow::CancelClicked() {
    FProgress.Cancel();
}

bool TLongOperationWindow::Pump(qint64 iDone, qint64 iTotal) {
    if (!FProgress.Running())
        return true;
    if (FProgress.PaintDue()) {
        if (FProgress.Note(iDone, iTotal) && Wait)
            Wait->ShowProgress(FProgress.Permille());
        QCoreApplication::processEvents();
    }
    return !FProgress.Cancelled();
}
