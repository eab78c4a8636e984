#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

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
