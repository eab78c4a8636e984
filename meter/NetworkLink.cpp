#include "meter/NetworkLink.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QThread>
#include <algorithm>
#include <memory>

namespace {

constexpr int kMaxPort = 65535;

int RemainingMs(const QDeadlineTimer& Deadline) {
    return int(std::max<qint64>(0, Deadline.remainingTime()));
}

} // namespace

TNetworkLink::TNetworkLink(const TTimingSettings& rTimingIn) : rTiming(rTimingIn), Telnet(rTimingIn) {
    Telnet.OnDataAvailable = [this](const QByteArray& Chunk) { TelnetDataAvailable(Chunk); };
    Telnet.OnDisconnected = [this] {
        if (OnDisconnected)
            OnDisconnected();
    };
}

void TNetworkLink::SetCancelToken(const TCancelToken* pCancel) {
    pCancelToken = pCancel;
    Telnet.SetCancelToken(pCancel);
}

void TNetworkLink::ResetLogin() {
    bLoginComplete = false;
    bBannerClosed = false;
    sLoginText.clear();
    sRXData.clear();
    Lines.Clear();
}

void TNetworkLink::FlushBuffers() {
    RX.Clear();
}

void TNetworkLink::Disconnect() {
    Telnet.Disconnect();
}

int TNetworkLink::TelnetLogin(TInstrumentInfo& rNetworkCFG, TTelnetError& rError) {
    rError = {};
    if (Telnet.Connected())
        return kLoginNoResponse;
    if (rNetworkCFG.iPort < 1 || rNetworkCFG.iPort > kMaxPort) {
        rError.sName = QStringLiteral("PortError");
        rError.sText = QStringLiteral("Port %1 is not a TCP port.").arg(rNetworkCFG.iPort);
        return kLoginError;
    }
    FlushBuffers();
    ResetLogin();
    sUserName = rNetworkCFG.sUserName;
    sPassword = rNetworkCFG.sPassword;

    const QDeadlineTimer Deadline(rTiming.iLoginTimeoutMs);
    if (!Telnet.Connect(rNetworkCFG.sHostName, quint16(rNetworkCFG.iPort), RemainingMs(Deadline),
                        rError.sName, rError.sText))
        return kLoginError;
    while (!bLoginComplete && Telnet.Connected() && !Deadline.hasExpired() && !IsCancelled(pCancelToken))
        Telnet.WaitForData(std::min(RemainingMs(Deadline), rTiming.iTickMs * 10));
    if (!bLoginComplete)
        return kLoginNoResponse;

    // A meter that refuses the login shows its banner and then closes: watch for that before trusting it.
    const QDeadlineTimer Settle(rTiming.iLoginWaitMs);
    while (Telnet.Connected() && !Settle.hasExpired() && !IsCancelled(pCancelToken))
        Telnet.WaitForData(RemainingMs(Settle));
    if (IsCancelled(pCancelToken))
        return kLoginNoResponse;
    if (!Telnet.Connected())
        return kLoginRefused;
    const TTelnetBanner Banner = ParseBanner(sRXData);
    rNetworkCFG.iSerialNo = Banner.iSerialNo;
    rNetworkCFG.sInstrumentName = Banner.sUnitName;
    return kLoginOK;
}

void TNetworkLink::TelnetDataAvailable(const QByteArray& Chunk) {
    if (!bLoginComplete) {
        // Prompts and the banner are looked for in all text since the last answer, so a prompt split
        // across two reads is still answered.
        sLoginText.append(Chunk);
        if (sLoginText.size() > kMaxLoginText)
            sLoginText.remove(0, sLoginText.size() - kMaxLoginText);
        switch (DetectLoginPrompt(sLoginText)) {
        case TLoginPrompt::UserName:
            AnswerPrompt(sUserName);
            return;
        case TLoginPrompt::Password:
            AnswerPrompt(sPassword);
            return;
        case TLoginPrompt::None:
            break;
        }
        if (ContainsBannerMark(sLoginText)) {
            sRXData = sLoginText;
            bLoginComplete = true;
            CheckBannerClosed();
        }
        return;
    }
    if (!bBannerClosed) {
        // The unit name line may end in a later read than the banner mark.
        sRXData.append(Chunk);
        CheckBannerClosed();
        return;
    }
    for (const QByteArray& sLine : Lines.Feed(Chunk))
        RX.AppendLine(sLine);
}

