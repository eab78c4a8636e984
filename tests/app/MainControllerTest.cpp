#include "app/MainController.h"
#include "core/EngineCodes.h"
#include "engine/EngineControl.h"
#include "engine/EngineMessages.h"
#include "engine/UDPSender.h"
#include "review/SessionBrowser.h"
#include "store/ComplianceStore.h"
#include "tests/support/EngineDouble.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TimingPresets.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QUdpSocket>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace {

QByteArray Datagram(int iCode, const QString& sText) {
    return EncodeEngineDatagram(iCode, sText);
}

// The program's core as the program runs it: a fresh data folder, the message port bound, a working
// database open.
class MainControllerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Ctrl.Initialise(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));
        sDB = Home.Path() + "/sessions.DB3";
        ASSERT_TRUE(Ctrl.SQLConnection.CreateSQLiteDB(sDB));
        ASSERT_TRUE(Ctrl.SQLConnection.OpenSQLiteDB(sDB));
    }

    // Sends the datagrams from a process of its own, as the logging engine or any local program would.
    void SendFromAnotherProcess(const QList<QByteArray>& Datagrams) {
        QProcess Sender;
        StartSender(Sender, Datagrams);
        ASSERT_TRUE(Sender.waitForFinished(10000));
        ASSERT_EQ(Sender.exitCode(), 0);
    }

    // Starts another process sending the list iTimes times.
    void StartSender(QProcess& Sender, const QList<QByteArray>& Datagrams, int iTimes = 1) {
        QStringList Args{QString::number(Ctrl.UDP.Port()), "-n", QString::number(iTimes)};
        for (const QByteArray& d : Datagrams)
            Args << QString::fromLatin1(d.toHex());
        Sender.start(QString(QX_BIN_DIR) + "/qx_udp_send", Args);
    }

    int Count(const char* sSQL) {
        SQLite::Database DB(sDB.toStdString());
        return DB.execAndGet(sSQL).getInt();
    }

    qxtest::TFreshConfigHome Home;
    TMainController Ctrl;
    QString sDB;
};

} // namespace

TEST_F(MainControllerFixture, BindsInTheDataFolderAndLogsThePort) {
    EXPECT_EQ(Ctrl.sDataFolder, Home.DataFolder());
    EXPECT_EQ(Ctrl.sINI, Home.DataFolder() + "/QXLogging.INI");
    EXPECT_TRUE(QFileInfo(Ctrl.sDataFolder).isDir());
    ASSERT_FALSE(Ctrl.slLog.Lines().isEmpty());
    EXPECT_TRUE(Ctrl.slLog.Lines().first().endsWith("|UDP Port " + QString::number(Ctrl.UDP.Port()) +
                                                    " selected.|1"));
    EXPECT_TRUE(Ctrl.slLog.Lines().first().startsWith("0|"));
}

TEST_F(MainControllerFixture, DatagramsFromAnotherProcessBecomeOneSessionAndItsLevelRows) {
    Ctrl.Settings.bAcceptExternalMessages = true;
    QByteArray NoFinalZero = Datagram(kMessageLevelRecord, "10:00:07:00|-1|-20|-1|-1|-1|1|1|-1|1|-1|");
    NoFinalZero.chop(1);
    QByteArray ForeignThread = Datagram(kMessageLevelRecord, "10:00:08:00|-1|-20|-1|-1|-1|1|1|-1|1|-1|");
    ForeignThread[1] = 1;

    SendFromAnotherProcess({
        Datagram(kMessageInstrumentInfo, "QX-Sim|25|1234||0|0|14|1|36|3|"),
        Datagram(kMessageLoudnessSetup, "1|0|1|1|2|-70|1|-18|-1|1|"),
        Datagram(kMessageLevelRecord, "10:00:01:00|-1|-20|-23.4|-30.1|-3.2|1|2|-24|5|-1|"),
        Datagram(kMessageLevelRecord, "10:00:01:01|-1|-20|-22|-29|-3|1|1|-23|5|-1|"),
        QByteArray::fromHex("0f000000"),
        NoFinalZero,
        ForeignThread,
        Datagram(kMessageLevelRecord, "10:00:02:00|-1|-20|-22.5|-29.5|-2.5|1|0|-23.5|6|-1|"),
        Datagram(kMessageTimeCode, "10:00:02:17|"),
    });
    ASSERT_TRUE(qxtest::WaitFor([&] { return Ctrl.rLoudnessData.sTimeCode == "10:00:02:17"; }));

    ASSERT_EQ(Count("SELECT count(*) FROM qxr_sessions"), 1);
    SQLite::Database DB(sDB.toStdString());
    SQLite::Statement Session(
        DB, "SELECT sReportId, iVersion, sInstrument, sTitle, iLoudnessPeakMode, "
            "iLoudnessCaptureMode, iLoudnessScaleMode, iLoudnessReferenceMode, "
            "iLoudnessSlidingWindow, fLoudnessGateLevel, iLoudnessGateMode, "
            "fLoudnessReferenceLevel, fLoudnessPeakLevel, iLoudnessFilter FROM qxr_sessions");
    ASSERT_TRUE(Session.executeStep());
    const std::string sReportId = Session.getColumn(0).getString();
    EXPECT_EQ(QString::fromStdString(sReportId), Ctrl.sCurrentSession);
    EXPECT_EQ(sReportId.size(), 36u);
    EXPECT_EQ(QString::fromStdString(sReportId), QString::fromStdString(sReportId).toUpper());
    EXPECT_EQ(Session.getColumn(1).getInt(), 1);
    EXPECT_EQ(Session.getColumn(2).getString(), "QX-Sim|25|1234|0|14|1.36|3|");
    EXPECT_EQ(Session.getColumn(3).getString(), "Unnamed Session.");
    const int aInts[] = {1, 0, 1, 1, 2};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Session.getColumn(4 + i).getInt(), aInts[i]) << "column " << 4 + i;
    EXPECT_DOUBLE_EQ(Session.getColumn(9).getDouble(), -70);
    EXPECT_EQ(Session.getColumn(10).getInt(), 1);
    EXPECT_DOUBLE_EQ(Session.getColumn(11).getDouble(), -18);
    EXPECT_DOUBLE_EQ(Session.getColumn(12).getDouble(), -1);
    EXPECT_EQ(Session.getColumn(13).getInt(), 1);

    SQLite::Statement Levels(DB,
                             "SELECT sReportId, iVersion, sTimeCode, iPeakChannel, fInstantaneousPeak, "
                             "fLoudnessHi, fLoudnessLo, fLoudnessInt FROM qxr_loudness_levels ORDER BY nId");
    struct Row {
        std::string sTimeCode;
        int iPeakChannel;
        double fPeak, fHi, fLo, fInt;
    };
    const Row Expected[] = {{"10:00:01:00", 2, -3.2, -23.4, -30.1, -24},
                            {"10:00:02:00", 0, -2.5, -22.5, -29.5, -23.5}};
    for (const Row& r : Expected) {
        ASSERT_TRUE(Levels.executeStep()) << r.sTimeCode;
        EXPECT_EQ(Levels.getColumn(0).getString(), sReportId);
        EXPECT_EQ(Levels.getColumn(1).getInt(), 1);
        EXPECT_EQ(Levels.getColumn(2).getString(), r.sTimeCode);
        EXPECT_EQ(Levels.getColumn(3).getInt(), r.iPeakChannel);
        EXPECT_DOUBLE_EQ(Levels.getColumn(4).getDouble(), r.fPeak);
        EXPECT_DOUBLE_EQ(Levels.getColumn(5).getDouble(), r.fHi);
        EXPECT_DOUBLE_EQ(Levels.getColumn(6).getDouble(), r.fLo);
        EXPECT_DOUBLE_EQ(Levels.getColumn(7).getDouble(), r.fInt);
    }
    EXPECT_FALSE(Levels.executeStep()) << "the :01 record and the broken datagrams must not be stored";

    EXPECT_EQ(Ctrl.rSessionInfo.sTimeCodeStart, "10:00:01:00");
    EXPECT_EQ(Ctrl.rSessionInfo.sTimeCodeEnd, "10:00:02:00");
    EXPECT_EQ(Ctrl.rLoudnessData.iPeakCount, 6);
}

