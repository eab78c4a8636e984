#include "engine/LiveLoggingView.h"
#include "app/FormMain.h"
#include "core/EngineCodes.h"
#include "core/TextTable.h"
#include "dialogs/MessageBox.h"
#include "engine/EngineControl.h"
#include "engine/EngineMessages.h"
#include "engine/InfoGrid.h"
#include "engine/LiveChart.h"
#include "tests/support/EngineDouble.h"
#include "tests/support/RecordingServices.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
#include <memory>

namespace {

// Stands in for the logging thread: records the commands it is sent.
class TRecordingEngine : public IEngineControl {
public:
    void ThreadSendMessage(int iCommand) override { aCommands.push_back(iCommand); }
    std::vector<int> aCommands;
};

const QColor qclOrange(0xFF, 0x80, 0x40);
const QColor qclGreen(0x00, 0x80, 0x00);
const QColor qclNavy(0x00, 0x00, 0x80);
const QColor qclRed(0xFF, 0x00, 0x00);

// Rows of the instrument grid and of the data grid with the default data options.
constexpr int kRowStatus = 4;
constexpr int kRowAutostop = 5;
enum TDataRow {
    kRowTimeCode = 1,
    kRowShortTerm,
    kRowIntegrating,
    kRowPeakLevel,
    kRowPeakChannel,
    kRowPeakCount
};

// The main window as the program makes it, driven through its controller's real handlers: engine events,
// and datagrams as they arrive at the message port.
class LiveViewFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Main = std::make_unique<TfrmMain>();
        Main->MessageBox->SetResponder([this](const TMessageBoxRequest& r) {
            slMessages << r.sText;
            return kMsgResultOK;
        });
        Ctrl().Settings.bAskForSessionInfo = false;
        Main->UpdateGUIStrings();
        View = Main->LoggingView;
    }

    TMainController& Ctrl() { return Main->Ctrl; }
    void Send(int iCode, const QString& sText) { Ctrl().UDPUDPRead(EncodeEngineDatagram(iCode, sText)); }
    void Event(int iCode) { Ctrl().HandleEngineEvent(iCode); }
    void Identify(int iType, int iMajor, int iMinor) {
        Send(kMessageInstrumentInfo,
             QString("qxMeter|%1|1234||0|0|14|%2|%3|3|").arg(iType).arg(iMajor).arg(iMinor));
    }
    // Connected and ready, as the thread reports it.
    void Connect() {
        qxtest::ConnectEngine(Ctrl(), Engine);
        Event(kEventConnecting);
        Event(kEventConnected);
        Event(kEventReady);
    }
    // Start pressed, and the thread's reports of a session that has begun.
    void StartSession(const QString& sSetup = "1|2|1|1|2|-8|1|-23|-1|1|") {
        View->btnStartLog->click();
        Event(kEventLoggingStarted);
        Send(kMessageLoudnessSetup, sSetup);
        Event(kEventLogging);
    }
    QString Status() const { return View->sgInstrumentInfo->Cell(kRowStatus, 1); }
    QColor StatusColour() const { return View->sgInstrumentInfo->CellStyle(kRowStatus, 1).clText; }

    qxtest::TFreshConfigHome Home;
    TRecordingEngine Engine;
    std::unique_ptr<TfrmMain> Main;
    TLiveLoggingView* View = nullptr;
    QStringList slMessages;
};

} // namespace

