#include "meter/ComPorts.h"
#include "meter/MeterInfo.h"
#include "meter/qxMeterCOM.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

QByteArray Hex(const char* sHex) {
    return QByteArray::fromHex(sHex);
}

// A 34-byte status answer (length byte 32) with the given identity and a correct checksum unless bBreak.
QByteArray StatusAnswer(quint8 HWID, const QByteArray& USBSerial, quint8 iSerialHi, quint8 iSerialLo,
                        bool bBreak = false) {
    QByteArray Status(34, '\0');
    Status[0] = char(32);
    Status[1] = char(2);
    Status[2] = char(1);
    Status[3] = char(4);
    Status[4] = char(9);
    Status[5] = char(3);
    Status[6] = char(5);
    Status[7] = char(1);
    Status.replace(9, 3, "B07");
    Status[12] = char(3);
    Status[13] = char(11);
    Status[14] = char(0x42);
    Status.replace(15, 12, USBSerial.leftJustified(12, '\0', true));
    Status[27] = char(iSerialHi);
    Status[28] = char(iSerialLo);
    Status[29] = char(HWID);
    Status[30] = char(17);
    int iSum = 0;
    for (int i = 0; i < 31; ++i)
        iSum += quint8(Status[i]);
    Status[31] = char(((iSum & 0xFF) ^ 0x55) ^ (bBreak ? 1 : 0));
    Status[32] = '\r';
    Status[33] = '\n';
    return Status;
}

TEST(StatusRecord, DecodesEveryField) {
    TqxMeterInfo Info;
    ASSERT_TRUE(DecodeStatusRecord(StatusAnswer(209, "QXP100012345", 0x30, 0x39), Info));
    EXPECT_EQ(Info.DataCount, 32);
    EXPECT_EQ(Info.SystemMode, 2);
    EXPECT_EQ(Info.BLVerMajor, 1);
    EXPECT_EQ(Info.BLVerMinor, 4);
    EXPECT_EQ(Info.BLPrgID, 9);
    EXPECT_EQ(Info.WDTCount, 3);
    EXPECT_EQ(Info.USB_State, 5);
    EXPECT_TRUE(Info.RS232_Valid);
    EXPECT_EQ(Info.HWVer, "B07");
    EXPECT_EQ(Info.RunVerMajor, 3);
    EXPECT_EQ(Info.RunVerMinor, 11);
    EXPECT_EQ(Info.RunPrgID, 0x42);
    EXPECT_EQ(Info.USBSerial, "QXP100012345");
    EXPECT_EQ(Info.SerialNo, 12345);
    EXPECT_EQ(Info.HWID, 209);
    EXPECT_EQ(Info.FPGAVersion, 17);
    EXPECT_EQ(Info.TypeNo, 22);
    EXPECT_TRUE(Info.CRCValid);
    EXPECT_EQ(Info.SerialValid, 0);
    EXPECT_EQ(Info.FlashMFG, 0);
}

TEST(StatusRecord, LengthAndChecksumRules) {
    struct TCase {
        const char* sWhat;
        QByteArray Reply;
        bool bLengthOk;
        bool bCRCValid;
    };
    const QByteArray Good = StatusAnswer(208, "000B3C000001", 0, 1);
    // A longer record (length byte 40) whose checksum sits at byte 39.
    QByteArray Long = Good.left(31) + QByteArray(8, '\x11') + "?\r\n";
    Long[0] = char(40);
    int iSum = 0;
    for (int i = 0; i < 39; ++i)
        iSum += quint8(Long[i]);
    Long[39] = char((iSum & 0xFF) ^ 0x55);
    const TCase aCases[] = {
        {"complete, correct checksum", Good, true, true},
        {"checksum off by one bit", StatusAnswer(208, "000B3C000001", 0, 1, true), true, false},
        {"only the first 32 bytes of 34", Good.left(32), false, false},
        {"a stray byte after the line end", Good + "x", false, false},
        {"fewer than 32 bytes", Good.left(20), false, false},
        {"length byte 40, 42 bytes", Long, true, true},
        {"length byte 0 with 32 bytes", QByteArray(32, '\0'), false, false},
    };
    for (const TCase& Case : aCases) {
        TqxMeterInfo Info;
        EXPECT_EQ(DecodeStatusRecord(Case.Reply, Info), Case.bLengthOk) << Case.sWhat;
        EXPECT_EQ(Info.CRCValid, Case.bCRCValid) << Case.sWhat;
    }
}

