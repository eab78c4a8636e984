#include "meter/NetworkLink.h"
#include "tests/support/NetworkFixture.h"
#include "tests/support/TestSupport.h"

#include <QObject>
#include <gtest/gtest.h>
#include <optional>

namespace {

class NetworkLogin : public ::testing::Test, public qxtest::TNetworkMeterFixture {
protected:
    int Login(TTimingSettings rTiming = qxtest::FastNetworkTiming()) {
        TNetworkLink Link(rTiming);
        const int iResult = Link.TelnetLogin(rInstrument, rError);
        Link.Disconnect();
        return iResult;
    }

    TTelnetError rError;
};

TEST_F(NetworkLogin, CorrectCredentialsGiveTheBannersSerialNumberAndUnitName) {
    TSimNetworkConfig rConfig;
    rConfig.iSerialNumber = 98765;
    // One character per byte: a Latin-1 letter arrives as one character, not as UTF-8.
    rConfig.sUnitName = QStringLiteral("Studio \u00C4 3");
    StartMeter(rConfig);
    EXPECT_EQ(Login(), kLoginOK);
    EXPECT_EQ(rInstrument.iSerialNo, 98765);
    EXPECT_EQ(rInstrument.sInstrumentName, QStringLiteral("Studio \u00C4 3"));
    ASSERT_TRUE(qxtest::WaitFor([this] { return !Meter->Stats().slTerminalTypes.isEmpty(); }));
    EXPECT_EQ(Meter->Stats().slTerminalTypes, QStringList{QStringLiteral("dumb")});
    EXPECT_EQ(Meter->Stats().iLogins, 1);
}

TEST_F(NetworkLogin, PromptsSplitAcrossTwoWritesAreAnswered) {
    TSimNetworkConfig rConfig;
    rConfig.iSplitPromptMs = 100;
    StartMeter(rConfig);
    EXPECT_EQ(Login(), kLoginOK);
    EXPECT_EQ(rInstrument.iSerialNo, rConfig.iSerialNumber);
    EXPECT_EQ(rInstrument.sInstrumentName, rConfig.sUnitName);
}

TEST_F(NetworkLogin, BannerThenCloseMeansRefused) {
    TSimNetworkConfig rConfig;
    rConfig.eWrongLogin = TSimWrongLogin::BannerAndClose;
    StartMeter(rConfig);
    rInstrument.sPassword = QStringLiteral("wrong");
    rInstrument.iSerialNo = -1;
    TTimingSettings rTiming = qxtest::FastNetworkTiming();
    // Room for the meter's close to arrive after its banner.
    rTiming.iLoginWaitMs = 500;
    EXPECT_EQ(Login(rTiming), kLoginRefused);
    EXPECT_EQ(rInstrument.iSerialNo, -1);
    EXPECT_EQ(Meter->Stats().iRefusedLogins, 1);
}

TEST_F(NetworkLogin, MeterThatKeepsPromptingGivesNoResponse) {
    StartMeter(TSimNetworkConfig());
    rInstrument.sUserName = QStringLiteral("intruder");
    TTimingSettings rTiming = qxtest::FastNetworkTiming();
    rTiming.iLoginTimeoutMs = 1000;
    EXPECT_EQ(Login(rTiming), kLoginNoResponse);
    // The credentials were sent and refused, not merely unanswered.
    EXPECT_GE(Meter->Stats().iRefusedLogins, 1);
    EXPECT_EQ(Meter->Stats().iLogins, 0);
}

TEST_F(NetworkLogin, ClosedPortIsAnErrorWithTheSocketsText) {
    rInstrument.sHostName = QStringLiteral("127.0.0.1");
    rInstrument.iPort = ClosedPort();
    ASSERT_NE(rInstrument.iPort, 0);
    EXPECT_EQ(Login(), kLoginError);
    EXPECT_EQ(rError.sName, QStringLiteral("ConnectionRefusedError"));
    EXPECT_FALSE(rError.sText.isEmpty());
}

TEST_F(NetworkLogin, PortOutsideTheTCPRangeIsAnError) {
    rInstrument.sHostName = QStringLiteral("127.0.0.1");
    for (const int iPort : {0, -23, 65536 + 23}) {
        rInstrument.iPort = iPort;
        EXPECT_EQ(Login(), kLoginError) << iPort;
        EXPECT_FALSE(rError.sText.isEmpty());
    }
}

TEST_F(NetworkLogin, ConnectedLinkAnswersNoResponseAtOnce) {
    StartMeter(TSimNetworkConfig());
    TNetworkLink Link(qxtest::FastNetworkTiming());
    ASSERT_EQ(Link.TelnetLogin(rInstrument, rError), kLoginOK);
    TInstrumentInfo rAgain = rInstrument;
    rAgain.iSerialNo = -1;
    EXPECT_EQ(Link.TelnetLogin(rAgain, rError), kLoginNoResponse);
    EXPECT_EQ(rAgain.iSerialNo, -1);
    EXPECT_EQ(Meter->Stats().iConnections, 1);
}

// The instrument manager's test runs off the window thread: this thread's event loop keeps running and
// receives the result.
TEST_F(NetworkLogin, TestLoginRunsOnAThreadOfItsOwn) {
    TSimNetworkConfig rConfig;
    rConfig.iSerialNumber = 321;
    StartMeter(rConfig);
    QObject Context;
    std::optional<int> iResult;
    TInstrumentInfo rResult;
    StartTelnetLoginTest(rInstrument, qxtest::FastNetworkTiming(), &Context,
                         [&](int iDone, const TInstrumentInfo& rInfo, const TTelnetError&) {
                             iResult = iDone;
                             rResult = rInfo;
                         });
    ASSERT_TRUE(qxtest::WaitFor([&] { return iResult.has_value(); }, 10000));
    EXPECT_EQ(*iResult, kLoginOK);
    EXPECT_EQ(rResult.iSerialNo, 321);
    EXPECT_EQ(rResult.sInstrumentName, rConfig.sUnitName);
}

} // namespace