TEST_F(LiveViewFixture, LevelRecordsFillTheDataGridAndTheChart) {
    Connect();
    StartSession("1|2|1|1|2|-8|-999|-23|-1|1|");
    Send(kMessageLevelRecord, "10:00:01:00|-1|-8|-23.44|-30.1|-3.25|2|0|-24.06|0|-1|");
    Send(kMessageLevelRecord, "10:00:02:00|-1|-8|-22.5|-29.5|-2.5|2|2|-23.5|1|-1|");
    Send(kMessageLevelRecord, "10:00:03:00|-1|-8|-21|-28|-0.5|2|1|-23.24|2|-1|");

    TInfoGrid* g = View->sgLoudnessData;
    const std::pair<int, QString> aExpected[] = {{kRowTimeCode, "10:00:03:00"}, {kRowShortTerm, "-21.0"},
                                                 {kRowIntegrating, "-23.2"},    {kRowPeakLevel, "-0.5"},
                                                 {kRowPeakChannel, "1"},        {kRowPeakCount, "2"}};
    for (const auto& [iRow, sValue] : aExpected)
        EXPECT_EQ(g->Cell(iRow, 1), sValue) << "row " << iRow;
    EXPECT_EQ(View->lblTimeCode->text(), "10:00:03:00");

    TLiveChart* c = View->ChartLogging;
    ASSERT_EQ(c->PointCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(c->graph(i)->dataCount(), 3) << "series " << i;
    EXPECT_DOUBLE_EQ(c->graph(TLiveChart::kSeriesPeak)->data()->at(2)->value, -0.5);
    EXPECT_DOUBLE_EQ(c->graph(TLiveChart::kSeriesIntegrating)->data()->at(2)->value, -23.24);
    EXPECT_DOUBLE_EQ(c->graph(TLiveChart::kSeriesSTMax)->data()->at(2)->value, -21);
    EXPECT_DOUBLE_EQ(c->graph(TLiveChart::kSeriesPeak)->data()->at(0)->value, -3.25);
    EXPECT_EQ(c->PointLabel(0), "10:00:01:00");
    EXPECT_EQ(c->PointLabel(2), "10:00:03:00");
    EXPECT_TRUE(c->IsReplotPending()) << "new points must lead to a repaint";
    ASSERT_TRUE(qxtest::WaitFor([&] { return !c->IsReplotPending(); }));
    EXPECT_GE(c->xAxis->range().upper, 2.0);

    // The session's configuration: LUFS names the unit, an unknown gate mode shows "Unknown".
    TInfoGrid* cfg = View->sgLoudnessCFG;
    EXPECT_EQ(cfg->Cell(1, 1), "True Peak");
    EXPECT_EQ(cfg->Cell(3, 1), "LUFS");
    EXPECT_EQ(cfg->Cell(6, 1), "-8 LUFS");
    EXPECT_EQ(cfg->Cell(7, 1), "Unknown");
    EXPECT_EQ(cfg->Cell(8, 1), "-23 dBFS");
    EXPECT_TRUE(c->yAxis->label().endsWith("LUFS"));
    EXPECT_EQ(c->graph(TLiveChart::kSeriesIntegrating)->name(), "Integrating ( LUFS ).");
    EXPECT_TRUE(c->xAxis->visible());
    EXPECT_TRUE(c->legend->visible());

    // A change of language shows the values again but is no new record for the chart.
    Ctrl().Settings.iLNG = kLanguageDanish;
    Main->UpdateGUIStrings();
    EXPECT_EQ(c->PointCount(), 3);
    EXPECT_EQ(g->Cell(kRowTimeCode, 0), "Tidskode.:");
    EXPECT_EQ(g->Cell(kRowTimeCode, 1), "10:00:03:00");

    // The next session starts with an empty chart.
    Send(kMessageLoudnessSetup, "1|2|0|1|2|-8|1|-23|-1|1|");
    EXPECT_EQ(c->PointCount(), 0);
    EXPECT_EQ(c->graph(0)->dataCount(), 0);
}

// A received level beyond any meter's range (a faulty meter, a foreign sender) shows in a bounded form.
TEST_F(LiveViewFixture, LevelsBeyondTheMetersRangeShowBounded) {
    Connect();
    StartSession();
    Send(kMessageLevelRecord, "10:00:01:00|-1|-8|1e308|-30.1|-1e300|2|0|-1234.56|0|-1|");
    TInfoGrid* g = View->sgLoudnessData;
    const std::pair<int, QString> aExpected[] = {
        {kRowShortTerm, "1.0e+308"}, {kRowPeakLevel, "-1.0e+300"}, {kRowIntegrating, "-1.2e+03"}};
    for (const auto& [iRow, sValue] : aExpected)
        EXPECT_EQ(g->Cell(iRow, 1), sValue) << "row " << iRow;
    EXPECT_DOUBLE_EQ(View->ChartLogging->graph(TLiveChart::kSeriesSTMax)->data()->at(0)->value, 1e308);
}

TEST_F(LiveViewFixture, DataOptionsChooseTheRowsAndEmptyTheRest) {
    TDataOptions& o = Ctrl().Settings.DataOptions;
    o.bEnablePeakChannel = false;
    o.bEnablePeakCount = false;
    Main->UpdateGUIStrings();
    Send(kMessageLevelRecord, "10:00:01:00|-1|-8|-23.4|-30.1|-3.2|2|3|-24|7|-1|");
    TInfoGrid* g = View->sgLoudnessData;
    const QString aLabels[] = {"Time Code.:", "Shortterm.:", "Integrating.:", "Peak Level.:"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(g->Cell(i + 1, 0), aLabels[i]);
        EXPECT_FALSE(g->Cell(i + 1, 1).isEmpty());
    }
    for (int iRow = 5; iRow <= 9; ++iRow) {
        EXPECT_EQ(g->Cell(iRow, 0), "") << "row " << iRow;
        EXPECT_EQ(g->Cell(iRow, 1), "") << "row " << iRow;
    }

    // Short-term off: separate maximum and minimum rows with their own values.
    o.bEnableShortTerm = false;
    o.bEnableShortTermMax = true;
    o.bEnableShortTermMin = true;
    Main->UpdateGUIStrings();
    EXPECT_EQ(g->Cell(2, 0), "Shortterm Max.:");
    EXPECT_EQ(g->Cell(2, 1), "-23.4");
    EXPECT_EQ(g->Cell(3, 0), "Shortterm Min.:");
    EXPECT_EQ(g->Cell(3, 1), "-30.1");
}

TEST_F(LiveViewFixture, PeakRowsTurnRedOnlyWhenAPeakWasCounted) {
    Send(kMessageLevelRecord, "10:00:01:00|-1|-8|-23|-30|-3|2|0|-24|0|-1|");
    TInfoGrid* g = View->sgLoudnessData;
    for (int iRow : {kRowPeakChannel, kRowPeakCount}) {
        EXPECT_EQ(g->Cell(iRow, 1), "0");
        EXPECT_FALSE(g->CellStyle(iRow, 1).bBold);
        EXPECT_FALSE(g->CellStyle(iRow, 1).clFill.isValid());
    }
    Send(kMessageLevelRecord, "10:00:02:00|-1|-8|-23|-30|-0.2|2|2|-24|1|-1|");
    for (int iRow : {kRowPeakChannel, kRowPeakCount}) {
        const TCellStyle r = g->CellStyle(iRow, 1);
        EXPECT_TRUE(r.bBold) << "row " << iRow;
        EXPECT_EQ(r.clText, qclRed);
        EXPECT_EQ(r.clFill, QColor(255, 230, 230)) << "red tinted at 0.9";
        EXPECT_EQ(r.clFrame, QColor(255, 128, 128)) << "red tinted at 0.5";
    }
    EXPECT_FALSE(g->CellStyle(kRowPeakLevel, 1).bBold);
    // Back to no peak: the warning goes with it.
    Send(kMessageLevelRecord, "10:00:03:00|-1|-8|-23|-30|-3|2|0|-24|0|-1|");
    EXPECT_FALSE(g->CellStyle(kRowPeakChannel, 1).bBold);
}

TEST_F(LiveViewFixture, StatusTextsAndColoursFollowTheLoggingStatus) {
    TTimecodeControl& tc = Ctrl().Settings.TCCtrl;
    tc.TCStart = "10:30:00:00";
    tc.TCStop = "11:00:00:00";
    tc.Enabled = true;
    tc.EnabledStop = true;
    Send(kMessageTimeCode, "10:00:05:00|");
    struct TCase {
        int iEvent;
        QString sStatus;
        QColor clText;
        bool bAutostop;
    };
    const TCase aCases[] = {
        {kEventConnecting, "Connecting...", qclOrange, false},
        {kEventReady, "Ready for logging.", qclNavy, false},
        {kEventLoggingStarted, "Logging started.", qclGreen, false},
        {kEventLogging, "Logging.", qclGreen, true},
        {kEventWaitingStartTC, "Autostart enabled, waiting for timecode: 10:30:00:00.", qclGreen, false},
        {kEventPaused, "Logging paused at timecode: 10:00:05:00.", qclOrange, false},
        // Waiting for the stop timecode leaves the status line as it was.
        {kEventWaitingStopTC, "Logging paused at timecode: 10:00:05:00.", qclOrange, true},
        {kEventTimecodeStopped, "Logging paused at timecode: 10:00:05:00, waiting for timecode to start.",
         qclOrange, false},
        {kEventConnectionClosed, "Disconnected.", qclRed, false},
    };
    for (const TCase& c : aCases) {
        Event(c.iEvent);
        EXPECT_EQ(Status(), c.sStatus) << "event " << c.iEvent;
        EXPECT_EQ(StatusColour(), c.clText) << "event " << c.iEvent;
        EXPECT_TRUE(View->sgInstrumentInfo->CellStyle(kRowStatus, 1).bBold);
        EXPECT_EQ(View->sgInstrumentInfo->Cell(kRowAutostop, 1),
                  c.bAutostop ? "Autostop enabled, waiting for timecode: 11:00:00:00." : "")
            << "event " << c.iEvent;
    }
    EXPECT_EQ(View->sgInstrumentInfo->CellStyle(kRowAutostop, 1).clText, qclRed);

    // Without the stop condition there is no autostop line.
    tc.EnabledStop = false;
    Event(kEventLogging);
    EXPECT_EQ(View->sgInstrumentInfo->Cell(kRowAutostop, 1), "");

    // The Danish texts get the same colours.
    Ctrl().Settings.iLNG = kLanguageDanish;
    const std::pair<int, QColor> aDanish[] = {
        {kEventPaused, qclOrange}, {kEventWaitingStartTC, qclGreen}, {kEventConnectionClosed, qclRed}};
    for (const auto& [iEvent, clText] : aDanish) {
        Event(iEvent);
        EXPECT_EQ(StatusColour(), clText) << Status().toStdString();
    }
    EXPECT_EQ(InstrumentStatusColor("Something else.", kLanguageEnglish), QColor(Qt::black));
}

TEST_F(LiveViewFixture, InstrumentGridShowsASerialOrANetworkInstrument) {
    TInstrumentInfo& r = Ctrl().Settings.rActiveNetworkCFG;
    r.bComPort = true;
    r.iPort = 7;
    r.sInstrumentName = "qxMeter LM25";
    r.iSerialNo = 0;
    Main->UpdateGUIStrings();
    TInfoGrid* g = View->sgInstrumentInfo;
    EXPECT_EQ(g->Cell(0, 0), "Instrument Information");
    EXPECT_EQ(g->Cell(1, 0), "Instrument Type.:");
    EXPECT_EQ(g->Cell(1, 1), "qxMeter LM25");
    EXPECT_EQ(g->Cell(2, 1), "") << "no serial number known yet";
    EXPECT_EQ(g->Cell(3, 0), "Port.:");
    EXPECT_EQ(g->Cell(3, 1), "COM7");
    EXPECT_EQ(Main->StatusPanels[3]->text(), "COM7");

    Send(kMessageSerialNumber, "4711");
    EXPECT_EQ(g->Cell(2, 1), "4711");

    r.bComPort = false;
    r.sHostName = "meter.studio.local";
    Main->UpdateGUIStrings();
    EXPECT_EQ(g->Cell(1, 0), "Instrument Name.:");
    EXPECT_EQ(g->Cell(3, 0), "Host Name.:");
    EXPECT_EQ(g->Cell(3, 1), "meter.studio.local");
    EXPECT_EQ(Main->StatusPanels[3]->text(), "meter.studio.local");
}

TEST_F(LiveViewFixture, MainGUIStatesSetTheTabsControls) {
    Identify(25, 1, 0);
    struct TExpect {
        int iState;
        bool bConnect;
        QString sConnect;
        bool bStart;
        QString sStart;
        bool bStop;
        bool bStatusShown;
        IMainView::TStatusPicture ePicture;
        bool bMenus;
    };
    // Each state applied on top of the one before, as the program passes through them.
    const TExpect aStates[] = {
        {0, true, "Connect", false, "Start Logging", false, false, IMainView::StatusStopped, true},
        // Connecting can be cancelled: the button is Disconnect already.
        {1, true, "Disconnect", false, "Start Logging", false, false, IMainView::StatusStopped, false},
        {2, true, "Disconnect", true, "Start Logging", false, true, IMainView::StatusStopped, false},
        {3, true, "Disconnect", true, "Pause Logging", true, true, IMainView::StatusPlaying, false},
        {0, true, "Connect", false, "Start Logging", false, false, IMainView::StatusPlaying, true},
    };
    for (const TExpect& e : aStates) {
        Main->SetMainGUI(e.iState);
        const std::string sWhere = "state " + std::to_string(e.iState);
        EXPECT_EQ(View->btnConnect->isEnabled(), e.bConnect) << sWhere;
        EXPECT_EQ(View->btnConnect->text(), e.sConnect) << sWhere;
        EXPECT_EQ(View->btnStartLog->isEnabled(), e.bStart) << sWhere;
        EXPECT_EQ(View->btnStartLog->text(), e.sStart) << sWhere;
        EXPECT_EQ(View->btnStopLog->isEnabled(), e.bStop) << sWhere;
        EXPECT_EQ(!View->imgStat->isHidden(), e.bStatusShown) << sWhere;
        EXPECT_EQ(View->StatusPicture(), e.ePicture) << sWhere;
        EXPECT_EQ(Main->mnuDBSelect->isEnabled(), e.bMenus) << sWhere;
        EXPECT_EQ(Main->mnuInstrumentSelect->isEnabled(), e.bMenus) << sWhere;
        EXPECT_FALSE(View->sgSessionInfo->IsEditable()) << sWhere;
    }
}

TEST_F(LiveViewFixture, PauseOnAMeterThatCanPause) {
    Connect();
    Identify(25, 1, 0);
    StartSession();
    EXPECT_TRUE(Ctrl().bLoggingInProgress);
    EXPECT_EQ(View->btnStartLog->text(), "Pause Logging");
    EXPECT_TRUE(View->btnStartLog->isEnabled());
    EXPECT_EQ(Engine.aCommands, std::vector<int>{kEngineCommandStart});

    Send(kMessageTimeCode, "10:00:05:00|");
    View->btnStartLog->click();
    EXPECT_EQ(Engine.aCommands.back(), kEngineCommandPause) << "while logging the button pauses the meter";

    Event(kEventPaused);
    EXPECT_EQ(View->btnStartLog->text(), "Resume Logging");
    EXPECT_TRUE(View->tmrBlink->isActive());
    EXPECT_EQ(View->StatusPicture(), IMainView::StatusPaused);
    EXPECT_EQ(Ctrl().Settings.TCCtrl.TCPaused, "10:00:05:00");

    View->btnStartLog->click();
    EXPECT_EQ(Engine.aCommands.back(), kEngineCommandPause) << "and resumes it";
    Event(kEventLogging);
    EXPECT_EQ(View->btnStartLog->text(), "Pause Logging");
    EXPECT_FALSE(View->tmrBlink->isActive());
    EXPECT_FALSE(View->lblTimeCode->isHidden());
    EXPECT_EQ(View->StatusPicture(), IMainView::StatusPlaying);

    View->btnStopLog->click();
    EXPECT_EQ(Engine.aCommands.back(), kEngineCommandStop);
}

// What one meter measured must not stay on screen, or in the next session, as if another had measured it;
// and a meter is identified afresh at every connect.
TEST_F(LiveViewFixture, AnotherMeterClearsWhatThePreviousMeterShowed) {
    struct TCase {
        const char* sName;
        bool bComPort;
        int iPort;
        const char* sHost;
        bool bCleared;
    };
    const TCase aCases[] = {
        {"the same port again", true, 3, "", false},
        {"another port", true, 4, "", true},
        {"a network meter", false, 23, "meter.local", true},
        {"the same host and port again", false, 23, "meter.local", false},
        {"the same host on another port", false, 2323, "meter.local", true},
        {"another host on the same port", false, 2323, "other.local", true},
    };
    TInstrumentInfo& rActive = Ctrl().Settings.rActiveNetworkCFG;
    rActive.bComPort = true;
    rActive.iPort = 3;
    const auto RunSession = [&] {
        Connect();
        Identify(25, 1, 0);
        Ctrl().rSessionInfo.sShowTitle = "Morning";
        StartSession();
        Send(kMessageLevelRecord, "10:00:01:00|-1|-8|-23.4|-30.1|-3.2|2|0|-24|0|-1|");
        Event(kEventLoggingEnded);
        Event(kEventConnectionClosed);
    };
    RunSession();
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        rActive.bComPort = c.bComPort;
        rActive.iPort = c.iPort;
        rActive.sHostName = c.sHost;
        Connect();
        EXPECT_FALSE(View->IsPauseAvailable()) << "no identification has come from this connection";
        EXPECT_EQ(View->lblTimeCode->text(), "00:00:00:00");
        EXPECT_EQ(View->sgLoudnessData->Cell(kRowTimeCode, 1), c.bCleared ? "" : "10:00:01:00");
        EXPECT_EQ(View->sgLoudnessCFG->Cell(1, 1), c.bCleared ? "" : "True Peak");
        EXPECT_EQ(View->sgSessionInfo->Cell(1, 1), c.bCleared ? "" : "Morning");
        EXPECT_EQ(View->ChartLogging->PointCount(), c.bCleared ? 0 : 1);
        Event(kEventConnectionClosed);
        RunSession();
    }
}

