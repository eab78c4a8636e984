#include "meter/InstrumentLink.h"

#include "core/EngineCodes.h"
#include "meter/MeterCommands.h"
#include "meter/qxMeterCOM.h"

#include <QDeadlineTimer>
#include <algorithm>

namespace {

const QString kLoginRefusedText = QStringLiteral("Incorrect instrument username or password.|3");
const QString kNoLoginAnswerText = QStringLiteral("Instrument is not responding to login request.|3");
const QString kErrorRaised = QStringLiteral(" error raised, with message : ");
const QString kErrorLevel = QStringLiteral("|4");
// The connect step stops a report stream the meter may still be sending, twice in case one is lost.
constexpr int kStopCommandRepeats = 2;

} // namespace

TInstrumentLink::TInstrumentLink(const TInstrumentInfo& rActiveNetworkCFGIn, TqxMeterCom* pCOMIn,
                                 TLinkReporter ReporterIn, const TTimingSettings& rTimingIn)
    : rActiveNetworkCFG(rActiveNetworkCFGIn), pCOM(pCOMIn), Reporter(std::move(ReporterIn)),
      rTiming(rTimingIn), Telnet(rTimingIn) {
    // Only a loss the meter caused: our own disconnect at the end of a run leaves the thread's state alone.
    Telnet.OnDisconnected = [this] { SetThreadState(kThreadStateConnecting); };
    if (pCOM)
        pCOM->OnRXString = [this](const QString& sRXBuffer) { COMOnRXString(sRXBuffer); };
}

TInstrumentLink::~TInstrumentLink() {
    if (pCOM)
        pCOM->OnRXString = nullptr;
}

void TInstrumentLink::SetThreadState(int iState) {
    if (Reporter.fnSetThreadState)
        Reporter.fnSetThreadState(iState);
}

void TInstrumentLink::PostThreadEvent(int iEvent) {
    if (Reporter.fnPostThreadEvent)
        Reporter.fnPostThreadEvent(iEvent);
}

void TInstrumentLink::SendLog(const QString& sText) {
    if (Reporter.fnSendLog)
        Reporter.fnSendLog(sText);
}

int TInstrumentLink::TelnetLogin() {
    TInstrumentInfo rNetworkCFG = rActiveNetworkCFG;
    TTelnetError rError;
    int iResult = Telnet.TelnetLogin(rNetworkCFG, rError);
    if (iResult == kLoginError) {
        SendLog(rError.sName + kErrorRaised + rError.sText + kErrorLevel);
        return kLoginNoResponse;
    }
    if (iResult == kLoginOK) {
        iSerialNumber = rNetworkCFG.iSerialNo;
        sInstrumentName = rNetworkCFG.sInstrumentName;
    }
    return iResult;
}

bool TInstrumentLink::ConnectNetwork() {
    switch (TelnetLogin()) {
    case kLoginOK: {
        SetThreadState(kThreadStateReady);
        PostThreadEvent(kEventConnected);
        QString sResponce;
        for (int i = 0; i < kStopCommandRepeats; ++i)
            SendInstrumentCMD(QLatin1String(qxproto::kTextCmdLogStop), sResponce, false);
        return true;
    }
    case kLoginRefused:
        SetThreadState(kThreadStateClosing);
        PostThreadEvent(kEventLoginRefused);
        SendLog(kLoginRefusedText);
        return false;
    default:
        PostThreadEvent(kEventNetworkNoAnswer);
        SendLog(kNoLoginAnswerText);
        SetThreadState(kThreadStateClosing);
        return false;
    }
}

bool TInstrumentLink::SendInstrumentCMD(const QString& sCMD, QString& sResponce, bool bResponce) {
    sResponce.clear();
    ClearRXBuffer();
    if (rActiveNetworkCFG.bComPort) {
        if (!pCOM)
            return false;
        if (bResponce)
            return pCOM->SendCMD(sCMD, sResponce);
        pCOM->SendCMD(sCMD);
        return true;
    }
    if (!Telnet.Connected())
        return false;
    if (!Telnet.SendLine(sCMD)) {
        SetThreadState(kThreadStateConnecting);
        return false;
    }
    if (!bResponce)
        return true;
    if (!WaitForRXString())
        return false;
    GetRXString(sResponce);
    return true;
}

void TInstrumentLink::COMOnRXString(const QString& sRXBuffer) {
    // The channel hands over text one character per byte.
    for (const QByteArray& sLine : SerialLines.Feed(sRXBuffer.toLatin1()))
        Telnet.RXBuffer().AppendLine(sLine);
}

void TInstrumentLink::ClearRXBuffer() {
    Telnet.FlushBuffers();
}

bool TInstrumentLink::RXString() const {
    return Telnet.RXBuffer().HasLine();
}

bool TInstrumentLink::WaitForRXString() {
    if (!rActiveNetworkCFG.bComPort)
        return Telnet.WaitForRXString();
    const QDeadlineTimer Deadline(qint64(rTiming.iRXStringPolls) * rTiming.iTickMs);
    for (;;) {
        if (RXString())
            return true;
        if (Deadline.hasExpired() || IsCancelled(pCancelToken))
            return false;
        PollRX(int(std::clamp<qint64>(Deadline.remainingTime(), 0, rTiming.iTickMs)));
    }
}

void TInstrumentLink::GetRXString(QString& sText) {
    Telnet.GetRXString(sText);
}

void TInstrumentLink::PollRX(int iMs) {
    if (rActiveNetworkCFG.bComPort) {
        if (pCOM)
            pCOM->PollRX(iMs);
        return;
    }
    Telnet.PollRX(iMs);
}
