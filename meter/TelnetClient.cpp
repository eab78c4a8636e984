#include "meter/TelnetClient.h"

#include <QDeadlineTimer>
#include <QMetaEnum>
#include <QTcpSocket>
#include <QThread>

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
    if (!Socket->waitForConnected(iTimeoutMs)) {
        sErrorName = QString::fromLatin1(
            QMetaEnum::fromType<QAbstractSocket::SocketError>().valueToKey(Socket->error()));
        sError = Socket->errorString();
        Socket->abort();
        return false;
    }
    Socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    bWatching = true;
    return true;
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
    if (Socket->state() != QAbstractSocket::UnconnectedState)
        Socket->waitForDisconnected(rTiming.iWriteWaitMs);
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
    while (Socket->bytesToWrite() > 0)
        if (!Socket->waitForBytesWritten(rTiming.iWriteWaitMs)) {
            bWriteFailed = true;
            break;
        }
}

bool TTelnetClient::WaitForData(int iMs) {
    CheckOwner();
    if (Socket->bytesAvailable() == 0 && Connected())
        Socket->waitForReadyRead(iMs);
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
