// Feeds a network meter's byte stream, in the chunks it arrives in, through the protocol layer, the login's
// prompt and banner detection, the line assembly and the receive buffer, as the network link chains them,
// and checks what the logging thread relies on: whole lines in order, bounded buffers, no byte invented.
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

// The link's login, as TNetworkLink runs it on each chunk of data.
struct TLoginModel {
    bool bLoginComplete = false;
    bool bBannerClosed = false;
    int iAnswers = 0;
    QByteArray sLoginText;
    QByteArray sRXData;
    TLineAssembler Lines;
    QList<QByteArray> Delivered;

    void DataAvailable(const QByteArray& Chunk, TTelnetNegotiation& Negotiation) {
        if (!bLoginComplete) {
            sLoginText.append(Chunk);
            if (sLoginText.size() > TNetworkLink::kMaxLoginText)
                sLoginText.remove(0, sLoginText.size() - TNetworkLink::kMaxLoginText);
            const TLoginPrompt Prompt = DetectLoginPrompt(sLoginText);
            if (Prompt != TLoginPrompt::None) {
                const QByteArray sUpper = sLoginText.toUpper();
                Require(sUpper.endsWith(Prompt == TLoginPrompt::UserName ? "LOGIN: " : "PASSWORD: "));
                ++iAnswers;
                sLoginText.clear();
                Negotiation.Send(Prompt == TLoginPrompt::UserName ? "operator\r\n" : "\xff\xff secret\r\n");
                return;
            }
            if (ContainsBannerMark(sLoginText)) {
                sRXData = sLoginText;
                bLoginComplete = true;
                CheckBannerClosed();
            }
            return;
        }
        if (!bBannerClosed) {
            sRXData.append(Chunk);
            CheckBannerClosed();
            return;
        }
        Deliver(Lines.Feed(Chunk));
    }

    void CheckBannerClosed() {
        if (IsBannerComplete(sRXData)) {
            bBannerClosed = true;
            const QByteArray Tail = BannerTail(sRXData);
            Require(sRXData.endsWith(Tail));
            Deliver(Lines.Feed(Tail));
        } else if (sRXData.size() > TNetworkLink::kMaxLoginText) {
            bBannerClosed = true;
        }
    }

    void Deliver(const QList<QByteArray>& NewLines) {
        for (const QByteArray& sLine : NewLines) {
            Require(!sLine.isEmpty() && !HoldsLineEnd(sLine));
            Delivered.append(sLine);
        }
        Require(Lines.Pending().size() <= TLineAssembler::kMaxLine);
    }
};

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

    TLoginModel Login;
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
        Login.DataAvailable(Data, Negotiation);

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
    Require(iSent <= 64 + 16 * iReceived + 32 * Login.iAnswers);
    CheckSplitInvariance(sAllData, AllLines);
    if (Login.bLoginComplete)
        CheckBanner(Login.sRXData);
    CheckBanner(sAllData);
    return 0;
}
