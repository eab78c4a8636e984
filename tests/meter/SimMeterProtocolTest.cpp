#include "tools/sim/SimMeterProtocol.h"

#include <gtest/gtest.h>

namespace {

QByteArray Hex(const char* sHex) {
    return QByteArray::fromHex(sHex);
}

// The simulated meter is the fixture of every channel and engine test, so its own protocol is checked
// without a port: bytes in at a time, bytes out when due.
class SimMeterProtocolTest : public ::testing::Test {
protected:
    QByteArray Exchange(TSimMeterProtocol& Meter, const QByteArray& In) {
        Meter.Feed(In, iNow);
        return Meter.TakeDue(iNow);
    }
    qint64 iNow = 1000;
};

TEST_F(SimMeterProtocolTest, CommandsNeedCommandMode) {
    TSimMeterProtocol Meter(DefaultSimMeterConfig(TSimMeterKind::Pool));
    EXPECT_EQ(Exchange(Meter, "@ATSTAT\r"), "");
    EXPECT_EQ(Exchange(Meter, "@AT+++\r"), "OK\r\n");
    EXPECT_EQ(Exchange(Meter, "@ATSTAT\r"), Meter.StatusRecord());
    EXPECT_EQ(Exchange(Meter, "@ATBOGUS\r"), "ERROR\r\n");
    EXPECT_EQ(Exchange(Meter, "@AT---\r"), "OK\r\n");
    EXPECT_EQ(Exchange(Meter, "@ATVER\r"), "");
}

TEST_F(SimMeterProtocolTest, StatusRecordChecksum) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    const QByteArray Status = TSimMeterProtocol(Config).StatusRecord();
    ASSERT_EQ(Status.size(), 34);
    EXPECT_EQ(quint8(Status[0]), 32);
    int iSum = 0;
    for (int i = 0; i < 31; ++i)
        iSum += quint8(Status[i]);
    EXPECT_EQ(quint8(Status[31]), quint8((iSum & 0xFF) ^ 0x55));
    EXPECT_TRUE(Status.endsWith("\r\n"));
    Config.rMisbehaviour.bWrongChecksum = true;
    EXPECT_NE(TSimMeterProtocol(Config).StatusRecord()[31], Status[31]);
}

TEST_F(SimMeterProtocolTest, ParameterBytesMayHoldLineEnds) {
    TSimMemoryImage Image;
    Image.Write(0x0D0A0D0A, "\x01\x02");
    TSimMeterProtocol Meter(DefaultSimMeterConfig(TSimMeterKind::Pool), Image);
    Exchange(Meter, "@AT+++\r");
    // The request arrives in pieces; address and count hold CR and LF bytes.
    Meter.Feed("@ATSPI1Read\r" + Hex("0d0a"), iNow);
    EXPECT_EQ(Meter.TakeDue(iNow), "");
    EXPECT_EQ(Exchange(Meter, Hex("0d0a") + Hex("0000000d")), Hex("0102") + QByteArray(11, '\0') + "OK\n\r");
    EXPECT_EQ(Exchange(Meter, "@ATSETRTC\r" + Hex("000d0a0d0a0d0a0d")), "OK\r\n");
    EXPECT_EQ(Meter.LastClockBlock(), Hex("000d0a0d0a0d0a0d"));
}

TEST_F(SimMeterProtocolTest, MemoryReadAnswers) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.iScreenNo = 0x0304;
    TSimMeterProtocol Meter(Config);
    Exchange(Meter, "@AT+++\r");
    // The screen number shows at its fixed address within a larger block.
    EXPECT_EQ(Exchange(Meter, "@ATSPI1Read\r" + Hex("0001c495") + Hex("00000004")),
              Hex("00030400") + "OK\n\r");
    // A wild count gets no answer at all.
    EXPECT_EQ(Exchange(Meter, "@ATSPI1Read\r" + Hex("00000000") + Hex("7fffffff")), "");
    Config.rMisbehaviour.bShortMemoryReply = true;
    TSimMeterProtocol Short(Config);
    Exchange(Short, "@AT+++\r");
    EXPECT_EQ(Exchange(Short, "@ATSPI1Read\r" + Hex("00001000") + Hex("00000010")), QByteArray(8, '\0'));
}