TEST_F(MainControllerFixture, ALevelRecordWithFewFieldsChangesOnlyThoseFields) {
    Ctrl.HandleLoudnessData("10:00:01:00|-1|-20|-23.4|-30.1|-3.2|1|2|-24|5|-1|");
    Ctrl.HandleLoudnessData("10:00:03:00|-2|-21|");
    EXPECT_EQ(Ctrl.rLoudnessData.sTimeCode, "10:00:03:00");
    EXPECT_DOUBLE_EQ(Ctrl.rLoudnessData.nMeterPeakLimit, -2);
    EXPECT_DOUBLE_EQ(Ctrl.rLoudnessData.nMeterLowLimit, -21);
    EXPECT_DOUBLE_EQ(Ctrl.rLoudnessData.nLoudnessHi, -23.4);
    EXPECT_EQ(Ctrl.rLoudnessData.iPeakChannel, 2);
    EXPECT_EQ(Ctrl.rLoudnessData.iPeakCount, 5);
    Ctrl.HandleLoudnessData("10:00:04:00|x|-22|");
    EXPECT_DOUBLE_EQ(Ctrl.rLoudnessData.nMeterPeakLimit, -2) << "a field that does not convert is left alone";
    EXPECT_EQ(Ctrl.rSessionInfo.sTimeCodeStart, "10:00:01:00");
}

TEST_F(MainControllerFixture, RecordsBeforeAnySessionAreShownButNotStored) {
    Ctrl.HandleLoudnessData("10:00:01:00|-1|-20|-23.4|-30.1|-3.2|1|2|-24|5|-1|");
    EXPECT_EQ(Ctrl.rLoudnessData.sTimeCode, "10:00:01:00");
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels"), 0);
}

TEST(MessagePortBinding, TakenFirstPortGivesTheNextAndLogsIt) {
    qxtest::TFreshConfigHome Home;
    QUdpSocket Squatter;
    Squatter.bind(QHostAddress::LocalHost, 50001, QUdpSocket::DontShareAddress);
    QUdpSocket Probe;
    const bool bNextFree = Probe.bind(QHostAddress::LocalHost, 50002, QUdpSocket::DontShareAddress);
    Probe.close();
    TMainController Ctrl;
    ASSERT_TRUE(Ctrl.Initialise(Home.Path()));
    if (bNextFree) {
        EXPECT_EQ(Ctrl.UDP.Port(), 50002);
    }
    EXPECT_GT(Ctrl.UDP.Port(), 50001);
    EXPECT_TRUE(Ctrl.slLog.Lines().first().endsWith("|UDP Port " + QString::number(Ctrl.UDP.Port()) +
                                                    " selected.|1"));
}

namespace {

// Stands in for the main window and the logging thread, recording what the controller asked of them.
class TRecordingView : public IMainView, public IEngineControl {
public:
    void SetMainGUI(int iState) override { aGUIStates.push_back(iState); }
    void SetBlinking(bool bOn) override { bBlinking = bOn; }
    void SetStartButtonCaption(int iEntry) override { iStartCaption = iEntry; }
    bool IsPauseAvailable() const override { return bPauseAvailable; }
    void ShowEntryMessage(int iEntry, int, int, const QString& sArg, const QString& sDetail) override {
        iMessage = iEntry;
        sMessageArg = sArg;
        sMessageDetail = sDetail;
    }
    void CheckSessionInfoChanges(TSessionInfo& r) override {
        ++iSessionChecks;
        r.sNotes = "edited";
    }
    void ThreadSendMessage(int iCommand) override { aCommands.push_back(iCommand); }
    void SetStatusText(int iPanel, const QString& sText) override {
        if (iPanel == kPanelStore)
            sStorePanel = sText;
    }

    std::vector<int> aGUIStates;
    std::vector<int> aCommands;
    bool bBlinking = false;
    bool bPauseAvailable = true;
    int iStartCaption = 0;
    int iMessage = 0;
    QString sMessageArg;
    QString sMessageDetail;
    int iSessionChecks = 0;
    QString sStorePanel;
};

// The logging thread as far as its text messages go: the real sender, bound before anything is sent.
class TSendingEngine : public IEngineControl {
public:
    explicit TSendingEngine(int iUDPPort) : Sender(iUDPPort, qxtest::NoPauseTiming()) {}
    void ThreadSendMessage(int) override {}
    quint16 MessageSenderPort() const override { return Sender.LocalPort(); }
    void Send(int iCode, const QString& sText) { Sender.SendUDPMessage(iCode, sText); }

private:
    TUDPSender Sender;
};

QString LevelRecord(int iSecond) {
    return QStringLiteral("10:00:%1:00|-1|-20|-23.4|-30.1|-3.2|1|2|-24|5|-1|")
        .arg(iSecond, 2, 10, QLatin1Char('0'));
}

} // namespace

