#include "meter/InstrumentMemory.h"
#include "ImageMemoryReader.h"
#include "tools/sim/MeterMemoryImage.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr quint32 kPoolAddressLocation = 0x1C480;
constexpr quint64 kAddressSpaceEnd = quint64(1) << 32;

// Identifications that select the loudness module.
struct TIdentity {
    quint8 iHWID;
    quint16 iPackage;
};
constexpr TIdentity kModule5Meter = {208, 14};
constexpr TIdentity kModule6Meter = {222, 14};

TLoudnessSetup MakeSetup(int iPeak, int iCapture, int iScale, int iRef, int iWindow, double fGate,
                         double fRef, double fPeak, double fBar, int iFilter, int iGateMode) {
    TLoudnessSetup s;
    s.iPeakMode = iPeak;
    s.iCapture = iCapture;
    s.iScaleMode = iScale;
    s.iReference = iRef;
    s.iSlidingWindow = iWindow;
    s.fGateLevel = fGate;
    s.fReferenceLevel = fRef;
    s.fMeterPeakLevel = fPeak;
    s.fMeterPeakBarLevel = fBar;
    s.iFilter = iFilter;
    s.iGateMode = iGateMode;
    return s;
}

quint32 ImageBE32(const TSimMemoryImage& Image, quint32 iAddress) {
    return ReadBELong(Image.Read(iAddress, 4), 0);
}

void PatchBE16(TSimMemoryImage& Image, quint32 iAddress, quint16 iValue) {
    QByteArray Bytes(2, '\0');
    Bytes[0] = char(iValue >> 8);
    Bytes[1] = char(iValue);
    Image.Write(iAddress, Bytes);
}

void PatchBE32(TSimMemoryImage& Image, quint32 iAddress, quint32 iValue) {
    PatchBE16(Image, iAddress, quint16(iValue >> 16));
    PatchBE16(Image, iAddress + 2, quint16(iValue));
}

// Addresses of the image's tables, found the way a meter publishes them.
quint32 PoolEntryAddr(const TSimMemoryImage& Image, int iEntry) {
    return ImageBE32(Image, kPoolAddressLocation) + quint32(iEntry) * 20;
}
quint32 PoolRamPtr(const TSimMemoryImage& Image, int iEntry) {
    return ImageBE32(Image, PoolEntryAddr(Image, iEntry));
}
// Preset directory records are 12 bytes long in the image.
quint32 PresetDirRecordAddr(const TSimMemoryImage& Image, int iPreset) {
    return PoolRamPtr(Image, 10) + quint32(iPreset) * 12;
}
// Module table records are 20 bytes long in the image.
quint32 ModuleRecordAddr(const TSimMemoryImage& Image, int iPreset, int iModule) {
    return ImageBE32(Image, PresetDirRecordAddr(Image, iPreset)) + quint32(iModule) * 20;
}

// What the connect sequence and InitLogging gave, step by step.
struct TRunResult {
    bool bPool = false;
    bool bScreen = false;
    bool bPreset = false;
    bool bLoudness = false;
    bool bLogging = false;
    TLoudnessSetup Setup;
    qsizetype iPresetRequestsFrom = 0;
    qsizetype iPresetRequestsTo = 0;
};

// Runs every step, even after a failure, so that each step's own checks are exercised on a broken meter.
TRunResult RunSequence(TInstrumentMemory& Memory, TImageMemoryReader& Reader, TIdentity Id,
                       int iUnknown = 0) {
    TRunResult r;
    r.Setup.nUnknown = iUnknown;
    EXPECT_TRUE(Memory.DeAllocatePresetMemory());
    r.bPool = Memory.ReadMainMemoryPool();
    r.bScreen = Memory.ReadScreenInfo();
    r.iPresetRequestsFrom = Reader.Requests.size();
    r.bPreset = Memory.SPIReadPreset();
    r.iPresetRequestsTo = Reader.Requests.size();
    r.bLoudness = Memory.GetLoudnessConfig(r.Setup, Id.iHWID, Id.iPackage);
    r.bLogging = Memory.InitLogging();
    return r;
}

