#include "app/FormMain.h"
#include "dialogs/FormWait.h"
#include "dialogs/MessageBox.h"
#include "meter/FormAddNetworkInstrument.h"
#include "meter/FormInstrumentSelect.h"
#include "meter/InstrumentDiscovery.h"
#include "meter/NetworkLink.h"
#include "tests/support/SimPorts.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <gtest/gtest.h>

namespace {

// The manager wired to a real main window as the program wires it.
class InstrumentManagerMainTest : public ::testing::Test {
protected:
    InstrumentManagerMainTest() {
        frmMain.MessageBox->SetResponder([this](const TMessageBoxRequest& r) {
            aMessages.push_back(r.sText);
            return kMsgResultOK;
        });
        Windows.frmMain = &frmMain;
        Windows.frmInstrumentSelect = frmSelect;
        Windows.frmAddNetworkInstrument = frmAdd;
        Windows.frmWait = frmWait;
        frmMain.SetWindows(Windows);
        Context = InstrumentManagerContext(frmMain);
        Context.LoadPorts = [this] { return SortPortNames(LinkedPortNames(Home.DataFolder())); };
        Context.rTiming = qxtest::ProbeTiming();
    }
    void Wire() {
        frmAdd->SetContext(Context);
        frmSelect->SetContext(Context, frmAdd);
        frmSelect->show();
        ASSERT_TRUE(qxtest::WaitFor([&] { return frmSelect->isVisible(); }));
    }

    qxtest::TFreshConfigHome Home;
    qxtest::TSimPorts Ports{Home};
    TfrmMain frmMain;
    TfrmInstrumentSelect* frmSelect = new TfrmInstrumentSelect(&frmMain);
    TfrmAddNetworkInstrument* frmAdd = new TfrmAddNetworkInstrument(&frmMain);
    TfrmWait* frmWait = new TfrmWait(&frmMain);
    TAppWindows Windows;
    TInstrumentManagerContext Context;
    std::vector<QString> aMessages;
};

TEST_F(InstrumentManagerMainTest, ChoosingAMeterShowsInTheMainWindow) {
    ASSERT_NO_FATAL_FAILURE(Ports.AddMeter(4));
    frmMain.StatusPanels[2]->setText("4711");
    ASSERT_NO_FATAL_FAILURE(Wire());
    QTreeWidgetItem* pNode = frmSelect->NodeByNumber(104);
    ASSERT_NE(pNode, nullptr);
    frmSelect->treeInstrumentMouseDown(frmSelect->treeInstrument->visualItemRect(pNode).center());
    frmSelect->btnOK->click();

    EXPECT_EQ(aMessages, std::vector<QString>({"A new instrument was selected."}));
    EXPECT_TRUE(frmMain.Ctrl.Settings.rActiveNetworkCFG.bComPort);
    EXPECT_EQ(frmMain.Ctrl.Settings.rActiveNetworkCFG.iPort, 4);
    EXPECT_TRUE(frmMain.StatusPanels[2]->text().isEmpty());
    ASSERT_FALSE(frmMain.Ctrl.slLog.Lines().isEmpty());
    EXPECT_TRUE(frmMain.Ctrl.slLog.Lines().last().endsWith("|1"));
    EXPECT_FALSE(frmWait->isVisible());
    EXPECT_TRUE(frmSelect->isEnabled());
}

TEST_F(InstrumentManagerMainTest, WaitWindowShowsAndTheWindowsRunWhileATestWaits) {
    TInstrumentInfo rEntry;
    rEntry.sInstrumentName = "Studio A";
    rEntry.sHostName = "studio.local";
    rEntry.iPort = 23;
    rEntry.bValid = true;
    frmMain.Ctrl.Settings.aNetworkInstruments.append(rEntry);
    // Set by the window's thread when it sees the wait window; the login waits for it, so it can only
    // end if the window's thread keeps handling events while the login runs.
    std::atomic<bool> bSeen = false;
    QTimer Watch;
    QObject::connect(&Watch, &QTimer::timeout, [&] {
        if (frmWait->isVisible() && frmWait->WaitText() == "Please wait..." && !frmSelect->isEnabled())
            bSeen = true;
    });
    Watch.start(1);
    Context.TelnetLogin = [&](TInstrumentInfo& rCFG, QString&) {
        EXPECT_NE(QThread::currentThread(), frmMain.thread());
        QDeadlineTimer Bound(30000);
        while (!bSeen && !Bound.hasExpired())
            QThread::msleep(1);
        rCFG.iSerialNo = 77;
        return bSeen ? kLoginOK : kLoginNoResponse;
    };
    ASSERT_NO_FATAL_FAILURE(Wire());
    QTreeWidgetItem* pNode = frmSelect->NodeByNumber(100);
    ASSERT_NE(pNode, nullptr);
    frmSelect->treeInstrumentMouseDown(frmSelect->treeInstrument->visualItemRect(pNode).center());
    frmSelect->popTestInstrument->trigger();

    EXPECT_TRUE(bSeen);
    EXPECT_EQ(aMessages,
              std::vector<QString>({"Test succeded!\r\rDetected a instrument with serial number: 77."}));
    EXPECT_FALSE(frmWait->isVisible());
    EXPECT_TRUE(frmSelect->isEnabled());
}

// Opened again and again (the menu runs it modally), the manager stands where it stood the first time: over
// the middle of the main window.
TEST_F(InstrumentManagerMainTest, OpensAtTheSamePlaceEachTime) {
    frmMain.show();
    ASSERT_TRUE(qxtest::WaitFor([&] { return frmMain.isVisible(); }));
    // Wider than its controls need, so that it keeps its place and size while the manager opens.
    frmMain.setGeometry(100, 120, 1000, 700);
    QCoreApplication::processEvents();
    frmSelect->SetContext(Context, frmAdd);
    QList<QPoint> aPlaces;
    for (int i = 0; i < 3; ++i) {
        QTimer::singleShot(0, frmSelect, [&] {
            ASSERT_TRUE(qxtest::WaitFor([&] { return frmSelect->isVisible(); }));
            QCoreApplication::processEvents();
            aPlaces.append(frmSelect->frameGeometry().center());
            frmSelect->btnCancel->click();
        });
        frmSelect->exec();
    }
    ASSERT_EQ(aPlaces.size(), 3);
    EXPECT_EQ(aPlaces[1], aPlaces[0]);
    EXPECT_EQ(aPlaces[2], aPlaces[0]);
    const QPoint Middle = frmMain.frameGeometry().center();
    EXPECT_LE((aPlaces[0] - Middle).manhattanLength(), 2) << aPlaces[0].x() << "," << aPlaces[0].y();
}

} // namespace
