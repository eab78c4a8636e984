// Feeds arbitrary answers to the serial channel's decoders: the status record, the version line, the flash
// identity, line ends and memory read answers. A meter (or whatever sits on the port) may send anything.
#include "FuzzCommon.h"
#include "meter/MeterInfo.h"
#include "meter/MeterReplies.h"

#include <QByteArray>

using qxfuzz::Require;

namespace {

bool SameIdentification(const TqxMeterInfo& a, const TqxMeterInfo& b) {
    return a.IOString == b.IOString && a.TypeName == b.TypeName && a.SystemMode == b.SystemMode &&
           a.HWVer == b.HWVer && a.TypeNo == b.TypeNo && a.USBSerial == b.USBSerial &&
           a.SerialNo == b.SerialNo && a.HWID == b.HWID && a.CRC == b.CRC && a.CRCValid == b.CRCValid &&
           a.SPI0FlashUID == b.SPI0FlashUID && a.SPI0FlashMFG == b.SPI0FlashMFG &&
           a.SoftwarePackage == b.SoftwarePackage;
}

void CheckStatusRecord(const QByteArray& Reply) {
    TqxMeterInfo Info;
    const TqxMeterInfo Before = Info;
    const bool bOk = DecodeStatusRecord(Reply, Info);
    const int N = Reply.isEmpty() ? 0 : quint8(Reply.at(0));
    Require(bOk == (Reply.size() >= 32 && Reply.size() == N + 2));
    if (!bOk) {
        Require(SameIdentification(Info, Before));
        return;
    }
    Require(Info.DataCount == N);
    Require(Info.HWVer.size() <= 3 && Info.USBSerial.size() <= 12);
    Require(Info.TypeNo >= 0 && Info.TypeNo < kTypeNoCount && Info.TypeName == TypeNameOf(Info.TypeNo));
    Require(Info.CRCValid == (StatusChecksum(Reply, N - 1) == quint8(Reply.at(N - 1))));
    Require(Info.SerialNo >= 0 && Info.SerialNo <= 0xFFFF);
}

void CheckVersionLine(const QByteArray& Reply) {
    const QString sLine = DecodeVersionLine(Reply);
    Require(sLine.size() <= kIOStringMaxChars && sLine.size() <= qMax<qsizetype>(0, Reply.size() - 2));
    Require(sLine == QString::fromLatin1(Reply.left(sLine.size())));
}

void CheckFlashIdentity(const QByteArray& Reply) {
    TqxMeterInfo Info;
    const bool bOk = DecodeFlashIdentity(Reply, Info);
    Require(bOk == (Reply.size() >= 20));
    if (bOk)
        Require(Info.SPI0FlashMFG == quint8(Reply.at(0)) && Info.SPI0FlashUID[16] == quint8(Reply.at(19)));
    else
        Require(Info.SPI0FlashMFG == 0 && Info.SPI0FlashUID == decltype(Info.SPI0FlashUID){});
}

// A read reports its full count only with exactly that many bytes and the trailer, and only then hands
// the bytes over. (A read of nothing is never sent to the meter.)
void CheckMemoryReply(const QByteArray& Received, quint32 iCount) {
    const TMemoryReply Reply = DecodeMemoryReply(Received, iCount);
    Require(Reply.iReceived == Received.size() - 4);
    Require(!Reply.bComplete || Received == Reply.Data + "OK\n\r");
    QByteArray Buffer("untouched");
    const qint64 iResult = MemoryReadResult(Reply, iCount, Buffer);
    if (iCount > 0 && iResult == qint64(iCount)) {
        Require(Reply.bComplete && Buffer.size() == qsizetype(iCount));
        Require(Received == Buffer + "OK\n\r");
    } else if (iResult != qint64(iCount)) {
        Require(Buffer == "untouched");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray Reply(reinterpret_cast<const char*>(data), qsizetype(size));
    CheckStatusRecord(Reply);
    CheckVersionLine(Reply);
    CheckFlashIdentity(Reply);
    Require(IsLineComplete(Reply) == (Reply.endsWith("\r\n") || Reply.endsWith("\n\r")));

    // The count asked for: the answer's own size less the trailer, or a count from the first byte.
    const quint32 iCount =
        size > 0 && (data[0] & 1) ? quint32(data[0] >> 1) : quint32(qMax<qsizetype>(0, Reply.size() - 4));
    CheckMemoryReply(Reply, iCount);

    // The type number follows the hardware identifier, or the serial prefix of the text-command series.
    if (size >= 1) {
        const int iTypeNo = TypeNoFromHWID(data[0], QString::fromLatin1(Reply.mid(1)));
        Require(iTypeNo >= 0 && iTypeNo < kTypeNoCount);
    }
    return 0;
}
