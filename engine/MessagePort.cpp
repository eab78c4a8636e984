#include "engine/MessagePort.h"

#include <QNetworkDatagram>

TMessagePort::TMessagePort(QObject* parent) : QObject(parent) {
    connect(&UDP, &QUdpSocket::readyRead, this, &TMessagePort::ReadPending);
}

bool TMessagePort::Bind(int iStartPort) {
    iUDPPort = iStartPort;
    while (iUDPPort <= kLastPort) {
        Deactivate();
        // No address reuse: a port another process holds must be skipped, not shared.
        if (UDP.bind(QHostAddress(QHostAddress::LocalHost), quint16(iUDPPort), QUdpSocket::DontShareAddress))
            return true;
        ++iUDPPort;
    }
    return false;
}

void TMessagePort::Deactivate() {
    if (UDP.state() != QAbstractSocket::UnconnectedState)
        UDP.close();
}

void TMessagePort::ReadPending() {
    while (UDP.hasPendingDatagrams()) {
        const QNetworkDatagram Datagram = UDP.receiveDatagram();
        if (Datagram.isValid())
            Q_EMIT DatagramReceived(Datagram.data());
    }
}
