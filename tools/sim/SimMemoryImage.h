#pragma once

#include <QByteArray>
#include <QMap>
#include <QtGlobal>

// The simulated meter's memory: sparse blocks at 32-bit addresses. Bytes never written read as 0, like the
// unused memory of a meter.
class TSimMemoryImage {
public:
    void Write(quint32 iAddress, const QByteArray& Data) {
        for (int i = 0; i < Data.size(); ++i)
            mBytes[iAddress + quint32(i)] = quint8(Data[i]);
    }
    QByteArray Read(quint32 iAddress, quint32 iCount) const {
        QByteArray Out(qsizetype(iCount), '\0');
        for (quint32 i = 0; i < iCount; ++i) {
            auto it = mBytes.constFind(iAddress + i);
            if (it != mBytes.constEnd())
                Out[qsizetype(i)] = char(it.value());
        }
        return Out;
    }

private:
    QMap<quint32, quint8> mBytes;
};
