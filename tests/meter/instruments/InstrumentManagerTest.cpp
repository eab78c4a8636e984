#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "dialogs/MessageBox.h"
#include "meter/FormAddNetworkInstrument.h"
#include "meter/FormInstrumentSelect.h"
#include "meter/InstrumentDiscovery.h"
#include "meter/MeterInfo.h"
#include "meter/NetworkLink.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/NetworkFixture.h"
#include "tests/support/SimPorts.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// The manager and its dialog on a fresh data folder whose ports are the simulated meters and dead links
// of the test; every message box is answered OK and recorded.
class InstrumentManagerTest : public ::testing::Test {
protected:
    InstrumentManagerTest() {
        Box.SetResponder([this](const TMessageBoxRequest& r) {
            aMessages.push_back(r);
            return kMsgResultOK;
        });
        Context.pServices = &Services;
        // Only the test's ports, never a real serial port of the machine.
        Context.LoadPorts = [this] { return SortPortNames(LinkedPortNames(Home.DataFolder())); };
        Context.rTiming = qxtest::ProbeTiming();
        Context.TelnetLogin = [this](TInstrumentInfo& rCFG, QString& sError) {
            aLoginHosts.append(rCFG.sHostName);
            if (iLoginResult == kLoginOK) {
                rCFG.iSerialNo = 4242;
                rCFG.sInstrumentName = "Unit 7";
            }
            if (iLoginResult == kLoginError)
                sError = "Host not found";
            return iLoginResult;
        };
        frmAdd.SetContext(Context);
        frmSelect.SetContext(Context, &frmAdd);
    }
    // The real login against a simulated network meter, instead of the test's answers.
    void UseRealLogin(int iLoginWaitMs = 50) {
        Context.TelnetLogin = nullptr;
        Context.rTiming.iLoginWaitMs = iLoginWaitMs;
        Context.rTiming.iLoginTimeoutMs = qxtest::FastNetworkTiming().iLoginTimeoutMs;
        frmAdd.SetContext(Context);
        frmSelect.SetContext(Context, &frmAdd);
    }
    ~InstrumentManagerTest() override {
        frmAdd.hide();
        frmSelect.hide();
    }

    void ShowManager() {
        frmSelect.show();
        ASSERT_TRUE(qxtest::WaitFor([&] { return frmSelect.isVisible(); }));
    }
    QTreeWidgetItem* Node(int iNumber) { return frmSelect.NodeByNumber(iNumber); }
    // Presses the mouse on a node as the user would before a menu item or OK.
    void Pick(int iNumber) {
        QTreeWidgetItem* pNode = Node(iNumber);
        ASSERT_NE(pNode, nullptr) << iNumber;
        frmSelect.treeInstrument->scrollToItem(pNode);
        frmSelect.treeInstrumentMouseDown(frmSelect.treeInstrument->visualItemRect(pNode).center());
        ASSERT_EQ(frmSelect.SelectedNode, pNode);
    }
    QStringList Children(QTreeWidgetItem* pRoot) {
        QStringList sl;
        for (int i = 0; i < pRoot->childCount(); ++i)
            sl.append(pRoot->child(i)->text(0));
        return sl;
    }
    QString Text(int iEntry, const QStringList& slArgs = {}) {
        return FormatText(GetText(iEntry, Settings.iLNG), slArgs);
    }
    // Runs fnInDialog once the network instrument dialog is open.
    void WhenDialogOpens(const std::function<void()>& fnInDialog) {
        QTimer::singleShot(0, &frmAdd, [this, fnInDialog] {
            ASSERT_TRUE(qxtest::WaitFor([&] { return frmAdd.isVisible(); }));
            fnInDialog();
        });
    }
    void AddNetwork(const QString& sName, const QString& sHost, int iSerialNo) {
        TInstrumentInfo r;
        r.sInstrumentName = sName;
        r.sHostName = sHost;
        r.iPort = 23;
        r.iSerialNo = iSerialNo;
        r.bValid = true;
        Settings.aNetworkInstruments.append(r);
    }

