#include "core/EngineCodes.h"
#include "meter/ComPorts.h"
#include "meter/InstrumentLink.h"
#include "meter/MeterCommands.h"
#include "meter/qxMeterCOM.h"
#include "tests/support/NetworkFixture.h"
#include "tests/support/TestSupport.h"
#include "tools/sim/SimSerialLink.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <vector>

namespace {

const QString kStart = QLatin1String(qxproto::kTextCmdLogStart);
const QString kStop = QLatin1String(qxproto::kTextCmdLogStop);

// What the link reported to its thread.
struct TReported {
    std::vector<int> aStates;
    std::vector<int> aEvents;
    QStringList slLog;

    TLinkReporter Reporter() {
        return {[this](int iState) { aStates.push_back(iState); },
                [this](int iEvent) { aEvents.push_back(iEvent); },
                [this](const QString& sText) { slLog.append(sText); }};
    }
};

class LineExchange : public ::testing::Test, public qxtest::TNetworkMeterFixture {
protected:
    std::unique_ptr<TInstrumentLink> MakeLink() {
        return std::make_unique<TInstrumentLink>(rInstrument, nullptr, Reported.Reporter(),
                                                 qxtest::FastNetworkTiming());
    }

    // Takes lines as the logging thread does until iCount have come (or the wait gives up).
    static QStringList TakeLines(TInstrumentLink& Link, int iCount) {
        QStringList slLines;
        const QDeadlineTimer Deadline(10000);
        while (slLines.size() < iCount && !Deadline.hasExpired()) {
            if (!Link.WaitForRXString())
                continue;
            QString sText;
            Link.GetRXString(sText);
            slLines.append(sText.split(QStringLiteral("\r\n")));
        }
        return slLines;
    }