// Other programs on the computer reach the port as easily as the logging thread. Unless the user allows it,
// what they send changes nothing: no session, no row, no instrument setting, whether it parses or not. While
// no thread runs they are read and only a line in the engine log counts them; while one runs the system
// turns them away.
TEST_F(MainControllerFixture, DatagramsOfOtherProgramsChangeNothing) {
    TSendingEngine Engine(Ctrl.UDP.Port());
    Ctrl.Settings.rActiveNetworkCFG.sInstrumentName = "Studio 1";
    Ctrl.Settings.rActiveNetworkCFG.iSerialNo = 4711;
    const struct {
        const char* sWhat;
        QList<QByteArray> Datagrams;
        int iTimes;
    } aCases[] = {
        {"a level record", {Datagram(kMessageLevelRecord, LevelRecord(1))}, 1},
        {"a loudness setup, then records",
         {Datagram(kMessageLoudnessSetup, "1|0|1|1|2|-70|1|-18|-1|1|"),
          Datagram(kMessageLevelRecord, LevelRecord(2))},
         1},
        {"an identification", {Datagram(kMessageInstrumentInfo, "Fake|25|99||0|0|14|1|36|3|")}, 1},
        {"a name and a serial number",
         {Datagram(kMessageInstrumentName, "Fake"), Datagram(kMessageSerialNumber, "99")},
         1},
        {"a flood of 100,000",
         {Datagram(kMessageLoudnessSetup, "1|0|1|1|2|-70|1|-18|-1|1|"),
          Datagram(kMessageLevelRecord, LevelRecord(3)), QByteArray::fromHex("0f000000")},
         100000 / 3},
    };
    for (const bool bThreadRuns : {false, true}) {
        if (bThreadRuns)
            qxtest::ConnectEngine(Ctrl, Engine);
        for (const auto& c : aCases) {
            SCOPED_TRACE(std::string(c.sWhat) + (bThreadRuns ? ", a thread runs" : ", no thread"));
            QProcess Sender;
            StartSender(Sender, c.Datagrams, c.iTimes);
            ASSERT_TRUE(Sender.waitForStarted());
            // Until the process has sent everything and the port has read it all.
            ASSERT_TRUE(qxtest::WaitFor([&] { return Sender.state() == QProcess::NotRunning; }, 60000));
            ASSERT_EQ(Sender.exitCode(), 0);
            Ctrl.UDP.DeliverPending();
            EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions"), 0);
            EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels"), 0);
            EXPECT_TRUE(Ctrl.sCurrentSession.isEmpty());
            EXPECT_TRUE(Ctrl.rLoudnessData.sTimeCode.isEmpty());
            EXPECT_TRUE(Ctrl.rInstrumentInfo.sTypeName.isEmpty());
            EXPECT_EQ(Ctrl.Settings.rActiveNetworkCFG.sInstrumentName, "Studio 1");
            EXPECT_EQ(Ctrl.Settings.rActiveNetworkCFG.iSerialNo, 4711);
        }
    }
    // The first drop is written at once; the rest wait for their minute.
    const QStringList slDrops = Ctrl.slLog.Lines().filter("Datagrams of other programs dropped");
    ASSERT_FALSE(slDrops.isEmpty());
    EXPECT_TRUE(slDrops[0].startsWith("0|"));
    EXPECT_TRUE(
        slDrops[0].contains("|Datagrams of other programs dropped at the message port: 1, the last from "
                            "127.0.0.1:"));
    EXPECT_TRUE(slDrops[0].endsWith(".|3"));
}

// The logging thread's own records still arrive while another program floods the port.
TEST_F(MainControllerFixture, GenuineRecordsAreStoredDuringAFlood) {
    TSendingEngine Engine(Ctrl.UDP.Port());
    qxtest::ConnectEngine(Ctrl, Engine);
    Engine.Send(kMessageLoudnessSetup, "1|0|1|1|2|-70|1|-18|-1|1|");
    ASSERT_TRUE(qxtest::WaitFor([&] { return !Ctrl.sCurrentSession.isEmpty(); }));

    QProcess Flood;
    StartSender(Flood, {Datagram(kMessageLevelRecord, LevelRecord(59))}, 100000);
    ASSERT_TRUE(Flood.waitForStarted());
    int iSent = 0;
    ASSERT_TRUE(qxtest::WaitFor(
        [&] {
            // One genuine record per turn of the event loop while the flood runs, as a meter would send them.
            if (Flood.state() != QProcess::NotRunning && iSent < 50)
                Engine.Send(kMessageLevelRecord, LevelRecord(iSent++));
            return Flood.state() == QProcess::NotRunning;
        },
        60000));
    ASSERT_EQ(Flood.exitCode(), 0);
    Ctrl.UDP.DeliverPending();
    ASSERT_GT(iSent, 0);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels"), iSent);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels WHERE sTimeCode='10:00:59:00'"), 0);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions"), 1);
}

// The thread sends a run's last records before it reports the end: they are stored in that session, and the
// session ends at the last of them, even when the end is handled before the port was read.
TEST_F(MainControllerFixture, TheEndOfARunTakesTheRecordsSentBeforeIt) {
    TSendingEngine Engine(Ctrl.UDP.Port());
    qxtest::ConnectEngine(Ctrl, Engine);
    Engine.Send(kMessageLoudnessSetup, "1|0|1|1|2|-70|1|-18|-1|1|");
    ASSERT_TRUE(qxtest::WaitFor([&] { return !Ctrl.sCurrentSession.isEmpty(); }));
    Ctrl.HandleEngineEvent(kEventLoggingStarted);
    const QString sSession = Ctrl.sCurrentSession;

    for (const int iEvent : {kEventLoggingEnded, kEventConnectionClosed}) {
        SCOPED_TRACE(iEvent);
        Ctrl.rSessionInfo.sReportID = sSession;
        Ctrl.sCurrentSession = sSession;
        Ctrl.bLoggingInProgress = true;
        qxtest::ConnectEngine(Ctrl, Engine);
        const int iLast = iEvent == kEventLoggingEnded ? 7 : 9;
        Engine.Send(kMessageLevelRecord, LevelRecord(iLast - 1));
        Engine.Send(kMessageLevelRecord, LevelRecord(iLast));
        Ctrl.HandleEngineEvent(iEvent);
        EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions WHERE sTimeCodeEnd='10:00:0" +
                        QByteArray::number(iLast) + ":00'"),
                  1);
    }
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels"), 4);
}

