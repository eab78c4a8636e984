#include "meter/NetworkLink.h"
#include "tests/support/NetworkFixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// The simulator program, as a person starts it: it reports the port it chose and takes a login.
TEST(SimProgram, NetworkMeterOnAPortTheSystemChose) {
    QProcess Sim;
    Sim.start(QStringLiteral(QX_BIN_DIR "/qxmeter-sim"),
              {QStringLiteral("network"), QStringLiteral("--port"), QStringLiteral("0"),
               QStringLiteral("--user"), QStringLiteral("op"), QStringLiteral("--password"),
               QStringLiteral("s3cret"), QStringLiteral("--serial-number"), QStringLiteral("2024"),
               QStringLiteral("--unit-name"), QStringLiteral("Control Room B")});
    ASSERT_TRUE(Sim.waitForStarted());
    QByteArray Output;
    while (!Output.contains('\n') && Sim.waitForReadyRead(10000))
        Output.append(Sim.readAllStandardOutput());
    const QRegularExpressionMatch Match =
        QRegularExpression(QStringLiteral(R"(listening on 127\.0\.0\.1:(\d+))"))
            .match(QString::fromLatin1(Output));
    ASSERT_TRUE(Match.hasMatch()) << Output.toStdString();

    TInstrumentInfo rInstrument;
    rInstrument.sHostName = QStringLiteral("127.0.0.1");
    rInstrument.iPort = Match.captured(1).toInt();
    rInstrument.sUserName = QStringLiteral("op");
    rInstrument.sPassword = QStringLiteral("s3cret");
    TNetworkLink Link(qxtest::FastNetworkTiming());
    TTelnetError rError;
    EXPECT_EQ(Link.TelnetLogin(rInstrument, rError), kLoginOK);
    EXPECT_EQ(rInstrument.iSerialNo, 2024);
    EXPECT_EQ(rInstrument.sInstrumentName, QStringLiteral("Control Room B"));
    Link.Disconnect();

    Sim.terminate();
    EXPECT_TRUE(Sim.waitForFinished(10000));
}

TEST(SimProgram, RefusesBadOptions) {
    for (const QStringList& slArgs :
         {QStringList{QStringLiteral("network")},
          QStringList{QStringLiteral("network"), QStringLiteral("--port"), QStringLiteral("70000")},
          QStringList{QStringLiteral("network"), QStringLiteral("--port"), QStringLiteral("0"),
                      QStringLiteral("--wrong-login"), QStringLiteral("maybe")}}) {
        QProcess Sim;
        Sim.start(QStringLiteral(QX_BIN_DIR "/qxmeter-sim"), slArgs);
        ASSERT_TRUE(Sim.waitForFinished(10000));
        EXPECT_EQ(Sim.exitCode(), 2) << slArgs.join(' ').toStdString();
    }
}

} // namespace
