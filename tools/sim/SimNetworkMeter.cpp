#include "tools/sim/SimNetworkMeter.h"

#include "meter/MeterCommands.h"
#include "tools/sim/SimReportGenerator.h"

#include <QHostAddress>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <libtelnet.h>
#include <limits>
#include <utility>

namespace {

// The meter asks for the terminal type and offers to suppress go-ahead; it does not echo.
const telnet_telopt_t kServerTelopts[] = {
    {TELNET_TELOPT_TTYPE, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DONT},
    {-1, 0, 0},
};

const QByteArray kGreeting = QByteArrayLiteral("\r\nqxMeter network interface\r\n");
const QByteArray kUserNamePrompt = QByteArrayLiteral("login: ");
const QByteArray kPasswordPrompt = QByteArrayLiteral("Password: ");
const QByteArray kLoginIncorrect = QByteArrayLiteral("\r\nLogin incorrect\r\n");
const QByteArray kOK = QByteArrayLiteral("OK");
constexpr qsizetype kMaxLine = 256;
// A split prompt goes out as its first three characters, then the rest.
constexpr qsizetype kPromptSplitAt = 3;
// How often a meter that cannot listen again after vanishing tries.
constexpr int kRelistenMs = 1000;

} // namespace

// One connection: the telnet layer, the login dialogue and the text-command meter behind it.
class TSimTelnetSession {
public:
    TSimTelnetSession(TSimNetworkMeter& rMeter, QTcpSocket* pSocket)
        : rMeter(rMeter), rConfig(rMeter.rConfig), pSocket(pSocket), Reports(rConfig.iStartSecond) {
        Reports.SetPaused(rConfig.bPausedReports);
        Reports.SetTimecodeFrozen(rConfig.bFreezeTimecode);
        pTelnet = telnet_init(kServerTelopts, &TSimTelnetSession::EventHandler, 0, this);
        ReportTimer.setInterval(std::max(1, rConfig.iReportIntervalMs));
        QObject::connect(&ReportTimer, &QTimer::timeout, pSocket, [this] {
            SendLine(Reports.NextReport());
            this->rMeter.NoteReport(
                TSimTimecodeMark{Reports.CurrentSecond(), SimNowMs() + this->rConfig.iReportIntervalMs});
        });
        QObject::connect(pSocket, &QTcpSocket::readyRead, pSocket, [this] {
            const QByteArray Bytes = this->pSocket->readAll();
            telnet_recv(pTelnet, Bytes.constData(), size_t(Bytes.size()));
        });
        telnet_negotiate(pTelnet, TELNET_DO, TELNET_TELOPT_TTYPE);
        telnet_negotiate(pTelnet, TELNET_WILL, TELNET_TELOPT_SGA);
        Send(kGreeting);
        SendPrompt(kUserNamePrompt);
    }

    ~TSimTelnetSession() {
        StopReports();
        telnet_free(pTelnet);
    }

    TSimTelnetSession(const TSimTelnetSession&) = delete;
    TSimTelnetSession& operator=(const TSimTelnetSession&) = delete;

    // The meter vanished: the connection goes at once, with nothing more sent.
    void Drop() {
        sTail.clear();
        StopReports();
        eStage = TStage::Closed;
        pSocket->abort();
    }

    // Where this session's timecode stands now, if it is reporting.
    std::optional<TSimTimecodeMark> ReportingMark() const {
        if (!ReportTimer.isActive())
            return std::nullopt;
        return TSimTimecodeMark{Reports.CurrentSecond(), SimNowMs() + ReportTimer.remainingTime()};
    }

private:
    enum class TStage { UserName, Password, LoggedIn, Closed };

    static void EventHandler(telnet_t*, telnet_event_t* pEvent, void* pUserData) {
        static_cast<TSimTelnetSession*>(pUserData)->HandleEvent(pEvent);
    }

