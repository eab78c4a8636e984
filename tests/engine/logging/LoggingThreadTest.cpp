#include "engine/LoggingThread.h"
#include "app/MainController.h"
#include "core/EngineCodes.h"
#include "engine/ReportParser.h"
#include "meter/ComPorts.h"
#include "meter/InstrumentMemory.h"
#include "meter/MeterCommands.h"
#include "meter/qxMeterCOM.h"
#include "tests/support/SimPorts.h"
#include "tests/support/TestSupport.h"
#include "tools/sim/SimNetworkMeter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QNetworkDatagram>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QUdpSocket>
#include <SQLiteCpp/SQLiteCpp.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kPort = 7;
// A port number no device or link stands for.
constexpr int kMissingPort = 99;
constexpr int kStartSecond = 10 * 3600;
// Reports ten times faster than real time: the timecode still advances one second per report.
constexpr int kReportIntervalMs = 100;
// Bound for waits that a working engine ends far sooner.
constexpr int kWaitMs = 15000;
// Events that tell the user (or the log) of a failure of the meter or its port.
constexpr int kFailureEvents[] = {kEventTimeout,      kEventNetworkNoAnswer,     kEventPortNotOpened,
                                  kEventNoInstrument, kEventLoggingNotSupported, kEventSetupMenuShown};

// Waits that end as soon as a responsive meter answers; the no-data time-out is two seconds.
TTimingSettings EngineTiming() {
    TTimingSettings Timing;
    Timing.iDatagramPauseMs = 25;
    Timing.iTickMs = 10;
    Timing.iPollMs = 20;
    Timing.iNoDataPolls = 100;
    Timing.iTextStopPauseMs = 20;
    Timing.iTextStartPauseMs = 20;
    Timing.iInitReportPolls = 40;
    Timing.iInitReportPollMs = 50;
    Timing.iComTimeoutTicks = 200;
    Timing.iModeTries = 2;
    Timing.iModeAckTicks = 30;
    Timing.iAckTicks = 50;
    Timing.iStatusTicks = 200;
    Timing.iVersionTicks = 200;
    Timing.iEEPROMTicks = 200;
    Timing.iMemoryReadTicks = 200;
    return Timing;
}

// For a meter that never answers: every wait as short as it can be.
TTimingSettings SilentTiming() {
    TTimingSettings Timing = EngineTiming();
    Timing.iModeAckTicks = 2;
    Timing.iAckTicks = 5;
    Timing.iStatusTicks = 5;
    Timing.iMemoryReadTicks = 20;
    return Timing;
}

QString TimeCode(int iSecond) {
    return QStringLiteral("%1:%2:%3:00")
        .arg(iSecond / 3600, 2, 10, QLatin1Char('0'))
        .arg(iSecond / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(iSecond % 60, 2, 10, QLatin1Char('0'));
}

// A loudness setup unlike the simulator's default, so that a setup taken from elsewhere shows.
TLoudnessSetup SessionSetup() {
    TLoudnessSetup Setup;
    Setup.iPeakMode = 2;
    Setup.iCapture = 1;
    Setup.iScaleMode = 0;
    Setup.iReference = 1;
    Setup.iSlidingWindow = 3;
    Setup.fGateLevel = -8.5;
    Setup.iGateMode = 0;
    Setup.fReferenceLevel = -20.0;
    Setup.fMeterPeakLevel = -2.0;
    Setup.iFilter = 0;
    Setup.bValid = true;
    return Setup;
}

TSimMeterConfig PoolConfig() {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.iStartSecond = kStartSecond;
    Config.iReportIntervalMs = kReportIntervalMs;
    Config.iScreenNo = 7;
    return Config;
}

TSimMeterConfig TextConfig() {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Text);
    Config.iStartSecond = kStartSecond;
    Config.iReportIntervalMs = kReportIntervalMs;
    Config.iInitReportDelayMs = 100;
    return Config;
}

// The reports a fresh meter sends first, as the parser reads them.
engine::TLoudnessData ExpectedReports(int iStartSecond, int iCount) {
    TSimReportGenerator Generator(iStartSecond);
    engine::TLoudnessData All;
    for (int i = 0; i < iCount; ++i) {
        engine::TLoudnessData One;
        engine::ParseLevelReport(QString::fromLatin1(Generator.NextReport()), One);
        for (const engine::TLoudnessDataRec& r : One)
            if (r.bValid)
                All.append(r);
    }
    return All;
}

struct TLevelRow {
    QString sTimeCode;
    int iPeakChannel = 0;
    double fPeak = 0;
    double fHi = 0;
    double fLo = 0;
    double fInt = 0;
};

struct TSessionRow {
    QString sReportId;
    QString sInstrument;
    QString sTimeCodeStart;
    QString sTimeCodeEnd;
    TLoudnessSetup Setup;
};

// Counts what the window is asked to show: each timecode message shows the timecode once. The question
// about edited session texts can be held open, its event loop running, as a person slow to answer would.
class TRecordingView : public IMainView {
public:
    void ShowTimeCode(const QString&) override { ++iTimeCodes; }
    void CheckSessionInfoChanges(TSessionInfo&) override {
        ++iQuestions;
        if (fnWhileAsked)
            fnWhileAsked();
    }
    int iTimeCodes = 0;
    int iQuestions = 0;
    std::function<void()> fnWhileAsked;
};

