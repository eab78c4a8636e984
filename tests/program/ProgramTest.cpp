#include "tests/support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// The real program on the offscreen platform with a data folder of its own.
class ProgramFixture : public ::testing::Test {
protected:
    void Start() {
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert("XDG_CONFIG_HOME", Home.Path());
        Env.insert("QT_QPA_PLATFORM", "offscreen");
        Program.setProcessEnvironment(Env);
        Program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QString sLog = Home.DataFolder() + "/QXLogging.log";
        QFile::remove(sLog);
        Program.start(QString(QX_BIN_DIR) + "/qxlogging");
        ASSERT_TRUE(Program.waitForStarted(10000));
        // The engine log's first line is written while the main window is created.
        ASSERT_TRUE(qxtest::WaitFor(
            [&] {
                QFile f(sLog);
                return f.open(QIODevice::ReadOnly) && f.readAll().contains("selected.|1");
            },
            20000));
    }

    void Signal(int iSignal) { ::kill(pid_t(Program.processId()), iSignal); }

    qxtest::TFreshConfigHome Home;
    QProcess Program;
};

} // namespace

TEST_F(ProgramFixture, TerminationSignalsCloseTheProgramCleanly) {
    for (int iSignal : {SIGTERM, SIGINT}) {
        Start();
        Signal(iSignal);
        ASSERT_TRUE(Program.waitForFinished(15000)) << "signal " << iSignal;
        EXPECT_EQ(Program.exitStatus(), QProcess::NormalExit) << "signal " << iSignal;
        EXPECT_EQ(Program.exitCode(), 0) << "signal " << iSignal;
    }
}