void ExpectSameSetup(const TLoudnessSetup& Got, const TLoudnessSetup& Want) {
    EXPECT_EQ(Got.iPeakMode, Want.iPeakMode);
    EXPECT_EQ(Got.iCapture, Want.iCapture);
    EXPECT_EQ(Got.iScaleMode, Want.iScaleMode);
    EXPECT_EQ(Got.iReference, Want.iReference);
    EXPECT_EQ(Got.iSlidingWindow, Want.iSlidingWindow);
    EXPECT_DOUBLE_EQ(Got.fGateLevel, Want.fGateLevel);
    EXPECT_DOUBLE_EQ(Got.fReferenceLevel, Want.fReferenceLevel);
    EXPECT_DOUBLE_EQ(Got.fMeterPeakLevel, Want.fMeterPeakLevel);
    EXPECT_DOUBLE_EQ(Got.fMeterPeakBarLevel, Want.fMeterPeakBarLevel);
    EXPECT_EQ(Got.iFilter, Want.iFilter);
    EXPECT_EQ(Got.iGateMode, Want.iGateMode);
}

struct TRoundTripCase {
    const char* sName;
    TLoudnessSetup Setup;
    TMeterMemoryImageOptions Options;
    TIdentity Id;
};

TMeterMemoryImageOptions With(const std::function<void(TMeterMemoryImageOptions&)>& Change) {
    TMeterMemoryImageOptions Options;
    Change(Options);
    return Options;
}

std::vector<TRoundTripCase> RoundTripCases() {
    const TLoudnessSetup Example = MakeSetup(1, 0, 1, 1, 1, -18.0, -23.0, -1.0, -2.0, 1, 1);
    return {
        {"example setup, module 5", Example, {}, kModule5Meter},
        {"example setup, module 6", Example, With([](auto& o) { o.iLoudnessModule = 6; }), kModule6Meter},
        {"all zero: levels stay at 0 dB", MakeSetup(0, 0, 0, 0, 0, 0.0, 0.0, 0.0, 0.0, 0, 0),
         With([](auto& o) { o.iScreenNo = 14; }), kModule5Meter},
        {"largest bytes, power-up preset 10, module 6",
         MakeSetup(255, 255, 255, 255, 255, -25.5, -25.5, -25.5, -25.5, 255, 255),
         With([](auto& o) {
             o.iLoudnessModule = 6;
             o.iPowerupPreset = 10;
         }),
         {223, 15}},
        {"mixed codes and tenths, power-up preset 7",
         MakeSetup(0, 2, 2, 0, 3, -8.0, -24.0, -0.1, -9.9, 2, 0),
         With([](auto& o) {
             o.iPowerupPreset = 7;
             o.lLoggingDataAddress = 0x00ABCDEF;
             o.iDisplayActive = 1;
             o.iDisplayXlo = 3;
             o.iDisplayYlo = 4;
             o.lDisplayAddress = 0x12345678;
         }),
         {222, 13}},
        {"single preset, many modules, other addresses",
         MakeSetup(1, 2, 0, 1, 2, -10.0, -23.0, -1.5, -3.0, 0, 1), With([](auto& o) {
             o.iPresetCount = 1;
             o.iModuleCount = 40;
             o.iMainPoolAddr = 0x0003F080;
             o.iRamBase = 0x00060000;
             o.iFlashBase = 0x00FF0010;
             o.lLoggingDataAddress = 0xFFFF0000;
         }),
         kModule5Meter},
        {"module 6 meter with 40 global arrays",
         MakeSetup(1, 1, 2, 0, 3, -12.3, -23.0, -0.5, -1.0, 1, 0),
         With([](auto& o) {
             o.iLoudnessModule = 6;
             o.iGlobalArrayCount = 40;
             o.iPowerupPreset = 3;
         }),
         {210, 14}},
    };
}

