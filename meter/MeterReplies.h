#pragma once

#include <QByteArray>
#include <QtGlobal>

// Pure decoders of the serial channel's answers, so every rule is testable with byte strings.

// A meter line is complete when the bytes end with CR LF or LF CR.
bool IsLineComplete(const QByteArray& Bytes);

// The answer to a memory read of iCount bytes as it arrived. It is complete when it holds at least iCount
// bytes and then the trailer "OK" LF CR; Data is then everything before the trailer. iReceived counts the
// bytes received minus the trailer's 4, whether complete or not.
struct TMemoryReply {
    QByteArray Data;
    bool bComplete = false;
    qint64 iReceived = 0;
};
TMemoryReply DecodeMemoryReply(const QByteArray& Received, quint32 iCount);

// The buffer form's result of a read of iCount bytes: iCount, and Buffer set, when exactly iCount bytes
// came whole. Otherwise Buffer stays as it was and the result is the other count that came whole, -1 when
// the right count came without the trailer, or 0 when nothing usable came.
qint64 MemoryReadResult(const TMemoryReply& Reply, quint32 iCount, QByteArray& Buffer);