    TReported Reported;
};

struct TStreamCase {
    const char* sWhat;
    bool bLFCR;
    int iSplitLineMs;
};

class LineStream : public LineExchange, public ::testing::WithParamInterface<TStreamCase> {};

TEST_P(LineStream, ReportsArriveAsWholeLinesUntilStopped) {
    TSimNetworkConfig rConfig;
    rConfig.bLFCR = GetParam().bLFCR;
    rConfig.iSplitLineMs = GetParam().iSplitLineMs;
    rConfig.iReportIntervalMs = 40;
    rConfig.iInitReportDelayMs = 20;
    rConfig.iStartSecond = 23 * 3600 + 59 * 60 + 58;
    StartMeter(rConfig);
    auto Link = MakeLink();

    ASSERT_TRUE(Link->ConnectNetwork());
    EXPECT_EQ(Reported.aStates, std::vector<int>{kThreadStateReady});
    EXPECT_EQ(Reported.aEvents, std::vector<int>{kEventConnected});
    EXPECT_EQ(Link->SerialNumber(), rConfig.iSerialNumber);
    EXPECT_EQ(Link->InstrumentName(), rConfig.sUnitName);

    QString sResponce;
    ASSERT_TRUE(Link->SendInstrumentCMD(kStart, sResponce, true));
    EXPECT_EQ(sResponce, QStringLiteral("OK"));
    const QStringList slLines = TakeLines(*Link, 5);
    ASSERT_GE(slLines.size(), 5);
    EXPECT_EQ(slLines.at(0), QStringLiteral("I;1;0;1;0;3;-10;0;6;0;1;"));
    const QRegularExpression Report(
        QStringLiteral(R"(^L;(\d\d:\d\d:\d\d):00;\d+;-?\d+\.\d;-?\d+\.\d;-?\d+\.\d;-?\d+\.\d;$)"));
    const QStringList slTimecodes = {"23:59:58", "23:59:59", "00:00:00", "00:00:01"};
    for (int i = 0; i < slTimecodes.size(); ++i) {
        const QRegularExpressionMatch Match = Report.match(slLines.at(i + 1));
        ASSERT_TRUE(Match.hasMatch()) << slLines.at(i + 1).toStdString();
        EXPECT_EQ(Match.captured(1), slTimecodes.at(i));
    }

    ASSERT_TRUE(Link->SendInstrumentCMD(kStop, sResponce, false));
    EXPECT_TRUE(sResponce.isEmpty());
    ASSERT_TRUE(qxtest::WaitFor([this] { return Meter->Stats().iReporting == 0; }));
    EXPECT_EQ(Meter->Stats().slCommands, (QStringList{kStop, kStop, kStart, kStop}));
    EXPECT_EQ(Reported.aStates, std::vector<int>{kThreadStateReady});
}

INSTANTIATE_TEST_SUITE_P(LineEnds, LineStream,
                         ::testing::Values(TStreamCase{"CR LF", false, 0}, TStreamCase{"LF CR", true, 0},
                                           TStreamCase{"lines split across reads", false, 10},
                                           TStreamCase{"LF CR lines split across reads", true, 10}),
                         [](const auto& Info) {
                             return std::string(Info.param.bLFCR ? "LFCR" : "CRLF") +
                                    (Info.param.iSplitLineMs > 0 ? "_Split" : "_Whole");
                         });

TEST_F(LineExchange, RefusedLoginEndsTheThread) {
    TSimNetworkConfig rConfig;
    rConfig.eWrongLogin = TSimWrongLogin::BannerAndClose;
    StartMeter(rConfig);
    rInstrument.sPassword = QStringLiteral("wrong");
    TTimingSettings rTiming = qxtest::FastNetworkTiming();
    rTiming.iLoginWaitMs = 500;
    TInstrumentLink Link(rInstrument, nullptr, Reported.Reporter(), rTiming);
    EXPECT_FALSE(Link.ConnectNetwork());
    ASSERT_FALSE(Reported.aStates.empty());
    EXPECT_EQ(Reported.aStates.back(), kThreadStateClosing);
    EXPECT_EQ(Reported.aEvents, std::vector<int>{kEventLoginRefused});
    EXPECT_EQ(Reported.slLog, QStringList{QStringLiteral("Incorrect instrument username or password.|3")});
}

TEST_F(LineExchange, SilentLoginEndsTheThread) {
    StartMeter(TSimNetworkConfig());
    rInstrument.sUserName = QStringLiteral("intruder");
    TTimingSettings rTiming = qxtest::FastNetworkTiming();
    rTiming.iLoginTimeoutMs = 800;
    TInstrumentLink Link(rInstrument, nullptr, Reported.Reporter(), rTiming);
    EXPECT_FALSE(Link.ConnectNetwork());
    EXPECT_EQ(Reported.aStates, std::vector<int>{kThreadStateClosing});
    EXPECT_EQ(Reported.aEvents, std::vector<int>{kEventNetworkNoAnswer});
    EXPECT_EQ(Reported.slLog,
              QStringList{QStringLiteral("Instrument is not responding to login request.|3")});
}

TEST_F(LineExchange, ConnectionErrorIsLoggedAsNoAnswer) {
    rInstrument.sHostName = QStringLiteral("127.0.0.1");
    rInstrument.iPort = ClosedPort();
    auto Link = MakeLink();
    EXPECT_FALSE(Link->ConnectNetwork());
    EXPECT_EQ(Reported.aEvents, std::vector<int>{kEventNetworkNoAnswer});
    ASSERT_EQ(Reported.slLog.size(), 2);
    EXPECT_TRUE(Reported.slLog.at(0).startsWith(
        QStringLiteral("ConnectionRefusedError error raised, with message : ")));
    EXPECT_TRUE(Reported.slLog.at(0).endsWith(QStringLiteral("|4")));
    EXPECT_EQ(Reported.slLog.at(1), QStringLiteral("Instrument is not responding to login request.|3"));
    EXPECT_EQ(Reported.aStates, std::vector<int>{kThreadStateClosing});
}

TEST_F(LineExchange, DroppedConnectionSetsStateFourAndStopsSending) {
    TSimNetworkConfig rConfig;
    rConfig.iDropAfterMs = 300;
    StartMeter(rConfig);
    auto Link = MakeLink();
    ASSERT_TRUE(Link->ConnectNetwork());
    const QDeadlineTimer Deadline(10000);
    while (Reported.aStates.back() != kThreadStateConnecting && !Deadline.hasExpired())
        Link->PollRX(10);
    EXPECT_EQ(Reported.aStates, (std::vector<int>{kThreadStateReady, kThreadStateConnecting}));
    EXPECT_FALSE(Link->NetworkConnected());
    QString sResponce;
    EXPECT_FALSE(Link->SendInstrumentCMD(kStart, sResponce, true));
    // Our own disconnect at the end of a run is not a loss.
    Link->DisconnectNetwork();
    EXPECT_EQ(Reported.aStates.size(), 2u);
}

TEST_F(LineExchange, StartWithoutReplyTimesOut) {
    StartMeter(TSimNetworkConfig());
    TTimingSettings rTiming = qxtest::FastNetworkTiming();
    rTiming.iRXStringPolls = 20;
    TInstrumentLink Link(rInstrument, nullptr, Reported.Reporter(), rTiming);
    ASSERT_TRUE(Link.ConnectNetwork());
    // The meter does not answer a command it does not know.
    QString sResponce = QStringLiteral("stale");
    EXPECT_FALSE(Link.SendInstrumentCMD(QStringLiteral(".SP99"), sResponce, true));
    EXPECT_TRUE(sResponce.isEmpty());
}

// A serial channel hands over whole lines with their ends; the thread sees the same buffer as from the
// network.
TEST_F(LineExchange, SerialLinesReachTheSameBuffer) {
    rInstrument.bComPort = true;
    TInstrumentLink Link(rInstrument, nullptr, Reported.Reporter(), qxtest::FastNetworkTiming());
    Link.COMOnRXString(QStringLiteral("L;10:00:00:00;0;-1.0;-2.0;-3.0;-4.0;\r\n"));
    EXPECT_TRUE(Link.RXString());
    Link.COMOnRXString(QStringLiteral("L;10:00:01:00;0;-1.0;-2.0;-3.0;-4.0;\n\rL;10:00:02:00;"));
    QString sText;
    Link.GetRXString(sText);
    EXPECT_EQ(sText, QStringLiteral("L;10:00:00:00;0;-1.0;-2.0;-3.0;-4.0;\r\n"
                                    "L;10:00:01:00;0;-1.0;-2.0;-3.0;-4.0;"));
    EXPECT_FALSE(Link.RXString());
    Link.COMOnRXString(QStringLiteral("0;-1.0;-2.0;-3.0;-4.0;\r\n"));
    Link.GetRXString(sText);
    EXPECT_EQ(sText, QStringLiteral("L;10:00:02:00;0;-1.0;-2.0;-3.0;-4.0;"));
    // Without its channel a serial instrument cannot be sent to.
    QString sResponce;
    EXPECT_FALSE(Link.SendInstrumentCMD(kStart, sResponce, false));
}

} // namespace