// The whole connect sequence against a meter laid out around a setup gives back that setup, the display
// record and the logging buffer address.
TEST(MemorySequence, ReadsBackTheSetupTheMeterWasBuiltFrom) {
    for (const TRoundTripCase& c : RoundTripCases()) {
        SCOPED_TRACE(c.sName);
        const TMeterMemoryImageOptions& o = c.Options;
        TImageMemoryReader Reader(BuildMeterMemoryImage(c.Setup, o));
        TInstrumentMemory Memory;
        Memory.SetqxMeterCOM(&Reader);
        const TRunResult r = RunSequence(Memory, Reader, c.Id, 42);

        EXPECT_TRUE(r.bPool);
        EXPECT_TRUE(r.bScreen);
        EXPECT_TRUE(r.bPreset);
        ASSERT_TRUE(r.bLoudness);
        EXPECT_TRUE(r.bLogging);
        EXPECT_TRUE(r.Setup.bValid);
        EXPECT_EQ(r.Setup.nUnknown, 42);
        ExpectSameSetup(r.Setup, c.Setup);
        EXPECT_EQ(Memory.MainPoolAddress(), o.iMainPoolAddr);
        EXPECT_EQ(Memory.LoggingDataAddress(), o.lLoggingDataAddress);
        EXPECT_EQ(Memory.DisplayRec().Xlo, o.iDisplayXlo);
        EXPECT_EQ(Memory.DisplayRec().Ylo, o.iDisplayYlo);
        EXPECT_EQ(Memory.DisplayRec().XSize, o.iDisplayXSize);
        EXPECT_EQ(Memory.DisplayRec().YSize, o.iDisplayYSize);
        EXPECT_EQ(Memory.DisplayRec().Active, o.iDisplayActive);
        EXPECT_EQ(Memory.DisplayRec().DisplayAddress, o.lDisplayAddress);
        EXPECT_EQ(Memory.Presets().size(), o.iPresetCount);
        EXPECT_EQ(Memory.GlobalMemoryArrays().size(), o.iGlobalArrayCount);
        ASSERT_FALSE(Memory.Presets().isEmpty());
        EXPECT_EQ(Memory.Presets()[0].size(), o.iModuleCount);

        // The pool address first, then the pool table in one read of whole blocks.
        ASSERT_GE(Reader.Requests.size(), 2);
        EXPECT_EQ(Reader.Requests[0], (TImageMemoryReader::TRequest{kPoolAddressLocation, 4}));
        EXPECT_EQ(Reader.Requests[1], (TImageMemoryReader::TRequest{o.iMainPoolAddr, 768}));

        // All preset data comes from flash in one request: besides it only the three configuration
        // tables, the preset directory and one module table per preset are read.
        int iFlashReads = 0;
        for (qsizetype i = r.iPresetRequestsFrom; i < r.iPresetRequestsTo; ++i) {
            const auto& Req = Reader.Requests[i];
            if (Req.iAddress >= o.iFlashBase && Req.iAddress < o.iFlashBase + 0x100000)
                ++iFlashReads;
            EXPECT_EQ(Req.iCount % 128, 0u) << "preset tables are read in whole blocks";
        }
        EXPECT_EQ(iFlashReads, 1);
        EXPECT_EQ(r.iPresetRequestsTo - r.iPresetRequestsFrom, 3 + 1 + o.iPresetCount + 1);
        EXPECT_FALSE(Reader.bOversized);
    }
}

// Reading the presets again, with or without emptying them first, gives the meter's presets once, not
// twice, and the same setup.
TEST(MemorySequence, RereadingPresetsReplacesThem) {
    const TLoudnessSetup Setup = MakeSetup(1, 2, 1, 0, 2, -20.0, -23.0, -1.0, -2.0, 1, 0);
    TImageMemoryReader Reader(BuildMeterMemoryImage(Setup));
    TInstrumentMemory Memory;
    Memory.SetqxMeterCOM(&Reader);
    ASSERT_TRUE(Memory.ReadMainMemoryPool());
    ASSERT_TRUE(Memory.SPIReadPreset());
    ASSERT_TRUE(Memory.SPIReadPreset());
    EXPECT_EQ(Memory.Presets().size(), 11);
    TLoudnessSetup Got;
    ASSERT_TRUE(Memory.GetLoudnessConfig(Got, kModule5Meter.iHWID, kModule5Meter.iPackage));
    ExpectSameSetup(Got, Setup);
    EXPECT_TRUE(Memory.DeAllocatePresetMemory());
    EXPECT_TRUE(Memory.Presets().isEmpty());
    EXPECT_FALSE(Memory.GetLoudnessConfig(Got, kModule5Meter.iHWID, kModule5Meter.iPackage));
    EXPECT_FALSE(Got.bValid);
}