TEST(PauseAvailability, ByMeterTypeAndVersion) {
    qxtest::TFreshConfigHome Home;
    TfrmMain Main;
    struct TCase {
        int iType, iMajor, iMinor;
        bool bPause;
    };
    const TCase aCases[] = {
        {21, 1, 36, true},
        {21, 1, 35, false},
        {23, 2, 36, true},
        {22, 1, 28, true},
        {24, 1, 27, false},
        {25, 0, 0, true},
        {26, 0, 0, true},
        {27, 9, 99, false},
        {20, 1, 40, false},
        // Major and minor are compared each on its own: 2.05 of a type 21 meter does not qualify.
        {21, 2, 5, false},
    };
    for (const TCase& c : aCases) {
        TUDPInstrumentInfo& r = Main.Ctrl.rInstrumentInfo;
        r.iTypeNo = c.iType;
        r.iRunVerMajor = c.iMajor;
        r.iRunVerMinor = c.iMinor;
        EXPECT_EQ(Main.LoggingView->IsPauseAvailable(), c.bPause)
            << c.iType << " " << c.iMajor << "." << c.iMinor;
    }
}

TEST_F(LiveViewFixture, AMeterThatCannotPauseDisablesTheStartButtonWhileLogging) {
    Connect();
    Identify(27, 1, 50);
    StartSession();
    EXPECT_FALSE(View->btnStartLog->isEnabled());
    EXPECT_EQ(View->btnStartLog->text(), "Start Logging");
    EXPECT_TRUE(View->btnStopLog->isEnabled());
}

