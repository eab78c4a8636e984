#include "engine/UDPSender.h"

#include "engine/EngineMessages.h"

#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in LoopbackAddress(quint16 iPort) {
    sockaddr_in Address{};
    Address.sin_family = AF_INET;
    Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    Address.sin_port = htons(iPort);
    return Address;
}

} // namespace

TUDPSender::TUDPSender(int iUDPPortIn, const TTimingSettings& rTiming, const TCancelToken* pCancel)
    : iUDPPort(quint16(iUDPPortIn)), iPauseMs(rTiming.iDatagramPauseMs), pCancelToken(pCancel) {
    iSocket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (iSocket < 0)
        return;
    sockaddr_in Address = LoopbackAddress(0);
    socklen_t iLength = sizeof(Address);
    if (::bind(iSocket, reinterpret_cast<const sockaddr*>(&Address), sizeof(Address)) != 0 ||
        ::getsockname(iSocket, reinterpret_cast<sockaddr*>(&Address), &iLength) != 0) {
        ::close(iSocket);
        iSocket = -1;
        return;
    }
    iLocalPort = ntohs(Address.sin_port);
}

TUDPSender::~TUDPSender() {
    if (iSocket >= 0)
        ::close(iSocket);
}

void TUDPSender::SendUDPMessage(int iCode, const QString& sText) {
    const QByteArray Datagram = EncodeEngineDatagram(iCode, sText);
    {
        std::lock_guard<std::mutex> Guard(SendLock);
        if (bStopped || iSocket < 0)
            return;
        const sockaddr_in Target = LoopbackAddress(iUDPPort);
        // A full receive queue drops the datagram like any other loss on the way; the thread never blocks.
        (void)::sendto(iSocket, Datagram.constData(), size_t(Datagram.size()), MSG_DONTWAIT,
                       reinterpret_cast<const sockaddr*>(&Target), sizeof(Target));
    }
    if (iPauseMs <= 0)
        return;
    if (pCancelToken)
        pCancelToken->SleepFor(iPauseMs);
    else
        QThread::msleep(iPauseMs);
}

void TUDPSender::Stop() {
    std::lock_guard<std::mutex> Guard(SendLock);
    bStopped = true;
}
