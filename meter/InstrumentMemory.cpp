#include "meter/InstrumentMemory.h"

#include "meter/MeterMemoryReader.h"

#include <algorithm>

namespace {

constexpr quint64 kBlockSize = 128;
// Addresses are 32-bit: no read may reach beyond the last byte of that space.
constexpr quint64 kAddressSpaceEnd = quint64(1) << 32;

// Entries of the main pool table this program uses.
constexpr int kPoolInputConfig = 3;
constexpr int kPoolPANData = 6;
constexpr int kPoolPresetNames = 7;
constexpr int kPoolPresetDirectory = 10;
constexpr int kPoolOutputConfig = 16;
constexpr int kPoolGlobalArrays = 23;
constexpr int kPoolLoggingDirectory = 31;

// Entry of the global memory arrays that locates the power-up configuration.
constexpr int kGlobalPowerupConfig = 1;
// Records of the logging directory.
constexpr quint32 kLogDirDisplayRecord = 0;
constexpr quint32 kLogDirLoggingBuffer = 1;

// Pool entry layout.
constexpr quint64 kPoolRamPtr = 0;
constexpr quint64 kPoolRamSize = 4;
constexpr quint64 kPoolRamCount = 6;
constexpr quint64 kPoolUnknown1 = 8;
constexpr quint64 kPoolFlashPtr = 10;
constexpr quint64 kPoolFlashSize = 14;
constexpr quint64 kPoolFlashCount = 16;
constexpr quint64 kPoolUnknown2 = 18;

// Directory record layout: address, record size, record count.
constexpr quint64 kDirAddress = 0;
constexpr quint64 kDirSize = 4;
constexpr quint64 kDirCount = 6;
constexpr quint64 kDirectoryRecordSize = 8;

// Preset module table record layout.
constexpr quint64 kModuleRamAddress = 0;
constexpr quint64 kModuleFlashAddress = 10;
constexpr quint64 kModuleLength = 14;
constexpr quint64 kModuleCount = 16;
constexpr quint64 kModuleRecordSize = 18;

// Display record layout; Active is the last word the program needs.
constexpr quint64 kDisplayXlo = 0;
constexpr quint64 kDisplayYlo = 2;
constexpr quint64 kDisplayXSize = 4;
constexpr quint64 kDisplayYSize = 6;
constexpr quint64 kDisplayActive = 8;
constexpr quint64 kDisplayAddress = 18;
constexpr quint64 kDisplayRecordMinBytes = kDisplayActive + 2;

// Byte of the power-up configuration holding the preset active after power-up.
constexpr qsizetype kPowerupPresetByte = 14;

// Loudness module layout.
constexpr qsizetype kLoudPeakMode = 83;
constexpr qsizetype kLoudCapture = 84;
constexpr qsizetype kLoudScaleMode = 85;
constexpr qsizetype kLoudReference = 86;
constexpr qsizetype kLoudSlidingWindow = 87;
constexpr qsizetype kLoudGateLevel = 88;
constexpr qsizetype kLoudReferenceLevel = 89;
constexpr qsizetype kLoudMeterPeakLevel = 90;
constexpr qsizetype kLoudMeterPeakBarLevel = 91;
constexpr qsizetype kLoudFilter = 92;
constexpr qsizetype kLoudGateMode = 93;
constexpr qsizetype kLoudnessModuleMinBytes = kLoudGateMode + 1;

// Meters that keep their loudness configuration in module 6 instead of 5 when they run these packages.
constexpr int kLoudnessModuleDefault = 5;
constexpr int kLoudnessModuleAlternate = 6;
constexpr quint8 kAlternateModuleHWIDs[] = {210, 211, 222, 223};
constexpr quint16 kAlternateModulePackages[] = {14, 15};

int ByteAt(const QByteArray& Data, qsizetype iIndex) {
    return int(quint8(Data[iIndex]));
}

// Levels are stored as tenths of a decibel below zero; 0 stays +0.0, never -0.0.
double LevelAt(const QByteArray& Data, qsizetype iIndex) {
    return double(-ByteAt(Data, iIndex)) / 10.0;
}

} // namespace

