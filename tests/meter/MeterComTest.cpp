#include "meter/ComPorts.h"
#include "meter/MeterCommands.h"
#include "meter/qxMeterCOM.h"
#include "tests/support/SimPorts.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kPort = 7;

// Waits that end as soon as a responsive meter answers, and are long enough for a loaded machine.
TTimingSettings ResponsiveTiming() {
    TTimingSettings Timing;
    Timing.iTickMs = 10;
    Timing.iComTimeoutTicks = 200;
    Timing.iModeAckTicks = 200;
    Timing.iAckTicks = 100;
    Timing.iStatusTicks = 200;
    Timing.iVersionTicks = 200;
    Timing.iEEPROMTicks = 200;
    Timing.iMemoryReadTicks = 200;
    return Timing;
}

// Waits for answers that never come: as short as possible.
TTimingSettings SilentTiming() {
    TTimingSettings Timing = ResponsiveTiming();
    Timing.iModeAckTicks = 2;
    Timing.iAckTicks = 2;
    Timing.iStatusTicks = 2;
    Timing.iMemoryReadTicks = 50;
    return Timing;
}

QByteArray Line(const char* sCommand) {
    return QByteArray(sCommand) + '\r';
}

// A simulated meter linked as COM7 in a fresh data folder, and a channel on that port.
class MeterComTest : public ::testing::Test {
protected:
    void StartMeter(const TSimMeterConfig& rConfig, TSimMemoryImage Image = {}) {
        ASSERT_NO_FATAL_FAILURE(
            qxtest::StartSimMeter(Sim, Home.DataFolder(), kPort, rConfig, std::move(Image)));
    }
    void OpenChannel(const TTimingSettings& rTiming = ResponsiveTiming()) {
        Com = std::make_unique<TqxMeterCom>(rTiming);
        Com->SetPort(kPort);
        ASSERT_TRUE(Com->Open());
    }
    void StartAndOpen(const TSimMeterConfig& rConfig, const TTimingSettings& rTiming = ResponsiveTiming()) {
        ASSERT_NO_FATAL_FAILURE(StartMeter(rConfig));
        ASSERT_NO_FATAL_FAILURE(OpenChannel(rTiming));
    }
    // What the meter received, once it has received at least iBytes.
    QByteArray ReceivedOnce(qsizetype iBytes) {
        qxtest::WaitFor([&] { return Sim->Received().size() >= iBytes; });
        return Sim->Received();
    }
    // Receives data-mode lines until fnDone holds; gives up after a bound that only a broken link reaches.
    bool PollUntil(const std::function<bool()>& fnDone) {
        QDeadlineTimer Bound(10000);
        while (!fnDone() && !Bound.hasExpired())
            Com->PollRX(20);
        return fnDone();
    }
    bool MeterReporting() {
        bool bReporting = false;
        Sim->WithProtocol([&](TSimMeterProtocol& Meter) { bReporting = Meter.Reporting(); });
        return bReporting;
    }
    void TearDown() override {
        Com.reset();
        Sim.reset();
    }

    qxtest::TFreshConfigHome Home;
    std::unique_ptr<TSimSerialLink> Sim;
    std::unique_ptr<TqxMeterCom> Com;
};

TEST_F(MeterComTest, IdentifiesAMemoryPoolMeter) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.iHWID = 221;
    Config.iSerialNumber = 40001;
    Config.iSoftwarePackage = 0x0123;
    Config.iFirmwareMajor = 4;
    Config.iFirmwareMinor = 17;
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(Config));

    ASSERT_TRUE(Com->ConnectToMeter());
    const TqxMeterInfo& Info = Com->qxMeterInfo();
    EXPECT_TRUE(Com->CommandMode());
    EXPECT_EQ(Info.TypeNo, 24);
    EXPECT_EQ(Info.TypeName, TypeNameOf(24));
    EXPECT_EQ(Info.HWID, 221);
    EXPECT_EQ(Info.SerialNo, 40001);
    EXPECT_EQ(Info.SoftwarePackage, 0x0123);
    EXPECT_EQ(Info.RunVerMajor, 4);
    EXPECT_EQ(Info.RunVerMinor, 17);
    EXPECT_EQ(Info.DataCount, 32);
    EXPECT_TRUE(Info.CRCValid);
    EXPECT_EQ(Info.IOString, "qxMeter simulator pool firmware 4.17 HW A02");
    EXPECT_EQ(Info.SPI0FlashMFG, 0x5A);
    EXPECT_EQ(Info.SPI0FlashSize, 0x17);
    // The identification asked in the documented order and left nothing unanswered. The bytes are
    // spelled out: the channel and the simulator share one header, so a wrong letter there would pass
    // every other test and fail with every real meter.
    const QByteArray Expected = QByteArray("@AT+++\r@ATSTAT\r@ATVER\r@ATSPI0GETID\r") +
                                QByteArray("@ATGETEE\r\x00\x40", 11) + QByteArray("@ATGETEE\r\x00\x41", 11);
    EXPECT_EQ(ReceivedOnce(Expected.size()).toHex(), Expected.toHex());
}

