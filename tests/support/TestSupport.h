#pragma once

#include <QString>
#include <QTemporaryDir>
#include <functional>

namespace qxtest {

// Runs the event loop until pred() holds or timeoutMs passes; returns pred(). Tests wait on the thing
// itself, never on a fixed sleep.
bool WaitFor(const std::function<bool()>& pred, int timeoutMs = 5000);

// Sets or clears the immutable flag of a file or folder: marked so, it cannot be written even by a
// privileged user, who ignores permission bits. False when the file system cannot do it.
bool SetImmutable(const QString& sPath, bool bOn);

// A fresh data folder for one test: XDG_CONFIG_HOME points into a temporary folder for the test's life.
class TFreshConfigHome {
public:
    TFreshConfigHome();
    ~TFreshConfigHome();
    QString Path() const { return dir.path(); }
    // The program's data folder inside it.
    QString DataFolder() const;

private:
    QTemporaryDir dir;
    QByteArray sOld;
    bool bHadOld = false;
};

} // namespace qxtest
