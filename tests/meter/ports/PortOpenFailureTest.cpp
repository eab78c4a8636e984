#include "meter/ComPorts.h"
#include "meter/PortOpenError.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A pseudo-terminal whose slave side stands in for a meter's device; the master stays open meanwhile.
class TPty {
public:
    TPty() {
        iMaster = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (iMaster >= 0 && ::grantpt(iMaster) == 0 && ::unlockpt(iMaster) == 0)
            sSlave = QString::fromLocal8Bit(::ptsname(iMaster));
    }
    ~TPty() {
        if (iMaster >= 0)
            ::close(iMaster);
    }
    TPty(const TPty&) = delete;
    TPty& operator=(const TPty&) = delete;

    QString sSlave;

private:
    int iMaster = -1;
};

struct TOpenResult {
    int iCause = -1;
    QString sLog;
    QString sEnglish;
    QString sDanish;
};

QString HelperPath() {
    return QString(QX_BIN_DIR) + "/qx_port_open";
}

// The helper's output lines key=value, carriage returns written as "\r".
TOpenResult ReadResult(const QByteArray& Output) {
    TOpenResult r;
    for (const QByteArray& Line : Output.split('\n')) {
        const qsizetype iEq = Line.indexOf('=');
        if (iEq < 0)
            continue;
        const QByteArray Key = Line.left(iEq);
        const QString sValue = QString::fromUtf8(Line.mid(iEq + 1)).replace("\\r", "\r");
        if (Key == "cause")
            r.iCause = sValue.toInt();
        else if (Key == "log")
            r.sLog = sValue;
        else if (Key == "en")
            r.sEnglish = sValue;
        else if (Key == "da")
            r.sDanish = sValue;
    }
    return r;
}

// Tests run as root here, and root opens any device file whatever its mode: the open that must be refused
// runs as the unprivileged user "nobody" (setpriv), which is what a user outside the device's group is.
QStringList UnprivilegedPrefix() {
    if (::geteuid() != 0)
        return {};
    return {"--reuid=65534", "--regid=65534", "--clear-groups", "--"};
}

class PortOpenFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        sDataFolder = Dir.path();
        // Another user must reach the links.
        QFile::setPermissions(sDataFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                               QFile::ExeOther);
        ASSERT_TRUE(QDir().mkpath(sDataFolder + "/ports"));
    }
    void TearDown() override {
        if (Holder.state() != QProcess::NotRunning) {
            Holder.closeWriteChannel();
            Holder.waitForFinished(5000);
        }
    }

    void Link(const QString& sTarget, int iPort) {
        ASSERT_TRUE(QFile::link(sTarget, ComPortLinkPath(sDataFolder, iPort)));
    }

    TOpenResult Open(int iPort, bool bUnprivileged) {
        QProcess Helper;
        QString sProgram = HelperPath();
        QStringList slArgs = {"open", sDataFolder, QString::number(iPort)};
        if (bUnprivileged && ::geteuid() == 0) {
            slArgs = UnprivilegedPrefix() + QStringList{sProgram} + slArgs;
            sProgram = QStandardPaths::findExecutable("setpriv");
        }
        Helper.start(sProgram, slArgs);
        EXPECT_TRUE(Helper.waitForFinished(20000));
        EXPECT_EQ(Helper.exitCode(), 0) << Helper.readAllStandardError().toStdString();
        return ReadResult(Helper.readAllStandardOutput());
    }

    // Another process opens the port through the serial port library and keeps it.
    void Hold(int iPort) {
        Holder.start(HelperPath(), {"hold", sDataFolder, QString::number(iPort)});
        ASSERT_TRUE(Holder.waitForStarted(10000));
        ASSERT_TRUE(Holder.waitForReadyRead(10000));
        ASSERT_EQ(Holder.readAllStandardOutput(), "held\n");
    }

    QTemporaryDir Dir;
    QString sDataFolder;
    QProcess Holder;
};

} // namespace

TEST(PortOpenCause, ErrnoValuesNameTheirCause) {
    const struct {
        int iErrno;
        TPortOpenCause Cause;
    } aCases[] = {
        {0, TPortOpenCause::None},
        {ENOENT, TPortOpenCause::NoDevice},
        {ENODEV, TPortOpenCause::NoDevice},
        {ENXIO, TPortOpenCause::NoDevice},
        {EACCES, TPortOpenCause::PermissionDenied},
        {EPERM, TPortOpenCause::PermissionDenied},
        {EBUSY, TPortOpenCause::Busy},
        {EIO, TPortOpenCause::Other},
        {EINVAL, TPortOpenCause::Other},
    };
    for (const auto& c : aCases)
        EXPECT_EQ(PortOpenCauseOfErrno(c.iErrno), c.Cause) << c.iErrno;
}