TEST(StatusRecord, FailedLengthKeepsEarlierIdentification) {
    TqxMeterInfo Info;
    ASSERT_TRUE(DecodeStatusRecord(StatusAnswer(210, "QXP1", 1, 2), Info));
    EXPECT_FALSE(DecodeStatusRecord(StatusAnswer(220, "QXP2", 3, 4).left(33), Info));
    EXPECT_EQ(Info.HWID, 210);
    EXPECT_EQ(Info.SerialNo, 258);
    EXPECT_EQ(Info.TypeNo, 25);
}

TEST(TypeNumbers, FromHardwareIdentifierThenUSBPrefix) {
    struct TCase {
        int HWID;
        const char* sUSB;
        int TypeNo;
    };
    const TCase aCases[] = {
        {208, "", 21},
        {209, "", 22},
        {210, "", 25},
        {211, "", 27},
        {220, "", 23},
        {221, "", 24},
        {222, "", 26},
        {223, "", 28},
        {208, "000B3C123456", 21}, // the table wins over the prefix
        {215, "", 0},
        {215, "000B3C123456", 14},
        {0, "000B3C", 14},
        {100, "000B3", 0},
        {100, "000b3c123456", 0},
        {212, "QXP100000001", 0},
    };
    for (const TCase& Case : aCases)
        EXPECT_EQ(TypeNoFromHWID(quint8(Case.HWID), QString::fromLatin1(Case.sUSB)), Case.TypeNo)
            << Case.HWID << " " << Case.sUSB;
}

TEST(TypeNumbers, NameTable) {
    EXPECT_EQ(TypeNameOf(0), "Unknown Instrument");
    EXPECT_EQ(TypeNameOf(12), "Not Connected");
    EXPECT_EQ(TypeNameOf(13), "Instrument in BIOS-Mode");
    EXPECT_EQ(TypeNameOf(-1), "Unknown Instrument");
    EXPECT_EQ(TypeNameOf(29), "Unknown Instrument");
    for (int i = 0; i < kTypeNoCount; ++i) {
        EXPECT_FALSE(TypeNameOf(i).isEmpty()) << i;
        EXPECT_LE(TypeNameOf(i).size(), 24) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_NE(TypeNameOf(i), TypeNameOf(j)) << i << " " << j;
    }
}

TEST(VersionLine, DropsLineEndAndCutsToFifty) {
    const QByteArray Sixty = QByteArray(60, 'v');
    EXPECT_EQ(DecodeVersionLine(Sixty + "\r\n"), QString(50, QLatin1Char('v')));
    EXPECT_EQ(DecodeVersionLine("FW 2.5\n\r"), "FW 2.5");
    EXPECT_EQ(DecodeVersionLine("\r\n"), "");
    EXPECT_EQ(DecodeVersionLine("\xe9t\xe9\r\n"), QString::fromUtf8("\xc3\xa9t\xc3\xa9"));
}

TEST(FlashIdentity, NeedsTwentyBytes) {
    TqxMeterInfo Info;
    QByteArray Answer = Hex("c84018");
    for (int i = 0; i < 17; ++i)
        Answer.append(char(0xA0 + i));
    EXPECT_FALSE(DecodeFlashIdentity(Answer.left(19), Info));
    EXPECT_EQ(Info.SPI0FlashMFG, 0);
    ASSERT_TRUE(DecodeFlashIdentity(Answer, Info));
    EXPECT_EQ(Info.SPI0FlashMFG, 0xC8);
    EXPECT_EQ(Info.SPI0FlashType, 0x40);
    EXPECT_EQ(Info.SPI0FlashSize, 0x18);
    EXPECT_EQ(Info.SPI0FlashUID[0], 0xA0);
    EXPECT_EQ(Info.SPI0FlashUID[16], 0xB0);
}

TEST(CommandBlocks, DisplayAndMemoryRequests) {
    EXPECT_EQ(EncodeVectorBlock(62), Hex("000000000000003e"));
    EXPECT_EQ(EncodeVectorBlock(0x1234), Hex("0000000000001234"));
    EXPECT_EQ(EncodeScreenBlock(15), Hex("0001000f00000002"));
    EXPECT_EQ(EncodeScreenBlock(0xABCD), Hex("0001abcd00000002"));
    EXPECT_EQ(EncodeGetScreenBlock(), Hex("0000000000000002"));
    EXPECT_EQ(EncodeMemoryRequest(0x1C496, 2), Hex("0001c49600000002"));
    EXPECT_EQ(EncodeMemoryRequest(0xFFFFFFFF, 0x80000001), Hex("ffffffff80000001"));
}