TEST_F(MeterComTest, IdentifiesATextCommandMeter) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Text);
    Config.iSerialNumber = 777;
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(Config));

    ASSERT_TRUE(Com->ConnectToMeter());
    EXPECT_EQ(Com->qxMeterInfo().TypeNo, kTypeNoTextMeter);
    EXPECT_EQ(Com->qxMeterInfo().USBSerial, "000B3C000777");
    EXPECT_EQ(Com->qxMeterInfo().SerialNo, 777);
    EXPECT_EQ(Com->qxMeterInfo().SoftwarePackage, 14);
}

TEST_F(MeterComTest, ConnectNeedsAnOpenPort) {
    ASSERT_NO_FATAL_FAILURE(StartMeter(DefaultSimMeterConfig(TSimMeterKind::Pool)));
    TqxMeterCom Closed(ResponsiveTiming());
    Closed.SetPort(kPort);
    EXPECT_FALSE(Closed.ConnectToMeter());
    // A port with neither a link nor a device does not open.
    Closed.SetPort(kPort + 1);
    EXPECT_FALSE(Closed.Open());
    EXPECT_FALSE(Closed.Connected());
}

TEST_F(MeterComTest, MemoryReadSendsTheExactRequest) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.iScreenNo = 0x0A0B;
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(Config));
    ASSERT_TRUE(Com->ConnectToMeter());
    Sim->ClearReceived();

    QByteArray Buffer;
    EXPECT_EQ(Com->SPI1ReadRam(qxproto::kAddrScreenNo, 2, Buffer), 2);
    EXPECT_EQ(Buffer.toHex(), "0a0b");
    const QByteArray Expected =
        QByteArray("@ATSPI1Read\r") + QByteArray::fromHex("0001c496") + QByteArray::fromHex("00000002");
    ASSERT_EQ(Expected.size(), 12 + 4 + 4);
    EXPECT_EQ(Sim->Received().toHex(), Expected.toHex());
}

TEST_F(MeterComTest, MemoryBlockHoldingLineEndsIsReadByCount) {
    TSimMemoryImage Image;
    QByteArray Block;
    for (int i = 0; i < 300; ++i)
        Block.append(i % 3 == 0 ? '\r' : (i % 3 == 1 ? '\n' : char(i)));
    Image.Write(0x00200000, Block);
    ASSERT_NO_FATAL_FAILURE(StartMeter(DefaultSimMeterConfig(TSimMeterKind::Pool), Image));
    ASSERT_NO_FATAL_FAILURE(OpenChannel());
    ASSERT_TRUE(Com->ConnectToMeter());

    QByteArray Buffer;
    EXPECT_EQ(Com->SPI1ReadRam(0x00200000, 300, Buffer), 300);
    EXPECT_EQ(Buffer, Block);

    // Stream form: written at the stream's position, which is left at 0.
    QBuffer Stream;
    Stream.open(QIODevice::ReadWrite);
    Stream.write("head");
    EXPECT_EQ(Com->SPI1ReadRam(0x00200000 + 2, 4, Stream), 4);
    EXPECT_EQ(Stream.pos(), 0);
    EXPECT_EQ(Stream.data(), QByteArray("head") + Block.mid(2, 4));
}

TEST_F(MeterComTest, MemoryReadInDataModeEntersCommandModeFirst) {
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(DefaultSimMeterConfig(TSimMeterKind::Pool)));
    ASSERT_FALSE(Com->CommandMode());
    QByteArray Buffer;
    EXPECT_EQ(Com->SPI1ReadRam(qxproto::kAddrScreenNo, 2, Buffer), 2);
    EXPECT_TRUE(Com->CommandMode());
    EXPECT_TRUE(Sim->Received().startsWith(Line(qxproto::kCmdCommandModeOn) + Line(qxproto::kCmdMemoryRead)));
}