// The program's core with its real handlers: a fresh data folder, the message port bound, a working
// database open, and a simulated meter linked at COM7.
class LoggingThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Ctrl.Initialise(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));
        sDB = Home.Path() + "/sessions.DB3";
        ASSERT_TRUE(Ctrl.SQLConnection.CreateSQLiteDB(sDB));
        ASSERT_TRUE(Ctrl.SQLConnection.OpenSQLiteDB(sDB));
        Ctrl.SetView(&View);
        QObject::connect(&Ctrl, &TMainController::EngineEventHandled,
                         [this](int iCode) { Events.append(iCode); });
        TInstrumentInfo& Active = Ctrl.Settings.rActiveNetworkCFG;
        Active.bComPort = true;
        Active.iPort = kPort;
        Active.bValid = true;
        Ctrl.Settings.TCCtrl.SyncRTC = false;
    }

    void TearDown() override {
        // A test that failed half-way still ends its thread before the meter goes.
        if (Ctrl.LoggingThread()) {
            Ctrl.ThreadSendMessage(kEngineCommandClose);
            qxtest::WaitFor([&] { return Ctrl.LoggingThread() == nullptr; }, kWaitMs);
        }
        Sim.reset();
        NetworkMeter.reset();
    }

    void StartMeter(const TSimMeterConfig& rConfig, TSimMemoryImage Image = {}) {
        ASSERT_NO_FATAL_FAILURE(
            qxtest::StartSimMeter(Sim, Home.DataFolder(), kPort, rConfig, std::move(Image)));
    }

    // A network meter on 127.0.0.1 as the active instrument.
    void StartNetworkMeter(const TSimNetworkConfig& rConfig, const QString& sPassword) {
        NetworkMeter = std::make_unique<TSimNetworkMeterThread>(rConfig);
        QString sError;
        ASSERT_TRUE(NetworkMeter->Start(sError)) << sError.toStdString();
        SetNetworkInstrument(NetworkMeter->Port(), rConfig.sUserName, sPassword);
    }

    void SetNetworkInstrument(int iPort, const QString& sUserName, const QString& sPassword) {
        TInstrumentInfo& Active = Ctrl.Settings.rActiveNetworkCFG;
        Active.bComPort = false;
        Active.sHostName = QStringLiteral("127.0.0.1");
        Active.iPort = iPort;
        Active.sUserName = sUserName;
        Active.sPassword = sPassword;
    }

    static TSimNetworkConfig NetworkConfig() {
        TSimNetworkConfig Config;
        Config.iStartSecond = kStartSecond;
        Config.iReportIntervalMs = kReportIntervalMs;
        Config.iInitReportDelayMs = 100;
        return Config;
    }

    static TTimingSettings NetworkTiming() {
        TTimingSettings Timing = EngineTiming();
        Timing.iLoginWaitMs = 50;
        Timing.iLoginTimeoutMs = 3000;
        return Timing;
    }

    void StartPoolMeter(const TSimMeterConfig& rConfig = PoolConfig(),
                        const TLoudnessSetup& Setup = SessionSetup()) {
        StartMeter(rConfig, BuildSimMeterMemory(rConfig, Setup, PoolImageOptions()));
    }

    static TMeterMemoryImageOptions PoolImageOptions() {
        TMeterMemoryImageOptions Options;
        Options.lLoggingDataAddress = 0x00045600;
        return Options;
    }

    // Waits for event iCode at or after iFrom; iFrom moves past it.
    bool WaitEvent(int iCode, qsizetype& iFrom) {
        qsizetype iFound = -1;
        const bool bSeen = qxtest::WaitFor(
            [&] {
                iFound = Events.indexOf(iCode, iFrom);
                return iFound >= 0;
            },
            kWaitMs);
        if (bSeen)
            iFrom = iFound + 1;
        return bSeen;
    }

    void Connect(const TTimingSettings& rTiming = EngineTiming()) {
        ASSERT_TRUE(Ctrl.ConnectInstrument(rTiming));
        qsizetype iFrom = 0;
        ASSERT_TRUE(WaitEvent(kEventReady, iFrom)) << Dump();
        EXPECT_EQ(Events, (QList<int>{kEventConnecting, kEventConnected, kEventReady}));
    }

    bool WaitEnded() {
        return qxtest::WaitFor([&] { return Ctrl.LoggingThread() == nullptr; }, kWaitMs);
    }

    // The events up to the first connection-closed are exactly aWanted, only closes follow, and the log holds
    // the lines of slWanted in this order.
    void ExpectEndedWith(const QList<int>& aWanted, const QStringList& slWanted) {
        const qsizetype iFirstClose = Events.indexOf(kEventConnectionClosed);
        ASSERT_GE(iFirstClose, 0);
        EXPECT_EQ(Events.mid(0, iFirstClose), aWanted) << Dump();
        for (qsizetype i = iFirstClose; i < Events.size(); ++i)
            EXPECT_EQ(Events[i], kEventConnectionClosed) << Dump();
        qsizetype iLine = 0;
        const QStringList slLines = Ctrl.slLog.Lines();
        for (const QString& sWant : slWanted) {
            while (iLine < slLines.size() && !slLines[iLine].endsWith('|' + sWant))
                ++iLine;
            EXPECT_LT(iLine, slLines.size()) << "missing in order: " << sWant.toStdString() << "\n" << Dump();
        }
    }

    std::string Dump() const {
        QStringList sl;
        for (const int i : Events)
            sl << QString::number(i);
        QString sState = QStringLiteral("none");
        if (const auto* pThread = dynamic_cast<const TLoggingThread*>(Ctrl.LoggingThread()))
            sState = QString::number(pThread->ThreadState());
        QString sMeter;
        if (Sim)
            sMeter = QString::fromLatin1(Sim->Received().right(200).toHex(' '));
        return ("events " + sl.join(',') + " state " + sState + "\nmeter received: " + sMeter + "\nlog:\n" +
                Ctrl.slLog.Lines().join('\n'))
            .toStdString();
    }

    bool LogHas(const QString& sText) const {
        for (const QString& sLine : Ctrl.slLog.Lines())
            if (sLine.endsWith('|' + sText))
                return true;
        return false;
    }

    QList<TSessionRow> Sessions() {
        SQLite::Database DB(sDB.toStdString());
        SQLite::Statement Query(
            DB,
            "SELECT sReportId,sInstrument,sTimeCodeStart,sTimeCodeEnd,iLoudnessPeakMode,iLoudnessCaptureMode,"
            "iLoudnessScaleMode,iLoudnessReferenceMode,iLoudnessSlidingWindow,fLoudnessGateLevel,"
            "iLoudnessGateMode,fLoudnessReferenceLevel,fLoudnessPeakLevel,iLoudnessFilter FROM qxr_sessions "
            "ORDER BY nId");
        QList<TSessionRow> Rows;
        while (Query.executeStep()) {
            TSessionRow r;
            r.sReportId = QString::fromStdString(Query.getColumn(0).getString());
            r.sInstrument = QString::fromStdString(Query.getColumn(1).getString());
            r.sTimeCodeStart = QString::fromStdString(Query.getColumn(2).getString());
            r.sTimeCodeEnd = QString::fromStdString(Query.getColumn(3).getString());
            r.Setup.iPeakMode = Query.getColumn(4).getInt();
            r.Setup.iCapture = Query.getColumn(5).getInt();
            r.Setup.iScaleMode = Query.getColumn(6).getInt();
            r.Setup.iReference = Query.getColumn(7).getInt();
            r.Setup.iSlidingWindow = Query.getColumn(8).getInt();
            r.Setup.fGateLevel = Query.getColumn(9).getDouble();
            r.Setup.iGateMode = Query.getColumn(10).getInt();
            r.Setup.fReferenceLevel = Query.getColumn(11).getDouble();
            r.Setup.fMeterPeakLevel = Query.getColumn(12).getDouble();
            r.Setup.iFilter = Query.getColumn(13).getInt();
            Rows.append(r);
        }
        return Rows;
    }

    QList<TLevelRow> Levels(const QString& sReportId) {
        SQLite::Database DB(sDB.toStdString());
        SQLite::Statement Query(DB,
                                "SELECT sTimeCode,iPeakChannel,fInstantaneousPeak,fLoudnessHi,fLoudnessLo,"
                                "fLoudnessInt FROM qxr_loudness_levels WHERE sReportId=? ORDER BY nId");
        Query.bind(1, sReportId.toStdString());
        QList<TLevelRow> Rows;
        while (Query.executeStep()) {
            TLevelRow r;
            r.sTimeCode = QString::fromStdString(Query.getColumn(0).getString());
            r.iPeakChannel = Query.getColumn(1).getInt();
            r.fPeak = Query.getColumn(2).getDouble();
            r.fHi = Query.getColumn(3).getDouble();
            r.fLo = Query.getColumn(4).getDouble();
            r.fInt = Query.getColumn(5).getDouble();
            Rows.append(r);
        }
        return Rows;
    }

    qsizetype LevelCount() {
        SQLite::Database DB(sDB.toStdString());
        return DB.execAndGet("SELECT count(*) FROM qxr_loudness_levels").getInt();
    }

    bool WaitLevelCount(qsizetype iCount) {
        return qxtest::WaitFor([&] { return LevelCount() >= iCount; }, kWaitMs);
    }

    // The stored rows are the meter's first reports, in order, value for value.
    void ExpectRowsAreFirstReports(const QList<TLevelRow>& Rows) {
        const engine::TLoudnessData Expected = ExpectedReports(kStartSecond, int(Rows.size()));
        ASSERT_EQ(Expected.size(), Rows.size());
        for (qsizetype i = 0; i < Rows.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Rows[i].sTimeCode, Expected[i].sTimeCode);
            EXPECT_EQ(Rows[i].iPeakChannel, Expected[i].iPeakChannel);
            EXPECT_DOUBLE_EQ(Rows[i].fPeak, Expected[i].nInstantaneousPeak);
            EXPECT_DOUBLE_EQ(Rows[i].fHi, Expected[i].nLoudnessHi);
            EXPECT_DOUBLE_EQ(Rows[i].fLo, Expected[i].nLoudnessLow);
            EXPECT_DOUBLE_EQ(Rows[i].fInt, Expected[i].nIntegrating);
        }
    }

    static void ExpectSetup(const TLoudnessSetup& Got, const TLoudnessSetup& Want) {
        EXPECT_EQ(Got.iPeakMode, Want.iPeakMode);
        EXPECT_EQ(Got.iCapture, Want.iCapture);
        EXPECT_EQ(Got.iScaleMode, Want.iScaleMode);
        EXPECT_EQ(Got.iReference, Want.iReference);
        EXPECT_EQ(Got.iSlidingWindow, Want.iSlidingWindow);
        EXPECT_DOUBLE_EQ(Got.fGateLevel, Want.fGateLevel);
        EXPECT_EQ(Got.iGateMode, Want.iGateMode);
        EXPECT_DOUBLE_EQ(Got.fReferenceLevel, Want.fReferenceLevel);
        EXPECT_DOUBLE_EQ(Got.fMeterPeakLevel, Want.fMeterPeakLevel);
        EXPECT_EQ(Got.iFilter, Want.iFilter);
    }

    QByteArray MeterReceived() { return Sim->Received(); }

    template <typename T> T FromMeter(const std::function<T(TSimMeterProtocol&)>& fn) {
        T Value{};
        Sim->WithProtocol([&](TSimMeterProtocol& Meter) { Value = fn(Meter); });
        return Value;
    }

    qxtest::TFreshConfigHome Home;
    TRecordingView View;
    TMainController Ctrl;
    QString sDB;
    QList<int> Events;
    std::unique_ptr<TSimSerialLink> Sim;
    std::unique_ptr<TSimNetworkMeterThread> NetworkMeter;
};

