// Feeds a network meter's byte stream, in the chunks it arrives in, through the protocol layer and then the
// network link's login (prompt and banner detection) and line intake, and separately through the line
// assembly and the receive buffer, and checks what the logging thread relies on: whole lines in order,
// bounded buffers, no byte invented.
#include "FuzzCommon.h"
#include "meter/NetworkLink.h"
#include "meter/RXBuffer.h"
#include "meter/TelnetNegotiation.h"
#include "meter/TelnetProtocol.h"

#include <QByteArray>
#include <QList>

using qxfuzz::Require;

namespace {

bool HoldsLineEnd(const QByteArray& sLine) {
    return sLine.contains("\r\n") || sLine.contains("\n\r");
}

void CheckBanner(const QByteArray& sRXData) {
    const TTelnetBanner Banner = ParseBanner(sRXData);
    Require(Banner.iSerialNo >= 0);
    Require(!Banner.sUnitName.contains(u'\n'));
    Require(Banner.sUnitName.size() <= sRXData.size());
}

// Lines do not depend on how the bytes were cut into chunks.
void CheckSplitInvariance(const QByteArray& sAll, const QList<QByteArray>& ChunkedLines) {
    if (sAll.size() > TLineAssembler::kMaxLine)
        return;
    TLineAssembler Whole;
    Require(Whole.Feed(sAll) == ChunkedLines);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qxfuzz::TInput Input(data, size);
    TTelnetNegotiation Negotiation;
    qsizetype iSent = 0;
    bool bBroken = false;
    Negotiation.OnSend = [&](const char* pBytes, qsizetype iSize) {
        Require(pBytes != nullptr || iSize == 0);
        iSent += iSize;
    };
    Negotiation.OnError = [&] { bBroken = true; };

    TTimingSettings Timing;
    Timing.iLoginWaitMs = 0;
    // Not connected: its answers to prompts go nowhere, everything else runs as with a meter.
    TNetworkLink Link(Timing);
    // The same data straight into the assembler and the receive buffer, as after a login.
    TLineAssembler Lines;
    TRXBuffer RX;
    QByteArray sAllData;
    QList<QByteArray> AllLines;
    qsizetype iReceived = 0;
    while (!Input.AtEnd() && !bBroken) {
        size_t nChunk = 0;
        const char* pChunk = Input.Take(Input.Byte() % 64 + 1, nChunk);
        const QByteArray Received(pChunk, qsizetype(nChunk));
        iReceived += Received.size();
        const QByteArray Data = Negotiation.Receive(Received);
        // The layer only removes bytes (and turns an escaped marker or CR NUL into one byte).
        Require(Data.size() <= Received.size());
        sAllData.append(Data);
        Link.TelnetDataAvailable(Data);
        Require(Link.Banner().size() <= TNetworkLink::kMaxLoginText + Data.size());
        Require(!Link.LoginComplete() || ContainsBannerMark(Link.Banner()));
        QString sLinkLines;
        Link.GetRXString(sLinkLines);
        Require(!Link.RXBuffer().HasLine());
        Require(sLinkLines.size() <= TRXBuffer::kMaxBuffer);

        const QList<QByteArray> NewLines = Lines.Feed(Data);
        QByteArray sExpected;
        for (const QByteArray& sLine : NewLines) {
            Require(!sLine.isEmpty() && !HoldsLineEnd(sLine));
            RX.AppendLine(sLine);
            sExpected += (sExpected.isEmpty() ? "" : "\r\n") + sLine;
        }
        AllLines += NewLines;
        QString sTaken;
        Require(RX.Take(sTaken) == !NewLines.isEmpty());
        Require(sTaken == QString::fromLatin1(sExpected));
        Require(!RX.HasLine());
    }
    // Answers stay in proportion to what the meter sent: it cannot make us flood it.
    Require(iSent <= 64 + 16 * iReceived);
    CheckSplitInvariance(sAllData, AllLines);
    if (Link.LoginComplete())
        CheckBanner(Link.Banner());
    CheckBanner(sAllData);
    return 0;
}
