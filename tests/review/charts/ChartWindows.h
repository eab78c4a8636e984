#pragma once

#include "app/FormMain.h"
#include "dialogs/FormWait.h"
#include "dialogs/MessageBox.h"
#include "review/FormChart.h"
#include "review/FormFilter.h"
#include "tests/support/TestSupport.h"

#include <QString>
#include <vector>

namespace qxtest {

// The program's main window with the windows the chart tabs work with, wired as the program wires them,
// on screen at 1200 × 800 and past the start's message (a fresh settings file names no database). Every
// later message is recorded and answered OK. Make it after the fresh configuration home it reads.
struct TChartWindows {
    TChartWindows() {
        Main.MessageBox->SetResponder([this](const TMessageBoxRequest& r) {
            aMessages.push_back(r.sText);
            // The wait window stays on top of every window: it must never cover a message's buttons.
            bWaitVisibleAtMessage = bWaitVisibleAtMessage || Wait.isVisible();
            return kMsgResultOK;
        });
        Wait.SetLanguage(&Main.iLNG);
        Filter.SetServices(Main);
        TAppWindows Windows;
        Windows.frmMain = &Main;
        Windows.frmWait = &Wait;
        Windows.frmChart = &Chart;
        Windows.frmFilter = &Filter;
        Main.SetWindows(Windows);
        Main.resize(1200, 800);
        Main.show();
        WaitFor([] { return false; }, 50);
        aMessages.clear();
    }

    // Makes the listed session sId the selected one, as a click on its row in the session list does.
    bool SelectSession(const QString& sId) {
        const int iRow = Main.DatabaseView->Browser().Sessions().RowOfSession(sId);
        if (iRow < 0)
            return false;
        Main.sgSessions->setCurrentIndex(Main.sgSessions->model()->index(iRow, 0));
        return Main.rSelectedSessionInfo.sReportID == sId;
    }

    TfrmMain Main;
    TfrmWait Wait;
    TfrmChart Chart;
    TfrmFilter Filter;
    std::vector<QString> aMessages;
    bool bWaitVisibleAtMessage = false;
};

} // namespace qxtest
