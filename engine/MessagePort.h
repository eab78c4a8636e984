#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class QSocketNotifier;

// Where a datagram came from: an IPv4 address and port, in host order.
struct TDatagramSender {
    quint32 iAddress = 0;
    quint16 iPort = 0;

    // 127.0.0.1:iWantedPort, the port not 0.
    bool IsLoopbackPort(quint16 iWantedPort) const;
    QString Text() const;
};

// Counts dropped datagrams and says when the engine log should hear of them: at the first drop, then at
// most once a minute, and once more for the drops after the last line. Times are milliseconds of any
// steady clock.
class TDropTally {
public:
    static constexpr qint64 kIntervalMs = 60000;

    // One more drop at iNowMs; true when a line is due now.
    bool Add(qint64 iNowMs);
    // Drops not reported yet.
    qint64 Pending() const { return iPending; }
    // When the next line may be written.
    qint64 NextLineAt() const { return iLastLineMs + kIntervalMs; }
    // The drops since the last line, which is written at iNowMs.
    qint64 Take(qint64 iNowMs);

private:
    qint64 iPending = 0;
    qint64 iLastLineMs = 0;
    bool bLineWritten = false;
};

// The loopback port on which the main window receives the logging thread's text messages. Bound to
// 127.0.0.1 only, on the first free port from 50001 upwards. Datagrams whose sender the sender check refuses
// are read and dropped without being decoded, and only their count is reported. Every wake-up reads all
// that waits, several datagrams per system call. While only one sender may talk, the system itself turns the
// others away, so that a flood of foreign datagrams cannot crowd the engine's own out of the receive queue.
class TMessagePort : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirstPort = 50001;
    static constexpr int kLastPort = 65500;
    // Asked for; the system may grant less.
    static constexpr int kReceiveBufferBytes = 8 * 1024 * 1024;

    using TSenderCheck = std::function<bool(const TDatagramSender&)>;

    explicit TMessagePort(QObject* parent = nullptr);
    ~TMessagePort() override;

    // Tries the ports from iStartPort upwards; false once past the last port.
    bool Bind(int iStartPort = kFirstPort);
    // Closes the port; drops not reported yet are reported first.
    void Deactivate();
    bool Active() const { return iSocket >= 0; }
    // The port tried last: the bound one after a successful Bind.
    int Port() const { return iUDPPort; }
    // Who may talk to the port; without a check every sender is heard.
    void SetSenderCheck(TSenderCheck fnCheck) { fnSenderCheck = std::move(fnCheck); }
    // Only 127.0.0.1:iSenderPort reaches the receive queue; the system refuses every other sender before it
    // takes a place there, so those are neither read nor counted. 0 lets every sender in again. Datagrams
    // already waiting still go through the sender check. False when the system refuses the change.
    bool HearOnly(quint16 iSenderPort);
    // Hands on every datagram already waiting, without returning to the event loop.
    void DeliverPending() { ReadPending(); }

Q_SIGNALS:
    // One whole datagram of an accepted sender, in arrival order, on the thread that owns the port.
    void DatagramReceived(const QByteArray& Datagram);
    // iCount datagrams were dropped since the last report; the last came from sLastSender.
    void ForeignDatagramsDropped(qint64 iCount, const QString& sLastSender);

private:
    void ReadPending();
    void ReadBatches();
    void Close();
    void Drop(const TDatagramSender& Sender);
    void ReportDrops();

    int iSocket = -1;
    int iUDPPort = kFirstPort;
    std::unique_ptr<QSocketNotifier> Notifier;
    TSenderCheck fnSenderCheck;
    // Receive slots for one batch of datagrams. Left uninitialised: the kernel writes each slot before it
    // is read, and untouched pages cost the start-up nothing.
    std::unique_ptr<char[]> Buffer;
    TDropTally Drops;
    TDatagramSender LastDropped;
    // Writes the drops after the last line once their minute is over.
    QTimer DropReportTimer;
    // A receiver that drains the port from inside a delivery leaves the rest to the delivery under way,
    // whose batch is still in the receive slots.
    bool bReading = false;
};