    qxtest::TFreshConfigHome Home;
    qxtest::TSimPorts Ports{Home};
    TInstrumentManagerContext Context;
    TSettings Settings;
    TMessageBox Box{Settings.iLNG, nullptr};
    qxtest::TMessageBoxServices Services{Settings, Box};
    std::vector<TMessageBoxRequest> aMessages;
    QStringList& slLog = Services.slLog;
    QStringList& slWaitTexts = Services.slWaitTexts;
    // What the login of a network test answers, and the hosts it was asked for.
    int iLoginResult = kLoginNoResponse;
    QStringList aLoginHosts;
    std::map<int, QString>& aStatus = Services.mStatus;
    TfrmAddNetworkInstrument frmAdd;
    TfrmInstrumentSelect frmSelect;
};

TEST_F(InstrumentManagerTest, TreeListsPortsByNumberAndValidNetworkInstruments) {
    for (const int iPort : {10, 3, 4})
        ASSERT_NO_FATAL_FAILURE(Ports.AddDeadLink(iPort));
    AddNetwork("Studio A", "10.0.0.5", 0);
    AddNetwork("Gone", "10.0.0.6", 0);
    Settings.aNetworkInstruments[1].bValid = false;
    AddNetwork("Truck", "truck.local", 0);
    Settings.iLNG = kLanguageDanish;
    ASSERT_NO_FATAL_FAILURE(ShowManager());

    EXPECT_EQ(frmSelect.windowTitle(), GetText(48, kLanguageDanish));
    ASSERT_EQ(frmSelect.treeInstrument->topLevelItemCount(), 2);
    EXPECT_EQ(frmSelect.treeNodeCom->text(0), GetText(38, kLanguageDanish));
    EXPECT_EQ(frmSelect.treeNodeNetwork->text(0), GetText(40, kLanguageDanish));
    EXPECT_EQ(Children(frmSelect.treeNodeCom), QStringList({"COM3", "COM4", "COM10"}));
    EXPECT_EQ(Children(frmSelect.treeNodeNetwork),
              QStringList({"Studio A (10.0.0.5)", "Truck (truck.local)"}));
    EXPECT_EQ(TfrmInstrumentSelect::NodeNumber(frmSelect.treeNodeCom), 1);
    EXPECT_EQ(TfrmInstrumentSelect::NodeNumber(frmSelect.treeNodeNetwork), 2);
    EXPECT_EQ(TfrmInstrumentSelect::NodeNumber(frmSelect.treeNodeCom->child(2)), 110);
    EXPECT_EQ(TfrmInstrumentSelect::NodeNumber(frmSelect.treeNodeNetwork->child(1)), 102);
    EXPECT_TRUE(frmSelect.treeNodeCom->isExpanded());
    EXPECT_TRUE(frmSelect.treeNodeNetwork->isExpanded());
}