    void HandleEvent(telnet_event_t* pEvent) {
        switch (pEvent->type) {
        case TELNET_EV_SEND:
            pSocket->write(pEvent->data.buffer, qint64(pEvent->data.size));
            break;
        case TELNET_EV_DATA:
            HandleData(QByteArray(pEvent->data.buffer, qsizetype(pEvent->data.size)));
            break;
        case TELNET_EV_WILL:
            if (pEvent->neg.telopt == TELNET_TELOPT_TTYPE)
                telnet_ttype_send(pTelnet);
            break;
        case TELNET_EV_TTYPE:
            if (pEvent->ttype.cmd == TELNET_TTYPE_IS && pEvent->ttype.name) {
                const QString sType = QString::fromLatin1(pEvent->ttype.name);
                rMeter.Update([&](TSimNetworkStats& rStats) { rStats.slTerminalTypes.append(sType); });
            }
            break;
        case TELNET_EV_ERROR:
            pSocket->abort();
            break;
        default:
            break;
        }
    }

    void HandleData(const QByteArray& Bytes) {
        // A line ends with CR; the LF or NUL a terminal sends after it carries nothing.
        for (const char c : Bytes) {
            if (c == qxproto::kCR) {
                HandleLine(sLine);
                sLine.clear();
            } else if (c != qxproto::kLF && c != '\0' && sLine.size() < kMaxLine) {
                sLine.append(c);
            }
        }
    }

    void HandleLine(const QByteArray& sText) {
        switch (eStage) {
        case TStage::UserName:
            sUserName = sText;
            eStage = TStage::Password;
            SendPrompt(kPasswordPrompt);
            break;
        case TStage::Password:
            CheckLogin(sText);
            break;
        case TStage::LoggedIn:
            HandleCommand(sText);
            break;
        case TStage::Closed:
            break;
        }
    }

    void CheckLogin(const QByteArray& sPassword) {
        const bool bCorrect =
            sUserName == rConfig.sUserName.toUtf8() && sPassword == rConfig.sPassword.toUtf8();
        if (bCorrect) {
            eStage = TStage::LoggedIn;
            rMeter.Update([](TSimNetworkStats& rStats) { ++rStats.iLogins; });
            Send(Banner());
            if (rConfig.iDropAfterMs > 0)
                QTimer::singleShot(rConfig.iDropAfterMs, pSocket, [this] { Close(); });
            return;
        }
        rMeter.Update([](TSimNetworkStats& rStats) { ++rStats.iRefusedLogins; });
        if (rConfig.eWrongLogin == TSimWrongLogin::BannerAndClose) {
            Send(Banner());
            Close();
            return;
        }
        eStage = TStage::UserName;
        Send(kLoginIncorrect);
        SendPrompt(kUserNamePrompt);
    }

    void HandleCommand(const QByteArray& sCommand) {
        rMeter.Update(
            [&](TSimNetworkStats& rStats) { rStats.slCommands.append(QString::fromLatin1(sCommand)); });
        if (sCommand == qxproto::kTextCmdLogStart) {
            StopReports();
            SendLine(kOK + "\r\n");
            SetReporting(true);
            QTimer::singleShot(rConfig.iInitReportDelayMs, &ReportTimer, [this] {
                if (!bReporting)
                    return;
                SendLine(TSimReportGenerator::InitReport());
                rMeter.ReportingStarted(Reports, SimNowMs() + rConfig.iReportIntervalMs);
                ReportTimer.start();
            });
        } else if (sCommand == qxproto::kTextCmdLogStop) {
            StopReports();
        }
    }

    void StopReports() {
        ReportTimer.stop();
        SetReporting(false);
    }

    void SetReporting(bool bValue) {
        if (bValue == bReporting)
            return;
        bReporting = bValue;
        rMeter.Update([bValue](TSimNetworkStats& rStats) { rStats.iReporting += bValue ? 1 : -1; });
    }

    QByteArray Banner() const {
        // The meter ends its serial number line CR LF and its unit name line LF CR.
        return kGreeting + QByteArrayLiteral("Serial Number: ") + QByteArray::number(rConfig.iSerialNumber) +
               QByteArrayLiteral("\r\nUnit Name.: ") + rConfig.sUnitName.toLatin1() +
               QByteArrayLiteral("\n\r");
    }