TEST_F(SimMeterProtocolTest, SplitStatusTailWaitsForTheNextBytes) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.rMisbehaviour.bSplitStatus = true;
    TSimMeterProtocol Meter(Config);
    Exchange(Meter, "@AT+++\r");
    const QByteArray Head = Exchange(Meter, "@ATSTAT\r");
    EXPECT_EQ(Head, Meter.StatusRecord().left(32));
    iNow += 60000;
    EXPECT_EQ(Meter.TakeDue(iNow), "");
    EXPECT_EQ(Exchange(Meter, "@ATVER\r"), Meter.StatusRecord().mid(32) + Meter.VersionLine());
}

TEST_F(SimMeterProtocolTest, PoolMeterReportsWithPauseFrames) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.iStartSecond = 86399;
    Config.iReportIntervalMs = 100;
    TSimMeterProtocol Meter(Config);
    Exchange(Meter, "@AT+++\r");
    EXPECT_EQ(Exchange(Meter, "@ATLogStart\r" + Hex("00012345")), "OK\r\n");
    EXPECT_EQ(Meter.LogStartAddress(), 0x12345u);
    EXPECT_EQ(Meter.NextDueMs(), iNow + 100);
    iNow += 100;
    EXPECT_TRUE(Meter.TakeDue(iNow).startsWith("L;23:59:59:00;"));
    EXPECT_EQ(Exchange(Meter, "@ATDSPCMD\r" + Hex("000000000000000d")), "OK\r\n");
    iNow += 100;
    EXPECT_TRUE(Meter.TakeDue(iNow).startsWith("L;00:00:00:01;"));
    Exchange(Meter, "@ATDSPCMD\r" + Hex("000000000000000d"));
    iNow += 100;
    const QByteArray Report = Meter.TakeDue(iNow);
    EXPECT_TRUE(Report.startsWith("L;00:00:01:00;")) << Report.toStdString();
    EXPECT_TRUE(Report.endsWith(";\r\n"));
    EXPECT_EQ(Report.count(';'), 7);
    EXPECT_EQ(Exchange(Meter, "@ATLogStop\r"), "OK\r\n");
    EXPECT_EQ(Meter.NextDueMs(), TSimMeterProtocol::kNever);
}

TEST_F(SimMeterProtocolTest, TextMeterStartsAndStopsByTextCommand) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Text);
    Config.iInitReportDelayMs = 50;
    Config.iReportIntervalMs = 1000;
    Config.rMisbehaviour.bNoise = true;
    TSimMeterProtocol Meter(Config);
    EXPECT_EQ(Exchange(Meter, ".SP15,19\r"), "");
    EXPECT_EQ(Exchange(Meter, ".SP15,18\r"), "OK\r\n");
    iNow += 50;
    EXPECT_EQ(Meter.TakeDue(iNow), "I;1;0;1;0;3;-10;0;6;0;1;\r\n");
    iNow += 1000;
    const QByteArray Out = Meter.TakeDue(iNow);
    EXPECT_TRUE(Out.contains("\r\nL;10:00:00:00;")) << Out.toStdString();
    EXPECT_FALSE(Out.startsWith("L;"));
    Exchange(Meter, ".SP15,19\r");
    EXPECT_FALSE(Meter.Reporting());
    // A memory-pool meter ignores the text commands.
    TSimMeterProtocol Pool(DefaultSimMeterConfig(TSimMeterKind::Pool));
    EXPECT_EQ(Exchange(Pool, ".SP15,18\r"), "");
}

TEST_F(SimMeterProtocolTest, SilentMeterOnlyListens) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.rMisbehaviour.bSilent = true;
    TSimMeterProtocol Meter(Config);
    EXPECT_EQ(Exchange(Meter, "@AT+++\r@ATSTAT\r"), "");
    EXPECT_EQ(Meter.Received(), "@AT+++\r@ATSTAT\r");
}

} // namespace