TEST_F(InstrumentManagerTest, PopupItemsFollowTheNodeAndNoMenuBesideTheNodes) {
    ASSERT_NO_FATAL_FAILURE(Ports.AddDeadLink(3));
    AddNetwork("Studio A", "10.0.0.5", 0);
    ASSERT_NO_FATAL_FAILURE(ShowManager());
    QTreeWidget* pTree = frmSelect.treeInstrument;

    ASSERT_TRUE(frmSelect.PreparePopup(pTree->visualItemRect(Node(103)).center()));
    EXPECT_EQ(frmSelect.SelectedNode, Node(103));
    EXPECT_EQ(pTree->currentItem(), Node(103));
    EXPECT_TRUE(frmSelect.popFindInstrument->isEnabled());
    EXPECT_TRUE(frmSelect.popTestInstrument->isEnabled());
    EXPECT_FALSE(frmSelect.popAddNetwork->isEnabled());
    EXPECT_FALSE(frmSelect.popEditNetwork->isEnabled());
    EXPECT_FALSE(frmSelect.popRemoveInstrument->isEnabled());

    ASSERT_TRUE(frmSelect.PreparePopup(pTree->visualItemRect(frmSelect.treeNodeNetwork).center()));
    EXPECT_FALSE(frmSelect.popFindInstrument->isEnabled());
    EXPECT_TRUE(frmSelect.popTestInstrument->isEnabled());
    EXPECT_TRUE(frmSelect.popAddNetwork->isEnabled());
    EXPECT_TRUE(frmSelect.popEditNetwork->isEnabled());
    EXPECT_TRUE(frmSelect.popRemoveInstrument->isEnabled());

    const QPoint Beside(5, pTree->viewport()->height() - 3);
    ASSERT_EQ(pTree->itemAt(Beside), nullptr);
    EXPECT_FALSE(frmSelect.PreparePopup(Beside));
    frmSelect.treeInstrumentMouseDown(Beside);
    EXPECT_EQ(frmSelect.SelectedNode, nullptr);
    // Nothing chosen: OK neither probes nor closes.
    frmSelect.treeInstrumentDblClick();
    EXPECT_TRUE(frmSelect.isVisible());
    EXPECT_TRUE(aMessages.empty());
}

TEST_F(InstrumentManagerTest, ChoosingAPortWithoutAMeterKeepsThePreviousInstrument) {
    ASSERT_NO_FATAL_FAILURE(Ports.AddDeadLink(5));
    TSimMeterConfig Silent = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Silent.rMisbehaviour.bSilent = true;
    ASSERT_NO_FATAL_FAILURE(Ports.AddMeter(6, Silent));
    AddNetwork("Studio A", "10.0.0.5", 4711);
    Settings.rActiveNetworkCFG = Settings.aNetworkInstruments[0];
    const TInstrumentInfo rBefore = Settings.rActiveNetworkCFG;
    ASSERT_NO_FATAL_FAILURE(ShowManager());

    for (const int iPort : {5, 6}) {
        aMessages.clear();
        ASSERT_NO_FATAL_FAILURE(Pick(iPort + 100));
        frmSelect.treeInstrumentDblClick();
        ASSERT_EQ(aMessages.size(), 1u) << iPort;
        const QString sNoInstrument =
            "No instrument found on COM" + QString::number(iPort) + ".\r\rPlease check the connection.";
        EXPECT_EQ(Text(30, {QString::number(iPort)}), sNoInstrument);
        // A port whose device is gone also says so; a silent meter's port opened fine.
        const QString sCause = iPort == 5
                                   ? "\r\rThe device " + Ports.sDataFolder +
                                         "/ports/no-such-device does not exist (No such file or "
                                         "directory).\r\rCheck that the meter is connected and switched "
                                         "on, and which device it appears as (/dev/ttyACM… or "
                                         "/dev/ttyUSB…)."
                                   : QString();
        EXPECT_EQ(aMessages[0].sText, sNoInstrument + sCause);
        EXPECT_EQ(aMessages[0].iKind, kMsgWarning);
        EXPECT_TRUE(frmSelect.isVisible());
        EXPECT_EQ(Settings.rActiveNetworkCFG.sHostName, rBefore.sHostName);
        EXPECT_EQ(Settings.rActiveNetworkCFG.iPort, rBefore.iPort);
        EXPECT_FALSE(Settings.rActiveNetworkCFG.bComPort);
        EXPECT_TRUE(aStatus.empty());
    }
}