TEST_F(LiveViewFixture, AutoStartWaitsForTheTimecodeAndBlinks) {
    Ctrl().Settings.TCCtrl.TCStart = "18:59:30:00";
    Connect();
    View->chkAutoStart->click();
    EXPECT_TRUE(Ctrl().Settings.TCCtrl.Enabled);
    EXPECT_EQ(Engine.aCommands.back(), kEngineCommandTCChanged);

    StartSession();
    Event(kEventWaitingStartTC);
    EXPECT_EQ(Status(), "Autostart enabled, waiting for timecode: 18:59:30:00.");
    EXPECT_EQ(StatusColour(), qclGreen);
    EXPECT_EQ(View->StatusPicture(), IMainView::StatusPaused);
    ASSERT_TRUE(View->tmrBlink->isActive());
    EXPECT_EQ(View->tmrBlink->interval(), 500);
    // The timer hides the timecode and the picture together, then shows them again.
    ASSERT_TRUE(qxtest::WaitFor([&] { return View->lblTimeCode->isHidden(); }));
    EXPECT_TRUE(View->imgStat->isHidden());
    ASSERT_TRUE(qxtest::WaitFor([&] { return !View->lblTimeCode->isHidden(); }));
    EXPECT_FALSE(View->imgStat->isHidden());

    Event(kEventLogging);
    EXPECT_FALSE(View->tmrBlink->isActive());
    EXPECT_FALSE(View->lblTimeCode->isHidden());
    EXPECT_FALSE(View->imgStat->isHidden());

    View->chkAutoStart->click();
    EXPECT_FALSE(Ctrl().Settings.TCCtrl.Enabled);
    EXPECT_EQ(Engine.aCommands.back(), kEngineCommandTCChanged);
}

