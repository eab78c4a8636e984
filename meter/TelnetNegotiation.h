#pragma once

#include <QByteArray>
#include <functional>

struct telnet_t;
union telnet_event_t;

// The terminal protocol layer between the socket and the meter's text, without the socket: received bytes
// go in, the data bytes come out with the option negotiation removed, and every answer the protocol owes
// the peer goes to OnSend. We announce the terminal type "dumb" and take the peer's echo and go-ahead
// suppression if it offers them; everything else is refused.
class TTelnetNegotiation {
public:
    static constexpr const char* kTerminalType = "dumb";

    TTelnetNegotiation();
    ~TTelnetNegotiation();
    TTelnetNegotiation(const TTelnetNegotiation&) = delete;
    TTelnetNegotiation& operator=(const TTelnetNegotiation&) = delete;

    // Forgets all negotiation state, as for a new connection.
    void Reset();
    // The data bytes among the received ones, in order; negotiation answers are sent meanwhile.
    QByteArray Receive(const QByteArray& Received);
    // Sends data bytes, escaping those equal to the negotiation marker.
    void Send(const QByteArray& Data);

    // Bytes for the peer, in order.
    std::function<void(const char* pBytes, qsizetype iSize)> OnSend;
    // The peer broke the negotiation rules beyond repair: nothing it sends can be trusted any more. Called
    // at once, while Receive runs.
    std::function<void()> OnError;

private:
    static void EventHandler(telnet_t* pTelnet, union telnet_event_t* pEvent, void* pUserData);
    void HandleEvent(union telnet_event_t* pEvent);

    telnet_t* pTelnet = nullptr;
    // Data of the bytes being received, collected across the layer's data events.
    QByteArray Data;
};