TEST_F(InstrumentManagerTest, ChoosingAPortWithAMeterMakesItActive) {
    ASSERT_NO_FATAL_FAILURE(Ports.AddMeter(4));
    AddNetwork("Studio A", "10.0.0.5", 4711);
    Settings.rActiveNetworkCFG = Settings.aNetworkInstruments[0];
    ASSERT_NO_FATAL_FAILURE(ShowManager());
    ASSERT_NO_FATAL_FAILURE(Pick(104));
    frmSelect.btnOK->click();

    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0].sText, "A new instrument was selected.");
    EXPECT_EQ(aMessages[0].iKind, kMsgInformation);
    const TInstrumentInfo& rActive = Settings.rActiveNetworkCFG;
    EXPECT_TRUE(rActive.bComPort);
    EXPECT_EQ(rActive.iPort, 4);
    EXPECT_TRUE(rActive.sHostName.isEmpty());
    EXPECT_EQ(rActive.iSerialNo, 0);
    EXPECT_EQ(aStatus[2], QString());
    EXPECT_EQ(frmSelect.result(), QDialog::Accepted);
    EXPECT_FALSE(frmSelect.isVisible());
    // The meter's version line reaches the log.
    ASSERT_EQ(slLog.size(), 1);
    EXPECT_TRUE(slLog[0].endsWith("|1"));
    EXPECT_GT(slLog[0].size(), 2);
    EXPECT_EQ(slWaitTexts, QStringList({"Please wait..."}));
}

TEST_F(InstrumentManagerTest, ChoosingANetworkInstrumentDoesNotContactIt) {
    AddNetwork("Studio A", "192.0.2.1", 4711);
    ASSERT_NO_FATAL_FAILURE(ShowManager());
    ASSERT_NO_FATAL_FAILURE(Pick(100));
    frmSelect.treeInstrumentDblClick();
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0].sText, Text(44));
    EXPECT_EQ(Settings.rActiveNetworkCFG.sHostName, "192.0.2.1");
    EXPECT_FALSE(Settings.rActiveNetworkCFG.bComPort);
    EXPECT_EQ(aStatus[2], "4711");
    EXPECT_TRUE(slWaitTexts.isEmpty());
    EXPECT_FALSE(frmSelect.isVisible());
}

TEST_F(InstrumentManagerTest, TestConnectionOnAPortNamesTheMeter) {
    ASSERT_NO_FATAL_FAILURE(Ports.AddMeter(4));
    ASSERT_NO_FATAL_FAILURE(ShowManager());
    ASSERT_NO_FATAL_FAILURE(Pick(104));
    frmSelect.popTestInstrument->trigger();
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0].sText, "A " + TypeNameOf(21) + " was detected on COM4.");
    EXPECT_EQ(aMessages[0].iKind, kMsgInformation);
    EXPECT_TRUE(frmSelect.isVisible()) << "testing does not choose";
    EXPECT_TRUE(Settings.rActiveNetworkCFG.sHostName.isEmpty());
    EXPECT_FALSE(Settings.rActiveNetworkCFG.bComPort);
}

TEST_F(InstrumentManagerTest, FindStopsAtTheFirstMeterAndSelectsIt) {
    ASSERT_NO_FATAL_FAILURE(Ports.AddDeadLink(3));
    ASSERT_NO_FATAL_FAILURE(Ports.AddMeter(4));
    ASSERT_NO_FATAL_FAILURE(Ports.AddMeter(7));
    ASSERT_NO_FATAL_FAILURE(ShowManager());
    ASSERT_NO_FATAL_FAILURE(Pick(1));
    frmSelect.popFindInstrument->trigger();

    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0].sText, Text(36, {TypeNameOf(21), "4"}));
    EXPECT_EQ(aMessages[0].iKind, kMsgInformation);
    EXPECT_EQ(frmSelect.SelectedNode, Node(104));
    EXPECT_EQ(frmSelect.treeInstrument->currentItem(), Node(104));
    EXPECT_TRUE(Ports.Meter(7).Received().isEmpty()) << "COM7 was used after the meter on COM4";
    EXPECT_EQ(slWaitTexts, QStringList({Text(26)}));
    // Finding does not choose.
    EXPECT_TRUE(frmSelect.isVisible());
    EXPECT_FALSE(Settings.rActiveNetworkCFG.bComPort);
    EXPECT_TRUE(frmSelect.isEnabled());
}