// A meter whose setup sits in module 6 read as a module-5 meter (and the reverse) must not give the setup:
// the image puts a different configuration in the other module.
TEST(MemorySequence, WrongModuleGivesADifferentSetup) {
    const TLoudnessSetup Setup = MakeSetup(1, 0, 1, 1, 1, -18.0, -23.0, -1.0, -2.0, 1, 1);
    for (int iModule : {5, 6}) {
        TImageMemoryReader Reader(
            BuildMeterMemoryImage(Setup, With([&](auto& o) { o.iLoudnessModule = iModule; })));
        TInstrumentMemory Memory;
        Memory.SetqxMeterCOM(&Reader);
        const TRunResult r = RunSequence(Memory, Reader, iModule == 5 ? kModule6Meter : kModule5Meter);
        ASSERT_TRUE(r.bLoudness);
        EXPECT_NE(r.Setup.iPeakMode, Setup.iPeakMode) << iModule;
        EXPECT_NE(r.Setup.fGateLevel, Setup.fGateLevel) << iModule;
    }
}

struct THostileCase {
    const char* sName;
    std::function<void(TMeterMemoryImageOptions&)> Options;
    std::function<void(TImageMemoryReader&)> Spoil;
    // Which steps still succeed: pool, screen, preset, loudness, logging.
    bool bPool, bScreen, bPreset, bLoudness, bLogging;
};

void NoOptions(TMeterMemoryImageOptions&) {}