void TNetworkLink::CheckBannerClosed() {
    if (IsBannerComplete(sRXData)) {
        bBannerClosed = true;
        // Text after the unit name line is the meter's first data.
        for (const QByteArray& sLine : Lines.Feed(BannerTail(sRXData)))
            RX.AppendLine(sLine);
    } else if (sRXData.size() > kMaxLoginText) {
        bBannerClosed = true;
    }
}

void TNetworkLink::AnswerPrompt(const QString& sValue) {
    WaitLoginPause();
    FlushBuffers();
    sLoginText.clear();
    Telnet.Write(sValue.toUtf8() + QByteArrayLiteral("\r\n"));
    WaitLoginPause();
}

void TNetworkLink::WaitLoginPause() {
    // The meter's login needs a moment between prompt and answer; bytes arriving meanwhile wait in the
    // socket.
    if (rTiming.iLoginWaitMs <= 0)
        return;
    if (pCancelToken)
        pCancelToken->SleepFor(rTiming.iLoginWaitMs);
    else
        QThread::msleep(quint64(rTiming.iLoginWaitMs));
}

bool TNetworkLink::SendLine(const QString& sLine) {
    QByteArray Bytes;
    Bytes.reserve(sLine.size() + 1);
    // One byte per character, its low 8 bits, as on the serial line.
    for (const QChar c : sLine)
        Bytes.append(char(c.unicode() & 0xFF));
    Bytes.append('\r');
    return Telnet.Write(Bytes);
}

void TNetworkLink::PollRX(int iMs) {
    Telnet.WaitForData(iMs);
}

bool TNetworkLink::WaitForRXString() {
    const QDeadlineTimer Deadline(qint64(rTiming.iRXStringPolls) * rTiming.iTickMs);
    for (;;) {
        if (RX.HasLine())
            return true;
        if (Deadline.hasExpired() || IsCancelled(pCancelToken))
            return false;
        PollRX(std::min(RemainingMs(Deadline), rTiming.iTickMs));
    }
}

void TNetworkLink::GetRXString(QString& sText) {
    RX.Take(sText);
}

QThread* StartTelnetLoginTest(const TInstrumentInfo& rNetworkCFG, const TTimingSettings& rTiming,
                              QObject* pContext, TTelnetLoginDone fnDone) {
    struct TOutcome {
        int iResult = kLoginNoResponse;
        TInstrumentInfo rNetworkCFG;
        TTelnetError rError;
    };
    // Written by the worker before it finishes, read on pContext's thread after: the thread's end orders
    // them.
    auto pOutcome = std::make_shared<TOutcome>();
    pOutcome->rNetworkCFG = rNetworkCFG;
    QThread* pThread = QThread::create([pOutcome, rTiming] {
        TNetworkLink Link(rTiming);
        pOutcome->iResult = Link.TelnetLogin(pOutcome->rNetworkCFG, pOutcome->rError);
        Link.Disconnect();
    });
    // The context ties the delivery to pContext's thread and drops it when pContext is gone.
    QObject::connect(pThread, &QThread::finished, pContext, [pOutcome, fnDone = std::move(fnDone)] {
        fnDone(pOutcome->iResult, pOutcome->rNetworkCFG, pOutcome->rError);
    });
    QObject::connect(pThread, &QThread::finished, pThread, &QObject::deleteLater);
    pThread->start();
    return pThread;
}