TEST_F(InstrumentManagerTest, FindWithoutMetersSaysSo) {
    ASSERT_NO_FATAL_FAILURE(Ports.AddDeadLink(3));
    ASSERT_NO_FATAL_FAILURE(ShowManager());
    ASSERT_NO_FATAL_FAILURE(Pick(103));
    frmSelect.popFindInstrument->trigger();
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0].sText, "No instrument found.\r\rPlease check the connection.");
    EXPECT_EQ(aMessages[0].iKind, kMsgWarning);
    EXPECT_EQ(frmSelect.SelectedNode, nullptr);
}

TEST_F(InstrumentManagerTest, AddRemoveAndCloseBoxAfterAnEarlierOK) {
    ASSERT_NO_FATAL_FAILURE(ShowManager());
    ASSERT_NO_FATAL_FAILURE(Pick(2));
    WhenDialogOpens([this] {
        EXPECT_TRUE(frmAdd.chkVovEzodevName->isChecked());
        EXPECT_FALSE(frmAdd.editInstrumentName->isEnabled());
        EXPECT_EQ(frmAdd.editInstrumentName->text(), "New instrument");
        EXPECT_EQ(frmAdd.editPort->text(), "23");
        frmAdd.editHostName->setText("studio.local");
        frmAdd.editUserName->setText("admin");
        frmAdd.editPassword->setText("secret");
        frmAdd.btnOK->click();
    });
    frmSelect.popAddNetwork->trigger();
    ASSERT_EQ(Settings.aNetworkInstruments.size(), 1);
    const TInstrumentInfo& rNew = Settings.aNetworkInstruments[0];
    EXPECT_TRUE(rNew.bValid);
    EXPECT_EQ(rNew.sInstrumentName, "New instrument");
    EXPECT_EQ(rNew.sHostName, "studio.local");
    EXPECT_EQ(rNew.sUserName, "admin");
    EXPECT_EQ(rNew.sPassword, "secret");
    EXPECT_EQ(rNew.iPort, 23);
    EXPECT_TRUE(rNew.bVovEzodevName);
    EXPECT_EQ(rNew.iSerialNo, 0) << "no test in the dialog found a serial number";
    EXPECT_EQ(Children(frmSelect.treeNodeNetwork), QStringList({"New instrument (studio.local)"}));

    // The dialog keeps the last fields; closed with its close box it adds nothing.
    ASSERT_NO_FATAL_FAILURE(Pick(2));
    WhenDialogOpens([this] {
        EXPECT_EQ(frmAdd.editHostName->text(), "studio.local");
        frmAdd.editHostName->setText("other.local");
        frmAdd.close();
    });
    frmSelect.popAddNetwork->trigger();
    EXPECT_EQ(Settings.aNetworkInstruments.size(), 1);

    ASSERT_NO_FATAL_FAILURE(Pick(100));
    frmSelect.popRemoveInstrument->trigger();
    EXPECT_EQ(frmSelect.treeNodeNetwork->childCount(), 0);
    ASSERT_EQ(Settings.aNetworkInstruments.size(), 1);
    EXPECT_FALSE(Settings.aNetworkInstruments[0].bValid);
    EXPECT_TRUE(aMessages.empty()) << "removing asks nothing";
}