// A device that only root may use gives no group advice: joining the root group is never the answer.
TEST(PortOpenCause, PermissionWithoutAUsefulGroupAsksTheAdministrator) {
    const TPortOpenFailure r =
        DescribePortOpenFailure(9, "/dev/null", TPortOpenCause::PermissionDenied, "Permission denied");
    EXPECT_TRUE(r.sGroup.isEmpty());
    EXPECT_EQ(
        PortOpenFailureText(r, 0),
        "Your user may not use /dev/null (Permission denied).\r\rAsk the administrator of this computer "
        "for read and write access to the device, then log out and log in again.");
    EXPECT_EQ(PortOpenFailureLog(r), "Could not open COM9 at /dev/null: Permission denied.|4");
}

// Real opens, each in a process of its own: the device missing, a device the user's group does not reach,
// and a device another process holds. What the user reads and what the engine log keeps, in both languages.
TEST_F(PortOpenFailureTest, EachCauseIsToldWithTheDeviceAndWhatToDo) {
    if (::geteuid() == 0 && QStandardPaths::findExecutable("setpriv").isEmpty())
        GTEST_SKIP() << "running as root without setpriv: no unprivileged user to be refused";
    TPty Refused, Held;
    ASSERT_FALSE(Refused.sSlave.isEmpty());
    ASSERT_FALSE(Held.sSlave.isEmpty());

    // Group members may read and write, nobody else: the usual mode of a serial device. As root the group
    // is "dialout", as another user their own group (the owner's bits refuse the owner).
    const group* pGroup = ::geteuid() == 0 ? ::getgrnam("dialout") : ::getgrgid(::getegid());
    ASSERT_NE(pGroup, nullptr);
    const QString sGroup = QString::fromLocal8Bit(pGroup->gr_name);
    const QByteArray RefusedPath = QFile::encodeName(Refused.sSlave);
    ASSERT_EQ(::chown(RefusedPath.constData(), uid_t(-1), pGroup->gr_gid), 0);
    ASSERT_EQ(::chmod(RefusedPath.constData(), S_IRGRP | S_IWGRP), 0);

    const QString sGone = sDataFolder + "/gone";
    ASSERT_NO_FATAL_FAILURE(Link(sGone, 3));
    ASSERT_NO_FATAL_FAILURE(Link(Refused.sSlave, 4));
    ASSERT_NO_FATAL_FAILURE(Link(Held.sSlave, 5));
    ASSERT_NO_FATAL_FAILURE(Hold(5));

    const QString sUsermod = "sudo usermod -aG " + sGroup + " $USER";
    const struct {
        const char* sName;
        int iPort;
        bool bUnprivileged;
        TPortOpenCause Cause;
        QString sEnglish;
        QString sDanish;
        QStringList slLogParts;
        QStringList slEnglishParts;
    } aCases[] = {
        {"missing device",
         3,
         false,
         TPortOpenCause::NoDevice,
         "The device " + sGone + " does not exist (No such file or directory).\r\r",
         "Enheden " + sGone + " findes ikke (No such file or directory).\r\r",
         {"Could not open COM3 at " + ComPortLinkPath(sDataFolder, 3) + " (" + sGone + ")",
          "No such file or directory.|4"},
         {"(/dev/ttyACM… or /dev/ttyUSB…)"}},
        {"permission denied",
         4,
         true,
         TPortOpenCause::PermissionDenied,
         Refused.sSlave + " belongs to the group \"" + sGroup + "\", and your user may not use it.\r\r",
         Refused.sSlave + " tilhører gruppen \"" + sGroup + "\", og din bruger har ikke adgang til den.\r\r",
         {"Could not open COM4 at " + ComPortLinkPath(sDataFolder, 4) + " (" + Refused.sSlave + ")",
          "Permission denied.|4"},
         {"\r\r" + sUsermod + "\r\r", "log out and log in again"}},
        {"held by another process",
         5,
         false,
         TPortOpenCause::Busy,
         Held.sSlave + " is in use by another program (",
         Held.sSlave + " bruges af et andet program (",
         {"Could not open COM5 at " + ComPortLinkPath(sDataFolder, 5) + " (" + Held.sSlave + ")"},
         {"Close the program that uses the meter, then try again."}},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.sName);
        const TOpenResult r = Open(c.iPort, c.bUnprivileged);
        EXPECT_EQ(r.iCause, int(c.Cause));
        EXPECT_TRUE(r.sEnglish.startsWith(c.sEnglish)) << r.sEnglish.toStdString();
        EXPECT_TRUE(r.sDanish.startsWith(c.sDanish)) << r.sDanish.toStdString();
        for (const QString& sPart : c.slEnglishParts)
            EXPECT_TRUE(r.sEnglish.contains(sPart)) << r.sEnglish.toStdString();
        for (const QString& sPart : c.slLogParts)
            EXPECT_TRUE(r.sLog.contains(sPart)) << r.sLog.toStdString();
        if (c.Cause == TPortOpenCause::PermissionDenied) {
            EXPECT_TRUE(r.sDanish.contains("\r\r" + sUsermod + "\r\r")) << r.sDanish.toStdString();
        }
    }
}