TEST_F(MainControllerFixture, EngineEventsDriveTheLoggingState) {
    TRecordingView View;
    Ctrl.SetView(&View);
    qxtest::ConnectEngine(Ctrl, View);
    Ctrl.Settings.rActiveNetworkCFG.iPort = 7;
    Ctrl.Settings.rActiveNetworkCFG.sHostName = "meter.local";

    struct Step {
        int iEvent;
        int iStatus;
        bool bLogging;
        const char* sLog;
    };
    const Step Steps[] = {
        {kEventConnecting, 1, false, "Connecting.|1"},
        {kEventConnected, 1, false, "Connected to instrument.|1"},
        {kEventReady, 2, false, "Thread Ready.|1"},
        {kEventLoggingStarted, 6, true, "Logging Started.|1"},
        {kEventLogging, 3, true, "Logging Started.|1"},
        {kEventPaused, 7, true, "Logging paused.|1"},
        {kEventTimecodeStopped, 8, true, "Logging waiting for TC.|1"},
        {kEventWaitingStartTC, 4, true, "Waiting for start TC.|1"},
        {kEventWaitingStopTC, 5, true, "Waiting for stop TC.|1"},
        {kEventTimeout, 5, true, "Telnet Timeout.|4"},
        {kEventLoginRefused, 5, true, "Telnet Login Incorrect.|4"},
    };
    for (const Step& s : Steps) {
        Ctrl.HandleEngineEvent(s.iEvent);
        EXPECT_EQ(Ctrl.Settings.rActiveNetworkCFG.iLoggingStatus, s.iStatus) << "event " << s.iEvent;
        EXPECT_EQ(Ctrl.bLoggingInProgress, s.bLogging) << "event " << s.iEvent;
        EXPECT_TRUE(Ctrl.slLog.Lines().last().endsWith(QString("|") + s.sLog)) << "event " << s.iEvent;
        EXPECT_TRUE(Ctrl.slLog.Lines().last().startsWith("1|")) << "event " << s.iEvent;
    }

    const struct {
        int iEvent;
        int iEntry;
        const char* sArg;
    } Messages[] = {{kEventNetworkNoAnswer, 60, "meter.local"},
                    {kEventPortNotOpened, 288, "7"},
                    {kEventNoInstrument, 30, "7"},
                    {kEventLoggingNotSupported, 32, "7"},
                    {kEventSetupMenuShown, 292, ""}};
    for (const auto& m : Messages) {
        Ctrl.HandleEngineEvent(m.iEvent);
        EXPECT_EQ(View.iMessage, m.iEntry);
        EXPECT_EQ(View.sMessageArg, m.sArg);
        EXPECT_TRUE(View.sMessageDetail.isEmpty());
    }
}

// The thread's event 16 carries why the port could not be opened: the message names the cause below entry
// 288 in the window's language, and the engine log keeps the path and the system's words.
TEST_F(MainControllerFixture, APortThatCouldNotBeOpenedSaysWhyInTheMessageAndTheLog) {
    TRecordingView View;
    Ctrl.SetView(&View);
    Ctrl.Settings.rActiveNetworkCFG.iPort = 3;
    const TPortOpenFailure rFailure =
        DescribePortOpenFailure(3, "/dev/ttyACM9", TPortOpenCause::Busy, "Device or resource busy");
    const struct {
        int iLNG;
        const char* sDetail;
    } aCases[] = {
        {0, "/dev/ttyACM9 is in use by another program (Device or resource busy).\r\rClose the program that "
            "uses the meter, then try again."},
        {1, "/dev/ttyACM9 bruges af et andet program (Device or resource busy).\r\rLuk det program der "
            "bruger måleren, og prøv igen."},
    };
    for (const auto& c : aCases) {
        Ctrl.Settings.iLNG = c.iLNG;
        Ctrl.HandleEngineEvent(kEventPortNotOpened, rFailure);
        EXPECT_EQ(View.iMessage, 288);
        EXPECT_EQ(View.sMessageArg, "3");
        EXPECT_EQ(View.sMessageDetail, QString::fromUtf8(c.sDetail));
        EXPECT_TRUE(Ctrl.slLog.Lines().last().endsWith(
            "|Could not open COM3 at /dev/ttyACM9: Device or resource busy.|4"));
    }
}

TEST_F(MainControllerFixture, PauseThenLoggingSwapsTheStartButtonCaption) {
    TRecordingView View;
    Ctrl.SetView(&View);
    Ctrl.rLoudnessData.sTimeCode = "10:11:12:13";
    Ctrl.HandleEngineEvent(kEventPaused);
    EXPECT_EQ(View.iStartCaption, 218);
    EXPECT_TRUE(View.bBlinking);
    EXPECT_EQ(Ctrl.Settings.TCCtrl.TCPaused, "10:11:12:13");
    Ctrl.HandleEngineEvent(kEventLogging);
    EXPECT_EQ(View.iStartCaption, 220);
    EXPECT_FALSE(View.bBlinking);
}

TEST_F(MainControllerFixture, EndOfLoggingFinishesTheStoredSession) {
    TRecordingView View;
    Ctrl.SetView(&View);
    Ctrl.HandleLoudnessSetup("1|0|1|1|2|-70|1|-18|-1|1|");
    Ctrl.HandleEngineEvent(kEventLoggingStarted);
    Ctrl.HandleLoudnessData("10:00:01:00|-1|-20|-23.4|-30.1|-3.2|1|2|-24|5|-1|");
    Ctrl.HandleLoudnessData("10:00:02:00|-1|-20|-23.4|-30.1|-3.2|1|2|-24|5|-1|");
    Ctrl.HandleEngineEvent(kEventLoggingEnded);

    EXPECT_EQ(View.iSessionChecks, 1);
    EXPECT_FALSE(Ctrl.bLoggingInProgress);
    EXPECT_TRUE(Ctrl.sCurrentSession.isEmpty());
    SQLite::Database DB(sDB.toStdString());
    SQLite::Statement Q(DB, "SELECT sTimeCodeStart, sTimeCodeEnd, sNotes FROM qxr_sessions");
    ASSERT_TRUE(Q.executeStep());
    EXPECT_EQ(Q.getColumn(0).getString(), "10:00:01:00");
    EXPECT_EQ(Q.getColumn(1).getString(), "10:00:02:00");
    EXPECT_EQ(Q.getColumn(2).getString(), "edited");
}

