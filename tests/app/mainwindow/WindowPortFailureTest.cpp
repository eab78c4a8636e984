#include "app/FormMain.h"
#include "dialogs/MessageBox.h"
#include "meter/ComPorts.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Connect on a port whose device is gone, in a window running with a data folder of its own (as
// --config-dir gives it): the port's link is found in that folder by the logging thread, and the message
// names the missing device below entry 288's text.
TEST(WindowPortFailure, ConnectTellsWhyThePortCouldNotBeOpened) {
    qxtest::TFreshConfigHome Home;
    QTemporaryDir Station;
    ASSERT_TRUE(Station.isValid());
    const QString sDataFolder = Station.path() + "/studio b";
    const QString sGone = sDataFolder + "/unplugged";
    ASSERT_TRUE(QDir().mkpath(sDataFolder + "/ports"));
    ASSERT_TRUE(QFile::link(sGone, ComPortLinkPath(sDataFolder, 3)));

    TfrmMain frmMain(nullptr, sDataFolder);
    // The settings of a user who chose a database and the meter on COM3 earlier.
    const QString sDB = Station.path() + "/sessions.DB3";
    ASSERT_TRUE(frmMain.Ctrl.SQLConnection.CreateSQLiteDB(sDB));
    {
        QFile Ini(frmMain.Ctrl.sINI);
        ASSERT_TRUE(Ini.open(QIODevice::WriteOnly));
        Ini.write(("[Configuration]\nLastDB=" + sDB + "\n[CurrentNetwork]\nPort=3\nSerialPort=1\nValid=1\n")
                      .toUtf8());
    }
    std::vector<QString> aMessages;
    frmMain.MessageBox->SetResponder([&](const TMessageBoxRequest& r) {
        aMessages.push_back(r.sText);
        return int(kMsgResultOK);
    });
    frmMain.show();
    aMessages.clear();
    frmMain.btnConnect->click();
    ASSERT_TRUE(qxtest::WaitFor([&] { return !aMessages.empty() && frmMain.Ctrl.LoggingThread() == nullptr; },
                                20000));
    const QString sExpected =
        "Could not open COM3.\r\rPlease check that the port is installed correctly and that it is not in "
        "use by another program.\r\rThe device " +
        sGone +
        " does not exist (No such file or directory).\r\rCheck that the meter is connected and switched on, "
        "and which device it appears as (/dev/ttyACM… or /dev/ttyUSB…).";
    EXPECT_EQ(aMessages.back().toStdString(), sExpected.toStdString());
    const QString sLog = frmMain.Ctrl.slLog.Lines().join('\n');
    EXPECT_TRUE(sLog.contains("Could not open COM3 at " + ComPortLinkPath(sDataFolder, 3) + " (" + sGone +
                              "): No such file or directory.|4"))
        << sLog.toStdString();
    // Nothing of the run landed in the user's own data folder.
    EXPECT_FALSE(QFileInfo::exists(Home.DataFolder()));
}