quint16 ReadBEWord(const QByteArray& Block, quint64 iOffset) {
    if (iOffset > quint64(Block.size()) || quint64(Block.size()) - iOffset < 2)
        return 0;
    const auto i = qsizetype(iOffset);
    return quint16((quint8(Block[i]) << 8) | quint8(Block[i + 1]));
}

quint32 ReadBELong(const QByteArray& Block, quint64 iOffset) {
    if (iOffset > quint64(Block.size()) || quint64(Block.size()) - iOffset < 4)
        return 0;
    const auto i = qsizetype(iOffset);
    return (quint32(quint8(Block[i])) << 24) | (quint32(quint8(Block[i + 1])) << 16) |
           (quint32(quint8(Block[i + 2])) << 8) | quint32(quint8(Block[i + 3]));
}

quint64 RoundUpToBlocks(quint64 iSize) {
    return (iSize + kBlockSize - 1) / kBlockSize * kBlockSize;
}

TMainMemoryPool DecodePoolEntry(const QByteArray& Block, quint64 iOffset) {
    TMainMemoryPool Entry;
    Entry.RamRecordPtr = ReadBELong(Block, iOffset + kPoolRamPtr);
    Entry.RamRecordSize = ReadBEWord(Block, iOffset + kPoolRamSize);
    Entry.RamRecordCount = ReadBEWord(Block, iOffset + kPoolRamCount);
    Entry.UnknownWord1 = ReadBEWord(Block, iOffset + kPoolUnknown1);
    Entry.FlashRecordPtr = ReadBELong(Block, iOffset + kPoolFlashPtr);
    Entry.FlashRecordSize = ReadBEWord(Block, iOffset + kPoolFlashSize);
    Entry.FlashRecordCount = ReadBEWord(Block, iOffset + kPoolFlashCount);
    Entry.UnknownWord2 = ReadBEWord(Block, iOffset + kPoolUnknown2);
    return Entry;
}

TDataPtr DecodeDirectoryRecord(const QByteArray& Block, quint64 iOffset) {
    TDataPtr Ptr;
    Ptr.lRAMPtr = ReadBELong(Block, iOffset + kDirAddress);
    Ptr.iEntrySize = ReadBEWord(Block, iOffset + kDirSize);
    Ptr.iEntryCount = ReadBEWord(Block, iOffset + kDirCount);
    return Ptr;
}

TDisplayRecord DecodeDisplayRecord(const QByteArray& Block) {
    TDisplayRecord Rec;
    Rec.Xlo = ReadBEWord(Block, kDisplayXlo);
    Rec.Ylo = ReadBEWord(Block, kDisplayYlo);
    Rec.XSize = ReadBEWord(Block, kDisplayXSize);
    Rec.YSize = ReadBEWord(Block, kDisplayYSize);
    Rec.Active = ReadBEWord(Block, kDisplayActive);
    Rec.DisplayAddress = ReadBELong(Block, kDisplayAddress);
    return Rec;
}

bool DecodeLoudnessModule(const QByteArray& Data, TLoudnessSetup& Setup) {
    if (Data.size() < kLoudnessModuleMinBytes)
        return false;
    Setup.iPeakMode = ByteAt(Data, kLoudPeakMode);
    Setup.iCapture = ByteAt(Data, kLoudCapture);
    Setup.iScaleMode = ByteAt(Data, kLoudScaleMode);
    Setup.iReference = ByteAt(Data, kLoudReference);
    Setup.iSlidingWindow = ByteAt(Data, kLoudSlidingWindow);
    Setup.fGateLevel = LevelAt(Data, kLoudGateLevel);
    Setup.fReferenceLevel = LevelAt(Data, kLoudReferenceLevel);
    Setup.fMeterPeakLevel = LevelAt(Data, kLoudMeterPeakLevel);
    Setup.fMeterPeakBarLevel = LevelAt(Data, kLoudMeterPeakBarLevel);
    Setup.iFilter = ByteAt(Data, kLoudFilter);
    Setup.iGateMode = ByteAt(Data, kLoudGateMode);
    return true;
}

