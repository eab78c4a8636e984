// The message port under a flood of datagrams from another sender. Two figures: how fast a wake-up drains a
// full receive queue of foreign datagrams, against reading them one by one through a Qt socket and checking
// each sender; and how many of the logging thread's own records are lost while another thread floods the port
// with 100,000 datagrams as fast as it can.

#include "bench/BenchTable.h"
#include "core/EngineCodes.h"
#include "engine/EngineMessages.h"
#include "engine/MessagePort.h"
#include "engine/UDPSender.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QVariant>

#include <atomic>
#include <thread>

namespace {

// Fits the receive queue the port asks for.
constexpr int kQueued = 5000;
constexpr int kFlood = 100000;

QByteArray ForeignRecord() {
    return EncodeEngineDatagram(kMessageLevelRecord, "10:00:59:00|-1|-20|-23.4|-30.1|-3.2|1|2|-24|5|-1|");
}

TTimingSettings NoPause() {
    TTimingSettings Timing;
    Timing.iDatagramPauseMs = 0;
    return Timing;
}

void Fill(QUdpSocket& Foreign, quint16 iPort) {
    const QByteArray Datagram = ForeignRecord();
    for (int i = 0; i < kQueued; ++i)
        Foreign.writeDatagram(Datagram, QHostAddress::LocalHost, iPort);
}

// Seconds to drain kQueued waiting foreign datagrams through the port.
double DrainPort() {
    TMessagePort Port;
    Port.Bind();
    Port.SetSenderCheck([](const TDatagramSender& s) { return s.IsLoopbackPort(1); });
    qint64 iDropped = 0;
    QObject::connect(&Port, &TMessagePort::ForeignDatagramsDropped,
                     [&](qint64 iCount, const QString&) { iDropped += iCount; });
    QUdpSocket Foreign;
    Fill(Foreign, quint16(Port.Port()));
    const double fSeconds = qxbench::TimeSeconds([&] { Port.DeliverPending(); });
    // The drops after the first are reported when their minute is over.
    if (iDropped != 1)
        std::fprintf(stderr, "the port reported %lld drops at once\n", (long long)iDropped);
    return fSeconds;
}

// The same with a Qt socket, one datagram and one sender check at a time.
double DrainQtSocket() {
    QUdpSocket Receiver;
    Receiver.bind(QHostAddress::LocalHost, 0);
    // The same queue as the port's, so that only the reading differs.
    Receiver.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                             QVariant(TMessagePort::kReceiveBufferBytes));
    QUdpSocket Foreign;
    Fill(Foreign, Receiver.localPort());
    int iDropped = 0;
    const double fSeconds = qxbench::TimeSeconds([&] {
        while (Receiver.hasPendingDatagrams()) {
            const QNetworkDatagram d = Receiver.receiveDatagram();
            if (d.senderPort() != 1)
                ++iDropped;
        }
    });
    if (iDropped != kQueued)
        std::fprintf(stderr, "the Qt socket queued %d of %d datagrams\n", iDropped, kQueued);
    return fSeconds;
}

// Percent of the engine's records lost while another thread floods the port: the engine sends one record
// every 200 microseconds for as long as the flood lasts; the port, hearing only the engine, or a Qt socket
// read one datagram at a time, counts what it accepts.
double GenuineLossDuringFlood(bool bMessagePort) {
    int iReceived = 0;
    TMessagePort Port;
    QUdpSocket QtReceiver;
    quint16 iPort = 0;
    if (bMessagePort) {
        Port.Bind();
        iPort = quint16(Port.Port());
    } else {
        QtReceiver.bind(QHostAddress::LocalHost, 0);
        iPort = QtReceiver.localPort();
    }
    TUDPSender Engine(iPort, NoPause());
    const quint16 iEngine = Engine.LocalPort();
    Port.SetSenderCheck([&](const TDatagramSender& s) { return s.IsLoopbackPort(iEngine); });
    // As the program sets it while a logging thread runs.
    if (bMessagePort)
        Port.HearOnly(iEngine);
    QObject::connect(&Port, &TMessagePort::DatagramReceived, [&](const QByteArray&) { ++iReceived; });
    QObject::connect(&QtReceiver, &QUdpSocket::readyRead, [&] {
        while (QtReceiver.hasPendingDatagrams())
            if (QtReceiver.receiveDatagram().senderPort() == iEngine)
                ++iReceived;
    });

    std::atomic<bool> bFloodDone{false};
    std::atomic<int> iSent{0};
    std::thread Flood([&] {
        QUdpSocket Foreign;
        const QByteArray Datagram = ForeignRecord();
        for (int i = 0; i < kFlood; ++i)
            Foreign.writeDatagram(Datagram, QHostAddress::LocalHost, iPort);
        bFloodDone = true;
    });
    std::thread Genuine([&] {
        while (!bFloodDone) {
            Engine.SendUDPMessage(kMessageTimeCode, "10:00:00:00|");
            ++iSent;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    while (!bFloodDone)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    Genuine.join();
    Flood.join();
    // What is still queued is not lost.
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return iSent > 0 ? 100.0 * (iSent - iReceived) / iSent : 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    std::vector<double> aPort, aQt, aRatio;
    for (int i = 0; i < 11; ++i) {
        const double p = DrainPort();
        const double q = DrainQtSocket();
        aPort.push_back(p);
        aQt.push_back(q);
        aRatio.push_back(q > 0 ? p / q : 0);
    }
    qxbench::PrintRow(
        qxbench::RatioRow("message port: drain 5,000 foreign datagrams (s)", {aPort, aQt, aRatio}, "<=0.5"));
    std::vector<double> aLossPort, aLossQt;
    for (int i = 0; i < 3; ++i) {
        aLossPort.push_back(GenuineLossDuringFlood(true));
        aLossQt.push_back(GenuineLossDuringFlood(false));
    }
    qxbench::PrintRow(qxbench::ValueRow("message port: engine records lost in a 100,000-datagram flood (%)",
                                        aLossPort, "<=0"));
    qxbench::PrintRow(qxbench::ValueRow(
        "previous port (Qt socket, one datagram at a time): engine records lost in the same flood (%)",
        aLossQt, ""));
    return 0;
}
