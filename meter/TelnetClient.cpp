#include "meter/TelnetClient.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMetaEnum>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <utility>

TTelnetClient::TTelnetClient(const TTimingSettings& rTimingIn)
    : rTiming(rTimingIn), Socket(std::make_unique<QTcpSocket>()) {
    Negotiation.OnSend = [this](const char* pBytes, qsizetype iSize) {
        if (Socket->write(pBytes, qint64(iSize)) != qint64(iSize))
            bWriteFailed = true;
    };
    Negotiation.OnError = [this] { Socket->abort(); };
}

TTelnetClient::~TTelnetClient() {
    Socket->abort();
}

void TTelnetClient::CheckOwner() const {
    Q_ASSERT_X(QThread::currentThread() == Socket->thread(), "TTelnetClient",
               "the client is used only by the thread that created it");
}

bool TTelnetClient::Connect(const QString& sHost, quint16 iPort, int iTimeoutMs, QString& sErrorName,
                            QString& sError) {
    CheckOwner();
    sErrorName.clear();
    sError.clear();
    Socket->abort();
    Negotiation.Reset();
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
    Negotiation.Send(Bytes);
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
        const QByteArray Delivered = Negotiation.Receive(Socket->readAll());
        FlushWrites();
        if (!Delivered.isEmpty()) {
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