QByteArray Line(const char* sCommand) {
    return QByteArray(sCommand) + '\r';
}

// The memory-pool reading sequence over the pseudo-terminal, through the real channel, yields the setup and
// logging buffer the simulated meter was given: in process for two memory layouts, and from the real
// simulator program given a setup on its command line.
struct TPoolSequenceCase {
    const char* sName;
    quint8 iHWID;
    quint16 iSoftwarePackage;
    bool bProgram;
};

class PoolSequenceTest : public LoggingThreadTest, public ::testing::WithParamInterface<TPoolSequenceCase> {};

TEST_P(PoolSequenceTest, ReadsTheSetupAndLoggingBufferTheMeterHolds) {
    const TPoolSequenceCase& Case = GetParam();
    TSimMeterConfig Config = PoolConfig();
    Config.iHWID = Case.iHWID;
    Config.iSoftwarePackage = Case.iSoftwarePackage;
    const TLoudnessSetup Setup = SessionSetup();
    QProcess Program;
    TMeterMemoryImageOptions Options = PoolImageOptions();
    if (Case.bProgram) {
        const QString sLink = ComPortLinkPath(Home.DataFolder(), kPort);
        ASSERT_NO_FATAL_FAILURE(qxtest::StartSimProgram(Program, sLink,
                                                        {"--hwid", QString::number(Case.iHWID), "--package",
                                                         QString::number(Case.iSoftwarePackage), "--setup",
                                                         "2,1,0,1,3,-8.5,0,-20,-2,0"}));
        // The program lays out its memory with the default options.
        Options = TMeterMemoryImageOptions();
    } else {
        StartMeter(Config, BuildSimMeterMemory(Config, Setup, Options));
    }

    TqxMeterCom COM(EngineTiming());
    COM.SetPort(kPort);
    ASSERT_TRUE(COM.Open());
    ASSERT_TRUE(COM.ConnectToMeter());
    TInstrumentMemory Memory;
    Memory.SetqxMeterCOM(&COM);
    TLoudnessSetup Read;
    EXPECT_TRUE(Memory.DeAllocatePresetMemory());
    ASSERT_TRUE(Memory.ReadMainMemoryPool());
    ASSERT_TRUE(Memory.ReadScreenInfo());
    ASSERT_TRUE(Memory.SPIReadPreset());
    ASSERT_TRUE(Memory.GetLoudnessConfig(Read, COM.qxMeterInfo().HWID, COM.qxMeterInfo().SoftwarePackage));
    ASSERT_TRUE(Memory.InitLogging());
    EXPECT_TRUE(Read.bValid);
    ExpectSetup(Read, Setup);
    EXPECT_EQ(Memory.LoggingDataAddress(), Options.lLoggingDataAddress);
    int iScreen = 0;
    ASSERT_TRUE(COM.GetScreenNo(iScreen));
    EXPECT_EQ(iScreen, Case.bProgram ? 1 : Config.iScreenNo);
    COM.Close();

    if (Case.bProgram) {
        Program.terminate();
        ASSERT_TRUE(Program.waitForFinished(kWaitMs));
        EXPECT_EQ(Program.exitCode(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, PoolSequenceTest,
                         ::testing::Values(TPoolSequenceCase{"Module5", 208, 14, false},
                                           TPoolSequenceCase{"Module6", 222, 14, false},
                                           TPoolSequenceCase{"Program", 221, 20, true}),
                         [](const auto& Info) { return std::string(Info.param.sName); });

TEST_F(LoggingThreadTest, MemoryPoolMeterLogsStopsRestartsAndDisconnects) {
    const TSimMeterConfig Config = PoolConfig();
    ASSERT_NO_FATAL_FAILURE(StartPoolMeter(Config));
    ASSERT_NO_FATAL_FAILURE(Connect());
    EXPECT_TRUE(LogHas("ConnectInstrument: True|1")) << Dump();
    EXPECT_EQ(Ctrl.Settings.rActiveNetworkCFG.iSerialNo, Config.iSerialNumber);
    EXPECT_EQ(Ctrl.Settings.rActiveNetworkCFG.sInstrumentName, TypeNameOf(21));
    EXPECT_EQ(Ctrl.rInstrumentInfo.iSerialNo, Config.iSerialNumber);

    qsizetype iFrom = Events.size();
    Ctrl.ThreadSendMessage(kEngineCommandStart);
    ASSERT_TRUE(WaitEvent(kEventLoggingStarted, iFrom)) << Dump();
    ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
    // A peak report is the sixth; enough rows that the first session counts one.
    ASSERT_TRUE(WaitLevelCount(8)) << Dump();
    EXPECT_EQ(FromMeter<quint32>([](TSimMeterProtocol& m) { return m.LogStartAddress(); }),
              PoolImageOptions().lLoggingDataAddress);
    EXPECT_EQ(FromMeter<int>([](TSimMeterProtocol& m) { return int(m.ScreenNo()); }), 14);

    Ctrl.ThreadSendMessage(kEngineCommandStop);
    ASSERT_TRUE(WaitEvent(kEventLoggingEnded, iFrom)) << Dump();
    ASSERT_TRUE(WaitEvent(kEventReady, iFrom)) << Dump();
    EXPECT_EQ(Events.mid(3),
              (QList<int>{kEventLoggingStarted, kEventLogging, kEventLoggingEnded, kEventReady}));

    const QList<TSessionRow> First = Sessions();
    ASSERT_EQ(First.size(), 1);
    ExpectSetup(First[0].Setup, SessionSetup());
    EXPECT_TRUE(First[0].sInstrument.startsWith(TypeNameOf(21) + "|21|12345|"));
    const QList<TLevelRow> Rows = Levels(First[0].sReportId);
    ASSERT_GE(Rows.size(), 8);
    ExpectRowsAreFirstReports(Rows);
    EXPECT_EQ(First[0].sTimeCodeStart, Rows.first().sTimeCode);
    EXPECT_EQ(First[0].sTimeCodeEnd, Rows.last().sTimeCode);

    // The meter was told to stop and shows its screen again.
    const QByteArray Received = MeterReceived();
    const qsizetype iStart = Received.lastIndexOf(Line(qxproto::kCmdLogStart));
    ASSERT_GE(iStart, 0);
    const qsizetype iStop = Received.indexOf(Line(qxproto::kCmdLogStop), iStart);
    ASSERT_GE(iStop, 0);
    EXPECT_GE(Received.indexOf(Line(qxproto::kCmdDisplay) + EncodeScreenBlock(Config.iScreenNo), iStop), 0);
    EXPECT_EQ(FromMeter<int>([](TSimMeterProtocol& m) { return int(m.ScreenNo()); }), Config.iScreenNo);
    EXPECT_FALSE(FromMeter<bool>([](TSimMeterProtocol& m) { return m.Reporting(); }));
    EXPECT_GE(Ctrl.rLoudnessData.iPeakCount, 1);

    // A second start opens a new session whose peak count starts from 0.
    const qsizetype iRowsBefore = LevelCount();
    Ctrl.ThreadSendMessage(kEngineCommandStart);
    ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
    ASSERT_TRUE(WaitLevelCount(iRowsBefore + 4)) << Dump();
    Ctrl.ThreadSendMessage(kEngineCommandStop);
    ASSERT_TRUE(WaitEvent(kEventReady, iFrom)) << Dump();
    const QList<TSessionRow> Both = Sessions();
    ASSERT_EQ(Both.size(), 2);
    EXPECT_NE(Both[1].sReportId, Both[0].sReportId);
    const QList<TLevelRow> Second = Levels(Both[1].sReportId);
    ASSERT_GE(Second.size(), 4);
    const auto iPeaks =
        std::count_if(Second.begin(), Second.end(), [](const TLevelRow& r) { return r.iPeakChannel > 0; });
    EXPECT_EQ(Ctrl.rLoudnessData.iPeakCount, iPeaks);
    EXPECT_EQ(Both[1].sTimeCodeEnd, Second.last().sTimeCode);

    Ctrl.ThreadSendMessage(kEngineCommandClose);
    ASSERT_TRUE(WaitEvent(kEventConnectionClosed, iFrom)) << Dump();
    ASSERT_TRUE(WaitEnded());
    EXPECT_EQ(Events.last(), kEventConnectionClosed);
    EXPECT_TRUE(Ctrl.bCanCloseMain);
    // The thread is released; a new connection can be made.
    ASSERT_TRUE(qxtest::WaitFor([&] { return Ctrl.ConnectInstrument(EngineTiming()); }, kWaitMs));
    qsizetype iAgain = Events.size();
    ASSERT_TRUE(WaitEvent(kEventReady, iAgain)) << Dump();
    Ctrl.ThreadSendMessage(kEngineCommandClose);
    ASSERT_TRUE(WaitEnded());
}

// How a memory-pool meter is started depends on its hardware: by reset vectors and its run vector, or by the
// older combined vector; some keep their own screen; those that start by vectors get their clock set.
struct TPoolStartCase {
    const char* sName;
    quint8 iHWID;
    QList<quint16> aVectors;
    int iScreenWhileLogging;
    bool bClockSet;
};

class PoolStartTest : public LoggingThreadTest, public ::testing::WithParamInterface<TPoolStartCase> {};

TEST_P(PoolStartTest, StartsTheMeterTheWayItsHardwareWants) {
    const TPoolStartCase& Case = GetParam();
    TSimMeterConfig Config = PoolConfig();
    Config.iHWID = Case.iHWID;
    Config.iSoftwarePackage = 14;
    ASSERT_NO_FATAL_FAILURE(StartPoolMeter(Config));
    Ctrl.Settings.TCCtrl.SyncRTC = true;
    ASSERT_NO_FATAL_FAILURE(Connect());
    EXPECT_EQ(FromMeter<bool>([](TSimMeterProtocol& m) { return !m.LastClockBlock().isEmpty(); }),
              Case.bClockSet);

    qsizetype iFrom = Events.size();
    Ctrl.ThreadSendMessage(kEngineCommandStart);
    ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
    ASSERT_TRUE(WaitLevelCount(3)) << Dump();
    EXPECT_EQ(FromMeter<QList<quint16>>([](TSimMeterProtocol& m) { return m.Vectors(); }), Case.aVectors);
    EXPECT_EQ(FromMeter<int>([](TSimMeterProtocol& m) { return int(m.ScreenNo()); }),
              Case.iScreenWhileLogging);
    // The session carries the setup of the loudness module this hardware keeps it in.
    const QList<TSessionRow> Session = Sessions();
    ASSERT_EQ(Session.size(), 1);
    ExpectSetup(Session[0].Setup, SessionSetup());
    ExpectRowsAreFirstReports(Levels(Session[0].sReportId));

    Ctrl.ThreadSendMessage(kEngineCommandStop);
    ASSERT_TRUE(WaitEvent(kEventReady, iFrom)) << Dump();
    EXPECT_EQ(FromMeter<int>([](TSimMeterProtocol& m) { return int(m.ScreenNo()); }), Config.iScreenNo);
}

INSTANTIATE_TEST_SUITE_P(
    Hardware, PoolStartTest,
    ::testing::Values(TPoolStartCase{"CombinedVector", 208, {2, 62, 62}, 14, false},
                      TPoolStartCase{"VectorStart", 211, {2, 14, 15, 14, 15, 13}, 14, true},
                      TPoolStartCase{"VectorStartOwnScreen", 210, {2, 14, 15, 14, 15, 13}, 7, true}),
    [](const auto& Info) { return std::string(Info.param.sName); });

TEST_F(LoggingThreadTest, TextMeterLogsFromItsInitialisationReport) {
    ASSERT_NO_FATAL_FAILURE(StartMeter(TextConfig()));
    ASSERT_NO_FATAL_FAILURE(Connect());

    qsizetype iFrom = Events.size();
    Ctrl.ThreadSendMessage(kEngineCommandStart);
    ASSERT_TRUE(WaitEvent(kEventLoggingStarted, iFrom)) << Dump();
    ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
    ASSERT_TRUE(WaitLevelCount(5)) << Dump();
    Ctrl.ThreadSendMessage(kEngineCommandStop);
    ASSERT_TRUE(WaitEvent(kEventLoggingEnded, iFrom)) << Dump();
    ASSERT_TRUE(WaitEvent(kEventReady, iFrom)) << Dump();

    const QList<TSessionRow> Rows = Sessions();
    ASSERT_EQ(Rows.size(), 1);
    TLoudnessSetup Expected;
    engine::ParseSetupReport(QString::fromLatin1(TSimReportGenerator::InitReport()), Expected);
    ASSERT_TRUE(Expected.bValid);
    ExpectSetup(Rows[0].Setup, Expected);
    const QList<TLevelRow> Levels_ = Levels(Rows[0].sReportId);
    ExpectRowsAreFirstReports(Levels_);
    EXPECT_EQ(Rows[0].sTimeCodeEnd, Levels_.last().sTimeCode);

    const QByteArray Received = MeterReceived();
    const qsizetype iStart = Received.indexOf(Line(qxproto::kTextCmdLogStart));
    ASSERT_GE(iStart, 0);
    EXPECT_GE(Received.indexOf(Line(qxproto::kTextCmdLogStop), iStart), 0);
    EXPECT_FALSE(FromMeter<bool>([](TSimMeterProtocol& m) { return m.Reporting(); }));

    Ctrl.ThreadSendMessage(kEngineCommandClose);
    ASSERT_TRUE(WaitEnded()) << Dump();
    EXPECT_EQ(Events.last(), kEventConnectionClosed);
}

TEST_F(LoggingThreadTest, NetworkMeterLogsAfterItsLogin) {
    const TSimNetworkConfig Config = NetworkConfig();
    ASSERT_NO_FATAL_FAILURE(StartNetworkMeter(Config, Config.sPassword));
    // A serial meter logged before: its identification must not end up in this meter's session.
    Ctrl.HandleInstrumentInfo("qxMeter 24|24|40001||0|0|14|4|17|7|");
    ASSERT_TRUE(Ctrl.rInstrumentInfo.bValid);
    ASSERT_NO_FATAL_FAILURE(Connect(NetworkTiming()));
    EXPECT_TRUE(Ctrl.rInstrumentInfo.bValid);
    EXPECT_EQ(Ctrl.rInstrumentInfo.iTypeNo, 0);
    EXPECT_EQ(Ctrl.rInstrumentInfo.iSerialNo, Config.iSerialNumber);
    EXPECT_TRUE(LogHas("ConnectInstrument: True|1")) << Dump();
    EXPECT_EQ(Ctrl.Settings.rActiveNetworkCFG.iSerialNo, Config.iSerialNumber);
    EXPECT_EQ(Ctrl.Settings.rActiveNetworkCFG.sInstrumentName.trimmed(), Config.sUnitName);

    qsizetype iFrom = Events.size();
    Ctrl.ThreadSendMessage(kEngineCommandStart);
    ASSERT_TRUE(WaitEvent(kEventLoggingStarted, iFrom)) << Dump();
    ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
    ASSERT_TRUE(WaitLevelCount(5)) << Dump();
    Ctrl.ThreadSendMessage(kEngineCommandStop);
    ASSERT_TRUE(WaitEvent(kEventLoggingEnded, iFrom)) << Dump();
    ASSERT_TRUE(WaitEvent(kEventReady, iFrom)) << Dump();

    const QList<TSessionRow> Rows = Sessions();
    ASSERT_EQ(Rows.size(), 1);
    EXPECT_EQ(Rows[0].sInstrument,
              Config.sUnitName + "|0|" + QString::number(Config.iSerialNumber) + "|0|0|0.0|0|");
    TLoudnessSetup Expected;
    engine::ParseSetupReport(QString::fromLatin1(TSimReportGenerator::InitReport()), Expected);
    ExpectSetup(Rows[0].Setup, Expected);
    const QList<TLevelRow> Levels_ = Levels(Rows[0].sReportId);
    ExpectRowsAreFirstReports(Levels_);
    EXPECT_EQ(Rows[0].sTimeCodeEnd, Levels_.last().sTimeCode);

    const QStringList slCommands = NetworkMeter->Stats().slCommands;
    const qsizetype iStart = slCommands.indexOf(QLatin1String(qxproto::kTextCmdLogStart));
    ASSERT_GE(iStart, 0);
    EXPECT_GE(slCommands.indexOf(QLatin1String(qxproto::kTextCmdLogStop), iStart), 0);
    EXPECT_TRUE(qxtest::WaitFor([&] { return NetworkMeter->Stats().iReporting == 0; }, kWaitMs));

    Ctrl.ThreadSendMessage(kEngineCommandClose);
    ASSERT_TRUE(WaitEnded()) << Dump();
    EXPECT_EQ(Events.last(), kEventConnectionClosed);
}

TEST_F(LoggingThreadTest, PauseAndFrozenTimecodeStoreNothingUntilTheTimecodeRunsAgain) {
    ASSERT_NO_FATAL_FAILURE(StartPoolMeter());
    ASSERT_NO_FATAL_FAILURE(Connect());
    qsizetype iFrom = Events.size();
    Ctrl.ThreadSendMessage(kEngineCommandStart);
    ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
    ASSERT_TRUE(WaitLevelCount(2)) << Dump();

    // The pause command reaches the meter as its run/pause vector; paused reports give timecodes only.
    Ctrl.ThreadSendMessage(kEngineCommandPause);
    ASSERT_TRUE(WaitEvent(kEventPaused, iFrom)) << Dump();
    const qsizetype iPausedRows = LevelCount();
    const int iShown = View.iTimeCodes;
    ASSERT_TRUE(qxtest::WaitFor([&] { return View.iTimeCodes >= iShown + 3; }, kWaitMs));
    EXPECT_EQ(LevelCount(), iPausedRows);
    EXPECT_EQ(Events.count(kEventPaused), 1);
    EXPECT_TRUE(FromMeter<bool>([](TSimMeterProtocol& m) { return m.Paused(); }));

    Ctrl.ThreadSendMessage(kEngineCommandPause);
    ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
    ASSERT_TRUE(WaitLevelCount(iPausedRows + 1)) << Dump();
    EXPECT_EQ(Events.count(kEventPaused), 1);

    // A timecode that stops advancing: one row for it, then timecode messages and event 25 once.
    int iFrozen = 0;
    Sim->WithProtocol([&](TSimMeterProtocol& m) {
        iFrozen = m.NextReportSecond();
        m.SetTimecodeFrozen(true);
    });
    ASSERT_TRUE(WaitEvent(kEventTimecodeStopped, iFrom)) << Dump();
    const int iShownFrozen = View.iTimeCodes;
    ASSERT_TRUE(qxtest::WaitFor([&] { return View.iTimeCodes >= iShownFrozen + 3; }, kWaitMs));
    EXPECT_EQ(Events.count(kEventTimecodeStopped), 1);
    const QList<TSessionRow> Session = Sessions();
    ASSERT_EQ(Session.size(), 1);
    auto RowsAt = [&](int iSecond) {
        const QList<TLevelRow> Rows = Levels(Session[0].sReportId);
        return std::count_if(Rows.begin(), Rows.end(),
                             [&](const TLevelRow& r) { return r.sTimeCode == TimeCode(iSecond); });
    };
    EXPECT_EQ(RowsAt(iFrozen), 1);

    Sim->WithProtocol([](TSimMeterProtocol& m) { m.SetTimecodeFrozen(false); });
    ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
    ASSERT_TRUE(qxtest::WaitFor([&] { return RowsAt(iFrozen + 1) == 1; }, kWaitMs)) << Dump();
    EXPECT_EQ(RowsAt(iFrozen), 1);

    const qsizetype iBeforeClose = Events.size();
    Ctrl.ThreadSendMessage(kEngineCommandClose);
    ASSERT_TRUE(WaitEnded()) << Dump();
    // Closing in the middle of a run ends the session before the connection.
    const QList<int> Closing = Events.mid(iBeforeClose);
    ASSERT_FALSE(Closing.isEmpty());
    EXPECT_EQ(Closing.first(), kEventLoggingEnded) << Dump();
    EXPECT_EQ(Closing.last(), kEventConnectionClosed) << Dump();
}

TEST_F(LoggingThreadTest, TimecodeControlStartsAndStopsTheRun) {
    ASSERT_NO_FATAL_FAILURE(StartPoolMeter());
    TTimecodeControl& TC = Ctrl.Settings.TCCtrl;
    TC.OptionEnabled = true;
    TC.Enabled = true;
    TC.EnabledStart = true;
    TC.EnabledStop = true;
    TC.TCStart = TimeCode(kStartSecond + 5);
    TC.TCStop = TimeCode(kStartSecond + 12);
    ASSERT_NO_FATAL_FAILURE(Connect());

    qsizetype iFrom = Events.size();
    Ctrl.ThreadSendMessage(kEngineCommandStart);
    ASSERT_TRUE(WaitEvent(kEventLoggingStarted, iFrom)) << Dump();
    ASSERT_TRUE(WaitEvent(kEventWaitingStartTC, iFrom)) << Dump();
    ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
    ASSERT_TRUE(WaitEvent(kEventWaitingStopTC, iFrom)) << Dump();
    ASSERT_TRUE(WaitEvent(kEventLoggingEnded, iFrom)) << Dump();
    ASSERT_TRUE(WaitEvent(kEventReady, iFrom)) << Dump();

    const QList<TSessionRow> Session = Sessions();
    ASSERT_EQ(Session.size(), 1);
    const QList<TLevelRow> Rows = Levels(Session[0].sReportId);
    // The start timecode's own report arrives while waiting; records follow from the next second up to and
    // including the stop timecode. (A report that arrives while the reset vector is exchanged with the meter
    // is the channel's to lose, so the count is not exact.)
    ASSERT_GE(Rows.size(), 5);
    EXPECT_GE(Rows.first().sTimeCode, TimeCode(kStartSecond + 6));
    EXPECT_LE(Rows.first().sTimeCode, TimeCode(kStartSecond + 7));
    for (qsizetype i = 1; i < Rows.size(); ++i)
        EXPECT_LT(Rows[i - 1].sTimeCode, Rows[i].sTimeCode);
    EXPECT_EQ(Rows.last().sTimeCode, TimeCode(kStartSecond + 12));
    EXPECT_EQ(Session[0].sTimeCodeEnd, TimeCode(kStartSecond + 12));
    // The screen number is asked for, the measurement reset twice at the start and once more at the start
    // timecode.
    EXPECT_EQ(FromMeter<QList<quint16>>([](TSimMeterProtocol& m) { return m.Vectors(); }),
              (QList<quint16>{2, 62, 62, 62}));
    EXPECT_FALSE(FromMeter<bool>([](TSimMeterProtocol& m) { return m.Reporting(); }));
}

TEST_F(LoggingThreadTest, SwitchingTimecodeControlOffWhileWaitingStartsForwardingAtOnce) {
    ASSERT_NO_FATAL_FAILURE(StartPoolMeter());
    TTimecodeControl& TC = Ctrl.Settings.TCCtrl;
    TC.Enabled = true;
    TC.EnabledStart = true;
    TC.TCStart = TimeCode(kStartSecond + 3600);
    ASSERT_NO_FATAL_FAILURE(Connect());

    qsizetype iFrom = Events.size();
    Ctrl.ThreadSendMessage(kEngineCommandStart);
    ASSERT_TRUE(WaitEvent(kEventWaitingStartTC, iFrom)) << Dump();
    const int iShown = View.iTimeCodes;
    ASSERT_TRUE(qxtest::WaitFor([&] { return View.iTimeCodes >= iShown + 2; }, kWaitMs));
    EXPECT_EQ(LevelCount(), 0);

    // The auto-start check box cleared: the thread copies the control again and logs from the next record.
    TC.Enabled = false;
    Ctrl.ThreadSendMessage(kEngineCommandTCChanged);
    ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
    ASSERT_TRUE(WaitLevelCount(3)) << Dump();
    Ctrl.ThreadSendMessage(kEngineCommandStop);
    ASSERT_TRUE(WaitEvent(kEventReady, iFrom)) << Dump();
    // No measurement reset: only the two of the start itself.
    EXPECT_EQ(FromMeter<QList<quint16>>([](TSimMeterProtocol& m) { return m.Vectors(); }),
              (QList<quint16>{2, 62, 62}));
}

// A meter far faster than the thread can forward (a report every 10 ms, each one second of timecode): Stop
// takes effect between report lines, whatever waits behind, and no row comes after the ready state; close
// shuts the datagram channel before the command returns.
TEST_F(LoggingThreadTest, StopAndCloseTakeEffectWhateverTheBacklogOfAFastMeter) {
    TSimMeterConfig Config = PoolConfig();
    Config.iReportIntervalMs = 10;
    ASSERT_NO_FATAL_FAILURE(StartPoolMeter(Config));
    ASSERT_NO_FATAL_FAILURE(Connect());
    // The rows stored when the window has handled the ready event, with every datagram sent before it.
    qsizetype iRowsAtReady = -1;
    QObject::connect(&Ctrl, &TMainController::EngineEventHandled, [&](int iCode) {
        if (iCode == kEventReady && iRowsAtReady < 0 && LevelCount() > 0) {
            Ctrl.UDP.DeliverPending();
            iRowsAtReady = LevelCount();
        }
    });

    qsizetype iFrom = Events.size();
    Ctrl.ThreadSendMessage(kEngineCommandStart);
    ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
    // By now the meter has sent more than twice the lines the thread has forwarded.
    ASSERT_TRUE(WaitLevelCount(120)) << Dump();
    Ctrl.ThreadSendMessage(kEngineCommandStop);
    // Loosely bounded: the backlog alone would take several seconds to forward.
    ASSERT_TRUE(qxtest::WaitFor([&] { return iRowsAtReady >= 0; }, 3000)) << Dump();

    // Close: not one datagram after the command has returned.
    Ctrl.UDP.DeliverPending();
    int iLateDatagrams = 0;
    Ctrl.ThreadSendMessage(kEngineCommandClose);
    Ctrl.UDP.DeliverPending();
    QObject::connect(&Ctrl.UDP, &TMessagePort::DatagramReceived, [&] { ++iLateDatagrams; });
    ASSERT_TRUE(WaitEnded()) << Dump();
    Ctrl.UDP.DeliverPending();
    EXPECT_EQ(iLateDatagrams, 0);
    EXPECT_EQ(LevelCount(), iRowsAtReady);

    const QList<TSessionRow> Session = Sessions();
    ASSERT_EQ(Session.size(), 1);
    const QList<TLevelRow> Rows = Levels(Session[0].sReportId);
    ASSERT_FALSE(Rows.isEmpty());
    // A meter this fast outruns the line when the machine is busy, so reports may be missing; those stored
    // are in the meter's order, each once.
    for (qsizetype i = 1; i < Rows.size(); ++i)
        EXPECT_LT(Rows[i - 1].sTimeCode, Rows[i].sTimeCode) << i;
    EXPECT_EQ(Session[0].sTimeCodeEnd, Rows.last().sTimeCode);
    EXPECT_FALSE(FromMeter<bool>([](TSimMeterProtocol& m) { return m.Reporting(); }));
}

// Close (the Disconnect button) ends the thread soon whatever wait it is in, with the program's real
// waits, and a connect given up this way tells the user nothing about the meter.
enum class TCloseDuring { MemoryRead, SilentMeter, NetworkLogin, NoData };

struct TCloseCase {
    const char* sName;
    TCloseDuring eDuring;
};

class CloseDuringWaitTest : public LoggingThreadTest, public ::testing::WithParamInterface<TCloseCase> {};

TEST_P(CloseDuringWaitTest, EndsAtOnceWithoutAFailureMessage) {
    const TCloseCase& Case = GetParam();
    TTimingSettings Timing;
    QTcpServer MuteServer;
    TSimMeterConfig Config = PoolConfig();
    std::function<bool()> fnWaiting;
    switch (Case.eDuring) {
    case TCloseDuring::MemoryRead:
        Config.rMisbehaviour.bShortMemoryReply = true;
        ASSERT_NO_FATAL_FAILURE(StartPoolMeter(Config));
        fnWaiting = [&] { return MeterReceived().contains(qxproto::kCmdMemoryRead); };
        break;
    case TCloseDuring::SilentMeter:
        Config.rMisbehaviour.bSilent = true;
        // Waits far longer than any bound below: only the close can end them in time.
        Timing.iModeTries = 1000;
        ASSERT_NO_FATAL_FAILURE(StartPoolMeter(Config));
        fnWaiting = [&] { return MeterReceived().contains(qxproto::kCmdCommandModeOn); };
        break;
    case TCloseDuring::NetworkLogin:
        // Accepts and never shows a prompt.
        ASSERT_TRUE(MuteServer.listen(QHostAddress::LocalHost, 0));
        SetNetworkInstrument(MuteServer.serverPort(), QStringLiteral("admin"), QStringLiteral("pw"));
        Timing.iLoginTimeoutMs = 60000;
        fnWaiting = [&] { return MuteServer.hasPendingConnections(); };
        break;
    case TCloseDuring::NoData:
        ASSERT_NO_FATAL_FAILURE(StartPoolMeter(Config));
        Timing = EngineTiming();
        Timing.iNoDataPolls = 100000;
        ASSERT_NO_FATAL_FAILURE(Connect(Timing));
        Ctrl.ThreadSendMessage(kEngineCommandStart);
        ASSERT_TRUE(WaitLevelCount(2)) << Dump();
        Sim->Stop();
        fnWaiting = [] { return true; };
        break;
    }
    if (Case.eDuring != TCloseDuring::NoData) {
        ASSERT_TRUE(Ctrl.ConnectInstrument(Timing));
    }
    ASSERT_TRUE(qxtest::WaitFor(fnWaiting, kWaitMs)) << Dump();

    Ctrl.DisconnectInstrument();
    // Loosely bounded: the waits themselves would last a minute or more.
    ASSERT_TRUE(qxtest::WaitFor([&] { return Ctrl.LoggingThread() == nullptr; }, 5000)) << Dump();
    for (const int iFailure : kFailureEvents)
        EXPECT_FALSE(Events.contains(iFailure)) << iFailure << "\n" << Dump();
    EXPECT_EQ(Events.last(), kEventConnectionClosed) << Dump();
}

INSTANTIATE_TEST_SUITE_P(Cases, CloseDuringWaitTest,
                         ::testing::Values(TCloseCase{"MemoryRead", TCloseDuring::MemoryRead},
                                           TCloseCase{"SilentMeter", TCloseDuring::SilentMeter},
                                           TCloseCase{"NetworkLogin", TCloseDuring::NetworkLogin},
                                           TCloseCase{"NoData", TCloseDuring::NoData}),
                         [](const auto& Info) { return std::string(Info.param.sName); });

// Failures: what the user is told and how the thread ends.
enum class TFailureAction { None, Start, StopMeter, DropLink };

struct TFailureCase {
    const char* sName;
    bool bMeter;
    TSimMisbehaviour rMisbehaviour;
    bool bSilentTiming;
    // Started before the failure shows.
    TFailureAction eAction;
    // Events up to the first 9; after that only 9 follows.
    QList<int> aEvents;
    // Log lines expected, in order.
    QStringList slLog;
    TSimMeterKind eKind = TSimMeterKind::Pool;
};

TSimMisbehaviour Misbehaving(bool TSimMisbehaviour::*pFlag) {
    TSimMisbehaviour r;
    r.*pFlag = true;
    return r;
}

class FailureTest : public LoggingThreadTest, public ::testing::WithParamInterface<TFailureCase> {};

TEST_P(FailureTest, ReportsTheFailureAndEnds) {
    const TFailureCase& Case = GetParam();
    const bool bText = Case.eKind == TSimMeterKind::Text;
    TSimMeterConfig Config = bText ? TextConfig() : PoolConfig();
    Config.rMisbehaviour = Case.rMisbehaviour;
    if (!Case.bMeter)
        Ctrl.Settings.rActiveNetworkCFG.iPort = kMissingPort;
    else if (bText)
        ASSERT_NO_FATAL_FAILURE(StartMeter(Config));
    else
        ASSERT_NO_FATAL_FAILURE(StartPoolMeter(Config));

    ASSERT_TRUE(Ctrl.ConnectInstrument(Case.bSilentTiming ? SilentTiming() : EngineTiming()));
    if (Case.eAction != TFailureAction::None) {
        qsizetype iFrom = 0;
        ASSERT_TRUE(WaitEvent(kEventReady, iFrom)) << Dump();
        Ctrl.ThreadSendMessage(kEngineCommandStart);
    }
    if (Case.eAction == TFailureAction::StopMeter || Case.eAction == TFailureAction::DropLink) {
        qsizetype iFrom = 0;
        ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
        ASSERT_TRUE(WaitLevelCount(3)) << Dump();
        if (Case.eAction == TFailureAction::StopMeter)
            Sim->Stop();
        else
            Sim.reset();
    }
    ASSERT_TRUE(WaitEnded()) << Dump();

    ExpectEndedWith(Case.aEvents, Case.slLog);

    if (Case.eAction == TFailureAction::StopMeter || Case.eAction == TFailureAction::DropLink) {
        // Every row received before the failure is stored, and the session is finished with the last.
        const QList<TSessionRow> Session = Sessions();
        ASSERT_EQ(Session.size(), 1);
        const QList<TLevelRow> Rows = Levels(Session[0].sReportId);
        ASSERT_GE(Rows.size(), 3);
        ExpectRowsAreFirstReports(Rows);
        EXPECT_EQ(Session[0].sTimeCodeEnd, Rows.last().sTimeCode);
    }
}

const QList<int> kRunStart{kEventConnecting, kEventConnected, kEventReady, kEventLoggingStarted,
                           kEventLogging};
const QList<int> kTimedOut = kRunStart + QList<int>{kEventTimeout, kEventLoggingEnded, kEventTimeout};
// A text meter started but its loudness setup never came, or came unreadable.
const QList<int> kInitFailed{kEventConnecting, kEventConnected,    kEventReady,  kEventLoggingStarted,
                             kEventTimeout,    kEventLoggingEnded, kEventTimeout};

INSTANTIATE_TEST_SUITE_P(
    Cases, FailureTest,
    ::testing::Values(
        TFailureCase{"PortMissing",
                     false,
                     {},
                     true,
                     TFailureAction::None,
                     {kEventConnecting, kEventPortNotOpened},
                     {"ConnectInstrument: False|1"}},
        TFailureCase{"SilentMeter",
                     true,
                     Misbehaving(&TSimMisbehaviour::bSilent),
                     true,
                     TFailureAction::None,
                     {kEventConnecting, kEventNoInstrument},
                     {"ConnectInstrument: False|1"}},
        TFailureCase{"LogStopRefused",
                     true,
                     Misbehaving(&TSimMisbehaviour::bNoLogStopAck),
                     false,
                     TFailureAction::None,
                     {kEventConnecting, kEventConnected, kEventLoggingNotSupported},
                     {"ConnectInstrument: True|1"}},
        TFailureCase{"MemoryUnreadable",
                     true,
                     Misbehaving(&TSimMisbehaviour::bShortMemoryReply),
                     false,
                     TFailureAction::None,
                     {kEventConnecting, kEventLoggingNotSupported},
                     {"Main Memory Pool Read Error.", "ConnectInstrument: False|1"}},
        // The meter unplugged between connecting and starting: the port does not open again.
        TFailureCase{"PortGoneAtStart",
                     true,
                     Misbehaving(&TSimMisbehaviour::bVanishOnReopen),
                     false,
                     TFailureAction::Start,
                     {kEventConnecting, kEventConnected, kEventReady, kEventNoInstrument},
                     {"ConnectInstrument: True|1", "Could not reopen COM. (7)|4"}},
        TFailureCase{"NoInitReport",
                     true,
                     Misbehaving(&TSimMisbehaviour::bNoInitReport),
                     false,
                     TFailureAction::Start,
                     kInitFailed,
                     {"No initialization data received from instrument.|4"},
                     TSimMeterKind::Text},
        TFailureCase{"BadInitReport",
                     true,
                     Misbehaving(&TSimMisbehaviour::bBadInitReport),
                     false,
                     TFailureAction::Start,
                     kInitFailed,
                     {"Invalid initialization data received from instrument. ()|4"},
                     TSimMeterKind::Text},
        TFailureCase{"NoData", true, {}, false, TFailureAction::StopMeter, kTimedOut, {"Telnet Timeout.|4"}},
        TFailureCase{
            "LinkDropped", true, {}, false, TFailureAction::DropLink, kTimedOut, {"Telnet Timeout.|4"}}),
    [](const auto& Info) { return std::string(Info.param.sName); });

// Network failures: a refused login, a meter that does not answer, a connection lost during a run.
enum class TNetworkFailure { Refused, NoAnswer, Dropped };

struct TNetworkFailureCase {
    const char* sName;
    TNetworkFailure eFailure;
    QList<int> aEvents;
    QStringList slLog;
};

class NetworkFailureTest : public LoggingThreadTest,
                           public ::testing::WithParamInterface<TNetworkFailureCase> {};

TEST_P(NetworkFailureTest, ReportsTheFailureAndEnds) {
    const TNetworkFailureCase& Case = GetParam();
    TSimNetworkConfig Config = NetworkConfig();
    switch (Case.eFailure) {
    case TNetworkFailure::Refused:
        Config.eWrongLogin = TSimWrongLogin::BannerAndClose;
        ASSERT_NO_FATAL_FAILURE(StartNetworkMeter(Config, QStringLiteral("wrong")));
        break;
    case TNetworkFailure::NoAnswer: {
        // A port nobody listens on: the system's choice, released again.
        QTcpServer Server;
        ASSERT_TRUE(Server.listen(QHostAddress::LocalHost, 0));
        const int iClosed = Server.serverPort();
        Server.close();
        SetNetworkInstrument(iClosed, Config.sUserName, Config.sPassword);
        break;
    }
    case TNetworkFailure::Dropped:
        Config.iDropAfterMs = 2000;
        ASSERT_NO_FATAL_FAILURE(StartNetworkMeter(Config, Config.sPassword));
        break;
    }
    if (Case.eFailure == TNetworkFailure::Dropped) {
        // The question at the end of the run is still open when the thread ends and reports it.
        View.fnWhileAsked = [this] {
            EXPECT_TRUE(qxtest::WaitFor(
                [this] {
                    const auto* pThread = dynamic_cast<const TLoggingThread*>(Ctrl.LoggingThread());
                    return pThread == nullptr || pThread->isFinished();
                },
                kWaitMs));
            QCoreApplication::processEvents();
        };
    }
    ASSERT_TRUE(Ctrl.ConnectInstrument(NetworkTiming()));
    if (Case.eFailure == TNetworkFailure::Dropped) {
        qsizetype iFrom = 0;
        ASSERT_TRUE(WaitEvent(kEventReady, iFrom)) << Dump();
        Ctrl.ThreadSendMessage(kEngineCommandStart);
        ASSERT_TRUE(WaitEvent(kEventLogging, iFrom)) << Dump();
    }
    ASSERT_TRUE(WaitEnded()) << Dump();

    ExpectEndedWith(Case.aEvents, Case.slLog);
    if (Case.eFailure == TNetworkFailure::Dropped) {
        EXPECT_EQ(View.iQuestions, 1) << "one end of session, one question and one update";
        const QList<TSessionRow> Session = Sessions();
        ASSERT_EQ(Session.size(), 1);
        const QList<TLevelRow> Rows = Levels(Session[0].sReportId);
        ASSERT_GE(Rows.size(), 3);
        ExpectRowsAreFirstReports(Rows);
        EXPECT_EQ(Session[0].sTimeCodeEnd, Rows.last().sTimeCode);
    }
}

// Once told to close, the thread sends nothing to the window's port, which may already be another
// program's: here the close comes before the thread has even begun its connect and failure reports.
TEST(LoggingThreadClose, SendsNoMessageAfterTheCloseCommand) {
    qxtest::TFreshConfigHome Home;
    QUdpSocket Window;
    ASSERT_TRUE(Window.bind(QHostAddress::LocalHost, 0));
    TLoggingThreadSettings Settings;
    Settings.iUDPPort = Window.localPort();
    Settings.rActiveNetworkCFG.bComPort = true;
    Settings.rActiveNetworkCFG.iPort = kMissingPort;
    Settings.sDataFolder = Home.DataFolder();
    std::atomic<int> iEvents{0};
    TLoggingThread Thread(
        Settings, [&](int, const TPortOpenFailure&) { ++iEvents; }, {}, SilentTiming());
    EXPECT_NE(Thread.MessageSenderPort(), 0);
    Thread.ThreadSendMessage(kEngineCommandClose);
    Thread.start();
    ASSERT_TRUE(Thread.wait(kWaitMs));
    EXPECT_GT(iEvents.load(), 0) << "the thread ran and reported through its events";
    QUdpSocket Other;
    Other.writeDatagram(QByteArray("marker"), QHostAddress::LocalHost, Window.localPort());
    ASSERT_TRUE(qxtest::WaitFor([&] { return Window.hasPendingDatagrams(); }));
    EXPECT_EQ(Window.receiveDatagram().data(), "marker");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NetworkFailureTest,
    ::testing::Values(
        TNetworkFailureCase{"LoginRefused",
                            TNetworkFailure::Refused,
                            {kEventConnecting, kEventLoginRefused},
                            {"Incorrect instrument username or password.|3", "ConnectInstrument: False|1"}},
        TNetworkFailureCase{
            "NoAnswer",
            TNetworkFailure::NoAnswer,
            {kEventConnecting, kEventNetworkNoAnswer},
            {"Instrument is not responding to login request.|3", "ConnectInstrument: False|1"}},
        TNetworkFailureCase{"LinkDropped",
                            TNetworkFailure::Dropped,
                            {kEventConnecting, kEventConnected, kEventReady, kEventLoggingStarted,
                             kEventLogging, kEventLoggingEnded, kEventIdle},
                            {"ConnectInstrument: True|1", "Idle.|1"}}),
    [](const auto& Info) { return std::string(Info.param.sName); });

} // namespace