int LoudnessModuleNo(quint8 iHWID, quint16 iSoftwarePackage) {
    const bool bHardware = std::find(std::begin(kAlternateModuleHWIDs), std::end(kAlternateModuleHWIDs),
                                     iHWID) != std::end(kAlternateModuleHWIDs);
    const bool bPackage = std::find(std::begin(kAlternateModulePackages), std::end(kAlternateModulePackages),
                                    iSoftwarePackage) != std::end(kAlternateModulePackages);
    return bHardware && bPackage ? kLoudnessModuleAlternate : kLoudnessModuleDefault;
}

bool TInstrumentMemory::ReadMemory(quint32 iAddress, quint64 iCount, QByteArray& Data) {
    Data.clear();
    if (iCount == 0)
        return true;
    if (!ICOM || iCount > kMaxReadBytes || quint64(iAddress) + iCount > kAddressSpaceEnd)
        return false;
    QByteArray Buffer(qsizetype(iCount), '\0');
    const qint64 iResult = ICOM->SPI1ReadRam(iAddress, quint32(iCount), Buffer);
    if (iResult != qint64(iCount) || quint64(Buffer.size()) < iCount)
        return false;
    Buffer.truncate(qsizetype(iCount));
    Data = Buffer;
    return true;
}

bool TInstrumentMemory::ReadTable(quint32 iAddress, quint64 iLength, quint64 iCount, QByteArray& Data) {
    // Both factors are at most 16 or 32 bits wide, so the product cannot overflow 64 bits.
    return ReadMemory(iAddress, RoundUpToBlocks(iLength * iCount), Data);
}

bool TInstrumentMemory::ReadRamTable(TInstrumentData& Data) {
    return ReadTable(Data.iRAMAddress, Data.iRamEntryLength, Data.iRamEntryCount, Data.Data);
}

bool TInstrumentMemory::DeAllocatePresetMemory() {
    FPresets.clear();
    return true;
}

bool TInstrumentMemory::GetMainMemoryPoolAddress() {
    QByteArray Block;
    if (!ReadMemory(kMainPoolAddressLocation, 4, Block))
        return false;
    iMainPoolAddr = ReadBELong(Block, 0);
    return true;
}

bool TInstrumentMemory::ReadMainMemoryPool() {
    FMainMemoryPool.clear();
    FGlobalMemoryArrays.clear();
    if (!GetMainMemoryPoolAddress())
        return false;
    QByteArray Block;
    if (!ReadTable(iMainPoolAddr, kPoolEntrySize, kMainPoolEntryCount, Block))
        return false;
    for (int i = 0; i < kMainPoolEntryCount; ++i)
        FMainMemoryPool.append(DecodePoolEntry(Block, quint64(i) * kPoolEntrySize));
    // Without the global arrays the power-up preset cannot be found, so the pool is of no use either.
    return ReadGlobalArrays();
}

bool TInstrumentMemory::ReadGlobalArrays() {
    FGlobalMemoryArrays.clear();
    if (FMainMemoryPool.size() <= kPoolGlobalArrays)
        return false;
    const TMainMemoryPool& Entry = FMainMemoryPool[kPoolGlobalArrays];
    const quint32 iCount = Entry.RamRecordCount;
    // The entries are taken 20 bytes apart, so records shorter than that would run past the data.
    if (iCount > kMaxGlobalArrayCount || (iCount > 0 && Entry.RamRecordSize < kPoolEntrySize))
        return false;
    QByteArray Block;
    if (!ReadMemory(Entry.RamRecordPtr, quint64(iCount) * Entry.RamRecordSize, Block))
        return false;
    for (quint32 i = 0; i < iCount; ++i)
        FGlobalMemoryArrays.append(DecodePoolEntry(Block, quint64(i) * kPoolEntrySize));
    return true;
}