std::vector<THostileCase> HostileCases() {
    return {
        {"pool table address past 4 GB", NoOptions,
         [](auto& r) { PatchBE32(r.Image, kPoolAddressLocation, 0xFFFFFF80); }, false, false, false, false,
         false},
        {"pool address not answered", NoOptions,
         [](auto& r) { r.Fail = [](quint32 a, quint32) { return a == kPoolAddressLocation; }; }, false, false,
         false, false, false},
        {"pool table answered short", NoOptions,
         [](auto& r) { r.CutShort = [](quint32, quint32 n) { return n == 768; }; }, false, false, false,
         false, false},
        {"channel claims a full pool table but delivers less", NoOptions,
         [](auto& r) { r.Lie = [](quint32, quint32 n) { return n == 768; }; }, false, false, false, false,
         false},
        {"global arrays count 65535", NoOptions,
         [](auto& r) { PatchBE16(r.Image, PoolEntryAddr(r.Image, 23) + 6, 65535); }, false, true, false,
         false, true},
        {"global arrays record size 0", NoOptions,
         [](auto& r) { PatchBE16(r.Image, PoolEntryAddr(r.Image, 23) + 4, 0); }, false, true, false, false,
         true},
        {"global arrays without the power-up entry", NoOptions,
         [](auto& r) { PatchBE16(r.Image, PoolEntryAddr(r.Image, 23) + 6, 1); }, true, true, false, false,
         true},
        {"global arrays past 4 GB", NoOptions,
         [](auto& r) { PatchBE32(r.Image, PoolEntryAddr(r.Image, 23), 0xFFFFFFF0); }, false, true, false,
         false, true},
        {"preset directory count 65535", NoOptions,
         [](auto& r) { PatchBE16(r.Image, PoolEntryAddr(r.Image, 10) + 6, 65535); }, true, true, false, false,
         true},
        {"preset directory record size 0", NoOptions,
         [](auto& r) { PatchBE16(r.Image, PoolEntryAddr(r.Image, 10) + 4, 0); }, true, true, false, false,
         true},
        {"preset directory of 64 records of 65535 bytes", NoOptions,
         [](auto& r) {
             PatchBE16(r.Image, PoolEntryAddr(r.Image, 10) + 4, 65535);
             PatchBE16(r.Image, PoolEntryAddr(r.Image, 10) + 6, 64);
         },
         true, true, false, false, true},
        {"module count 65535", NoOptions,
         [](auto& r) { PatchBE16(r.Image, PresetDirRecordAddr(r.Image, 3) + 6, 65535); }, true, true, false,
         false, true},
        {"module records shorter than their fields", NoOptions,
         [](auto& r) { PatchBE16(r.Image, PresetDirRecordAddr(r.Image, 3) + 4, 10); }, true, true, false,
         false, true},
        {"module table past 4 GB", NoOptions,
         [](auto& r) { PatchBE32(r.Image, PresetDirRecordAddr(r.Image, 2), 0xFFFFFFF0); }, true, true, false,
         false, true},
        {"module flash data near the top of memory", NoOptions,
         [](auto& r) { PatchBE32(r.Image, ModuleRecordAddr(r.Image, 4, 2) + 10, 0xFFFFFFF0); }, true, true,
         false, false, true},
        {"module of 65535 entries of 65535 bytes", NoOptions,
         [](auto& r) {
             PatchBE16(r.Image, ModuleRecordAddr(r.Image, 4, 2) + 14, 65535);
             PatchBE16(r.Image, ModuleRecordAddr(r.Image, 4, 2) + 16, 65535);
         },
         true, true, false, false, true},
        {"every module pointing at the same large area", NoOptions,
         [](auto& r) {
             for (int p = 0; p < 11; ++p)
                 for (int m = 0; m < 8; ++m) {
                     PatchBE32(r.Image, ModuleRecordAddr(r.Image, p, m) + 10, 0x00100000);
                     PatchBE16(r.Image, ModuleRecordAddr(r.Image, p, m) + 14, 1024);
                     PatchBE16(r.Image, ModuleRecordAddr(r.Image, p, m) + 16, 512);
                 }
         },
         true, true, false, false, true},
        {"preset flash data answered short", NoOptions,
         [](auto& r) { r.CutShort = [](quint32 a, quint32) { return a >= 0x00100000 && a < 0x00200000; }; },
         true, true, false, false, true},
        {"loudness module shorter than its fields", NoOptions,
         [](auto& r) { PatchBE16(r.Image, ModuleRecordAddr(r.Image, 0, 5) + 16, 1); }, true, true, true,
         false, true},
        {"power-up configuration of 0 bytes", NoOptions,
         [](auto& r) {
             const quint32 iGlobals = PoolRamPtr(r.Image, 23);
             PatchBE16(r.Image, iGlobals + 20 + 4, 0);
         },
         true, true, true, false, true},
        {"power-up preset 11",
         [](auto& o) {
             o.iPresetCount = 12;
             o.iPowerupPreset = 11;
         },
         [](auto&) {}, true, true, true, false, true},
        {"power-up preset the meter does not have",
         [](auto& o) {
             o.iPresetCount = 3;
             o.iPowerupPreset = 5;
         },
         [](auto&) {}, true, true, true, false, true},
        {"presets without modules", NoOptions,
         [](auto& r) {
             for (int p = 0; p < 11; ++p)
                 PatchBE16(r.Image, PresetDirRecordAddr(r.Image, p) + 6, 0);
         },
         true, true, true, false, true},
        {"logging directory of one record", NoOptions,
         [](auto& r) { PatchBE16(r.Image, PoolEntryAddr(r.Image, 31) + 6, 1); }, true, true, true, true,
         false},
        {"logging directory records shorter than their fields", NoOptions,
         [](auto& r) { PatchBE16(r.Image, PoolEntryAddr(r.Image, 31) + 4, 4); }, true, false, true, true,
         false},
        {"display record of 0 bytes", NoOptions,
         [](auto& r) { PatchBE16(r.Image, PoolRamPtr(r.Image, 31) + 4, 0); }, true, false, true, true, true},
        {"display record of 65535 × 65535 bytes", NoOptions,
         [](auto& r) {
             PatchBE16(r.Image, PoolRamPtr(r.Image, 31) + 4, 65535);
             PatchBE16(r.Image, PoolRamPtr(r.Image, 31) + 6, 65535);
         },
         true, false, true, true, true},
        {"every read fails", NoOptions, [](auto& r) { r.Fail = [](quint32, quint32) { return true; }; },
         false, false, false, false, false},
    };
}