    // A reply or report line (it ends CR LF as generated), with the configured line end and splitting.
    void SendLine(QByteArray Line) {
        if (rConfig.bLFCR && Line.endsWith("\r\n"))
            Line.replace(Line.size() - 2, 2, QByteArrayLiteral("\n\r"));
        if (rConfig.iSplitLineMs <= 0) {
            Send(Line);
            return;
        }
        SendSplit(Line, Line.size() / 2, rConfig.iSplitLineMs);
    }

    void SendPrompt(const QByteArray& Prompt) {
        if (rConfig.iSplitPromptMs <= 0) {
            Send(Prompt);
            return;
        }
        SendSplit(Prompt, kPromptSplitAt, rConfig.iSplitPromptMs);
    }

    // Sends the head now and the tail after iDelayMs; anything sent meanwhile follows the tail.
    void SendSplit(const QByteArray& Bytes, qsizetype iAt, int iDelayMs) {
        Send(Bytes.left(iAt));
        sTail = Bytes.mid(iAt);
        QTimer::singleShot(iDelayMs, pSocket, [this] { FlushTail(); });
    }

    void FlushTail() {
        if (sTail.isEmpty())
            return;
        const QByteArray Tail = std::exchange(sTail, QByteArray());
        telnet_send(pTelnet, Tail.constData(), size_t(Tail.size()));
        pSocket->flush();
    }

    void Send(const QByteArray& Bytes) {
        if (eStage == TStage::Closed)
            return;
        FlushTail();
        telnet_send(pTelnet, Bytes.constData(), size_t(Bytes.size()));
        pSocket->flush();
    }

    void Close() {
        FlushTail();
        StopReports();
        eStage = TStage::Closed;
        pSocket->disconnectFromHost();
    }

    TSimNetworkMeter& rMeter;
    const TSimNetworkConfig& rConfig;
    QTcpSocket* pSocket;
    telnet_t* pTelnet = nullptr;
    TSimReportGenerator Reports;
    QTimer ReportTimer;
    TStage eStage = TStage::UserName;
    QByteArray sLine;
    QByteArray sUserName;
    QByteArray sTail;
    bool bReporting = false;
};

TSimNetworkMeter::TSimNetworkMeter(const TSimNetworkConfig& rConfigIn, QObject* pParent)
    : QObject(pParent), rConfig(rConfigIn), pServer(new QTcpServer(this)), Vanish(rConfigIn.rVanish),
      pVanishTimer(new QTimer(this)) {
    connect(pServer, &QTcpServer::newConnection, this, [this] { OnNewConnection(); });
    pVanishTimer->setSingleShot(true);
    connect(pVanishTimer, &QTimer::timeout, this, [this] { StepVanish(); });
}

TSimNetworkMeter::~TSimNetworkMeter() {
    // Sockets closing with the server must not reach a meter that is going.
    for (const auto& Entry : Sessions)
        QObject::disconnect(Entry.first, nullptr, this, nullptr);
    Sessions.clear();
}

bool TSimNetworkMeter::Listen(QString& sError) {
    if (!pServer->listen(QHostAddress::LocalHost, rConfig.iPort)) {
        sError = pServer->errorString();
        return false;
    }
    iListenPort.store(pServer->serverPort());
    return true;
}

TSimNetworkStats TSimNetworkMeter::Stats() const {
    QMutexLocker Lock(&StatsMutex);
    return rStats;
}

void TSimNetworkMeter::Update(const std::function<void(TSimNetworkStats&)>& fnChange) {
    QMutexLocker Lock(&StatsMutex);
    fnChange(rStats);
}

void TSimNetworkMeter::ReportingStarted(TSimReportGenerator& rReports, qint64 iFirstDueMs) {
    if (TimecodeMark)
        rReports.RunOnFrom(*TimecodeMark, iFirstDueMs, rConfig.iReportIntervalMs);
    Vanish.ReportingStarted(SimNowMs());
    ArmVanishTimer();
}

void TSimNetworkMeter::NoteReport(const TSimTimecodeMark& rNext) {
    LastReport = rNext;
}

