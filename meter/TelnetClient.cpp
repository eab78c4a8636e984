#include "meter/TelnetClient.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMetaEnum>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <libtelnet.h>
#include <utility>

namespace {

// What we take part in: our terminal type, and the meter's echo and go-ahead suppression if it offers
// them. Everything else is refused.
const telnet_telopt_t kTelopts[] = {
    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {-1, 0, 0},
};

} // namespace

TTelnetClient::TTelnetClient(const TTimingSettings& rTimingIn)
    : rTiming(rTimingIn), Socket(std::make_unique<QTcpSocket>()) {
    ResetNegotiation();
}

TTelnetClient::~TTelnetClient() {
    Socket->abort();
    if (pTelnet)
        telnet_free(pTelnet);
}

void TTelnetClient::CheckOwner() const {
    Q_ASSERT_X(QThread::currentThread() == Socket->thread(), "TTelnetClient",
               "the client is used only by the thread that created it");
}

void TTelnetClient::ResetNegotiation() {
    if (pTelnet)
        telnet_free(pTelnet);
    pTelnet = telnet_init(kTelopts, &TTelnetClient::EventHandler, 0, this);
}

bool TTelnetClient::Connect(const QString& sHost, quint16 iPort, int iTimeoutMs, QString& sErrorName,
                            QString& sError) {
    CheckOwner();
    sErrorName.clear();
    sError.clear();
    Socket->abort();
    ResetNegotiation();
    bWriteFailed = false;
    Socket->connectToHost(sHost, iPort);
    bool bTimedOut = false;
    if (!WaitForConnected(iTimeoutMs, bTimedOut)) {
        // A wait given up (time-out or cancel) reads as the socket's own time-out.
        const QAbstractSocket::SocketError eError =
            bTimedOut ? QAbstractSocket::SocketTimeoutError : Socket->error();
        sErrorName =
            QString::fromLatin1(QMetaEnum::fromType<QAbstractSocket::SocketError>().valueToKey(eError));
        sError = bTimedOut ? QStringLiteral("Socket operation timed out") : Socket->errorString();
        Socket->abort();
        return false;
    }
    Socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    bWatching = true;
    return true;
}

bool TTelnetClient::WaitForConnected(int iTimeoutMs, bool& bTimedOut) {
    if (!pCancelToken)
        return Socket->waitForConnected(iTimeoutMs);
    // The socket's own wait gives up the connection when it times out, so it cannot be cut into slices:
    // a local event loop watches the socket, the time and the token instead.
    const QDeadlineTimer Deadline(qMax(iTimeoutMs, 0));
    const auto Pending = [this] {
        const QAbstractSocket::SocketState eState = Socket->state();
        return eState == QAbstractSocket::HostLookupState || eState == QAbstractSocket::ConnectingState;
    };
    if (Pending()) {
        QEventLoop Loop;
        QTimer Tick;
        const auto Check = [&] {
            if (!Pending() || Deadline.hasExpired() || pCancelToken->Cancelled())
                Loop.quit();
        };
        QObject::connect(Socket.get(), &QAbstractSocket::stateChanged, &Loop, Check);
        QObject::connect(&Tick, &QTimer::timeout, &Loop, Check);
        Tick.start(TCancelToken::kSliceMs);
        Loop.exec();
    }
    if (Socket->state() == QAbstractSocket::ConnectedState)
        return true;
    bTimedOut = Pending();
    return false;
}

bool TTelnetClient::Connected() const {
    return Socket->state() == QAbstractSocket::ConnectedState;
}

void TTelnetClient::Disconnect() {
    CheckOwner();
    bWatching = false;
    if (Socket->state() == QAbstractSocket::UnconnectedState)
        return;
    Socket->disconnectFromHost();
    const QDeadlineTimer Deadline(rTiming.iWriteWaitMs);
    while (Socket->state() != QAbstractSocket::UnconnectedState && !Deadline.hasExpired() &&
           !IsCancelled(pCancelToken))
        Socket->waitForDisconnected(CancelSliceMs(pCancelToken, int(Deadline.remainingTime())));
    Socket->abort();
}

bool TTelnetClient::Write(const QByteArray& Bytes) {
    CheckOwner();
    if (!Connected())
        return false;
    bWriteFailed = false;
    telnet_send(pTelnet, Bytes.constData(), size_t(Bytes.size()));
    FlushWrites();
    return !bWriteFailed;
}

void TTelnetClient::FlushWrites() {
    // Without an event loop the bytes leave only while we wait for them.
    const QDeadlineTimer Deadline(rTiming.iWriteWaitMs);
    while (Socket->bytesToWrite() > 0) {
        if (Deadline.hasExpired() || IsCancelled(pCancelToken) || !Connected()) {
            bWriteFailed = true;
            break;
        }
        Socket->waitForBytesWritten(CancelSliceMs(pCancelToken, int(Deadline.remainingTime())));
    }
}

bool TTelnetClient::WaitForData(int iMs) {
    CheckOwner();
    if (Socket->bytesAvailable() == 0 && Connected())
        Socket->waitForReadyRead(CancelSliceMs(pCancelToken, qMax(0, iMs)));
    else if (Socket->bytesAvailable() == 0 && pCancelToken)
        pCancelToken->SleepFor(iMs);
    else if (Socket->bytesAvailable() == 0)
        QThread::msleep(quint64(qMax(0, iMs)));
    bool bDelivered = false;
    if (Socket->bytesAvailable() > 0) {
        const QByteArray Received = Socket->readAll();
        Chunk.clear();
        telnet_recv(pTelnet, Received.constData(), size_t(Received.size()));
        FlushWrites();
        if (!Chunk.isEmpty()) {
            const QByteArray Delivered = std::exchange(Chunk, QByteArray());
            bDelivered = true;
            if (OnDataAvailable)
                OnDataAvailable(Delivered);
        }
    }
    CheckClosed();
    return bDelivered;
}

void TTelnetClient::CheckClosed() {
    if (!bWatching || Connected() || Socket->bytesAvailable() > 0)
        return;
    bWatching = false;
    if (OnDisconnected)
        OnDisconnected();
}

void TTelnetClient::EventHandler(telnet_t*, telnet_event_t* pEvent, void* pUserData) {
    static_cast<TTelnetClient*>(pUserData)->HandleEvent(pEvent);
}

void TTelnetClient::HandleEvent(telnet_event_t* pEvent) {
    switch (pEvent->type) {
    case TELNET_EV_DATA:
        Chunk.append(pEvent->data.buffer, qsizetype(pEvent->data.size));
        break;
    case TELNET_EV_SEND:
        if (Socket->write(pEvent->data.buffer, qint64(pEvent->data.size)) != qint64(pEvent->data.size))
            bWriteFailed = true;
        break;
    case TELNET_EV_TTYPE:
        if (pEvent->ttype.cmd == TELNET_TTYPE_SEND)
            telnet_ttype_is(pTelnet, kTerminalType);
        break;
    case TELNET_EV_ERROR:
        // The meter broke the negotiation rules beyond repair: nothing it sends can be trusted any more.
        Socket->abort();
        break;
    default:
        break;
    }
}
