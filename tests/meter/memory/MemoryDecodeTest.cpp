#include "meter/InstrumentMemory.h"
#include "tools/sim/MeterMemoryImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

QByteArray Bytes(std::initializer_list<int> Values) {
    QByteArray Out;
    for (int v : Values)
        Out.append(char(quint8(v)));
    return Out;
}

struct TBECase {
    const char* sName;
    QByteArray Block;
    quint64 iOffset;
    quint16 iWord;
    quint32 iLong;
};

// Reads that do not fit in the block yield 0; high bytes must not sign-extend into the result.
TEST(MemoryBigEndian, ReadsWithinAndPastTheEnd) {
    const QByteArray Five = Bytes({0x12, 0x34, 0x56, 0x78, 0x9A});
    const QByteArray High = Bytes({0xFF, 0xFE, 0xFD, 0xFC});
    const TBECase Cases[] = {
        {"start", Five, 0, 0x1234, 0x12345678},
        {"long ends at the last byte", Five, 1, 0x3456, 0x3456789A},
        {"word ends at the last byte, long does not fit", Five, 3, 0x789A, 0},
        {"one byte left", Five, 4, 0, 0},
        {"offset at the end", Five, 5, 0, 0},
        {"offset past the end", Five, 6, 0, 0},
        {"offset near the top of 64 bits", Five, std::numeric_limits<quint64>::max() - 1, 0, 0},
        {"empty block", QByteArray(), 0, 0, 0},
        {"high bytes", High, 0, 0xFFFE, 0xFFFEFDFC},
    };
    for (const TBECase& c : Cases) {
        SCOPED_TRACE(c.sName);
        EXPECT_EQ(ReadBEWord(c.Block, c.iOffset), c.iWord);
        EXPECT_EQ(ReadBELong(c.Block, c.iOffset), c.iLong);
    }
}

TEST(MemoryBigEndian, RoundsUpToWholeBlocks) {
    const std::pair<quint64, quint64> Cases[] = {{0, 0},     {1, 128},   {127, 128}, {128, 128},
                                                 {129, 256}, {200, 256}, {660, 768}};
    for (const auto& [iSize, iRounded] : Cases)
        EXPECT_EQ(RoundUpToBlocks(iSize), iRounded) << iSize;
}

TEST(MemoryDecode, LoudnessModuleChoice) {
    struct TCase {
        quint8 iHWID;
        quint16 iPackage;
        int iModule;
    };
    const TCase Cases[] = {{222, 14, 6}, {222, 15, 6}, {222, 13, 5}, {222, 16, 5},
                           {210, 14, 6}, {211, 15, 6}, {223, 14, 6}, {208, 14, 5},
                           {208, 15, 5}, {209, 14, 5}, {221, 14, 5}, {210, 65535, 5}};
    for (const TCase& c : Cases)
        EXPECT_EQ(LoudnessModuleNo(c.iHWID, c.iPackage), c.iModule) << int(c.iHWID) << " " << c.iPackage;
}

QByteArray ModuleWith(std::initializer_list<int> Bytes83To93, int iSize = 94) {
    QByteArray Data(iSize, char(0x77));
    int i = 83;
    for (int v : Bytes83To93)
        Data[i++] = char(quint8(v));
    return Data;
}

TEST(MemoryDecode, LoudnessModuleFields) {
    TLoudnessSetup Setup;
    ASSERT_TRUE(DecodeLoudnessModule(ModuleWith({1, 0, 1, 1, 1, 180, 230, 10, 20, 1, 1}), Setup));
    EXPECT_EQ(Setup.iPeakMode, 1);
    EXPECT_EQ(Setup.iCapture, 0);
    EXPECT_EQ(Setup.iScaleMode, 1);
    EXPECT_EQ(Setup.iReference, 1);
    EXPECT_EQ(Setup.iSlidingWindow, 1);
    EXPECT_DOUBLE_EQ(Setup.fGateLevel, -18.0);
    EXPECT_DOUBLE_EQ(Setup.fReferenceLevel, -23.0);
    EXPECT_DOUBLE_EQ(Setup.fMeterPeakLevel, -1.0);
    EXPECT_DOUBLE_EQ(Setup.fMeterPeakBarLevel, -2.0);
    EXPECT_EQ(Setup.iFilter, 1);
    EXPECT_EQ(Setup.iGateMode, 1);
}