bool TInstrumentMemory::GetPoolPtr(int iType, TInstrumentData& Data) const {
    if (iType < 0 || iType >= FMainMemoryPool.size())
        return false;
    const TMainMemoryPool& Entry = FMainMemoryPool[iType];
    Data.iRAMAddress = Entry.RamRecordPtr;
    Data.iRamEntryLength = Entry.RamRecordSize;
    Data.iRamEntryCount = Entry.RamRecordCount;
    Data.iFLASHAddress = Entry.FlashRecordPtr;
    Data.iFlashEntryLength = Entry.FlashRecordSize;
    Data.iFlashEntryCount = Entry.FlashRecordCount;
    return true;
}

bool TInstrumentMemory::GetDataPtr(TInstrumentData& Data, quint32 iEntryNo, TDataPtr& DataPtr) {
    // The record must be one of the table's own and hold the address, size and count.
    if (iEntryNo >= Data.iRamEntryCount || Data.iRamEntryLength < kDirectoryRecordSize)
        return false;
    if (!ReadRamTable(Data))
        return false;
    DataPtr = DecodeDirectoryRecord(Data.Data, quint64(iEntryNo) * Data.iRamEntryLength);
    return true;
}

bool TInstrumentMemory::ReadScreenInfo() {
    FDisplayRec = TDisplayRecord();
    TInstrumentData Directory;
    TDataPtr Record;
    if (!GetPoolPtr(kPoolLoggingDirectory, Directory) || !GetDataPtr(Directory, kLogDirDisplayRecord, Record))
        return false;
    const quint64 iSize = quint64(Record.iEntrySize) * Record.iEntryCount;
    if (iSize < kDisplayRecordMinBytes)
        return false;
    QByteArray Block;
    if (!ReadMemory(Record.lRAMPtr, iSize, Block))
        return false;
    FDisplayRec = DecodeDisplayRecord(Block);
    return true;
}

bool TInstrumentMemory::InitLogging() {
    TInstrumentData Directory;
    TDataPtr Record;
    if (!GetPoolPtr(kPoolLoggingDirectory, Directory) || !GetDataPtr(Directory, kLogDirLoggingBuffer, Record))
        return false;
    lLoudnessLoggingPTR = Record.lRAMPtr;
    return true;
}

bool TInstrumentMemory::SPIReadPreset() {
    // Presets are rebuilt from scratch, so nothing of an earlier or a failed read can be mistaken for the
    // meter's current configuration.
    FPresets.clear();
    FGlobalPresetData = TGlobalPresetData();
    if (FMainMemoryPool.size() < kMainPoolEntryCount || FGlobalMemoryArrays.size() <= kGlobalPowerupConfig)
        return false;

    TGlobalPresetData Global;
    GetPoolPtr(kPoolPresetNames, Global.PresetNames);
    GetPoolPtr(kPoolPANData, Global.PANData);
    GetPoolPtr(kPoolInputConfig, Global.InputConfig);
    GetPoolPtr(kPoolOutputConfig, Global.OutputConfig);
    const TMainMemoryPool& Powerup = FGlobalMemoryArrays[kGlobalPowerupConfig];
    Global.PowerupConfig.iRAMAddress = Powerup.RamRecordPtr;
    Global.PowerupConfig.iRamEntryLength = Powerup.RamRecordSize;
    Global.PowerupConfig.iRamEntryCount = Powerup.RamRecordCount;
    Global.PowerupConfig.iFLASHAddress = Powerup.FlashRecordPtr;
    Global.PowerupConfig.iFlashEntryLength = Powerup.FlashRecordSize;
    Global.PowerupConfig.iFlashEntryCount = Powerup.FlashRecordCount;
    if (!ReadRamTable(Global.InputConfig) || !ReadRamTable(Global.OutputConfig) ||
        !ReadRamTable(Global.PowerupConfig))
        return false;

    TInstrumentData Directory;
    GetPoolPtr(kPoolPresetDirectory, Directory);
    const quint32 iPresetCount = Directory.iRamEntryCount;
    const quint64 iDirLength = Directory.iRamEntryLength;
    if (iPresetCount > kMaxPresetCount || (iPresetCount > 0 && iDirLength < kDirectoryRecordSize))
        return false;
    if (!ReadRamTable(Directory))
        return false;

    QList<TPresetModules> NewPresets;
    for (quint32 i = 0; i < iPresetCount; ++i) {
        const TDataPtr Table = DecodeDirectoryRecord(Directory.Data, quint64(i) * iDirLength);
        const quint32 iModules = Table.iEntryCount;
        const quint64 iRecLength = Table.iEntrySize;
        if (iModules > kMaxModuleCount || (iModules > 0 && iRecLength < kModuleRecordSize))
            return false;
        QByteArray ModuleTable;
        if (!ReadTable(Table.lRAMPtr, iRecLength, iModules, ModuleTable))
            return false;
        TPresetModules Modules(iModules);
        for (quint32 j = 0; j < iModules; ++j) {
            const quint64 iRec = quint64(j) * iRecLength;
            TInstrumentData& Module = Modules[j];
            Module.iRAMAddress = ReadBELong(ModuleTable, iRec + kModuleRamAddress);
            Module.iFLASHAddress = ReadBELong(ModuleTable, iRec + kModuleFlashAddress);
            Module.iRamEntryLength = Module.iFlashEntryLength = ReadBEWord(ModuleTable, iRec + kModuleLength);
            Module.iRamEntryCount = Module.iFlashEntryCount = ReadBEWord(ModuleTable, iRec + kModuleCount);
        }
        NewPresets.append(Modules);
    }

    FGlobalPresetData = Global;
    if (!ReadFlashData(NewPresets)) {
        FGlobalPresetData = TGlobalPresetData();
        return false;
    }
    FPresets = NewPresets;
    return true;
}