namespace {

// The same commands and lines over a serial text meter on a pseudo-terminal: the thread cannot tell the
// transports apart.
TEST(SerialTransport, TextCommandsAndLinesOverTheSerialChannel) {
    qxtest::TFreshConfigHome Home;
    constexpr int kPort = 7;
    const QString sLink = ComPortLinkPath(Home.DataFolder(), kPort);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(sLink).path()));
    TSimMeterConfig rConfig = DefaultSimMeterConfig(TSimMeterKind::Text);
    rConfig.iReportIntervalMs = 40;
    rConfig.iInitReportDelayMs = 20;
    TSimSerialLink Sim(rConfig);
    QString sError;
    ASSERT_TRUE(Sim.Open(sLink, sError)) << sError.toStdString();
    Sim.Start();

    const TTimingSettings rTiming = qxtest::FastNetworkTiming();
    TqxMeterCom COM(rTiming);
    COM.SetPort(kPort);
    ASSERT_TRUE(COM.Open());
    TInstrumentInfo rInstrument;
    rInstrument.bComPort = true;
    rInstrument.iPort = kPort;
    TReported Reported;
    TInstrumentLink Link(rInstrument, &COM, Reported.Reporter(), rTiming);

    QString sResponce;
    ASSERT_TRUE(Link.SendInstrumentCMD(kStart, sResponce, true));
    // The serial channel's reply keeps its line end.
    EXPECT_EQ(sResponce, QStringLiteral("OK\r\n"));
    QStringList slLines;
    const QDeadlineTimer Deadline(10000);
    while (slLines.size() < 4 && !Deadline.hasExpired()) {
        if (!Link.WaitForRXString())
            continue;
        QString sText;
        Link.GetRXString(sText);
        slLines.append(sText.split(QStringLiteral("\r\n")));
    }
    // The serial channel hands its captured reply on once more with the next line; the report parser skips
    // it, and it is not a report.
    if (!slLines.isEmpty() && slLines.first() == QStringLiteral("OK"))
        slLines.removeFirst();
    ASSERT_GE(slLines.size(), 3) << slLines.join('|').toStdString();
    EXPECT_EQ(slLines.at(0), QStringLiteral("I;1;0;1;0;3;-10;0;6;0;1;")) << slLines.join('|').toStdString();
    EXPECT_TRUE(slLines.at(1).startsWith(QStringLiteral("L;10:00:00:00;"))) << slLines.at(1).toStdString();
    EXPECT_TRUE(slLines.at(2).startsWith(QStringLiteral("L;10:00:01:00;"))) << slLines.at(2).toStdString();

    ASSERT_TRUE(Link.SendInstrumentCMD(kStop, sResponce, false));
    bool bReporting = true;
    const QDeadlineTimer StopDeadline(10000);
    while (bReporting && !StopDeadline.hasExpired()) {
        Link.PollRX(10);
        Sim.WithProtocol([&](TSimMeterProtocol& Protocol) { bReporting = Protocol.Reporting(); });
    }
    EXPECT_FALSE(bReporting);
    COM.Close();
    Sim.Stop();
}

} // namespace