TEST_F(MeterComTest, AbsurdMemoryCountIsRefusedWithoutAsking) {
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(DefaultSimMeterConfig(TSimMeterKind::Pool)));
    ASSERT_TRUE(Com->ConnectToMeter());
    Sim->ClearReceived();
    QByteArray Buffer("untouched");
    EXPECT_EQ(Com->SPI1ReadRam(0, 0xFFFFFFF0u, Buffer), -1);
    EXPECT_EQ(Buffer, "untouched");
    QBuffer Stream;
    EXPECT_EQ(Com->SPI1ReadRam(0, TqxMeterCom::kMaxMemoryReadBytes + 1, Stream), -4);
    EXPECT_TRUE(Stream.data().isEmpty());
    // The channel still works, and the refused reads never reached the meter.
    EXPECT_EQ(Com->SPI1ReadRam(qxproto::kAddrScreenNo, 2, Buffer), 2);
    EXPECT_TRUE(Sim->Received().startsWith(Line(qxproto::kCmdMemoryRead) + QByteArray::fromHex("0001c496")));
}

TEST_F(MeterComTest, ClockBlockOfSundayNewYearsEve) {
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(DefaultSimMeterConfig(TSimMeterKind::Pool)));
    ASSERT_TRUE(Com->ConnectToMeter());
    Sim->ClearReceived();

    EXPECT_TRUE(Com->SetRTC(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 58))));
    const QByteArray Block = QByteArray::fromHex("0058592331122306");
    EXPECT_EQ(Sim->Received().toHex(), (Line(qxproto::kCmdSetClock) + Block).toHex());
    QByteArray Stored;
    Sim->WithProtocol([&](TSimMeterProtocol& Meter) { Stored = Meter.LastClockBlock(); });
    EXPECT_EQ(Stored.toHex(), Block.toHex());
}

TEST_F(MeterComTest, DisplayCommandsSendTheirBlocks) {
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(DefaultSimMeterConfig(TSimMeterKind::Pool)));
    ASSERT_TRUE(Com->ConnectToMeter());
    Sim->ClearReceived();

    EXPECT_TRUE(Com->CallVector(62));
    EXPECT_EQ(Sim->Received().toHex(),
              (Line(qxproto::kCmdDisplay) + QByteArray::fromHex("000000000000003e")).toHex());
    Sim->ClearReceived();
    EXPECT_TRUE(Com->SetScreenNo(15));
    EXPECT_EQ(Sim->Received().toHex(),
              (Line(qxproto::kCmdDisplay) + QByteArray::fromHex("0001000f00000002")).toHex());

    int iScreen = -1;
    EXPECT_TRUE(Com->GetScreenNo(iScreen));
    EXPECT_EQ(iScreen, 15);
    QList<quint16> aVectors;
    Sim->WithProtocol([&](TSimMeterProtocol& Meter) { aVectors = Meter.Vectors(); });
    // 62 from CallVector, 2 from GetScreenNo's block.
    EXPECT_EQ(aVectors, QList<quint16>({62, 2}));
}

TEST_F(MeterComTest, StatusArrivingAs32Plus2FailsTheLengthTest) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.rMisbehaviour.bSplitStatus = true;
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(Config));

    EXPECT_FALSE(Com->ConnectToMeter());
    EXPECT_EQ(Com->qxMeterInfo().DataCount, 32);
    EXPECT_EQ(Com->qxMeterInfo().TypeNo, 0);
    EXPECT_EQ(Com->qxMeterInfo().SerialNo, 0);
    // Nothing after the status command was asked.
    const QByteArray Expected = Line(qxproto::kCmdCommandModeOn) + Line(qxproto::kCmdStatus);
    EXPECT_EQ(ReceivedOnce(Expected.size()), Expected);
}

TEST_F(MeterComTest, AcknowledgementIsTheFirstTwoBytesOfALine) {
    struct TCase {
        QByteArray sAck;
        bool bAcknowledged;
    };
    const TCase aCases[] = {
        {"OK\r\n", true},  {"OK\n\r", true},  {"OKAY, more text\r\n", true},
        {"ok\r\n", false}, {"NO\r\n", false}, {" OK\r\n", false},
    };
    for (const TCase& Case : aCases) {
        TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
        Config.sAckLine = Case.sAck;
        TTimingSettings Timing = ResponsiveTiming();
        // A refused acknowledgement costs every try; one try shows the rule.
        Timing.iModeTries = 1;
        ASSERT_NO_FATAL_FAILURE(StartAndOpen(Config, Timing));
        Com->SetCommandMode(true);
        EXPECT_EQ(Com->CommandMode(), Case.bAcknowledged) << Case.sAck.toStdString();
        Com.reset();
        Sim.reset();
    }
}