TEST_F(InstrumentManagerTest, EditChoosesTheEditedEntryEvenWhenAnotherReadsAlike) {
    AddNetwork("Studio", "10.0.0.5", 1111);
    AddNetwork("Studio B", "10.0.0.5", 2222);
    Settings.aNetworkInstruments[1].bVovEzodevName = false;
    ASSERT_NO_FATAL_FAILURE(ShowManager());
    ASSERT_NO_FATAL_FAILURE(Pick(101));
    WhenDialogOpens([this] {
        EXPECT_EQ(frmAdd.editInstrumentName->text(), "Studio B");
        EXPECT_FALSE(frmAdd.chkVovEzodevName->isChecked());
        EXPECT_TRUE(frmAdd.editInstrumentName->isEnabled());
        frmAdd.editInstrumentName->setText("STUDIO");
        frmAdd.editPort->setText("2323");
        frmAdd.btnOK->click();
    });
    frmSelect.popEditNetwork->trigger();

    const TInstrumentInfo& rEdited = Settings.aNetworkInstruments[1];
    EXPECT_EQ(rEdited.sInstrumentName, "STUDIO");
    EXPECT_EQ(rEdited.iPort, 2323);
    EXPECT_EQ(rEdited.iSerialNo, 2222);
    EXPECT_EQ(Settings.aNetworkInstruments[0].sInstrumentName, "Studio");
    // The edited entry is the active one now, not the first that reads alike.
    EXPECT_EQ(Settings.rActiveNetworkCFG.iSerialNo, 2222);
    EXPECT_EQ(Settings.rActiveNetworkCFG.iPort, 2323);
    EXPECT_EQ(aStatus[2], "2222");
    EXPECT_FALSE(frmSelect.isVisible());
}

TEST_F(InstrumentManagerTest, NetworkDialogRefusesPortsOutsideTheRange) {
    struct TCase {
        const char* sPort;
        bool bAccepted;
    };
    const TCase aCases[] = {{"0", false}, {"65536", false}, {"23a", false}, {"", false}, {"65535", true}};
    for (const TCase& c : aCases) {
        aMessages.clear();
        frmAdd.PrepareAdd("New instrument");
        frmAdd.setResult(QDialog::Rejected);
        frmAdd.show();
        frmAdd.editPort->setText(c.sPort);
        frmAdd.btnOK->click();
        EXPECT_EQ(frmAdd.isVisible(), !c.bAccepted) << c.sPort;
        if (c.bAccepted) {
            EXPECT_EQ(frmAdd.result(), QDialog::Accepted);
            EXPECT_TRUE(aMessages.empty());
            EXPECT_EQ(frmAdd.Fields().iPort, 65535);
        } else {
            ASSERT_EQ(aMessages.size(), 1u) << c.sPort;
            EXPECT_EQ(aMessages[0].sText, "Please enter a valid port number between 1 and 65535.");
            EXPECT_EQ(aMessages[0].iKind, kMsgWarning);
            // The test button checks the port first, too.
            frmAdd.btnTestConn->click();
            EXPECT_EQ(aMessages.size(), 2u) << c.sPort;
        }
        frmAdd.hide();
    }
}

// The login outcomes and the boxes they give, in the manager and in the network instrument dialog.
struct TLoginCase {
    int iResult;
    int iKind;
    const char* sManagerText;
    const char* sDialogText;
};
const TLoginCase kLoginCases[] = {
    {kLoginOK, kMsgInformation, "Test succeded!\r\rDetected a instrument with serial number: 4242.",
     "Test succeded!\r\rDetected a instrument with serial number: 4242"},
    {kLoginRefused, kMsgError,
     "Incorrect username or password.\r\rPlease check the connection settings and try again.",
     "Incorrect instrument username or password.\r\rPlease check the connection settings."},
    {kLoginNoResponse, kMsgError,
     "The instrument is not responding to login requests.\r\rPlease check the connection settings and try "
     "again.",
     "The instrument is not responding to login requests.\r\rPlease check the connection settings."},
    {kLoginError, kMsgWarning, "Host not found", "Host not found"},
};

