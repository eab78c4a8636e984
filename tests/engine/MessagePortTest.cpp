#include "engine/MessagePort.h"
#include "tests/support/TestSupport.h"

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
