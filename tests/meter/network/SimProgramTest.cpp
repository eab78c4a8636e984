#include "meter/MeterCommands.h"
#include "meter/NetworkLink.h"
#include "tests/support/NetworkFixture.h"
#include "tests/support/SimPorts.h"
#include "tests/support/TestSupport.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

namespace {

// Generous bounds for waits on the simulator; a healthy run ends each wait in well under a second.
constexpr int kWaitMs = 30000;

// Seconds of the day of a level report line ("L;hh:mm:ss:ff;..."); -1 for any other line.
int ReportSecond(const QByteArray& Line) {
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral(R"(^L;(\d\d):(\d\d):(\d\d):\d\d;)"))
                                          .match(QString::fromLatin1(Line));
    if (!m.hasMatch())
        return -1;
    return m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toInt();
}

// The simulator program's network meter on a port the system chose, and that port.
void StartNetworkSim(QProcess& rSim, const QStringList& slOptions, int& iPort) {
    rSim.start(QStringLiteral(QX_BIN_DIR "/qxmeter-sim"), QStringList{"network", "--port", "0"} + slOptions);
    ASSERT_TRUE(rSim.waitForStarted());
    QByteArray Output;
    while (!Output.contains('\n') && rSim.waitForReadyRead(kWaitMs))
        Output.append(rSim.readAllStandardOutput());
    const QRegularExpressionMatch Match =
        QRegularExpression(QStringLiteral(R"(listening on 127\.0\.0\.1:(\d+))"))
            .match(QString::fromLatin1(Output));
    ASSERT_TRUE(Match.hasMatch()) << Output.toStdString();
    iPort = Match.captured(1).toInt();
}

// The simulated network meter as an instrument of the program.
TInstrumentInfo SimInstrument(int iPort, const QString& sUserName, const QString& sPassword) {
    TInstrumentInfo rInstrument;
    rInstrument.sHostName = QStringLiteral("127.0.0.1");
    rInstrument.iPort = iPort;
    rInstrument.sUserName = sUserName;
    rInstrument.sPassword = sPassword;
    return rInstrument;
}

// The timecodes of the level reports a logged-in link receives, until fnEnough is content with them, the
// connection drops or nothing more comes.
QList<int> ReportSeconds(TNetworkLink& rLink, const std::function<bool(const QList<int>&)>& fnEnough) {
    QList<int> aSeconds;
    const QDeadlineTimer Deadline(kWaitMs);
    while (!fnEnough(aSeconds) && rLink.Connected() && !Deadline.hasExpired()) {
        if (!rLink.WaitForRXString())
            continue;
        // Whole lines, kept apart by CR LF.
        QString sLines;
        rLink.GetRXString(sLines);
        for (const QString& sLine : sLines.split(QStringLiteral("\r\n"))) {
            if (const int iSecond = ReportSecond(sLine.toLatin1()); iSecond >= 0)
                aSeconds.append(iSecond);
        }
    }
    return aSeconds;
}

// The simulator program, as a person starts it: it reports the port it chose and takes a login.
TEST(SimProgram, NetworkMeterOnAPortTheSystemChose) {
    QProcess Sim;
    int iPort = 0;
    ASSERT_NO_FATAL_FAILURE(StartNetworkSim(
        Sim,
        {"--user", "op", "--password", "s3cret", "--serial-number", "2024", "--unit-name", "Control Room B"},
        iPort));

    TInstrumentInfo rInstrument = SimInstrument(iPort, QStringLiteral("op"), QStringLiteral("s3cret"));
    TNetworkLink Link(qxtest::FastNetworkTiming());
    TTelnetError rError;
    EXPECT_EQ(Link.TelnetLogin(rInstrument, rError), kLoginOK);
    EXPECT_EQ(rInstrument.iSerialNo, 2024);
    EXPECT_EQ(rInstrument.sInstrumentName, QStringLiteral("Control Room B"));
    Link.Disconnect();

    Sim.terminate();
    EXPECT_TRUE(Sim.waitForFinished(10000));
}