// All flash data of the presets in one request spanning the area they occupy: one command instead of one
// per module keeps a connect quick on the slow serial line.
bool TInstrumentMemory::ReadFlashData(QList<TPresetModules>& NewPresets) {
    QList<TInstrumentData*> Items = {&FGlobalPresetData.PresetNames, &FGlobalPresetData.PANData};
    for (TPresetModules& Modules : NewPresets)
        for (TInstrumentData& Module : Modules)
            Items.append(&Module);

    // Tables without flash data take no part in the span: their address may be anything.
    quint64 iLo = kAddressSpaceEnd;
    quint64 iHi = 0;
    quint64 iTotal = 0;
    for (const TInstrumentData* Item : std::as_const(Items)) {
        const quint64 iSize = quint64(Item->iFlashEntryCount) * Item->iFlashEntryLength;
        if (iSize == 0)
            continue;
        iLo = std::min(iLo, quint64(Item->iFLASHAddress));
        iHi = std::max(iHi, Item->iFLASHAddress + iSize);
        iTotal += iSize;
    }
    if (iHi == 0)
        return true;
    if (iTotal > kMaxPresetDataBytes)
        return false;

    QByteArray Block;
    if (!ReadMemory(quint32(iLo), RoundUpToBlocks(iHi - iLo), Block))
        return false;
    for (TInstrumentData* Item : std::as_const(Items)) {
        const quint64 iSize = quint64(Item->iFlashEntryCount) * Item->iFlashEntryLength;
        Item->Data =
            iSize == 0 ? QByteArray() : Block.mid(qsizetype(Item->iFLASHAddress - iLo), qsizetype(iSize));
    }
    return true;
}

bool TInstrumentMemory::GetLoudnessConfig(TLoudnessSetup& LoudnessSetup, quint8 iHWID,
                                          quint16 iSoftwarePackage) const {
    LoudnessSetup.bValid = false;
    const QByteArray& Powerup = FGlobalPresetData.PowerupConfig.Data;
    if (Powerup.size() <= kPowerupPresetByte)
        return false;
    const int iPreset = ByteAt(Powerup, kPowerupPresetByte);
    if (iPreset > kMaxPowerupPreset || iPreset >= FPresets.size())
        return false;
    const int iModule = LoudnessModuleNo(iHWID, iSoftwarePackage);
    if (iModule >= FPresets[iPreset].size())
        return false;
    if (!DecodeLoudnessModule(FPresets[iPreset][iModule].Data, LoudnessSetup))
        return false;
    LoudnessSetup.bValid = true;
    return true;
}
