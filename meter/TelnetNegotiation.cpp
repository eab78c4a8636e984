#include "meter/TelnetNegotiation.h"

#include <libtelnet.h>
#include <utility>

namespace {

const telnet_telopt_t kTelopts[] = {
    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {-1, 0, 0},
};

} // namespace

TTelnetNegotiation::TTelnetNegotiation() {
    Reset();
}

TTelnetNegotiation::~TTelnetNegotiation() {
    if (pTelnet)
        telnet_free(pTelnet);
}

void TTelnetNegotiation::Reset() {
    if (pTelnet)
        telnet_free(pTelnet);
    pTelnet = telnet_init(kTelopts, &TTelnetNegotiation::EventHandler, 0, this);
}

QByteArray TTelnetNegotiation::Receive(const QByteArray& Received) {
    Data.clear();
    if (pTelnet)
        telnet_recv(pTelnet, Received.constData(), size_t(Received.size()));
    return std::exchange(Data, QByteArray());
}

void TTelnetNegotiation::Send(const QByteArray& Bytes) {
    if (pTelnet)
        telnet_send(pTelnet, Bytes.constData(), size_t(Bytes.size()));
}

void TTelnetNegotiation::EventHandler(telnet_t*, telnet_event_t* pEvent, void* pUserData) {
    static_cast<TTelnetNegotiation*>(pUserData)->HandleEvent(pEvent);
}

void TTelnetNegotiation::HandleEvent(telnet_event_t* pEvent) {
    switch (pEvent->type) {
    case TELNET_EV_DATA:
        Data.append(pEvent->data.buffer, qsizetype(pEvent->data.size));
        break;
    case TELNET_EV_SEND:
        if (OnSend)
            OnSend(pEvent->data.buffer, qsizetype(pEvent->data.size));
        break;
    case TELNET_EV_TTYPE:
        if (pEvent->ttype.cmd == TELNET_TTYPE_SEND)
            telnet_ttype_is(pTelnet, kTerminalType);
        break;
    case TELNET_EV_ERROR:
        if (OnError)
            OnError();
        break;
    default:
        break;
    }
}
