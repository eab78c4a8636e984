#pragma once

#include "app/TextTable.h"
#include "dialogs/FormWait.h"

#include <QWidget>

// While a session's levels are read: the wait window shows and the main window takes no input. The main
// window is enabled and the wait window closed again however the reading ends.
class TLoadingState {
public:
    TLoadingState(QWidget* pMainWindow, TfrmWait* pWait) : MainWindow(pMainWindow), frmWait(pWait) {
        if (frmWait) {
            frmWait->SetWaitTextEntry(kTxtLoadingData);
            frmWait->SetAlphaBlendValue(255);
            frmWait->ShowWait();
        }
        if (MainWindow)
            MainWindow->setEnabled(false);
    }
    ~TLoadingState() {
        if (MainWindow)
            MainWindow->setEnabled(true);
        if (frmWait)
            frmWait->close();
    }
    TLoadingState(const TLoadingState&) = delete;
    TLoadingState& operator=(const TLoadingState&) = delete;

private:
    QWidget* MainWindow;
    TfrmWait* frmWait;
};