TEST_F(MainControllerFixture, ALinkLostWhileLoggingStillFinishesTheSession) {
    TRecordingView View;
    Ctrl.SetView(&View);
    qxtest::ConnectEngine(Ctrl, View);
    bool bEnded = false;
    QObject::connect(&Ctrl, &TMainController::LoggingThreadEnded, [&] { bEnded = true; });
    Ctrl.HandleLoudnessSetup("1|0|1|1|2|-70|1|-18|-1|1|");
    Ctrl.HandleEngineEvent(kEventLoggingStarted);
    Ctrl.HandleLoudnessData("10:00:01:00|-1|-20|-23.4|-30.1|-3.2|1|2|-24|5|-1|");
    Ctrl.HandleEngineEvent(kEventConnectionClosed);

    EXPECT_TRUE(bEnded);
    EXPECT_EQ(Ctrl.LoggingThread(), nullptr);
    EXPECT_TRUE(Ctrl.bCanCloseMain);
    EXPECT_FALSE(Ctrl.bLoggingInProgress);
    EXPECT_EQ(View.aGUIStates.back(), 0);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions WHERE sTimeCodeEnd='10:00:01:00'"), 1);
    // A second event 9 (the thread's destruction) is harmless.
    Ctrl.HandleEngineEvent(kEventConnectionClosed);
    EXPECT_EQ(View.iSessionChecks, 1);
}

TEST_F(MainControllerFixture, ArbitraryDatagramsNeverCrashOrStoreStrayRows) {
    // Any local process can reach the port: feed it garbage of every length, with and without valid
    // framing, for every message code, before any session exists.
    QRandomGenerator Random(20261210);
    for (int i = 0; i < 20000; ++i) {
        QByteArray Datagram(int(Random.bounded(0, 600)), '\0');
        for (char& c : Datagram)
            c = char(Random.bounded(256));
        if (Datagram.size() > 4 && Random.bounded(2)) {
            const int aCodes[] = {kMessageLog,
                                  11,
                                  12,
                                  kMessageInstrumentName,
                                  kMessageSerialNumber,
                                  kMessageLevelRecord,
                                  kMessageInstrumentInfo,
                                  kMessageTimeCode};
            Datagram[0] = char(aCodes[Random.bounded(int(std::size(aCodes)))]);
            Datagram[1] = 0;
            Datagram.back() = 0;
        }
        Ctrl.UDPUDPRead(Datagram);
    }
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions"), 0);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels"), 0);
    EXPECT_LE(Ctrl.slLog.Lines().size(), TEngineLog::kMaxLines);
}

TEST_F(MainControllerFixture, RowsTheDatabaseRefusesAreShownLoggedAndSavedBesideItAtClose) {
    TRecordingView View;
    Ctrl.SetView(&View);
    Ctrl.HandleLoudnessSetup("1|0|1|1|2|-70|1|-18|-1|1|");
    Ctrl.HandleLoudnessData("10:00:01:00|-1|-20|-22|-30|-3|1|0|-23|1|");
    EXPECT_TRUE(View.sStorePanel.isEmpty());

    // A table the rows cannot go into: they wait, the status bar counts them, the log says why once.
    SQLite::Database(sDB.toStdString(), SQLite::OPEN_READWRITE)
        .exec("ALTER TABLE qxr_loudness_levels RENAME COLUMN fLoudnessHi TO fGone;");
    for (const char* sTC : {"10:00:02:00", "10:00:03:00", "10:00:04:00"})
        Ctrl.HandleLoudnessData(QString(sTC) + "|-1|-20|-22|-30|-3|1|0|-23|1|");
    EXPECT_EQ(View.sStorePanel,
              "Rows waiting for the database: 3 (table qxr_loudness_levels has no column named "
              "fLoudnessHi)");
    const auto Lines = [&](const QString& sPart) {
        return std::count_if(Ctrl.slLog.Lines().cbegin(), Ctrl.slLog.Lines().cend(),
                             [&](const QString& s) { return s.contains(sPart); });
    };
    EXPECT_EQ(Lines("Rows wait for the database"), 1);

    const TMainController::TSavedRows rSaved = Ctrl.SaveWaitingRows();
    EXPECT_EQ(rSaved.iSaved, 3);
    EXPECT_EQ(rSaved.iLost, 0);
    EXPECT_EQ(TMainController::SavedRowsMessage(rSaved, 0),
              "3 rows that the database did not take were saved in \"" + sDB +
                  ".recovery\".\r\rThe next start offers to store them in the database.");
    EXPECT_TRUE(View.sStorePanel.isEmpty());
    EXPECT_EQ(Lines("3 rows that the database did not take were saved in " + sDB + ".recovery"), 1);
    QFile Recovery(sDB + ".recovery");
    ASSERT_TRUE(Recovery.open(QIODevice::ReadOnly));
    EXPECT_EQ(Recovery.readAll().count('\n'), 3);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels"), 1);
}