// Every refusal says what is wrong in the subcommand's name, and a refused serial meter leaves no link.
TEST(SimProgram, RefusesBadOptions) {
    const QTemporaryDir Dir;
    const QString sLink = Dir.path() + "/meter";
    const QStringList slSerial{"serial", "--link", sLink};
    const QStringList slNetwork{"network", "--port", "0"};
    const struct {
        QStringList slArgs;
        const char* sMessage;
    } aCases[] = {
        {{"network"}, "network: --port N (0 to 65535) is required"},
        {{"network", "--port", "70000"}, "network: --port N (0 to 65535) is required"},
        {slNetwork + QStringList{"--wrong-login", "maybe"}, "network: --wrong-login is prompt or close"},
        {slSerial + QStringList{"--vanish-after-ms", "-1", "--vanish-for-ms", "1000"},
         "serial: --vanish-after-ms is 0 to 86400000"},
        {slSerial + QStringList{"--vanish-after-ms", "soon", "--vanish-for-ms", "1000"},
         "serial: --vanish-after-ms is 0 to 86400000"},
        {slNetwork + QStringList{"--vanish-after-ms", "86400001", "--vanish-for-ms", "1000"},
         "network: --vanish-after-ms is 0 to 86400000"},
        {slSerial + QStringList{"--vanish-after-ms", "1000", "--vanish-for-ms", "0"},
         "serial: --vanish-for-ms is 1 to 86400000"},
        {slNetwork + QStringList{"--vanish-after-ms", "1000", "--vanish-for-ms", "2.5"},
         "network: --vanish-for-ms is 1 to 86400000"},
        {slSerial +
             QStringList{"--vanish-after-ms", "1000", "--vanish-for-ms", "1000", "--vanish-every-ms", "0"},
         "serial: --vanish-every-ms is 1 to 86400000"},
        {slSerial + QStringList{"--vanish-after-ms", "1000"},
         "serial: --vanish-after-ms and --vanish-for-ms go together"},
        {slNetwork + QStringList{"--vanish-for-ms", "1000"},
         "network: --vanish-after-ms and --vanish-for-ms go together"},
        {slNetwork + QStringList{"--vanish-every-ms", "1000"},
         "network: --vanish-every-ms needs --vanish-after-ms and --vanish-for-ms"},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.slArgs.join(' ').toStdString());
        QProcess Sim;
        Sim.start(QStringLiteral(QX_BIN_DIR "/qxmeter-sim"), c.slArgs);
        ASSERT_TRUE(Sim.waitForFinished(kWaitMs));
        EXPECT_EQ(Sim.exitCode(), 2);
        const QByteArray Errors = Sim.readAllStandardError();
        EXPECT_TRUE(Errors.contains(QByteArray("qxmeter-sim ") + c.sMessage + "\n")) << Errors.toStdString();
        EXPECT_FALSE(QFileInfo(sLink).isSymLink());
    }
}

// Reads the simulated serial meter's device the way the program opens it.
class TDeviceReader {
public:
    ~TDeviceReader() {
        if (iFd >= 0)
            ::close(iFd);
    }