// A level byte of 0 must decode to +0.0: a negative zero would be stored and shown as "-0".
TEST(MemoryDecode, LevelsAtTheEdges) {
    TLoudnessSetup Setup;
    ASSERT_TRUE(DecodeLoudnessModule(ModuleWith({255, 255, 255, 255, 255, 0, 255, 1, 0, 255, 255}), Setup));
    EXPECT_EQ(Setup.fGateLevel, 0.0);
    EXPECT_FALSE(std::signbit(Setup.fGateLevel));
    EXPECT_FALSE(std::signbit(Setup.fMeterPeakBarLevel));
    EXPECT_DOUBLE_EQ(Setup.fReferenceLevel, -25.5);
    EXPECT_DOUBLE_EQ(Setup.fMeterPeakLevel, -0.1);
    EXPECT_EQ(Setup.iPeakMode, 255);
    EXPECT_EQ(Setup.iGateMode, 255);
}

TEST(MemoryDecode, ShortLoudnessModuleLeavesSetupAlone) {
    TLoudnessSetup Setup;
    Setup.iPeakMode = 7;
    Setup.fGateLevel = -9.0;
    EXPECT_FALSE(DecodeLoudnessModule(ModuleWith({1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 93), Setup));
    EXPECT_EQ(Setup.iPeakMode, 7);
    EXPECT_EQ(Setup.fGateLevel, -9.0);
    EXPECT_FALSE(DecodeLoudnessModule(QByteArray(), Setup));
}

TEST(MemoryDecode, PoolEntryAndDisplayRecord) {
    const QByteArray Entry = Bytes({0xAA, 0x00, 0x01, 0x80, 0x00, 0x00, 0x14, 0x00, 0x21, 0x00, 0x12,
                                    0x34, 0x00, 0x02, 0x00, 0x00, 0x00, 0x10, 0x00, 0x03, 0x56, 0x78});
    // Offset 1 skips a leading byte: fields are taken relative to the entry, not the block.
    const TMainMemoryPool Pool = DecodePoolEntry(Entry, 1);
    EXPECT_EQ(Pool.RamRecordPtr, 0x00018000u);
    EXPECT_EQ(Pool.RamRecordSize, 0x14);
    EXPECT_EQ(Pool.RamRecordCount, 0x21);
    EXPECT_EQ(Pool.UnknownWord1, 0x12);
    EXPECT_EQ(Pool.FlashRecordPtr, 0x34000200u);
    EXPECT_EQ(Pool.FlashRecordSize, 0x0000);
    EXPECT_EQ(Pool.FlashRecordCount, 0x1000);
    EXPECT_EQ(Pool.UnknownWord2, 0x0356);

    const QByteArray Display =
        Bytes({0, 1, 0, 2, 1, 0x40, 0, 0xF0, 0, 1, 9, 9, 9, 9, 9, 9, 9, 9, 0, 5, 0, 0});
    const TDisplayRecord Rec = DecodeDisplayRecord(Display);
    EXPECT_EQ(Rec.Xlo, 1);
    EXPECT_EQ(Rec.Ylo, 2);
    EXPECT_EQ(Rec.XSize, 320);
    EXPECT_EQ(Rec.YSize, 240);
    EXPECT_EQ(Rec.Active, 1);
    EXPECT_EQ(Rec.DisplayAddress, 0x00050000u);
    // A record cut before its address yields the words and a zero address.
    EXPECT_EQ(DecodeDisplayRecord(Display.left(10)).Active, 1);
    EXPECT_EQ(DecodeDisplayRecord(Display.left(10)).DisplayAddress, 0u);
}

// The image publishes the pool address and the screen number at the meter's fixed locations.
TEST(MemoryImage, FixedLocations) {
    struct TCase {
        quint32 iPool;
        quint16 iScreen;
        QByteArray PoolBytes;
        QByteArray ScreenBytes;
    };
    const TCase Cases[] = {
        {0x00018000, 1, Bytes({0x00, 0x01, 0x80, 0x00}), Bytes({0x00, 0x01})},
        {0x0003F080, 0xFFFE, Bytes({0x00, 0x03, 0xF0, 0x80}), Bytes({0xFF, 0xFE})},
        {0x00008000, 15, Bytes({0x00, 0x00, 0x80, 0x00}), Bytes({0x00, 0x0F})},
    };
    for (const TCase& c : Cases) {
        TMeterMemoryImageOptions Options;
        Options.iMainPoolAddr = c.iPool;
        Options.iScreenNo = c.iScreen;
        const TSimMemoryImage Image = BuildMeterMemoryImage(TLoudnessSetup(), Options);
        EXPECT_EQ(Image.Read(0x1C480, 4), c.PoolBytes);
        EXPECT_EQ(Image.Read(0x1C496, 2), c.ScreenBytes);
    }
}

} // namespace
