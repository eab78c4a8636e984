// Sends datagrams to a loopback port from a process of its own: qx_udp_send PORT [-n TIMES] HEX [HEX...]
// With -n the whole list is sent TIMES times, as fast as the socket takes it.
#include <QCoreApplication>
#include <QUdpSocket>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int iFirst = 2;
    long iTimes = 1;
    if (argc >= 4 && std::strcmp(argv[2], "-n") == 0) {
        iTimes = QByteArray(argv[3]).toLong();
        iFirst = 4;
    }
    if (argc <= iFirst || iTimes < 1) {
        std::fprintf(stderr, "usage: qx_udp_send PORT [-n TIMES] HEX [HEX...]\n");
        return 2;
    }
    const quint16 iPort = quint16(QByteArray(argv[1]).toUInt());
    QList<QByteArray> Datagrams;
    for (int i = iFirst; i < argc; ++i)
        Datagrams.append(QByteArray::fromHex(argv[i]));
    QUdpSocket Socket;
    for (long n = 0; n < iTimes; ++n) {
        for (const QByteArray& Datagram : Datagrams) {
            // A full send buffer empties within moments, even on a busy machine; five seconds of it is a
            // failure.
            int iTries = 0;
            while (Socket.writeDatagram(Datagram, QHostAddress::LocalHost, iPort) != Datagram.size()) {
                if (++iTries == 500)
                    return 1;
                Socket.waitForBytesWritten(10);
            }
        }
    }
    return 0;
}
