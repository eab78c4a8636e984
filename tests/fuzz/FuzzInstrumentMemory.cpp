// Serves a hostile memory image to the memory map of a memory-pool meter and runs the connect sequence
// over it: pool table, display record, presets, loudness configuration and logging buffer. Every size,
// count and address comes from the image, so the map must refuse what does not fit instead of reading
// past a buffer or asking the meter for absurd amounts.
//
// Input: one fault byte, then segments of the image: address (4 bytes), length (2 bytes), bytes, all
// most significant first. Memory not in a segment reads as 0. The fault byte's low five bits name the read
// that goes wrong (31: none), its next two bits how: no answer, a short count, a full count with one byte
// missing, or one byte too many.
#include "FuzzCommon.h"
#include "core/SessionTypes.h"
#include "meter/InstrumentMemory.h"
#include "meter/MeterMemoryReader.h"

#include <QByteArray>
#include <QList>
#include <cmath>

using qxfuzz::Require;

namespace {

struct TSegment {
    quint32 iAddress = 0;
    QByteArray Data;
};

class THostileReader : public IMeterMemoryReader {
public:
    THostileReader(quint8 iFault, QList<TSegment> Segments)
        : iFaultyRead(iFault & 0x1F), iFaultKind((iFault >> 5) & 3), Segments(std::move(Segments)) {}

    qint64 SPI1ReadRam(quint32 iAddress, quint32 iCount, QByteArray& Buffer) override {
        // The map never asks for more than it allows itself, nor past the end of the address space.
        Require(iCount > 0 && iCount <= TInstrumentMemory::kMaxReadBytes);
        Require(quint64(iAddress) + iCount <= (quint64(1) << 32));
        iRequested += iCount;
        const int iRead = iReads++;
        QByteArray Data(qsizetype(iCount), '\0');
        for (const TSegment& Segment : Segments) {
            const quint64 iLo = std::max<quint64>(iAddress, Segment.iAddress);
            const quint64 iHi = std::min<quint64>(quint64(iAddress) + iCount,
                                                  Segment.iAddress + quint64(Segment.Data.size()));
            for (quint64 a = iLo; a < iHi; ++a)
                Data[qsizetype(a - iAddress)] = Segment.Data[qsizetype(a - Segment.iAddress)];
        }
        if (iRead == iFaultyRead && iFaultyRead != 31) {
            switch (iFaultKind) {
            case 0:
                return 0;
            case 1:
                return qint64(iCount) - 1;
            case 2:
                Buffer = Data.left(Data.size() - 1);
                return iCount;
            default:
                Buffer = Data + '\x7f';
                return iCount;
            }
        }
        Buffer = Data;
        return iCount;
    }

    int iReads = 0;
    quint64 iRequested = 0;

private:
    int iFaultyRead;
    int iFaultKind;
    QList<TSegment> Segments;
};

void CheckPresets(const TInstrumentMemory& Memory) {
    Require(quint32(Memory.Presets().size()) <= TInstrumentMemory::kMaxPresetCount);
    for (const TPresetModules& Modules : Memory.Presets()) {
        Require(quint32(Modules.size()) <= TInstrumentMemory::kMaxModuleCount);
        // Each module holds exactly the flash data its record names.
        for (const TInstrumentData& Module : Modules)
            Require(quint64(Module.Data.size()) ==
                    quint64(Module.iFlashEntryCount) * Module.iFlashEntryLength);
    }
}

void CheckLevel(double fLevel) {
    Require(std::isfinite(fLevel) && fLevel <= 0.0 && fLevel >= -25.5);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qxfuzz::TInput Input(data, size);
    const quint8 iFault = Input.Byte();
    QList<TSegment> Segments;
    while (!Input.AtEnd()) {
        TSegment Segment;
        for (int i = 0; i < 4; ++i)
            Segment.iAddress = Segment.iAddress << 8 | Input.Byte();
        const size_t nLength = size_t(Input.Byte()) << 8 | Input.Byte();
        size_t nTaken = 0;
        const char* pBytes = Input.Take(nLength, nTaken);
        Segment.Data = QByteArray(pBytes, qsizetype(nTaken));
        Segments.append(Segment);
    }

    THostileReader Reader(iFault, Segments);
    TInstrumentMemory Memory;
    Memory.SetqxMeterCOM(&Reader);
    // The connect sequence of the logging thread.
    if (Memory.DeAllocatePresetMemory() && Memory.ReadMainMemoryPool()) {
        Require(Memory.MainMemoryPool().size() == TInstrumentMemory::kMainPoolEntryCount);
        Require(quint32(Memory.GlobalMemoryArrays().size()) <= TInstrumentMemory::kMaxGlobalArrayCount);
        Memory.ReadScreenInfo();
        const bool bPresets = Memory.SPIReadPreset();
        Require(bPresets || Memory.Presets().isEmpty());
        CheckPresets(Memory);
        for (quint8 iHWID : {quint8(0), quint8(222)}) {
            TLoudnessSetup Setup;
            Setup.bValid = true;
            const bool bConfig = Memory.GetLoudnessConfig(Setup, iHWID, 14);
            Require(bConfig == Setup.bValid && (!bConfig || bPresets));
            if (bConfig) {
                CheckLevel(Setup.fGateLevel);
                CheckLevel(Setup.fReferenceLevel);
                CheckLevel(Setup.fMeterPeakLevel);
                CheckLevel(Setup.fMeterPeakBarLevel);
            }
        }
        Memory.InitLogging();
    }
    // A failed read is never retried in a loop.
    Require(Reader.iReads < 200);
    return 0;
}
