#pragma once

#include "meter/MeterMemoryReader.h"
#include "tools/sim/SimMemoryImage.h"

#include <QList>
#include <functional>

// Serves a memory image in-process the way the serial channel serves a meter's memory, and records every
// request. It can answer chosen requests short, not at all, or with a count it did not deliver.
class TImageMemoryReader : public IMeterMemoryReader {
public:
    struct TRequest {
        quint32 iAddress = 0;
        quint32 iCount = 0;
        bool operator==(const TRequest&) const = default;
    };
    using TRequestFilter = std::function<bool(quint32 iAddress, quint32 iCount)>;

    // Requests above this are never served: a model asking for them is at fault.
    static constexpr quint32 kLargestServedRead = 4u << 20;

    explicit TImageMemoryReader(const TSimMemoryImage& Image) : Image(Image) {}

    qint64 SPI1ReadRam(quint32 iAddress, quint32 iCount, QByteArray& Buffer) override {
        Requests.append({iAddress, iCount});
        if (iCount > kLargestServedRead) {
            bOversized = true;
            return 0;
        }
        if (Fail && Fail(iAddress, iCount))
            return 0;
        // A short answer delivers fewer bytes than asked for and reports that count.
        if (CutShort && CutShort(iAddress, iCount))
            return qint64(iCount) - 1;
        const QByteArray Data = Image.Read(iAddress, iCount);
        // A faulty channel: claims the full count but hands over one byte less.
        if (Lie && Lie(iAddress, iCount)) {
            Buffer = Data.left(qsizetype(iCount) - 1);
            return iCount;
        }
        Buffer = Data;
        return iCount;
    }

    TSimMemoryImage Image;
    QList<TRequest> Requests;
    TRequestFilter Fail;
    TRequestFilter CutShort;
    TRequestFilter Lie;
    bool bOversized = false;
};