TEST_F(MainControllerFixture, RowsTheDatabasesFolderRefusesGoToTheDataFolderAndTheUserIsToldWhere) {
    Ctrl.HandleLoudnessSetup("1|0|1|1|2|-70|1|-18|-1|1|");
    SQLite::Database(sDB.toStdString(), SQLite::OPEN_READWRITE)
        .exec("ALTER TABLE qxr_loudness_levels RENAME COLUMN fLoudnessHi TO fGone;");
    for (const char* sTC : {"10:00:02:00", "10:00:03:00"})
        Ctrl.HandleLoudnessData(QString(sTC) + "|-1|-20|-22|-30|-3|1|0|-23|1|");
    // No file can be made beside the database: a folder holds its recovery file's name.
    ASSERT_TRUE(QDir().mkpath(sDB + ".recovery"));

    const TMainController::TSavedRows rSaved = Ctrl.SaveWaitingRows();
    const QString sSpare = Ctrl.sDataFolder + "/QXLogging.recovery";
    EXPECT_EQ(rSaved.slFiles, QStringList{sSpare});
    EXPECT_EQ(rSaved.iSaved, 2);
    const QString sMessage = TMainController::SavedRowsMessage(rSaved, 1);
    EXPECT_TRUE(sMessage.startsWith("2 rækker")) << sMessage.toStdString();
    EXPECT_TRUE(sMessage.contains("\"" + sSpare + "\"")) << sMessage.toStdString();
    QFile Spare(sSpare);
    ASSERT_TRUE(Spare.open(QIODevice::ReadOnly));
    EXPECT_EQ(Spare.readAll().count('\n'), 2);

    // With the data folder refused as well, the user is told the rows are lost and why.
    for (const char* sTC : {"10:00:04:00"})
        Ctrl.HandleLoudnessData(QString(sTC) + "|-1|-20|-22|-30|-3|1|0|-23|1|");
    ASSERT_TRUE(QFile::remove(sSpare));
    ASSERT_TRUE(QDir().mkpath(sSpare));
    const TMainController::TSavedRows rLost = Ctrl.SaveWaitingRows();
    EXPECT_EQ(rLost.iLost, 1);
    EXPECT_TRUE(rLost.slFiles.isEmpty());
    EXPECT_TRUE(
        TMainController::SavedRowsMessage(rLost, 0).startsWith("1 rows that the database did not take "
                                                               "could not be saved: "));
}

TEST_F(MainControllerFixture, AnUnreadableSettingsFileIsReplacedOnlyOnceACopyOfItIsKept) {
    const QByteArray aBad = "[Configuration]\nGUILanguage=1\n[PDFOptions]\nEvenLines=notacolour\n";
    const auto Write = [&] {
        QFile f(Ctrl.sINI);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(aBad);
    };
    const auto Content = [&] {
        QFile f(Ctrl.sINI);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QString sError;

    // No copy can be made: the file stays as it is, now and at close, and the user is told.
    ASSERT_NO_FATAL_FAILURE(Write());
    ASSERT_FALSE(Ctrl.ReadIni());
    ASSERT_TRUE(qxtest::SetImmutable(Ctrl.sDataFolder, true));
    const bool bRecovered = Ctrl.RecoverSettings();
    qxtest::SetImmutable(Ctrl.sDataFolder, false);
    EXPECT_FALSE(bRecovered);
    EXPECT_TRUE(Ctrl.sSettingsNotice.contains("der kunne ikke gemmes en kopi"))
        << "in the language read so far" << Ctrl.sSettingsNotice.toStdString();
    EXPECT_TRUE(Ctrl.WriteIni(sError));
    EXPECT_EQ(Content(), aBad);

    // With the copy kept, the defaults replace it and the notice names the copy.
    TMainController Next;
    ASSERT_TRUE(Next.InitialiseDataFolder(Ctrl.sDataFolder));
    ASSERT_FALSE(Next.ReadIni());
    ASSERT_TRUE(Next.RecoverSettings());
    const QStringList slCopies =
        QDir(Next.sDataFolder).entryList({"QXLogging.INI.unreadable-*"}, QDir::Files);
    ASSERT_EQ(slCopies.size(), 1);
    EXPECT_TRUE(Next.sSettingsNotice.contains("\"" + Next.sDataFolder + "/" + slCopies.first() + "\""))
        << Next.sSettingsNotice.toStdString();
    EXPECT_EQ(Next.Settings.iLNG, 0);
    ASSERT_TRUE(Next.WriteIni(sError)) << sError.toStdString();
    EXPECT_TRUE(Content().contains("EvenLines=clSilver"));
}

namespace {

// A meter measuring true peak in LUFS through the K-Filter with a 3-second window; and the same measuring
// sample peaks.
const char* const kTruePeakSetup = "1|0|1|1|1|-70|1|-23|-1|1|";
const char* const kSamplePeakSetup = "0|0|1|1|1|-70|1|-23|-1|1|";

QString Record(int iSecond, double fIntegrated, double fPeak) {
    TLevelRecordMessage m;
    m.sTimeCode = QStringLiteral("10:00:%1:00").arg(iSecond, 2, 10, QLatin1Char('0'));
    m.fMeterPeakLevel = -1;
    m.fGateLevel = -70;
    m.nLoudnessHi = fIntegrated + 2;
    m.nLoudnessLow = fIntegrated - 4;
    m.nInstantaneousPeak = fPeak;
    m.iSlidingWindow = 1;
    m.iPeakChannel = 0;
    m.nLoudnessIntegrating = fIntegrated;
    m.iPeakCount = 0;
    m.bValid = true;
    return EncodeLevelRecordMessage(m);
}

// The mark the database tab's list shows for the session, read as the list reads it.
TVerdictMark ListedMark(TMainController& rCtrl, const QString& sReportId) {
    TSessionInfo rSelected;
    const QString sNone;
    const int iLNG = 0;
    TSessionBrowser Browser(rCtrl.SQLConnection, rSelected, sNone, iLNG, {});
    Browser.UseComplianceOptions(rCtrl.Settings.rComplianceOptions);
    Browser.RefreshAllSessions();
    return Browser.Sessions().Mark(Browser.Sessions().RowOfSession(sReportId));
}

// A session begun by the meter's setup and the start of logging; its identifier.
QString StartLogging(TMainController& rCtrl, const char* sSetup) {
    rCtrl.HandleLoudnessSetup(sSetup);
    rCtrl.HandleEngineEvent(kEventLoggingStarted);
    return rCtrl.sCurrentSession;
}

int LogLines(const TMainController& rCtrl, const QString& sPart) {
    return int(std::count_if(rCtrl.slLog.Lines().cbegin(), rCtrl.slLog.Lines().cend(),
                             [&](const QString& s) { return s.contains(sPart); }));
}

} // namespace

// However a session ends, its verdict is computed from its stored rows and kept before the window hears
// that the session was stored, so the list it refreshes then shows the session's mark.
TEST_F(MainControllerFixture, AnEndedSessionIsJudgedFromItsStoredRowsBeforeTheWindowHearsOfIt) {
    struct TCase {
        const char* sName;
        const char* sSetup;
        double fIntegrated;
        int iEndEvent;
        TVerdictMark eMark;
    };
    const TCase aCases[] = {
        {"logging ended within the target", kTruePeakSetup, -23.2, kEventLoggingEnded, TVerdictMark::Pass},
        {"link lost with the loudness too low", kTruePeakSetup, -24.0, kEventConnectionClosed,
         TVerdictMark::Fail},
        {"sample peaks cannot prove the limit", kSamplePeakSetup, -23.0, kEventLoggingEnded,
         TVerdictMark::NotVerifiable},
    };
    TRecordingView View;
    Ctrl.SetView(&View);
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const QString sId = StartLogging(Ctrl, c.sSetup);
        for (int i = 1; i <= 3; ++i)
            Ctrl.HandleLoudnessData(Record(i, c.fIntegrated, -3.0));
        std::optional<TVerdictMark> eSeen;
        const QMetaObject::Connection Seen =
            QObject::connect(&Ctrl, &TMainController::SessionStored, [&](const QString& sStored) {
                if (sStored == sId)
                    eSeen = ListedMark(Ctrl, sId);
            });
        Ctrl.HandleEngineEvent(c.iEndEvent);
        QObject::disconnect(Seen);
        EXPECT_EQ(eSeen, c.eMark);
        std::optional<TKeptVerdict> rKept;
        ASSERT_TRUE(TComplianceStore(Ctrl.SQLConnection).ReadKeptVerdict(sId, rKept));
        ASSERT_TRUE(rKept.has_value());
        EXPECT_EQ(rKept->iLevelRows, 3);
        EXPECT_EQ(rKept->sTimeCodeEnd, "10:00:03:00");
    }
    EXPECT_EQ(View.iMessage, 0);
}