TEST_F(LiveViewFixture, StopEndsTheBlinkingAndShowsTheTimecode) {
    Connect();
    StartSession();
    Event(kEventTimecodeStopped);
    ASSERT_TRUE(qxtest::WaitFor([&] { return View->lblTimeCode->isHidden(); }));
    View->btnStopLog->click();
    EXPECT_FALSE(View->tmrBlink->isActive());
    EXPECT_FALSE(View->lblTimeCode->isHidden());
    EXPECT_EQ(Engine.aCommands.back(), kEngineCommandStop);
}

TEST_F(LiveViewFixture, DisconnectTellsTheThreadAndLeavesTheStartButtonOff) {
    // Connected, and still connecting (a meter that stopped answering must not hold the tab).
    for (const bool bConnected : {true, false}) {
        SCOPED_TRACE(bConnected ? "connected" : "connecting");
        // What the Connect button did before the thread reported.
        Main->SetMainGUI(kGUIConnecting);
        qxtest::ConnectEngine(Ctrl(), Engine);
        Event(kEventConnecting);
        if (bConnected) {
            Event(kEventConnected);
            Event(kEventReady);
        }
        ASSERT_TRUE(View->btnConnect->isEnabled());
        ASSERT_EQ(View->btnConnect->text(), "Disconnect");
        View->btnConnect->click();
        EXPECT_EQ(Engine.aCommands.back(), kEngineCommandClose);
        EXPECT_EQ(View->btnConnect->text(), "Connect");
        EXPECT_FALSE(View->btnStartLog->isEnabled());
        // The thread's end completes the disconnect.
        Event(kEventConnectionClosed);
        EXPECT_EQ(Ctrl().LoggingThread(), nullptr);
        EXPECT_EQ(Status(), "Disconnected.");
        EXPECT_TRUE(Main->mnuInstrumentSelect->isEnabled());
    }
}

