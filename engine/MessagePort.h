#pragma once

#include <QObject>
#include <QUdpSocket>

// The loopback port on which the main window receives the logging thread's text messages. Bound to
// 127.0.0.1 only, on the first free port from 50001 upwards.
class TMessagePort : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirstPort = 50001;
    static constexpr int kLastPort = 65500;

    explicit TMessagePort(QObject* parent = nullptr);

    // Tries the ports from iStartPort upwards; false once past the last port.
    bool Bind(int iStartPort = kFirstPort);
    void Deactivate();
    bool Active() const { return UDP.state() == QAbstractSocket::BoundState; }
    // The port tried last: the bound one after a successful Bind.
    int Port() const { return iUDPPort; }
    // Hands on every datagram already waiting, without returning to the event loop.
    void DeliverPending() { ReadPending(); }

Q_SIGNALS:
    // One whole datagram, in arrival order, on the thread that owns the port.
    void DatagramReceived(const QByteArray& Datagram);

private:
    void ReadPending();

    QUdpSocket UDP;
    int iUDPPort = kFirstPort;
};
