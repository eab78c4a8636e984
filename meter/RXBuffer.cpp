#include "meter/RXBuffer.h"

#include <QMutexLocker>

void TRXBuffer::AppendLine(const QByteArray& sLine) {
    QMutexLocker Lock(&Mutex);
    if (!sGlobalRXBuffer.isEmpty())
        sGlobalRXBuffer.append("\r\n");
    sGlobalRXBuffer.append(sLine);
    if (sGlobalRXBuffer.size() > kMaxBuffer) {
        // Keep whole lines: cut at the first line end inside the part that is kept.
        qsizetype iCut = sGlobalRXBuffer.indexOf("\r\n", sGlobalRXBuffer.size() - kMaxBuffer);
        iCut = iCut < 0 ? sGlobalRXBuffer.size() - kMaxBuffer : iCut + 2;
        sGlobalRXBuffer.remove(0, iCut);
    }
    bRXString.store(true, std::memory_order_release);
}

bool TRXBuffer::Take(QString& sText) {
    QMutexLocker Lock(&Mutex);
    const bool bHadLine = bRXString.load(std::memory_order_acquire);
    sText = QString::fromLatin1(sGlobalRXBuffer);
    sGlobalRXBuffer.clear();
    bRXString.store(false, std::memory_order_release);
    return bHadLine;
}

void TRXBuffer::Clear() {
    QMutexLocker Lock(&Mutex);
    sGlobalRXBuffer.clear();
    bRXString.store(false, std::memory_order_release);
}
