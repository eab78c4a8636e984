#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        // Closing on the signal wrote the settings, as a close by the user would.
        EXPECT_TRUE(QFileInfo::exists(Home.DataFolder() + "/QXLogging.INI")) << "signal " << iSignal;
        QFile::remove(Home.DataFolder() + "/QXLogging.INI");
    }
}

TEST_F(ProgramFixture, AnUnreadableSettingsFileIsBackedUpAndReplacedByDefaults) {
    const QString sINI = Home.DataFolder() + "/QXLogging.INI";
    const auto WriteFile = [](const QString& sPath, const QByteArray& Content) {
        QDir().mkpath(QFileInfo(sPath).path());
        QFile f(sPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(Content);
    };
    const auto ReadFile = [](const QString& sPath) {
        QFile f(sPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray First = "[Configuration]\nGUILanguage=1\n[PDFOptions]\nEvenLines=notacolour\n";
    const QByteArray Second = "[PDFOptions]\nEvenLines=stillnotacolour\n";

    for (const QByteArray& Broken : {First, Second}) {
        WriteFile(sINI, Broken);
        Start();
        Signal(SIGTERM);
        ASSERT_TRUE(Program.waitForFinished(15000));
        EXPECT_EQ(Program.exitCode(), 0);
        // The first backup is never replaced by a later one.
        EXPECT_EQ(ReadFile(sINI + ".BAK"), First);
        const QByteArray Fresh = ReadFile(sINI);
        EXPECT_TRUE(Fresh.contains("EvenLines=clSilver")) << Fresh.toStdString();
        EXPECT_TRUE(Fresh.contains("GUILanguage=0")) << Fresh.toStdString();
    }
}