void TSimNetworkMeter::ArmVanishTimer() {
    const qint64 iDue = Vanish.NextDueMs();
    if (iDue == TSimVanishSchedule::kNever) {
        pVanishTimer->stop();
        return;
    }
    pVanishTimer->start(int(std::clamp<qint64>(iDue - SimNowMs(), 0, std::numeric_limits<int>::max())));
}

void TSimNetworkMeter::StepVanish() {
    const qint64 iNow = SimNowMs();
    switch (Vanish.Take(iNow)) {
    case TSimVanishSchedule::TStep::None:
        break;
    case TSimVanishSchedule::TStep::Vanish: {
        // The clock runs on from the stream that was going; with none, from the last report sent.
        std::optional<TSimTimecodeMark> Mark;
        for (const auto& Entry : Sessions) {
            const std::optional<TSimTimecodeMark> Going = Entry.second->ReportingMark();
            if (Going && (!Mark || Going->iSecond > Mark->iSecond))
                Mark = Going;
        }
        if (!Mark)
            Mark = LastReport;
        if (Mark)
            TimecodeMark = Mark;
        else if (!TimecodeMark)
            TimecodeMark = TSimTimecodeMark{rConfig.iStartSecond, iNow};
        // The port closes first, so whoever sees the connection drop finds it refusing.
        pServer->close();
        for (const auto& Entry : Sessions)
            Entry.second->Drop();
        PrintSimEvent(QStringLiteral("meter vanished"),
                      QStringLiteral("connections dropped, port %1 closed, back in %2 ms")
                          .arg(Port())
                          .arg(Vanish.ForMs()));
        break;
    }
    case TSimVanishSchedule::TStep::Return:
        ListenAgain();
        break;
    }
    ArmVanishTimer();
}

void TSimNetworkMeter::ListenAgain() {
    if (pServer->listen(QHostAddress::LocalHost, Port())) {
        PrintSimEvent(QStringLiteral("meter back"), QStringLiteral("listening on 127.0.0.1:%1").arg(Port()));
        return;
    }
    // Someone took the port meanwhile: the meter stays away until it is free again.
    PrintSimEvent(QStringLiteral("meter cannot come back yet"), pServer->errorString());
    QTimer::singleShot(kRelistenMs, this, [this] { ListenAgain(); });
}

void TSimNetworkMeter::OnNewConnection() {
    while (QTcpSocket* pSocket = pServer->nextPendingConnection()) {
        Update([](TSimNetworkStats& rStats) { ++rStats.iConnections; });
        // The session goes once the connection has closed, outside the socket's own signal.
        connect(pSocket, &QTcpSocket::disconnected, this, [this, pSocket] {
            QMetaObject::invokeMethod(
                this,
                [this, pSocket] {
                    Sessions.erase(pSocket);
                    pSocket->deleteLater();
                },
                Qt::QueuedConnection);
        });
        Sessions.emplace(pSocket, std::make_unique<TSimTelnetSession>(*this, pSocket));
    }
}

TSimNetworkMeterThread::TSimNetworkMeterThread(const TSimNetworkConfig& rConfig)
    : Thread(std::make_unique<QThread>()), pMeter(new TSimNetworkMeter(rConfig)) {
    pMeter->moveToThread(Thread.get());
}

TSimNetworkMeterThread::~TSimNetworkMeterThread() {
    if (Thread->isRunning()) {
        // The meter and its sockets are deleted on their own thread.
        QMetaObject::invokeMethod(
            pMeter, [this] { delete pMeter; }, Qt::BlockingQueuedConnection);
        Thread->quit();
        Thread->wait();
    } else {
        delete pMeter;
    }
}

bool TSimNetworkMeterThread::Start(QString& sError) {
    Thread->start();
    bool bOk = false;
    QMetaObject::invokeMethod(
        pMeter, [this, &bOk, &sError] { bOk = pMeter->Listen(sError); }, Qt::BlockingQueuedConnection);
    return bOk;
}

quint16 TSimNetworkMeterThread::Port() const {
    return pMeter->Port();
}

TSimNetworkStats TSimNetworkMeterThread::Stats() const {
    return pMeter->Stats();
}
