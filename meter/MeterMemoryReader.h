#pragma once

#include <QByteArray>
#include <QtGlobal>

// Reads a meter's memory. The serial channel implements it over the wire; the memory model only needs
// this, so it can also be exercised against an in-process memory image.
class IMeterMemoryReader {
public:
    virtual ~IMeterMemoryReader() = default;
    // Buffer form: fills Buffer with iCount bytes read at iAddress. Returns iCount on success; any other
    // value (0, a short count, -1 for a bad trailer) is a failed read.
    virtual qint64 SPI1ReadRam(quint32 iAddress, quint32 iCount, QByteArray& Buffer) = 0;
};