TEST_F(LiveViewFixture, ConnectWithoutAnInstrumentAsksForOneFirst) {
    Ctrl().Settings.rActiveNetworkCFG.iPort = 0;
    View->btnConnect->click();
    ASSERT_EQ(slMessages.size(), 1);
    EXPECT_TRUE(slMessages.first().startsWith("Before you can start logging you must select a instrument."));
    EXPECT_TRUE(View->btnConnect->isEnabled()) << "still nothing selected: nothing happens";
    EXPECT_EQ(View->btnConnect->text(), "Connect");
    EXPECT_TRUE(Main->mnuInstrumentSelect->isEnabled());

    // With an instrument selected the logging thread is made (a port no device stands for: it ends at once).
    Ctrl().Settings.rActiveNetworkCFG.iPort = 99;
    View->btnConnect->click();
    EXPECT_EQ(slMessages.size(), 1);
    EXPECT_NE(Ctrl().LoggingThread(), nullptr);
    EXPECT_EQ(View->btnConnect->text(), "Disconnect");
}

TEST_F(LiveViewFixture, StartWithoutAskingKeepsTheTextsAndNamesAnUntitledSession) {
    TSessionInfo& r = Ctrl().rSessionInfo;
    r.sShowNumber = "EN-2291";
    r.sOperatorName = "M. Holm";
    r.sTimeCodeStart = "09:00:00:00";
    r.sTimeCodeEnd = "09:59:59:00";
    Ctrl().Settings.bAllowSessionInfoEdit = true;
    Connect();
    View->btnStartLog->click();
    EXPECT_EQ(r.sShowTitle, "Unnamed session.");
    EXPECT_EQ(r.sShowNumber, "EN-2291");
    EXPECT_EQ(r.sTimeCodeStart, "");
    EXPECT_EQ(r.sTimeCodeEnd, "");
    EXPECT_EQ(View->sgSessionInfo->Cell(1, 1), "Unnamed session.");
    EXPECT_EQ(View->sgSessionInfo->Cell(3, 1), "M. Holm");
    EXPECT_TRUE(View->sgSessionInfo->IsEditable());
    EXPECT_TRUE(View->btnStopLog->isEnabled());
    EXPECT_EQ(Engine.aCommands.back(), kEngineCommandStart);
    // Connected again after the session: the grid is read-only once more.
    Event(kEventReady);
    EXPECT_FALSE(View->sgSessionInfo->IsEditable());
}