    bool Open(const QString& sPath) {
        iFd = ::open(QFile::encodeName(sPath).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        return iFd >= 0;
    }

    bool Write(const QByteArray& Bytes) {
        return ::write(iFd, Bytes.constData(), size_t(Bytes.size())) == Bytes.size();
    }

    // The next line without its CR LF; false once the device has hung up, or when nothing comes at all.
    bool ReadLine(QByteArray& Line) {
        const QDeadlineTimer Deadline(kWaitMs);
        for (;;) {
            const qsizetype i = Buffer.indexOf("\r\n");
            if (i >= 0) {
                Line = Buffer.left(i);
                Buffer.remove(0, i + 2);
                return true;
            }
            if (bHungUp || Deadline.hasExpired())
                return false;
            pollfd Fd{iFd, POLLIN, 0};
            if (::poll(&Fd, 1, int(Deadline.remainingTime())) <= 0)
                continue;
            char aChunk[4096];
            const ssize_t iRead = ::read(iFd, aChunk, sizeof aChunk);
            if (iRead > 0)
                Buffer.append(aChunk, qsizetype(iRead));
            else if (iRead == 0 || (errno != EAGAIN && errno != EINTR))
                bHungUp = true;
        }
    }

    bool HungUp() const { return bHungUp; }

private:
    int iFd = -1;
    QByteArray Buffer;
    bool bHungUp = false;
};

constexpr int kVanishIntervalMs = 250;
constexpr int kAwayMs = 4000;

// The serial meter vanishes while it reports: its reader sees the device hang up and the link go; a new
// device appears at the link, where the meter answers as after a power-up (out of command mode, nothing
// pending, not reporting) and, told to start again, reports with a timecode that ran on while it was away.
TEST(SimProgram, SerialMeterVanishesAndComesBackAsAfterAPowerUp) {
    const struct {
        const char* sKind;
        QByteArray Start;
    } aCases[] = {
        {"text", QByteArray(qxproto::kTextCmdLogStart) + '\r'},
        {"pool", QByteArray(qxproto::kCmdCommandModeOn) + '\r' + qxproto::kCmdLogStart + '\r' +
                     QByteArray(qxproto::kLogStartBytes, '\0')},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.sKind);
        const QTemporaryDir Dir;
        const QString sLink = Dir.path() + "/meter";
        QProcess Sim;
        ASSERT_NO_FATAL_FAILURE(qxtest::StartSimProgram(
            Sim, sLink,
            {"--kind", c.sKind, "--interval-ms", QString::number(kVanishIntervalMs), "--vanish-after-ms",
             "1000", "--vanish-for-ms", QString::number(kAwayMs)}));

        TDeviceReader Before;
        ASSERT_TRUE(Before.Open(sLink));
        QElapsedTimer SinceStart;
        SinceStart.start();
        ASSERT_TRUE(Before.Write(c.Start));
        QList<int> aBefore;
        QByteArray Line;
        while (Before.ReadLine(Line)) {
            if (const int iSecond = ReportSecond(Line); iSecond >= 0)
                aBefore.append(iSecond);
        }
        ASSERT_TRUE(Before.HungUp());
        // Well inside the time away, the link has gone with the device.
        EXPECT_FALSE(QFileInfo(sLink).isSymLink());
        ASSERT_GE(aBefore.size(), 2);
        for (qsizetype i = 1; i < aBefore.size(); ++i)
            EXPECT_EQ(aBefore[i], aBefore[i - 1] + 1);

        ASSERT_TRUE(qxtest::WaitFor([&] { return QFileInfo(sLink).isSymLink(); }, kWaitMs));
        TDeviceReader After;
        ASSERT_TRUE(After.Open(sLink));
        ASSERT_TRUE(After.Write(QByteArray(qxproto::kCmdCommandModeOn) + '\r'));
        ASSERT_TRUE(After.ReadLine(Line));
        EXPECT_EQ(Line.toStdString(), qxproto::kAck);
        ASSERT_TRUE(After.Write(c.Start));
        int iFirstAfter = -1;
        while (iFirstAfter < 0 && After.ReadLine(Line))
            iFirstAfter = ReportSecond(Line);
        ASSERT_GE(iFirstAfter, 0);
        // The clock ran on for the time away; and no further than the time the test has seen pass.
        EXPECT_GE(iFirstAfter - aBefore.last(), kAwayMs / kVanishIntervalMs);
        EXPECT_LE(iFirstAfter - aBefore.first(), SinceStart.elapsed() / kVanishIntervalMs + 1);

        Sim.terminate();
        ASSERT_TRUE(Sim.waitForFinished(kWaitMs));
        EXPECT_EQ(Sim.exitCode(), 0);
        EXPECT_FALSE(QFileInfo(sLink).isSymLink());
        const QByteArray Errors = Sim.readAllStandardError();
        EXPECT_TRUE(Errors.contains("qxmeter-sim: meter vanished at ")) << Errors.toStdString();
        EXPECT_TRUE(Errors.contains("qxmeter-sim: meter back at ")) << Errors.toStdString();
    }
}