TEST_F(InstrumentManagerTest, NetworkTestReportsTheLoginAndLeavesTheEntry) {
    AddNetwork("Studio A", "studio.local", 0);
    ASSERT_NO_FATAL_FAILURE(ShowManager());
    for (const TLoginCase& c : kLoginCases) {
        aMessages.clear();
        iLoginResult = c.iResult;
        ASSERT_NO_FATAL_FAILURE(Pick(100));
        frmSelect.popTestInstrument->trigger();
        ASSERT_EQ(aMessages.size(), 1u) << c.iResult;
        EXPECT_EQ(aMessages[0].sText, c.sManagerText);
        EXPECT_EQ(aMessages[0].iKind, c.iKind);
        EXPECT_EQ(Settings.aNetworkInstruments[0].iSerialNo, 0) << "the test changed the list entry";
        EXPECT_EQ(Settings.aNetworkInstruments[0].sInstrumentName, "Studio A");
        EXPECT_TRUE(frmSelect.isVisible());
    }
    EXPECT_EQ(aLoginHosts.size(), 4);
    EXPECT_EQ(aLoginHosts[0], "studio.local");
}

TEST_F(InstrumentManagerTest, DialogTestFillsTheNameAndTheNewEntrysSerialNumber) {
    Settings.rActiveNetworkCFG.bComPort = true;
    Settings.rActiveNetworkCFG.iPort = 4;
    ASSERT_NO_FATAL_FAILURE(ShowManager());
    for (const TLoginCase& c : kLoginCases) {
        aMessages.clear();
        iLoginResult = c.iResult;
        frmAdd.PrepareAdd("New instrument");
        frmAdd.show();
        frmAdd.editHostName->setText("truck.local");
        frmAdd.btnTestConn->click();
        ASSERT_EQ(aMessages.size(), 1u) << c.iResult;
        EXPECT_EQ(aMessages[0].sText, c.sDialogText);
        EXPECT_EQ(aMessages[0].iKind, c.iKind);
        EXPECT_EQ(frmAdd.editInstrumentName->text(), c.iResult == kLoginOK ? "Unit 7" : "New instrument");
        EXPECT_EQ(frmAdd.TestedSerialNo(), c.iResult == kLoginOK ? 4242 : 0);
        EXPECT_TRUE(frmAdd.isVisible());
        frmAdd.hide();
        // The serial instrument chosen for logging stays as it was.
        EXPECT_TRUE(Settings.rActiveNetworkCFG.bComPort);
        EXPECT_EQ(Settings.rActiveNetworkCFG.iPort, 4);
    }

    iLoginResult = kLoginOK;
    ASSERT_NO_FATAL_FAILURE(Pick(2));
    WhenDialogOpens([this] {
        frmAdd.editHostName->setText("truck.local");
        frmAdd.btnTestConn->click();
        frmAdd.btnOK->click();
    });
    frmSelect.popAddNetwork->trigger();
    ASSERT_EQ(Settings.aNetworkInstruments.size(), 1);
    EXPECT_EQ(Settings.aNetworkInstruments[0].iSerialNo, 4242);
    EXPECT_EQ(Settings.aNetworkInstruments[0].sInstrumentName, "Unit 7");
}

// Logins against the simulated network meter: what the manager and the dialog say for each outcome.
struct TSimLoginCase {
    const char* sName;
    TSimWrongLogin eWrongLogin;
    bool bRightPassword;
    bool bMeterListening;
    int iKind;
    QString sManagerText;
    QString sDialogText;
};