TEST_F(MeterComTest, SilentMeterGetsFiveTriesOrOneWithoutTimeout) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.rMisbehaviour.bSilent = true;
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(Config, SilentTiming()));

    Com->SetCommandMode(true);
    EXPECT_FALSE(Com->CommandMode());
    const QByteArray Five = Line(qxproto::kCmdCommandModeOn).repeated(5);
    EXPECT_EQ(ReceivedOnce(Five.size()), Five);

    // One more command as a marker: once it arrived, nothing else was sent in between.
    Sim->ClearReceived();
    Com->SetTimeout(0);
    Com->SetCommandMode(true);
    Com->SendCMD(QStringLiteral("MARK"));
    const QByteArray Once = Line(qxproto::kCmdCommandModeOn) + Line("MARK");
    EXPECT_EQ(ReceivedOnce(Once.size()), Once);
    EXPECT_FALSE(Com->ConnectToMeter());
}

TEST_F(MeterComTest, WrongChecksumFailsButKeepsWhatWasRead) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.rMisbehaviour.bWrongChecksum = true;
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(Config));

    EXPECT_FALSE(Com->ConnectToMeter());
    const TqxMeterInfo& Info = Com->qxMeterInfo();
    EXPECT_FALSE(Info.CRCValid);
    EXPECT_EQ(Info.TypeNo, 21);
    EXPECT_EQ(Info.SerialNo, 12345);
    // The version line is still read; flash and EEPROM are not asked for.
    EXPECT_FALSE(Info.IOString.isEmpty());
    EXPECT_EQ(Info.SPI0FlashMFG, 0);
    EXPECT_EQ(Info.SoftwarePackage, 0);
    const QByteArray Expected =
        Line(qxproto::kCmdCommandModeOn) + Line(qxproto::kCmdStatus) + Line(qxproto::kCmdVersion);
    EXPECT_EQ(ReceivedOnce(Expected.size()), Expected);
}

TEST_F(MeterComTest, UnreadableSoftwarePackageIsMarkedAndFails) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.rMisbehaviour.bNoEEPROMAnswer = true;
    TTimingSettings Timing = ResponsiveTiming();
    Timing.iEEPROMTicks = 5;
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(Config, Timing));

    EXPECT_FALSE(Com->ConnectToMeter());
    EXPECT_EQ(Com->qxMeterInfo().SoftwarePackage, kSoftwarePackageUnknown);
    EXPECT_TRUE(Com->qxMeterInfo().CRCValid);
    EXPECT_EQ(Com->qxMeterInfo().TypeNo, 21);
    EXPECT_EQ(Com->qxMeterInfo().SPI0FlashMFG, 0x5A);
}

TEST_F(MeterComTest, ShortMemoryReplyIsAFailedRead) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.rMisbehaviour.bShortMemoryReply = true;
    TTimingSettings Timing = ResponsiveTiming();
    Timing.iMemoryReadTicks = 30;
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(Config, Timing));
    ASSERT_TRUE(Com->ConnectToMeter());

    QByteArray Buffer("untouched");
    const qint64 iResult = Com->SPI1ReadRam(0x1000, 64, Buffer);
    EXPECT_NE(iResult, 64);
    EXPECT_LE(iResult, 0);
    EXPECT_EQ(Buffer, "untouched");

    QBuffer Stream;
    EXPECT_LT(Com->SPI1ReadRam(0x1000, 64, Stream), 64);
    EXPECT_TRUE(Stream.data().isEmpty());
}

TEST_F(MeterComTest, CloseLeavesCommandModeButDestroyDoesNot) {
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(DefaultSimMeterConfig(TSimMeterKind::Pool)));
    Com->SetCommandMode(true);
    ASSERT_TRUE(Com->CommandMode());
    Sim->ClearReceived();
    Com->Close();
    EXPECT_FALSE(Com->Connected());
    EXPECT_FALSE(Com->CommandMode());
    EXPECT_TRUE(Com->LastMessage().isEmpty());
    EXPECT_EQ(ReceivedOnce(7), Line(qxproto::kCmdCommandModeOff));

    ASSERT_TRUE(Com->Open());
    Com->SetCommandMode(true);
    ASSERT_TRUE(Com->CommandMode());
    Sim->ClearReceived();
    Com.reset();
    // A new channel's first command is the first thing the meter hears after the old one went.
    ASSERT_NO_FATAL_FAILURE(OpenChannel());
    Com->SendCMD(QStringLiteral("MARK"));
    EXPECT_EQ(ReceivedOnce(5), Line("MARK"));
}

