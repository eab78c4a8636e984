#include "meter/MeterReplies.h"

#include "meter/MeterCommands.h"

bool IsLineComplete(const QByteArray& Bytes) {
    return Bytes.endsWith("\r\n") || Bytes.endsWith("\n\r");
}

TMemoryReply DecodeMemoryReply(const QByteArray& Received, quint32 iCount) {
    TMemoryReply Reply;
    Reply.iReceived = Received.size() - qxproto::kMemoryTrailerBytes;
    // Counted, not by line: a data block may itself hold CR LF.
    if (Reply.iReceived >= qint64(iCount) && Received.endsWith(qxproto::kMemoryTrailer)) {
        Reply.Data = Received.first(Received.size() - qxproto::kMemoryTrailerBytes);
        Reply.bComplete = true;
    }
    return Reply;
}

qint64 MemoryReadResult(const TMemoryReply& Reply, quint32 iCount, QByteArray& Buffer) {
    if (Reply.bComplete) {
        if (Reply.Data.size() == qsizetype(iCount))
            Buffer = Reply.Data;
        return Reply.Data.size();
    }
    return Reply.iReceived == qint64(iCount) ? -1 : 0;
}