// A meter reporting absurd sizes, counts or addresses, or a channel delivering less than asked, makes the
// affected steps fail: no crash, no read outside a block, no request past 4 GB or of absurd size.
TEST(MemoryHostile, AbsurdMemoryGivesFailedReads) {
    const TLoudnessSetup Setup = MakeSetup(1, 0, 1, 1, 1, -18.0, -23.0, -1.0, -2.0, 1, 1);
    for (const THostileCase& c : HostileCases()) {
        SCOPED_TRACE(c.sName);
        // A display in front and a logging buffer, so that a failed read cannot pass for the real values.
        TMeterMemoryImageOptions Options;
        Options.iDisplayActive = 7;
        c.Options(Options);
        TImageMemoryReader Reader(BuildMeterMemoryImage(Setup, Options));
        c.Spoil(Reader);
        TInstrumentMemory Memory;
        Memory.SetqxMeterCOM(&Reader);
        const TRunResult r = RunSequence(Memory, Reader, kModule5Meter);
        EXPECT_EQ(r.bPool, c.bPool);
        EXPECT_EQ(r.bScreen, c.bScreen);
        EXPECT_EQ(r.bPreset, c.bPreset);
        EXPECT_EQ(r.bLoudness, c.bLoudness);
        EXPECT_EQ(r.bLogging, c.bLogging);
        EXPECT_EQ(r.Setup.bValid, c.bLoudness);
        if (c.bLoudness)
            ExpectSameSetup(r.Setup, Setup);
        if (!c.bPreset) {
            EXPECT_TRUE(Memory.Presets().isEmpty());
        }
        if (!c.bScreen) {
            EXPECT_EQ(Memory.DisplayRec().Active, 0);
        }
        if (!c.bLogging) {
            EXPECT_EQ(Memory.LoggingDataAddress(), 0u);
        }
        EXPECT_FALSE(Reader.bOversized);
        for (const auto& Req : Reader.Requests) {
            EXPECT_LE(Req.iCount, TInstrumentMemory::kMaxReadBytes) << Req.iAddress;
            EXPECT_LE(quint64(Req.iAddress) + Req.iCount, kAddressSpaceEnd) << Req.iAddress;
        }
    }
}

// A failed InitLogging keeps the logging buffer address it had.
TEST(MemoryHostile, FailedInitLoggingKeepsTheAddress) {
    TImageMemoryReader Reader(
        BuildMeterMemoryImage(TLoudnessSetup(), With([](auto& o) { o.lLoggingDataAddress = 0x00123456; })));
    TInstrumentMemory Memory;
    Memory.SetqxMeterCOM(&Reader);
    ASSERT_TRUE(Memory.ReadMainMemoryPool());
    ASSERT_TRUE(Memory.InitLogging());
    Reader.Fail = [](quint32, quint32) { return true; };
    EXPECT_FALSE(Memory.InitLogging());
    EXPECT_EQ(Memory.LoggingDataAddress(), 0x00123456u);
}

TEST(MemoryHostile, NoChannelGivesFailedReads) {
    TInstrumentMemory Memory;
    TLoudnessSetup Setup;
    Setup.bValid = true;
    EXPECT_FALSE(Memory.ReadMainMemoryPool());
    EXPECT_FALSE(Memory.ReadScreenInfo());
    EXPECT_FALSE(Memory.SPIReadPreset());
    EXPECT_FALSE(Memory.GetLoudnessConfig(Setup, kModule5Meter.iHWID, kModule5Meter.iPackage));
    EXPECT_FALSE(Setup.bValid);
    EXPECT_FALSE(Memory.InitLogging());
}

} // namespace