namespace {

// The main window around a stand-alone tab: records what the tab asks of it and answers the session
// information dialog with prepared texts.
class TRecordingHost : public qxtest::TRecordingServices, public ILiveLoggingHost {
public:
    using TRecordingServices::TRecordingServices;
    void ShowInstrumentManager() override {}
    bool AskNewSessionInfo(TSessionTexts& r) override {
        ++iAsked;
        r = rTexts;
        return bConfirm;
    }

    TSessionTexts rTexts;
    bool bConfirm = true;
    int iAsked = 0;
};

class StandaloneViewFixture : public ::testing::Test {
protected:
    void SetUp() override {
        qxtest::ConnectEngine(Ctrl, Engine);
        Ctrl.Settings.bAskForSessionInfo = true;
    }
    TRecordingEngine Engine;
    TMainController Ctrl;
    TRecordingHost Host{Ctrl.Settings};
    TLiveLoggingView View{Ctrl, Host, Host};
};

} // namespace

TEST_F(StandaloneViewFixture, TheDialogsTextsLoseDoubleQuotesWithOneMessage) {
    Host.rTexts = {"The \"Big\" Show", "12", "Op \"A\"", "HD", "Notes"};
    View.btnStartLogClick();
    EXPECT_EQ(Host.iAsked, 1);
    ASSERT_EQ(Host.slMessages.size(), 1) << "two fields with quotes give one message";
    EXPECT_EQ(Host.slMessages.first(), "The character \" can not be used and has been removed.");
    EXPECT_EQ(Host.aKinds.front(), kMsgError);
    EXPECT_EQ(Ctrl.rSessionInfo.sShowTitle, "The Big Show");
    EXPECT_EQ(Ctrl.rSessionInfo.sOperatorName, "Op A");
    EXPECT_EQ(Ctrl.rSessionInfo.sNotes, "Notes");
    EXPECT_EQ(Host.aStates, std::vector<int>{3});
    EXPECT_EQ(Engine.aCommands, std::vector<int>{kEngineCommandStart});
}

TEST_F(StandaloneViewFixture, ACancelledDialogStartsNothing) {
    Ctrl.rSessionInfo.sShowTitle = "Before";
    Ctrl.rSessionInfo.sTimeCodeStart = "10:00:00:00";
    Ctrl.Settings.bAllowSessionInfoEdit = true;
    Host.bConfirm = false;
    Host.rTexts = {"After", "", "", "", ""};
    View.btnStartLogClick();
    EXPECT_TRUE(Engine.aCommands.empty());
    EXPECT_TRUE(Host.aStates.empty());
    EXPECT_EQ(Ctrl.rSessionInfo.sShowTitle, "Before");
    EXPECT_EQ(Ctrl.rSessionInfo.sTimeCodeStart, "10:00:00:00");
    EXPECT_TRUE(View.sgSessionInfo->IsEditable()) << "editability is set whatever the dialog's outcome";
}

TEST(VerifyStringField, RemovesEveryDoubleQuote) {
    QString s = "\"a\"b\"";
    EXPECT_FALSE(VerifyStringField(s));
    EXPECT_EQ(s, "ab");
    QString sClean = "plain 'text'";
    EXPECT_TRUE(VerifyStringField(sClean));
    EXPECT_EQ(sClean, "plain 'text'");
}