// The network meter vanishes while it reports: the connection drops, the port refuses while it is away,
// then accepts the same login again, and the reports go on with a timecode that ran on meanwhile; after
// reporting for the set time once more it vanishes again.
TEST(SimProgram, NetworkMeterVanishesAndComesBack) {
    constexpr int kIntervalMs = 100;
    QProcess Sim;
    int iPort = 0;
    ASSERT_NO_FATAL_FAILURE(
        StartNetworkSim(Sim,
                        {"--interval-ms", QString::number(kIntervalMs), "--vanish-after-ms", "1000",
                         "--vanish-for-ms", QString::number(kAwayMs), "--vanish-every-ms", "1000"},
                        iPort));
    TInstrumentInfo rInstrument = SimInstrument(iPort, QStringLiteral("admin"), QStringLiteral("qxmeter"));

    TNetworkLink Before(qxtest::FastNetworkTiming());
    TTelnetError rError;
    ASSERT_EQ(Before.TelnetLogin(rInstrument, rError), kLoginOK) << rError.sText.toStdString();
    QElapsedTimer SinceStart;
    SinceStart.start();
    ASSERT_TRUE(Before.SendLine(QLatin1String(qxproto::kTextCmdLogStart)));
    const QList<int> aBefore = ReportSeconds(Before, [](const QList<int>&) { return false; });
    ASSERT_FALSE(Before.Connected());
    ASSERT_GE(aBefore.size(), 2);
    for (qsizetype i = 1; i < aBefore.size(); ++i)
        EXPECT_EQ(aBefore[i], aBefore[i - 1] + 1);

    // Well inside the time away, the port refuses.
    QTcpSocket Probe;
    Probe.connectToHost(QHostAddress::LocalHost, quint16(iPort));
    EXPECT_FALSE(Probe.waitForConnected(kWaitMs));
    EXPECT_EQ(Probe.error(), QAbstractSocket::ConnectionRefusedError);

    ASSERT_TRUE(qxtest::WaitFor(
        [&] {
            QTcpSocket Socket;
            Socket.connectToHost(QHostAddress::LocalHost, quint16(iPort));
            return Socket.waitForConnected(kWaitMs);
        },
        kWaitMs));
    TNetworkLink After(qxtest::FastNetworkTiming());
    ASSERT_EQ(After.TelnetLogin(rInstrument, rError), kLoginOK) << rError.sText.toStdString();
    ASSERT_TRUE(After.SendLine(QLatin1String(qxproto::kTextCmdLogStart)));
    const QList<int> aAfter = ReportSeconds(After, [](const QList<int>& a) { return !a.isEmpty(); });
    ASSERT_FALSE(aAfter.isEmpty());
    EXPECT_GE(aAfter.first() - aBefore.last(), kAwayMs / kIntervalMs);
    EXPECT_LE(aAfter.first() - aBefore.first(), SinceStart.elapsed() / kIntervalMs + 1);
    const QList<int> aUntilAgain = ReportSeconds(After, [](const QList<int>&) { return false; });
    EXPECT_FALSE(After.Connected());
    ASSERT_FALSE(aUntilAgain.isEmpty());
    EXPECT_EQ(aUntilAgain.first(), aAfter.last() + 1);

    Sim.terminate();
    ASSERT_TRUE(Sim.waitForFinished(kWaitMs));
    const QByteArray Errors = Sim.readAllStandardError();
    EXPECT_EQ(Errors.count("qxmeter-sim: meter vanished at "), 2) << Errors.toStdString();
    EXPECT_GE(Errors.count("qxmeter-sim: meter back at "), 1) << Errors.toStdString();
}

} // namespace
