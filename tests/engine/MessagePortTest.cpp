#include "engine/MessagePort.h"
#include "core/EngineCodes.h"
#include "engine/EngineMessages.h"
#include "engine/UDPSender.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TimingPresets.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <gtest/gtest.h>

TEST(MessagePort, BindsLoopbackAndSkipsATakenPort) {
    // Hold the port the search starts at, as another program would.
    QUdpSocket Squatter;
    int iStart = 50001;
    while (!Squatter.bind(QHostAddress::LocalHost, quint16(iStart), QUdpSocket::DontShareAddress))
        ++iStart;
    TMessagePort Port;
    ASSERT_TRUE(Port.Bind(iStart));
    EXPECT_GT(Port.Port(), iStart);
    EXPECT_TRUE(Port.Active());

    QList<QByteArray> Received;
    QObject::connect(&Port, &TMessagePort::DatagramReceived,
                     [&](const QByteArray& b) { Received.append(b); });
    QUdpSocket Sender;
    Sender.writeDatagram(QByteArray("one"), QHostAddress::LocalHost, quint16(Port.Port()));
    Sender.writeDatagram(QByteArray("two"), QHostAddress::LocalHost, quint16(Port.Port()));
    ASSERT_TRUE(qxtest::WaitFor([&] { return Received.size() == 2; }));
    EXPECT_EQ(Received[0], "one");
    EXPECT_EQ(Received[1], "two");

    Port.Deactivate();
    EXPECT_FALSE(Port.Active());
}

TEST(MessagePort, GivesUpPastTheLastPort) {
    QUdpSocket Squatter;
    ASSERT_TRUE(Squatter.bind(QHostAddress::LocalHost, quint16(TMessagePort::kLastPort)));
    TMessagePort Port;
    EXPECT_FALSE(Port.Bind(TMessagePort::kLastPort));
    EXPECT_FALSE(Port.Active());
}

// The port hears the one sender it is told of; everything else is dropped, counted and reported, and the
// sender itself falls silent once stopped.
TEST(MessagePort, HearsOnlyTheEnginesSenderAndCountsTheRest) {
    TMessagePort Port;
    ASSERT_TRUE(Port.Bind());
    TUDPSender Engine(Port.Port(), qxtest::NoPauseTiming());
    ASSERT_NE(Engine.LocalPort(), 0);
    Port.SetSenderCheck([&](const TDatagramSender& s) { return s.IsLoopbackPort(Engine.LocalPort()); });
    QList<QByteArray> Received;
    QList<qint64> Drops;
    QString sLastForeign;
    QObject::connect(&Port, &TMessagePort::DatagramReceived,
                     [&](const QByteArray& b) { Received.append(b); });
    QObject::connect(&Port, &TMessagePort::ForeignDatagramsDropped, [&](qint64 iCount, const QString& s) {
        Drops.append(iCount);
        sLastForeign = s;
    });

    QUdpSocket Foreign;
    ASSERT_TRUE(Foreign.bind(QHostAddress::LocalHost, 0));
    const QByteArray Record = EncodeEngineDatagram(kMessageLevelRecord, "10:00:01:00|");
    for (int i = 0; i < 3; ++i)
        Foreign.writeDatagram(Record, QHostAddress::LocalHost, quint16(Port.Port()));
    Engine.SendUDPMessage(kMessageLog, "Idle.|1");
    // All is waiting already: one drain hands it on without the event loop.
    Port.DeliverPending();
    ASSERT_EQ(Received.size(), 1);
    EXPECT_EQ(Received[0], EncodeEngineDatagram(kMessageLog, "Idle.|1"));
    EXPECT_EQ(Drops, QList<qint64>{1}) << "the first drop is reported at once, the others within the minute";
    EXPECT_EQ(sLastForeign, "127.0.0.1:" + QString::number(Foreign.localPort()));

    Engine.Stop();
    Engine.SendUDPMessage(kMessageLog, "after the stop|1");
    Foreign.writeDatagram(EncodeEngineDatagram(kMessageLog, "marker|1"), QHostAddress::LocalHost,
                          quint16(Port.Port()));
    Port.SetSenderCheck({});
    ASSERT_TRUE(qxtest::WaitFor([&] { return Received.size() >= 2; }));
    EXPECT_EQ(Received.size(), 2);
    EXPECT_EQ(Received.last(), EncodeEngineDatagram(kMessageLog, "marker|1"));
    // Closing tells the drops that still waited for their minute.
    Port.Deactivate();
    EXPECT_EQ(Drops, (QList<qint64>{1, 2}));
}