// The session's final record waits behind rows the database refused: it is judged once the database has
// taken it, with every row.
TEST_F(MainControllerFixture, AnEndedSessionWaitingForTheDatabaseIsJudgedOnceItIsWritten) {
    TRecordingView View;
    Ctrl.SetView(&View);
    const QString sId = StartLogging(Ctrl, kTruePeakSetup);
    Ctrl.HandleLoudnessData(Record(1, -23.0, -3.0));
    SQLite::Database(sDB.toStdString(), SQLite::OPEN_READWRITE)
        .exec("ALTER TABLE qxr_loudness_levels RENAME COLUMN fLoudnessHi TO fGone;");
    Ctrl.HandleLoudnessData(Record(2, -23.0, -3.0));
    Ctrl.HandleLoudnessData(Record(3, -23.0, -0.5));
    Ctrl.HandleEngineEvent(kEventLoggingEnded);
    ASSERT_EQ(Ctrl.Store.WaitingCount(), 3);
    EXPECT_EQ(ListedMark(Ctrl, sId), TVerdictMark::NotComputed);

    SQLite::Database(sDB.toStdString(), SQLite::OPEN_READWRITE)
        .exec("ALTER TABLE qxr_loudness_levels RENAME COLUMN fGone TO fLoudnessHi;");
    ASSERT_TRUE(qxtest::WaitFor([&] { return Ctrl.Store.WaitingCount() == 0; }));
    // The last row's peak above the limit fails the session: the verdict saw every row.
    EXPECT_EQ(ListedMark(Ctrl, sId), TVerdictMark::Fail);
    std::optional<TKeptVerdict> rKept;
    ASSERT_TRUE(TComplianceStore(Ctrl.SQLConnection).ReadKeptVerdict(sId, rKept));
    ASSERT_TRUE(rKept.has_value());
    EXPECT_EQ(rKept->iLevelRows, 3);
}

// A database that refused every write of a session, its first record too, gets them in order once it takes
// them again: the session is judged from every row, not when its first record goes in.
TEST_F(MainControllerFixture, ASessionWhoseEveryWriteWaitedIsJudgedFromAllItsRows) {
    TRecordingView View;
    Ctrl.SetView(&View);
    SQLite::Database(sDB.toStdString(), SQLite::OPEN_READWRITE)
        .exec("ALTER TABLE qxr_sessions RENAME COLUMN sTitle TO sGone;"
              "ALTER TABLE qxr_loudness_levels RENAME COLUMN fLoudnessHi TO fGone;");
    const QString sId = StartLogging(Ctrl, kTruePeakSetup);
    Ctrl.HandleLoudnessData(Record(1, -23.0, -3.0));
    Ctrl.HandleLoudnessData(Record(2, -23.0, -0.5));
    Ctrl.HandleEngineEvent(kEventLoggingEnded);
    ASSERT_EQ(Ctrl.Store.WaitingCount(), 4);

    SQLite::Database(sDB.toStdString(), SQLite::OPEN_READWRITE)
        .exec("ALTER TABLE qxr_sessions RENAME COLUMN sGone TO sTitle;"
              "ALTER TABLE qxr_loudness_levels RENAME COLUMN fGone TO fLoudnessHi;");
    ASSERT_TRUE(qxtest::WaitFor([&] { return Ctrl.Store.WaitingCount() == 0; }));
    std::optional<TKeptVerdict> rKept;
    ASSERT_TRUE(TComplianceStore(Ctrl.SQLConnection).ReadKeptVerdict(sId, rKept));
    ASSERT_TRUE(rKept.has_value());
    EXPECT_EQ(rKept->iLevelRows, 2);
    EXPECT_EQ(rKept->eKind, TVerdictKind::Fail);
    EXPECT_EQ(ListedMark(Ctrl, sId), TVerdictMark::Fail);
}

