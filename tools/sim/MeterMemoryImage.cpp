#include "tools/sim/MeterMemoryImage.h"

#include <QList>
#include <algorithm>
#include <cmath>

namespace {

// Fixed locations every memory-pool meter publishes.
constexpr quint32 kPoolAddressLocation = 0x1C480;
constexpr quint32 kScreenNoLocation = 0x1C496;

// The main pool table: 33 entries of 20 bytes, RAM and flash location of each table the meter keeps.
constexpr int kPoolEntries = 33;
constexpr int kPoolEntryBytes = 20;
constexpr int kPoolInputConfig = 3;
constexpr int kPoolPANData = 6;
constexpr int kPoolPresetNames = 7;
constexpr int kPoolPresetDirectory = 10;
constexpr int kPoolOutputConfig = 16;
constexpr int kPoolGlobalArrays = 23;
constexpr int kPoolLoggingDirectory = 31;
constexpr int kGlobalPowerupConfig = 1;

// Directory records: address, record size, record count; the meter's preset directory carries four more
// bytes of its own after them.
constexpr int kLogDirRecordBytes = 8;
constexpr int kPresetDirRecordBytes = 12;
// Module table records: RAM address, six bytes of the meter's own, flash address, entry length, entry
// count, two more bytes of its own.
constexpr int kModuleRecordBytes = 20;

constexpr int kDisplayRecordBytes = 22;
constexpr int kLoggingBufferEntryBytes = 64;
constexpr int kLoggingBufferEntries = 16;
constexpr int kPowerupConfigBytes = 32;
constexpr int kPowerupPresetByte = 14;
constexpr int kInputConfigLength = 16;
constexpr int kInputConfigCount = 4;
constexpr int kOutputConfigLength = 24;
constexpr int kOutputConfigCount = 3;
constexpr int kPresetNameLength = 16;
constexpr int kPANDataLength = 10;

// The loudness configuration sits at bytes 83 to 93 of its module, whose data is two entries of 50 bytes.
constexpr int kLoudnessModuleA = 5;
constexpr int kLoudnessModuleB = 6;
constexpr int kLoudnessEntryLength = 50;
constexpr int kLoudnessEntryCount = 2;
constexpr int kLoudnessFirstByte = 83;

// Gaps between placed tables, so that no table starts on a block boundary.
constexpr quint32 kRamGap = 16;
constexpr quint32 kFlashGap = 24;

constexpr int kMinModules = kLoudnessModuleB + 1;
constexpr int kMaxPresets = 64;
constexpr int kMaxModules = 64;

void Put8(QByteArray& Data, int iOffset, int iValue) {
    Data[iOffset] = char(quint8(iValue));
}

void Put16(QByteArray& Data, int iOffset, quint32 iValue) {
    Put8(Data, iOffset, int(iValue >> 8));
    Put8(Data, iOffset + 1, int(iValue));
}

void Put32(QByteArray& Data, int iOffset, quint32 iValue) {
    Put16(Data, iOffset, iValue >> 16);
    Put16(Data, iOffset + 2, iValue);
}

// Bytes the program does not interpret, different at every place so that a misplaced read shows.
QByteArray Filler(int iSize, int iSeed) {
    QByteArray Data(iSize, '\0');
    for (int i = 0; i < iSize; ++i)
        Put8(Data, i, iSeed * 31 + i * 7 + 1);
    return Data;
}

struct TPoolEntry {
    quint32 iRamPtr = 0;
    quint32 iRamSize = 0;
    quint32 iRamCount = 0;
    quint32 iFlashPtr = 0;
    quint32 iFlashSize = 0;
    quint32 iFlashCount = 0;
};

void PutPoolEntry(QByteArray& Table, int iOffset, const TPoolEntry& Entry) {
    Put32(Table, iOffset, Entry.iRamPtr);
    Put16(Table, iOffset + 4, Entry.iRamSize);
    Put16(Table, iOffset + 6, Entry.iRamCount);
    Put16(Table, iOffset + 8, 0xA5A5);
    Put32(Table, iOffset + 10, Entry.iFlashPtr);
    Put16(Table, iOffset + 14, Entry.iFlashSize);
    Put16(Table, iOffset + 16, Entry.iFlashCount);
    Put16(Table, iOffset + 18, 0x5A5A);
}

// An entry of a table the program never reads: its addresses point nowhere.
TPoolEntry UnusedEntry(int iIndex) {
    const quint32 iOffset = quint32(iIndex) * 0x100;
    return {0xE0000000 + iOffset, 20, 3, 0xF0000000 + iOffset, 12, 5};
}

void PutDirRecord(QByteArray& Table, int iOffset, quint32 iAddress, quint32 iSize, quint32 iCount) {
    Put32(Table, iOffset, iAddress);
    Put16(Table, iOffset + 4, iSize);
    Put16(Table, iOffset + 6, iCount);
}

quint8 CodeByte(int iValue) {
    return quint8(std::clamp(iValue, 0, 255));
}

quint8 LevelByte(double fLevel) {
    return quint8(std::clamp(std::lround(-fLevel * 10.0), 0L, 255L));
}

// Bytes 83 to 93 of a loudness module; iShift moves every byte so that decoys differ in every field.
QByteArray LoudnessModuleData(const TLoudnessSetup& Setup, int iShift, int iSeed) {
    QByteArray Data = Filler(kLoudnessEntryLength * kLoudnessEntryCount, iSeed);
    const quint8 aBytes[] = {CodeByte(Setup.iPeakMode),
                             CodeByte(Setup.iCapture),
                             CodeByte(Setup.iScaleMode),
                             CodeByte(Setup.iReference),
                             CodeByte(Setup.iSlidingWindow),
                             LevelByte(Setup.fGateLevel),
                             LevelByte(Setup.fReferenceLevel),
                             LevelByte(Setup.fMeterPeakLevel),
                             LevelByte(Setup.fMeterPeakBarLevel),
                             CodeByte(Setup.iFilter),
                             CodeByte(Setup.iGateMode)};
    for (int i = 0; i < int(std::size(aBytes)); ++i)
        Put8(Data, kLoudnessFirstByte + i, aBytes[i] + iShift);
    return Data;
}

// Hands out addresses for the tables, one after the other with a gap.
class TAllocator {
public:
    explicit TAllocator(quint32 iBase, quint32 iGap) : iNext(iBase), iGap(iGap) {}
    quint32 Place(quint32 iSize) {
        const quint32 iAddress = iNext;
        iNext += iSize + iGap;
        return iAddress;
    }

private:
    quint32 iNext;
    quint32 iGap;
};

struct TModulePlan {
    quint32 iRamAddress = 0;
    quint32 iFlashAddress = 0;
    int iLength = 0;
    int iCount = 0;
    QByteArray Data;
};

} // namespace