TEST_F(MeterComTest, TextMeterStreamsAfterItsStartCommand) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Text);
    Config.iStartSecond = 23 * 3600 + 59 * 60 + 59;
    Config.iReportIntervalMs = 20;
    Config.iInitReportDelayMs = 20;
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(Config));
    QStringList slLines;
    Com->OnRXString = [&slLines](const QString& sLine) { slLines << sLine; };

    QString sResponce;
    ASSERT_TRUE(Com->SendCMD(QLatin1String(qxproto::kTextCmdLogStart), sResponce));
    EXPECT_TRUE(sResponce.startsWith(QLatin1String("OK\r\n"))) << sResponce.toStdString();
    ASSERT_TRUE(PollUntil([&] { return slLines.join(QString()).count(QLatin1String("L;")) >= 2; }));
    // The reply stays in the receive buffer until the next exchange, so the first delivery repeats it; lines
    // may also come joined. The timecode runs on through midnight.
    const QString sAll = slLines.join(QString());
    EXPECT_TRUE(slLines[0].startsWith(QLatin1String("OK\r\n"))) << sAll.toStdString();
    EXPECT_TRUE(sAll.contains(QLatin1String("I;1;0;1;0;3;-10;0;6;0;1;\r\nL;23:59:59:00;")))
        << sAll.toStdString();
    EXPECT_TRUE(sAll.contains(QLatin1String("L;00:00:00:00;"))) << sAll.toStdString();

    Com->SendCMD(QLatin1String(qxproto::kTextCmdLogStop));
    EXPECT_TRUE(qxtest::WaitFor([&] { return !MeterReporting(); }));
}

TEST_F(MeterComTest, PoolMeterReportsPausedFramesAfterVector13) {
    TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Config.iReportIntervalMs = 20;
    ASSERT_NO_FATAL_FAILURE(StartAndOpen(Config));
    ASSERT_TRUE(Com->ConnectToMeter());
    QString sLines;
    Com->OnRXString = [&sLines](const QString& sLine) { sLines += sLine; };

    ASSERT_TRUE(Com->StartLogging(0x00345678));
    quint32 iAddress = 0;
    Sim->WithProtocol([&](TSimMeterProtocol& Meter) { iAddress = Meter.LogStartAddress(); });
    EXPECT_EQ(iAddress, 0x00345678u);
    ASSERT_TRUE(PollUntil([&] { return sLines.contains(QLatin1String(":00;")); }));
    // While reports stream the acknowledgement may be preceded by a report, so only the effect counts.
    Com->CallVector(13);
    sLines.clear();
    ASSERT_TRUE(PollUntil([&] { return sLines.contains(QLatin1String(":01;")); }));
    bool bPaused = false;
    Sim->WithProtocol([&](TSimMeterProtocol& Meter) { bPaused = Meter.Paused(); });
    EXPECT_TRUE(bPaused);
    // A second vector 13 resumes: running frames again.
    Com->CallVector(13);
    sLines.clear();
    ASSERT_TRUE(PollUntil([&] { return sLines.contains(QLatin1String(":00;")); }));
    Com->SendCMD(QLatin1String(qxproto::kCmdLogStop), true);
    EXPECT_TRUE(qxtest::WaitFor([&] { return !MeterReporting(); }));
}

TEST_F(MeterComTest, RealProgramServesAMeterUntilTerminated) {
    const QString sLink = ComPortLinkPath(Home.DataFolder(), kPort);
    QProcess Program;
    ASSERT_NO_FATAL_FAILURE(qxtest::StartSimProgram(
        Program, sLink, {"--kind", "text", "--serial-number", "4242", "--package", "300"}));

    ASSERT_NO_FATAL_FAILURE(OpenChannel());
    ASSERT_TRUE(Com->ConnectToMeter());
    EXPECT_EQ(Com->qxMeterInfo().TypeNo, kTypeNoTextMeter);
    EXPECT_EQ(Com->qxMeterInfo().SerialNo, 4242);
    EXPECT_EQ(Com->qxMeterInfo().SoftwarePackage, 300);
    Com.reset();

    Program.terminate();
    ASSERT_TRUE(Program.waitForFinished(10000));
    EXPECT_EQ(Program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Program.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(sLink).isSymLink());
}

} // namespace