TEST_F(InstrumentManagerTest, NetworkTestAgainstTheSimulatedMeter) {
    const TSimLoginCase aCases[] = {
        {"right login", TSimWrongLogin::BannerAndClose, true, true, kMsgInformation,
         "Test succeded!\r\rDetected a instrument with serial number: 98765.",
         "Test succeded!\r\rDetected a instrument with serial number: 98765"},
        {"refused login", TSimWrongLogin::BannerAndClose, false, true, kMsgError,
         "Incorrect username or password.\r\rPlease check the connection settings and try again.",
         "Incorrect instrument username or password.\r\rPlease check the connection settings."},
        {"nobody listening", TSimWrongLogin::BannerAndClose, true, false, kMsgWarning, "", ""},
    };
    // Room for the meter's close to arrive after its banner.
    UseRealLogin(500);
    ASSERT_NO_FATAL_FAILURE(ShowManager());
    for (const TSimLoginCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        qxtest::TNetworkMeterFixture Sim;
        TSimNetworkConfig rConfig;
        rConfig.iSerialNumber = 98765;
        rConfig.sUnitName = "Studio Meter 3";
        rConfig.eWrongLogin = c.eWrongLogin;
        ASSERT_NO_FATAL_FAILURE(Sim.StartMeter(rConfig));
        TInstrumentInfo rEntry = Sim.rInstrument;
        rEntry.sInstrumentName = "Studio A";
        rEntry.bValid = true;
        if (!c.bRightPassword)
            rEntry.sPassword = "wrong";
        if (!c.bMeterListening)
            rEntry.iPort = qxtest::TNetworkMeterFixture::ClosedPort();
        Settings.aNetworkInstruments = {rEntry};
        frmSelect.BuildTree(true, true);

        aMessages.clear();
        ASSERT_NO_FATAL_FAILURE(Pick(100));
        frmSelect.popTestInstrument->trigger();
        ASSERT_EQ(aMessages.size(), 1u);
        EXPECT_EQ(aMessages[0].iKind, c.iKind);
        if (c.bMeterListening) {
            EXPECT_EQ(aMessages[0].sText, c.sManagerText);
        } else {
            EXPECT_FALSE(aMessages[0].sText.isEmpty()) << "the connection's own error text";
        }
        EXPECT_EQ(Settings.aNetworkInstruments[0].iSerialNo, 0) << "the test changed the list entry";
        EXPECT_EQ(Settings.aNetworkInstruments[0].sInstrumentName, "Studio A");

        aMessages.clear();
        frmAdd.PrepareEdit(
            {"Studio A", rEntry.sHostName, rEntry.sUserName, rEntry.sPassword, rEntry.iPort, true});
        frmAdd.show();
        frmAdd.btnTestConn->click();
        ASSERT_EQ(aMessages.size(), 1u);
        EXPECT_EQ(aMessages[0].iKind, c.iKind);
        if (c.bMeterListening) {
            EXPECT_EQ(aMessages[0].sText, c.sDialogText);
        }
        const bool bOK = c.iKind == kMsgInformation;
        EXPECT_EQ(frmAdd.editInstrumentName->text(), bOK ? "Studio Meter 3" : "Studio A");
        EXPECT_EQ(frmAdd.TestedSerialNo(), bOK ? 98765 : 0);
        frmAdd.hide();
    }
}

TEST_F(InstrumentManagerTest, MeterThatKeepsPromptingIsNotResponding) {
    UseRealLogin();
    Context.rTiming.iLoginTimeoutMs = 1500;
    frmSelect.SetContext(Context, &frmAdd);
    qxtest::TNetworkMeterFixture Sim;
    TSimNetworkConfig rConfig;
    rConfig.eWrongLogin = TSimWrongLogin::KeepPrompting;
    ASSERT_NO_FATAL_FAILURE(Sim.StartMeter(rConfig));
    Sim.rInstrument.sPassword = "wrong";
    Sim.rInstrument.bValid = true;
    Settings.aNetworkInstruments = {Sim.rInstrument};
    ASSERT_NO_FATAL_FAILURE(ShowManager());
    ASSERT_NO_FATAL_FAILURE(Pick(100));
    frmSelect.popTestInstrument->trigger();
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0].sText, Text(62));
    EXPECT_EQ(aMessages[0].iKind, kMsgError);
}

TEST_F(InstrumentManagerTest, NameFieldIsEnabledExactlyWithoutTheBannerName) {
    frmAdd.chkVovEzodevName->setChecked(false);
    EXPECT_TRUE(frmAdd.editInstrumentName->isEnabled());
    frmAdd.chkVovEzodevName->setChecked(true);
    EXPECT_FALSE(frmAdd.editInstrumentName->isEnabled());
}

} // namespace