TSimMemoryImage BuildMeterMemoryImage(const TLoudnessSetup& Setup, const TMeterMemoryImageOptions& Options) {
    const int iPresets = std::clamp(Options.iPresetCount, 1, kMaxPresets);
    const int iModules = std::clamp(Options.iModuleCount, kMinModules, kMaxModules);
    const int iGlobals = std::max(Options.iGlobalArrayCount, kGlobalPowerupConfig + 1);
    const int iLoudModule = Options.iLoudnessModule == kLoudnessModuleB ? kLoudnessModuleB : kLoudnessModuleA;
    const int iDecoyModule = iLoudModule == kLoudnessModuleA ? kLoudnessModuleB : kLoudnessModuleA;

    TSimMemoryImage Image;
    TAllocator Ram(Options.iRamBase, kRamGap);
    TAllocator Flash(Options.iFlashBase, kFlashGap);

    // Fixed locations.
    QByteArray PoolAddress(4, '\0');
    Put32(PoolAddress, 0, Options.iMainPoolAddr);
    Image.Write(kPoolAddressLocation, PoolAddress);
    QByteArray ScreenNo(2, '\0');
    Put16(ScreenNo, 0, Options.iScreenNo);
    Image.Write(kScreenNoLocation, ScreenNo);

    // Logging directory: record 0 the display record, record 1 the loudness logging buffer.
    const quint32 iDisplayAddr = Ram.Place(kDisplayRecordBytes);
    QByteArray Display = Filler(kDisplayRecordBytes, 1);
    Put16(Display, 0, Options.iDisplayXlo);
    Put16(Display, 2, Options.iDisplayYlo);
    Put16(Display, 4, Options.iDisplayXSize);
    Put16(Display, 6, Options.iDisplayYSize);
    Put16(Display, 8, Options.iDisplayActive);
    Put32(Display, 18, Options.lDisplayAddress);
    Image.Write(iDisplayAddr, Display);

    const quint32 iLogDirAddr = Ram.Place(2 * kLogDirRecordBytes);
    QByteArray LogDir(2 * kLogDirRecordBytes, '\0');
    PutDirRecord(LogDir, 0, iDisplayAddr, kDisplayRecordBytes, 1);
    PutDirRecord(LogDir, kLogDirRecordBytes, Options.lLoggingDataAddress, kLoggingBufferEntryBytes,
                 kLoggingBufferEntries);
    Image.Write(iLogDirAddr, LogDir);

    // Power-up configuration and the global memory arrays that locate it.
    const quint32 iPowerupAddr = Ram.Place(kPowerupConfigBytes);
    QByteArray Powerup = Filler(kPowerupConfigBytes, 2);
    Put8(Powerup, kPowerupPresetByte, Options.iPowerupPreset);
    Image.Write(iPowerupAddr, Powerup);

    const quint32 iGlobalsAddr = Ram.Place(quint32(iGlobals * kPoolEntryBytes));
    QByteArray Globals(iGlobals * kPoolEntryBytes, '\0');
    for (int i = 0; i < iGlobals; ++i)
        PutPoolEntry(Globals, i * kPoolEntryBytes, UnusedEntry(100 + i));
    PutPoolEntry(Globals, kGlobalPowerupConfig * kPoolEntryBytes,
                 {iPowerupAddr, kPowerupConfigBytes, 1, 0xF1000000, kPowerupConfigBytes, 1});
    Image.Write(iGlobalsAddr, Globals);

    const quint32 iInputAddr = Ram.Place(kInputConfigLength * kInputConfigCount);
    Image.Write(iInputAddr, Filler(kInputConfigLength * kInputConfigCount, 3));
    const quint32 iOutputAddr = Ram.Place(kOutputConfigLength * kOutputConfigCount);
    Image.Write(iOutputAddr, Filler(kOutputConfigLength * kOutputConfigCount, 4));

    // Modules of every preset. Each module's RAM copy is not needed by a reader of the flash data, so only
    // its address is handed out.
    QList<QList<TModulePlan>> Presets(iPresets);
    for (int p = 0; p < iPresets; ++p) {
        for (int m = 0; m < iModules; ++m) {
            TModulePlan Module;
            if (m == iLoudModule || m == iDecoyModule) {
                // Only the power-up preset's loudness module carries the setup itself.
                int iShift = 0;
                if (m == iDecoyModule)
                    iShift = 100;
                else if (p != Options.iPowerupPreset)
                    iShift = 1 + 2 * p;
                Module.iLength = kLoudnessEntryLength;
                Module.iCount = kLoudnessEntryCount;
                Module.Data = LoudnessModuleData(Setup, iShift, p * 100 + m);
            } else {
                Module.iLength = 12 + 4 * m;
                Module.iCount = 1 + m % 3;
                Module.Data = Filler(Module.iLength * Module.iCount, p * 100 + m);
            }
            Module.iRamAddress = Ram.Place(quint32(Module.Data.size()));
            Presets[p].append(Module);
        }
    }

    // Flash: the first preset's modules lie below the preset names and the PAN data, the others above.
    auto PlaceModules = [&](int p) {
        for (TModulePlan& Module : Presets[p]) {
            Module.iFlashAddress = Flash.Place(quint32(Module.Data.size()));
            Image.Write(Module.iFlashAddress, Module.Data);
        }
    };
    PlaceModules(0);
    const QByteArray Names = Filler(kPresetNameLength * iPresets, 5);
    const quint32 iNamesAddr = Flash.Place(quint32(Names.size()));
    Image.Write(iNamesAddr, Names);
    const QByteArray PAN = Filler(kPANDataLength * iPresets, 6);
    const quint32 iPANAddr = Flash.Place(quint32(PAN.size()));
    Image.Write(iPANAddr, PAN);
    for (int p = 1; p < iPresets; ++p)
        PlaceModules(p);

    // Module tables and the preset directory.
    const quint32 iDirAddr = Ram.Place(quint32(iPresets * kPresetDirRecordBytes));
    QByteArray Directory = Filler(iPresets * kPresetDirRecordBytes, 7);
    for (int p = 0; p < iPresets; ++p) {
        const quint32 iTableAddr = Ram.Place(quint32(iModules * kModuleRecordBytes));
        QByteArray Table = Filler(iModules * kModuleRecordBytes, 8 + p);
        for (int m = 0; m < iModules; ++m) {
            const TModulePlan& Module = Presets[p][m];
            const int iRec = m * kModuleRecordBytes;
            Put32(Table, iRec, Module.iRamAddress);
            Put32(Table, iRec + 10, Module.iFlashAddress);
            Put16(Table, iRec + 14, quint32(Module.iLength));
            Put16(Table, iRec + 16, quint32(Module.iCount));
        }
        Image.Write(iTableAddr, Table);
        PutDirRecord(Directory, p * kPresetDirRecordBytes, iTableAddr, kModuleRecordBytes, quint32(iModules));
    }
    Image.Write(iDirAddr, Directory);

    // The main pool table.
    QByteArray Pool(kPoolEntries * kPoolEntryBytes, '\0');
    for (int i = 0; i < kPoolEntries; ++i)
        PutPoolEntry(Pool, i * kPoolEntryBytes, UnusedEntry(i));
    PutPoolEntry(Pool, kPoolInputConfig * kPoolEntryBytes,
                 {iInputAddr, kInputConfigLength, kInputConfigCount, 0xF2000000, kInputConfigLength, 1});
    PutPoolEntry(Pool, kPoolOutputConfig * kPoolEntryBytes,
                 {iOutputAddr, kOutputConfigLength, kOutputConfigCount, 0xF3000000, kOutputConfigLength, 1});
    PutPoolEntry(Pool, kPoolPresetNames * kPoolEntryBytes,
                 {0xE1000000, 4, 1, iNamesAddr, kPresetNameLength, quint32(iPresets)});
    PutPoolEntry(Pool, kPoolPANData * kPoolEntryBytes,
                 {0xE2000000, 4, 1, iPANAddr, kPANDataLength, quint32(iPresets)});
    PutPoolEntry(Pool, kPoolPresetDirectory * kPoolEntryBytes,
                 {iDirAddr, kPresetDirRecordBytes, quint32(iPresets), 0xF4000000, 8, 1});
    PutPoolEntry(Pool, kPoolGlobalArrays * kPoolEntryBytes,
                 {iGlobalsAddr, kPoolEntryBytes, quint32(iGlobals), 0xF5000000, 8, 1});
    PutPoolEntry(Pool, kPoolLoggingDirectory * kPoolEntryBytes,
                 {iLogDirAddr, kLogDirRecordBytes, 2, 0xF6000000, 8, 1});
    Image.Write(Options.iMainPoolAddr, Pool);
    return Image;
}
