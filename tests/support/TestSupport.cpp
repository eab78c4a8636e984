#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qxtest {

bool WaitFor(const std::function<bool()>& pred, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    // A short timer wakes the blocking wait below so the predicate is looked at regularly even when the
    // awaited change comes from another thread without an event.
    QTimer wake;
    wake.start(5);
    while (!pred()) {
        if (deadline.hasExpired())
            return pred();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

bool SetImmutable(const QString& sPath, bool bOn) {
    const int fd = ::open(sPath.toStdString().c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    int iFlags = 0;
    bool bDone = ::ioctl(fd, FS_IOC_GETFLAGS, &iFlags) == 0;
    iFlags = bOn ? (iFlags | FS_IMMUTABLE_FL) : (iFlags & ~FS_IMMUTABLE_FL);
    bDone = bDone && ::ioctl(fd, FS_IOC_SETFLAGS, &iFlags) == 0;
    ::close(fd);
    return bDone;
}

TFreshConfigHome::TFreshConfigHome() {
    bHadOld = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    sOld = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
}

TFreshConfigHome::~TFreshConfigHome() {
    if (bHadOld)
        qputenv("XDG_CONFIG_HOME", sOld);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString TFreshConfigHome::DataFolder() const {
    return dir.path() + "/Kelmoria/QXLogging";
}

} // namespace qxtest
