#include "engine/MessagePort.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Datagrams read with one system call, each up to the largest UDP payload.
constexpr int kBatchSize = 16;
constexpr int kSlotBytes = 65536;
// A wake-up that still finds datagrams after this long leaves the rest to the next one, so the window keeps
// answering during a flood.
constexpr int kDrainBudgetMs = 100;

qint64 SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

bool TDatagramSender::IsLoopbackPort(quint16 iWantedPort) const {
    return iAddress == INADDR_LOOPBACK && iPort == iWantedPort && iWantedPort != 0;
}

QString TDatagramSender::Text() const {
    return QHostAddress(iAddress).toString() + ':' + QString::number(iPort);
}

bool TDropTally::Add(qint64 iNowMs) {
    ++iPending;
    return !bLineWritten || iNowMs >= NextLineAt();
}

qint64 TDropTally::Take(qint64 iNowMs) {
    const qint64 iCount = iPending;
    iPending = 0;
    iLastLineMs = iNowMs;
    bLineWritten = true;
    return iCount;
}

TMessagePort::TMessagePort(QObject* parent)
    : QObject(parent), Buffer(std::make_unique_for_overwrite<char[]>(size_t(kBatchSize) * kSlotBytes)) {
    DropReportTimer.setSingleShot(true);
    connect(&DropReportTimer, &QTimer::timeout, this, &TMessagePort::ReportDrops);
}

TMessagePort::~TMessagePort() {
    Close();
}

bool TMessagePort::Bind(int iStartPort) {
    iUDPPort = iStartPort;
    while (iUDPPort <= kLastPort) {
        Close();
        iSocket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (iSocket < 0)
            return false;
        sockaddr_in Address{};
        Address.sin_family = AF_INET;
        Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        Address.sin_port = htons(quint16(iUDPPort));
        // No address reuse: a port another process holds must be skipped, not shared.
        if (::bind(iSocket, reinterpret_cast<const sockaddr*>(&Address), sizeof(Address)) == 0) {
            const int iBufferBytes = kReceiveBufferBytes;
            (void)::setsockopt(iSocket, SOL_SOCKET, SO_RCVBUF, &iBufferBytes, sizeof(iBufferBytes));
            Notifier = std::make_unique<QSocketNotifier>(qintptr(iSocket), QSocketNotifier::Read);
            connect(Notifier.get(), &QSocketNotifier::activated, this, &TMessagePort::ReadPending);
            return true;
        }
        ++iUDPPort;
    }
    Close();
    return false;
}

bool TMessagePort::HearOnly(quint16 iSenderPort) {
    if (iSocket < 0)
        return false;
    // Connecting a datagram socket sets the one peer it accepts; the unspecified family dissolves that.
    // The bound address and port stay either way.
    sockaddr_in Peer{};
    if (iSenderPort == 0) {
        Peer.sin_family = AF_UNSPEC;
    } else {
        Peer.sin_family = AF_INET;
        Peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        Peer.sin_port = htons(iSenderPort);
    }
    return ::connect(iSocket, reinterpret_cast<const sockaddr*>(&Peer), sizeof(Peer)) == 0;
}

void TMessagePort::Deactivate() {
    // The drops still waiting for their minute are told now, while the log still runs.
    ReportDrops();
    Close();
}

void TMessagePort::Close() {
    Notifier.reset();
    if (iSocket >= 0) {
        ::close(iSocket);
        iSocket = -1;
    }
}

void TMessagePort::ReadPending() {
    if (iSocket < 0 || bReading)
        return;
    bReading = true;
    ReadBatches();
    bReading = false;
}

void TMessagePort::ReadBatches() {
    mmsghdr Messages[kBatchSize];
    iovec Slots[kBatchSize];
    sockaddr_in Senders[kBatchSize];
    const QDeadlineTimer Budget(kDrainBudgetMs);
    while (iSocket >= 0 && !Budget.hasExpired()) {
        for (int i = 0; i < kBatchSize; ++i) {
            Slots[i] = {Buffer.get() + size_t(i) * kSlotBytes, size_t(kSlotBytes)};
            Messages[i] = {};
            Messages[i].msg_hdr.msg_iov = &Slots[i];
            Messages[i].msg_hdr.msg_iovlen = 1;
            Messages[i].msg_hdr.msg_name = &Senders[i];
            Messages[i].msg_hdr.msg_namelen = sizeof(Senders[i]);
        }
        const int iCount = ::recvmmsg(iSocket, Messages, kBatchSize, MSG_DONTWAIT, nullptr);
        if (iCount <= 0) {
            if (iCount < 0 && errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < iCount; ++i) {
            const TDatagramSender Sender{ntohl(Senders[i].sin_addr.s_addr), ntohs(Senders[i].sin_port)};
            if (fnSenderCheck && !fnSenderCheck(Sender)) {
                Drop(Sender);
                continue;
            }
            // Slots hold the largest UDP payload, so nothing arrives cut short.
            Q_EMIT DatagramReceived(
                QByteArray(Buffer.get() + size_t(i) * kSlotBytes, int(Messages[i].msg_len)));
            // A receiver may have closed the port meanwhile.
            if (iSocket < 0)
                return;
        }
        if (iCount < kBatchSize)
            break;
    }
}

void TMessagePort::Drop(const TDatagramSender& Sender) {
    LastDropped = Sender;
    const qint64 iNow = SteadyMs();
    if (Drops.Add(iNow)) {
        ReportDrops();
        return;
    }
    if (!DropReportTimer.isActive())
        DropReportTimer.start(int(qMax<qint64>(Drops.NextLineAt() - iNow, 0)));
}

void TMessagePort::ReportDrops() {
    DropReportTimer.stop();
    if (Drops.Pending() == 0)
        return;
    const qint64 iCount = Drops.Take(SteadyMs());
    Q_EMIT ForeignDatagramsDropped(iCount, LastDropped.Text());
}