TEST(CommandBlocks, ClockInPackedBCDWithMondayZero) {
    struct TCase {
        QDateTime dt;
        const char* sHex;
    };
    const TCase aCases[] = {
        {QDateTime(QDate(2023, 12, 31), QTime(23, 59, 58)), "0058592331122306"}, // Sunday
        {QDateTime(QDate(2024, 1, 1), QTime(0, 0, 0)), "0000000001012400"},      // Monday
        {QDateTime(QDate(2000, 2, 29), QTime(12, 34, 56)), "0056341229020001"},  // Tuesday
        {QDateTime(QDate(2099, 10, 9), QTime(9, 5, 7)), "0007050909109904"},     // Friday
    };
    for (const TCase& Case : aCases)
        EXPECT_EQ(EncodeClockBlock(Case.dt).toHex(), QByteArray(Case.sHex))
            << Case.dt.toString().toStdString();
}

TEST(LineEnds, EitherOrderCompletesALine) {
    EXPECT_TRUE(IsLineComplete("OK\r\n"));
    EXPECT_TRUE(IsLineComplete("OK\n\r"));
    EXPECT_TRUE(IsLineComplete("\r\n"));
    EXPECT_FALSE(IsLineComplete("OK\r"));
    EXPECT_FALSE(IsLineComplete("OK\n"));
    EXPECT_FALSE(IsLineComplete("OK\r\r"));
    EXPECT_FALSE(IsLineComplete("\r\nOK"));
    EXPECT_FALSE(IsLineComplete(""));
}

// A memory read succeeds only with exactly the bytes asked for followed by the trailer.
TEST(MemoryReply, OnlyTheWholeAnswerIsAFullRead) {
    struct TCase {
        const char* sWhat;
        QByteArray Received;
        quint32 iCount;
        qint64 iResult;
    };
    const TCase aCases[] = {
        {"whole", "\x01\x02\r\nOK\n\r", 4, 4},
        {"data holding the trailer", "OK\n\rOK\n\r", 4, 4},
        {"nothing", "", 4, 0},
        {"short, with trailer", "\x01OK\n\r", 4, 0},
        {"right length, no trailer", "\x01\x02\x03\x04OK\r\n", 4, -1},
        {"stray byte before the data", "\x09\x01\x02\x03\x04OK\n\r", 4, 5},
    };
    for (const TCase& Case : aCases) {
        SCOPED_TRACE(Case.sWhat);
        QByteArray Buffer("untouched");
        EXPECT_EQ(MemoryReadResult(DecodeMemoryReply(Case.Received, Case.iCount), Case.iCount, Buffer),
                  Case.iResult);
        EXPECT_EQ(Buffer,
                  Case.iResult == Case.iCount ? Case.Received.first(Case.iCount) : QByteArray("untouched"));
    }
}

TEST(ComPorts, NamesAndDevices) {
    EXPECT_EQ(ComPortName(10), "COM10");
    EXPECT_EQ(ComPortName(3), "COM3");
    struct TCase {
        int iPort;
        const char* sDevice;
    };
    const TCase aCases[] = {{1, "/dev/ttyS0"},
                            {10, "/dev/ttyS9"},
                            {32, "/dev/ttyS31"},
                            {33, "/dev/ttyUSB0"},
                            {64, "/dev/ttyUSB31"},
                            {65, "/dev/ttyACM0"},
                            {96, "/dev/ttyACM31"},
                            {97, ""},
                            {0, ""},
                            {-3, ""}};
    for (const TCase& Case : aCases)
        EXPECT_EQ(ConventionalComDevice(Case.iPort), QString::fromLatin1(Case.sDevice)) << Case.iPort;
}

TEST(ComPorts, LinkInDataFolderComesFirst) {
    const QString sFolder = QStringLiteral("/home/u/.config/Kelmoria/QXLogging");
    QStringList slAsked;
    const auto fnOnlyCom10 = [&slAsked](const QString& sPath) {
        slAsked << sPath;
        return sPath.endsWith(QLatin1String("/ports/COM10"));
    };
    EXPECT_EQ(ResolveComPortDevice(10, sFolder, fnOnlyCom10), sFolder + "/ports/COM10");
    EXPECT_EQ(ResolveComPortDevice(3, sFolder, fnOnlyCom10), "/dev/ttyS2");
    // A link also names ports beyond the conventional range.
    EXPECT_EQ(ResolveComPortDevice(100, sFolder, [](const QString&) { return true; }),
              sFolder + "/ports/COM100");
    EXPECT_EQ(ResolveComPortDevice(100, sFolder, fnOnlyCom10), "");
    EXPECT_EQ(slAsked.first(), sFolder + "/ports/COM10");
}

} // namespace
