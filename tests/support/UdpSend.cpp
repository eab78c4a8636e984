// Sends datagrams to a loopback port from a process of its own: qx_udp_send PORT HEX [HEX...]
#include <QCoreApplication>
#include <QUdpSocket>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: qx_udp_send PORT HEX [HEX...]\n");
        return 2;
    }
    const quint16 iPort = quint16(QByteArray(argv[1]).toUInt());
    QUdpSocket Socket;
    for (int i = 2; i < argc; ++i) {
        const QByteArray Datagram = QByteArray::fromHex(argv[i]);
        if (Socket.writeDatagram(Datagram, QHostAddress::LocalHost, iPort) != Datagram.size())
            return 1;
        Socket.waitForBytesWritten(1000);
    }
    return 0;
}