// A verdict that cannot be kept is no reason to interrupt logging: the log says why, the session's record
// is stored, and the list shows it as not yet computed.
TEST_F(MainControllerFixture, AVerdictThatCannotBeKeptIsLoggedNotShown) {
    TRecordingView View;
    Ctrl.SetView(&View);
    const QString sId = StartLogging(Ctrl, kTruePeakSetup);
    Ctrl.HandleLoudnessData(Record(1, -23.0, -3.0));
    // The store makes its tables at its first write (here the default target, so the judgement is the same);
    // then a trigger refuses every verdict.
    ASSERT_TRUE(TComplianceStore(Ctrl.SQLConnection).WriteSessionTarget(sId, TLoudnessStandard()));
    SQLite::Database(sDB.toStdString(), SQLite::OPEN_READWRITE)
        .exec("CREATE TRIGGER refuse BEFORE INSERT ON qxr_session_verdicts BEGIN "
              "SELECT RAISE(ABORT, 'refused by the test'); END;");
    Ctrl.HandleEngineEvent(kEventLoggingEnded);

    EXPECT_EQ(View.iMessage, 0);
    EXPECT_EQ(LogLines(Ctrl, "could not be kept"), 1);
    EXPECT_EQ(LogLines(Ctrl, "refused by the test"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions WHERE sTimeCodeEnd='10:00:01:00'"), 1);
    EXPECT_EQ(ListedMark(Ctrl, sId), TVerdictMark::NotComputed);
}

namespace {

// The timecodes of one session's stored rows, in their order.
QStringList SessionTimecodes(const QString& sDB, const QString& sReportId) {
    SQLite::Database DB(sDB.toStdString());
    SQLite::Statement Rows(DB, "SELECT sTimeCode FROM qxr_loudness_levels WHERE sReportId=? ORDER BY nId;");
    Rows.bind(1, sReportId.toStdString());
    QStringList sl;
    while (Rows.executeStep())
        sl << QString::fromStdString(Rows.getColumn(0).getString());
    return sl;
}

} // namespace

// A session rotated while the meter logs on: the ended one is stored up to its last stored row and judged,
// the next one (same setup, instrument and texts, its own title) takes every record from then on, and no row
// is lost or stored twice, also when the database refuses writes across the rotation.
TEST_F(MainControllerFixture, ARotatedSessionEndsAtItsLastRowAndTheNextTakesTheRowsAfterIt) {
    const struct {
        const char* sName;
        bool bRefusedAcrossTheRotation;
    } aCases[] = {{"written at once", false}, {"waiting for the database", true}};
    TRecordingView View;
    Ctrl.SetView(&View);
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.sName);
        SQLite::Database(sDB.toStdString(), SQLite::OPEN_READWRITE)
            .exec("DELETE FROM qxr_sessions; DELETE FROM qxr_loudness_levels;");
        EXPECT_FALSE(Ctrl.RotateSession("nothing is logged"));
        TSessionInfo rTexts = Ctrl.SessionInfo();
        rTexts.sShowTitle = "Morning";
        rTexts.sOperatorName = "robot";
        // As the window and the station begin a session: the last session's timecodes are not its own.
        rTexts.sTimeCodeStart.clear();
        rTexts.sTimeCodeEnd.clear();
        Ctrl.SetSessionInfo(rTexts);
        const QString sFirst = StartLogging(Ctrl, kTruePeakSetup);
        Ctrl.HandleLoudnessData(Record(1, -23.0, -3.0));
        if (c.bRefusedAcrossTheRotation)
            SQLite::Database(sDB.toStdString(), SQLite::OPEN_READWRITE)
                .exec("ALTER TABLE qxr_loudness_levels RENAME COLUMN fLoudnessHi TO fGone;");
        Ctrl.HandleLoudnessData(Record(2, -23.0, -3.0));
        Ctrl.HandleLoudnessData(Record(3, -23.0, -3.0));
        // Shown, not stored: the ended session does not end at it.
        TLevelRecordMessage rBetween;
        rBetween.sTimeCode = "10:00:03:12";
        Ctrl.HandleLoudnessData(EncodeLevelRecordMessage(rBetween));

        ASSERT_TRUE(Ctrl.RotateSession("Afternoon"));
        const QString sSecond = Ctrl.sCurrentSession;
        EXPECT_NE(sSecond, sFirst);
        EXPECT_EQ(Ctrl.rSessionInfo.sReportID, sSecond);
        EXPECT_EQ(Ctrl.iSessionRows, 0);
        EXPECT_EQ(Ctrl.LiveTarget().RowCount(), 0);
        Ctrl.HandleLoudnessData(Record(4, -23.0, -0.5));
        Ctrl.HandleLoudnessData(Record(5, -23.0, -3.0));
        if (c.bRefusedAcrossTheRotation) {
            ASSERT_GT(Ctrl.Store.WaitingCount(), 0);
            SQLite::Database(sDB.toStdString(), SQLite::OPEN_READWRITE)
                .exec("ALTER TABLE qxr_loudness_levels RENAME COLUMN fGone TO fLoudnessHi;");
            ASSERT_TRUE(qxtest::WaitFor([&] { return Ctrl.Store.WaitingCount() == 0; }));
        }
        Ctrl.HandleEngineEvent(kEventLoggingEnded);
        EXPECT_FALSE(Ctrl.RotateSession("nothing is logged"));

        EXPECT_EQ(SessionTimecodes(sDB, sFirst), QStringList({"10:00:01:00", "10:00:02:00", "10:00:03:00"}));
        EXPECT_EQ(SessionTimecodes(sDB, sSecond), QStringList({"10:00:04:00", "10:00:05:00"}));
        EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels"), 5);
        SQLite::Database DB(sDB.toStdString());
        SQLite::Statement Sessions(DB, "SELECT sReportId, sTitle, sOperator, sTimeCodeStart, sTimeCodeEnd, "
                                       "sInstrument, iLoudnessPeakMode, fLoudnessReferenceLevel "
                                       "FROM qxr_sessions ORDER BY nId;");
        QStringList slRows;
        while (Sessions.executeStep()) {
            QStringList slColumns;
            for (int i = 0; i < Sessions.getColumnCount(); ++i)
                slColumns << QString::fromStdString(Sessions.getColumn(i).getString());
            slRows << slColumns.join('|');
        }
        const QString sSetup = "|" + BuildInstrumentText(Ctrl.InstrumentInfo()) + "|1|-23.0";
        EXPECT_EQ(slRows.join('\n').toStdString(),
                  QStringList({sFirst + "|Morning|robot|10:00:01:00|10:00:03:00" + sSetup,
                               sSecond + "|Afternoon|robot|10:00:04:00|10:00:05:00" + sSetup})
                      .join('\n')
                      .toStdString());
        // Each judged from its own rows: the second holds the peak above the limit.
        std::optional<TKeptVerdict> rKept;
        ASSERT_TRUE(TComplianceStore(Ctrl.SQLConnection).ReadKeptVerdict(sFirst, rKept));
        ASSERT_TRUE(rKept.has_value());
        EXPECT_EQ(rKept->iLevelRows, 3);
        EXPECT_EQ(rKept->eKind, TVerdictKind::Pass);
        ASSERT_TRUE(TComplianceStore(Ctrl.SQLConnection).ReadKeptVerdict(sSecond, rKept));
        ASSERT_TRUE(rKept.has_value());
        EXPECT_EQ(rKept->iLevelRows, 2);
        EXPECT_EQ(rKept->eKind, TVerdictKind::Fail);
    }
    EXPECT_EQ(View.iMessage, 0);
}