// While only the engine may talk, other senders never take a place in the receive queue: a flood far larger
// than the queue leaves room for the engine's record, and nothing of the flood is read or counted. Letting
// everyone in again brings back reading and counting.
TEST(MessagePort, TurnsOtherSendersAwayWhileOnlyTheEngineMayTalk) {
    TMessagePort Port;
    ASSERT_TRUE(Port.Bind());
    TUDPSender Engine(Port.Port(), qxtest::NoPauseTiming());
    Port.SetSenderCheck([&](const TDatagramSender& s) { return s.IsLoopbackPort(Engine.LocalPort()); });
    QList<QByteArray> Received;
    qint64 iDropped = 0;
    QObject::connect(&Port, &TMessagePort::DatagramReceived,
                     [&](const QByteArray& b) { Received.append(b); });
    QObject::connect(&Port, &TMessagePort::ForeignDatagramsDropped,
                     [&](qint64 iCount, const QString&) { iDropped += iCount; });
    QUdpSocket Foreign;
    ASSERT_TRUE(Foreign.bind(QHostAddress::LocalHost, 0));
    // As large as the engine's record, so that no gap left in a full queue fits the one but not the other.
    const QByteArray Flood = EncodeEngineDatagram(kMessageLevelRecord, "10:00:59:00|");

    ASSERT_TRUE(Port.HearOnly(Engine.LocalPort()));
    // More than the largest queue the system grants, twice what the port asks for, can hold: each datagram
    // takes well over 512 bytes of it.
    for (int i = 0; i < 2 * TMessagePort::kReceiveBufferBytes / 512; ++i)
        Foreign.writeDatagram(Flood, QHostAddress::LocalHost, quint16(Port.Port()));
    Engine.SendUDPMessage(kMessageLevelRecord, "10:00:01:00|");
    Port.DeliverPending();
    EXPECT_EQ(Received, QList<QByteArray>{EncodeEngineDatagram(kMessageLevelRecord, "10:00:01:00|")});
    EXPECT_EQ(iDropped, 0);

    ASSERT_TRUE(Port.HearOnly(0));
    Foreign.writeDatagram(Flood, QHostAddress::LocalHost, quint16(Port.Port()));
    Engine.SendUDPMessage(kMessageLevelRecord, "10:00:02:00|");
    Port.DeliverPending();
    EXPECT_EQ(Received.size(), 2) << "the port keeps its binding";
    EXPECT_EQ(iDropped, 1);
}

TEST(MessagePort, ReportsDropsAtOnceThenAtMostOnceAMinute) {
    constexpr qint64 kMinute = TDropTally::kIntervalMs;
    TDropTally Tally;
    struct Step {
        qint64 iAtMs;
        bool bLineDue;
    };
    const Step aSteps[] = {
        {1000, true},  // the first drop
        {1001, false}, // counted for later
        {1000 + kMinute - 1, false},
        {1000 + kMinute, true}, // a minute after the last line
        {10 * kMinute, true},   // after a quiet time, at once again
    };
    qint64 iCounted = 0;
    for (const Step& s : aSteps) {
        ++iCounted;
        EXPECT_EQ(Tally.Add(s.iAtMs), s.bLineDue) << s.iAtMs;
        if (s.bLineDue) {
            EXPECT_EQ(Tally.Take(s.iAtMs), iCounted) << s.iAtMs;
            iCounted = 0;
        }
    }
    EXPECT_EQ(Tally.Pending(), 0);
    EXPECT_FALSE(Tally.Add(10 * kMinute + 5));
    EXPECT_EQ(Tally.NextLineAt(), 11 * kMinute);
}

TEST(MessageSender, BindsBeforeSendingAndStaysSilentOnceStopped) {
    QUdpSocket Window;
    ASSERT_TRUE(Window.bind(QHostAddress::LocalHost, 0));
    TUDPSender Sender(Window.localPort(), qxtest::NoPauseTiming());
    ASSERT_NE(Sender.LocalPort(), 0);
    Sender.SendUDPMessage(kMessageTimeCode, "10:00:00:00|");
    ASSERT_TRUE(qxtest::WaitFor([&] { return Window.hasPendingDatagrams(); }));
    const QNetworkDatagram First = Window.receiveDatagram();
    EXPECT_EQ(First.senderPort(), Sender.LocalPort());
    EXPECT_EQ(First.senderAddress(), QHostAddress(QHostAddress::LocalHost));
    Sender.Stop();
    Sender.SendUDPMessage(kMessageTimeCode, "10:00:00:01|");
    // A datagram sent afterwards by someone else arrives first: the stopped sender sent nothing.
    QUdpSocket Other;
    Other.writeDatagram(QByteArray("marker"), QHostAddress::LocalHost, Window.localPort());
    ASSERT_TRUE(qxtest::WaitFor([&] { return Window.hasPendingDatagrams(); }));
    EXPECT_EQ(Window.receiveDatagram().data(), "marker");
}
