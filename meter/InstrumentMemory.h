#pragma once

#include "core/SessionTypes.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

class IMeterMemoryReader;

// Multi-byte numbers in meter memory are unsigned and big-endian. A number that does not fit entirely
// inside the block reads as 0, so a short block never reads past its end.
quint16 ReadBEWord(const QByteArray& Block, quint64 iOffset);
quint32 ReadBELong(const QByteArray& Block, quint64 iOffset);

// Meter tables are read in whole blocks of 128 bytes.
quint64 RoundUpToBlocks(quint64 iSize);

// One 20-byte entry of the main memory pool table (or of the global memory arrays): where a table lives
// in RAM and in flash, its record size and record count.
struct TMainMemoryPool {
    quint32 RamRecordPtr = 0;
    quint16 RamRecordSize = 0;
    quint16 RamRecordCount = 0;
    quint32 FlashRecordPtr = 0;
    quint16 FlashRecordSize = 0;
    quint16 FlashRecordCount = 0;
    quint16 UnknownWord1 = 0;
    quint16 UnknownWord2 = 0;
    // The meter keeps no checksum here; always 0.
    quint8 CRC = 0;
};

// One meter table or preset module: its location in RAM and flash and the bytes read from it.
struct TInstrumentData {
    quint32 iRamEntryNo = 0;
    quint32 iRamEntryCount = 0;
    quint32 iRamEntryLength = 0;
    quint32 iRAMAddress = 0;
    quint32 iFlashEntryNo = 0;
    quint32 iFlashEntryCount = 0;
    quint32 iFlashEntryLength = 0;
    quint32 iFLASHAddress = 0;
    QByteArray Data;
};

// The first eight bytes of a directory record: where a table is, its record size and count.
struct TDataPtr {
    quint32 lRAMPtr = 0;
    quint16 iEntrySize = 0;
    quint16 iEntryCount = 0;
};

// The meter's display record; Active tells which display is in front.
struct TDisplayRecord {
    quint16 Xlo = 0;
    quint16 Ylo = 0;
    quint16 XSize = 0;
    quint16 YSize = 0;
    quint16 Active = 0;
    quint32 DisplayAddress = 0;
};

// The tables shared by all presets; they are kept but not interpreted, except the power-up preset number.
struct TGlobalPresetData {
    TInstrumentData PresetNames;
    TInstrumentData PANData;
    TInstrumentData InputConfig;
    TInstrumentData OutputConfig;
    TInstrumentData PowerupConfig;
};

// One preset: its module records, index = module number.
using TPresetModules = QList<TInstrumentData>;

// Pure decoders of meter memory records.
TMainMemoryPool DecodePoolEntry(const QByteArray& Block, quint64 iOffset);
TDataPtr DecodeDirectoryRecord(const QByteArray& Block, quint64 iOffset);
TDisplayRecord DecodeDisplayRecord(const QByteArray& Block);
// Fills the loudness fields of Setup from a loudness module's data; false (Setup untouched) when the data
// is too short to hold them. nUnknown and bValid are not touched.
bool DecodeLoudnessModule(const QByteArray& Data, TLoudnessSetup& Setup);
// The preset module that holds the loudness configuration on a meter with this hardware and package.
int LoudnessModuleNo(quint8 iHWID, quint16 iSoftwarePackage);

// The map of a memory-pool meter's memory: pool table, presets, display record and logging buffer, all read
// through the meter's memory reader. Every size, count and address comes from the meter and is checked
// before it is used: an inconsistent meter gives a failed operation, never an out-of-range access.
class TInstrumentMemory {
public:
    // Fixed location of the main pool table's address.
    static constexpr quint32 kMainPoolAddressLocation = 0x1C480;
    static constexpr int kMainPoolEntryCount = 33;
    static constexpr int kPoolEntrySize = 20;

    // Sane maxima for what a meter reports. A real meter stays far below them; anything above is a broken
    // or hostile answer and is refused instead of being requested or allocated.
    static constexpr quint64 kMaxReadBytes = 1u << 20;
    static constexpr quint64 kMaxPresetDataBytes = 4u << 20;
    static constexpr quint32 kMaxGlobalArrayCount = 256;
    static constexpr quint32 kMaxPresetCount = 64;
    static constexpr quint32 kMaxModuleCount = 64;
    // The highest preset number a meter activates at power-up.
    static constexpr quint8 kMaxPowerupPreset = 10;

    TInstrumentMemory() = default;
    TInstrumentMemory(const TInstrumentMemory&) = delete;
    TInstrumentMemory& operator=(const TInstrumentMemory&) = delete;

    // The channel all reads go through; not owned. Without one every read fails.
    IMeterMemoryReader* qxMeterCOM() const { return ICOM; }
    void SetqxMeterCOM(IMeterMemoryReader* pReader) { ICOM = pReader; }

    quint32 MainPoolAddress() const { return iMainPoolAddr; }
    // RAM address of the loudness logging buffer, set by InitLogging.
    quint32 LoggingDataAddress() const { return lLoudnessLoggingPTR; }
    const TDisplayRecord& DisplayRec() const { return FDisplayRec; }
    const QList<TMainMemoryPool>& MainMemoryPool() const { return FMainMemoryPool; }
    const QList<TMainMemoryPool>& GlobalMemoryArrays() const { return FGlobalMemoryArrays; }
    const TGlobalPresetData& GlobalPresetData() const { return FGlobalPresetData; }
    // Index = preset number, then module number.
    const QList<TPresetModules>& Presets() const { return FPresets; }

    bool DeAllocatePresetMemory();
    bool GetMainMemoryPoolAddress();
    // Reads the main pool table and the global memory arrays.
    bool ReadMainMemoryPool();
    // Copies pool entry iType's RAM and flash location into Data; false when there is no such entry.
    bool GetPoolPtr(int iType, TInstrumentData& Data) const;
    // Reads Data's RAM table and decodes its directory record iEntryNo.
    bool GetDataPtr(TInstrumentData& Data, quint32 iEntryNo, TDataPtr& DataPtr);
    bool ReadScreenInfo();
    // Reads the shared preset tables and every preset's modules; all flash data in one request.
    bool SPIReadPreset();
    bool InitLogging();
    // Decodes the power-up preset's loudness module; which module that is depends on the meter's hardware
    // identifier and software package (its identification).
    bool GetLoudnessConfig(TLoudnessSetup& LoudnessSetup, quint8 iHWID, quint16 iSoftwarePackage) const;

private:
    bool ReadGlobalArrays();
    // One request of exactly iCount bytes at iAddress; an empty request succeeds without asking the meter.
    bool ReadMemory(quint32 iAddress, quint64 iCount, QByteArray& Data);
    // A RAM table of iLength × iCount bytes, read rounded up to whole blocks.
    bool ReadTable(quint32 iAddress, quint64 iLength, quint64 iCount, QByteArray& Data);
    bool ReadRamTable(TInstrumentData& Data);
    bool ReadFlashData(QList<TPresetModules>& NewPresets);

    quint32 iMainPoolAddr = 0;
    IMeterMemoryReader* ICOM = nullptr;
    quint32 lLoudnessLoggingPTR = 0;
    TGlobalPresetData FGlobalPresetData;
    QList<TMainMemoryPool> FMainMemoryPool;
    QList<TMainMemoryPool> FGlobalMemoryArrays;
    QList<TPresetModules> FPresets;
    TDisplayRecord FDisplayRec;
};
