#include "tools/sim/SimSerialLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Bytes waiting for a reader at most; a meter's line does not store what nobody reads.
constexpr qsizetype kMaxOutput = 1024 * 1024;
constexpr int kReadChunk = 4096;
// Longest sleep of the serve loop when nothing is scheduled.
constexpr qint64 kIdlePollMs = 1000;

void CloseFd(int& iFd) {
    if (iFd >= 0)
        ::close(iFd);
    iFd = -1;
}

} // namespace

TSimSerialLink::TSimSerialLink(const TSimMeterConfig& rConfig, TSimMemoryImage Image,
                               const TSimVanishConfig& rVanish)
    : Protocol(rConfig, std::move(Image)), Vanish(rVanish) {}

TSimSerialLink::~TSimSerialLink() {
    Stop();
    CloseAll();
}

bool TSimSerialLink::Open(const QString& sLinkPath, QString& sError) {
    CloseAll();
    if (::pipe2(aWakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        sError = QStringLiteral("cannot create the wake pipe");
        return false;
    }
    if (!MakeDevice(sLinkPath, sError)) {
        CloseAll();
        return false;
    }
    sWantedLink = sLinkPath;
    return true;
}

bool TSimSerialLink::MakeDevice(const QString& sLinkPath, QString& sError) {
    int iNewMaster = -1;
    int iNewSlave = -1;
    char aName[256] = {};
    if (::openpty(&iNewMaster, &iNewSlave, aName, nullptr, nullptr) != 0) {
        sError = QStringLiteral("cannot create a pseudo-terminal");
        return false;
    }
    const QString sName = QString::fromLocal8Bit(aName);
    // Raw: no echo, no line editing, no CR/LF translation; every byte passes as it is.
    termios Settings{};
    ::tcgetattr(iNewSlave, &Settings);
    ::cfmakeraw(&Settings);
    ::tcsetattr(iNewSlave, TCSANOW, &Settings);
    ::fcntl(iNewMaster, F_SETFL, ::fcntl(iNewMaster, F_GETFL) | O_NONBLOCK);
    ::fcntl(iNewMaster, F_SETFD, FD_CLOEXEC);
    ::fcntl(iNewSlave, F_SETFD, FD_CLOEXEC);

    const QFileInfo Existing(sLinkPath);
    if (Existing.isSymLink()) {
        QFile::remove(sLinkPath);
    } else if (Existing.exists()) {
        sError = QStringLiteral("%1 exists and is not a link").arg(sLinkPath);
        CloseFd(iNewMaster);
        CloseFd(iNewSlave);
        return false;
    }
    QDir().mkpath(Existing.absolutePath());
    if (!QFile::link(sName, sLinkPath)) {
        sError = QStringLiteral("cannot link %1 to %2").arg(sLinkPath, sName);
        CloseFd(iNewMaster);
        CloseFd(iNewSlave);
        return false;
    }
    std::lock_guard<std::mutex> Guard(Lock);
    iMaster = iNewMaster;
    iSlave = iNewSlave;
    sSlaveName = sName;
    sLink = sLinkPath;
    return true;
}

QString TSimSerialLink::SlaveName() const {
    std::lock_guard<std::mutex> Guard(Lock);
    return sSlaveName;
}

QString TSimSerialLink::LinkPath() const {
    std::lock_guard<std::mutex> Guard(Lock);
    return sLink;
}

void TSimSerialLink::RemoveLink() {
    // The link goes only when it still points at our device.
    if (!sLink.isEmpty() && QFileInfo(sLink).symLinkTarget() == QFileInfo(sSlaveName).absoluteFilePath())
        QFile::remove(sLink);
    sLink.clear();
}

void TSimSerialLink::CloseDevice() {
    std::lock_guard<std::mutex> Guard(Lock);
    RemoveLink();
    CloseFd(iMaster);
    CloseFd(iSlave);
}

void TSimSerialLink::CloseAll() {
    CloseDevice();
    CloseFd(aWakePipe[0]);
    CloseFd(aWakePipe[1]);
}

bool TSimSerialLink::StepVanish(qint64 iNowMs) {
    switch (Vanish.Take(iNowMs)) {
    case TSimVanishSchedule::TStep::None:
        return true;
    case TSimVanishSchedule::TStep::Vanish: {
        const QString sGone = LinkPath();
        {
            std::lock_guard<std::mutex> Guard(Lock);
            Protocol.PowerOff(iNowMs);
        }
        // Closing both ends hangs up whoever has the device open.
        CloseDevice();
        PrintSimEvent(QStringLiteral("meter vanished"),
                      QStringLiteral("%1 removed, back in %2 ms").arg(sGone).arg(Vanish.ForMs()));
        return true;
    }
    case TSimVanishSchedule::TStep::Return: {
        QString sError;
        if (!MakeDevice(sWantedLink, sError)) {
            PrintSimEvent(QStringLiteral("meter cannot come back"), sError);
            return false;
        }
        PrintSimEvent(QStringLiteral("meter back"),
                      QStringLiteral("%1 linked to %2").arg(LinkPath(), SlaveName()));
        return true;
    }
    }
    return true;
}

bool TSimSerialLink::Serve() {
    QByteArray Output;
    for (;;) {
        const qint64 iNow = SimNowMs();
        if (!StepVanish(iNow))
            return false;
        if (Vanish.Vanished())
            Output.clear();
        qint64 iNextDue = TSimMeterProtocol::kNever;
        {
            std::lock_guard<std::mutex> Guard(Lock);
            Output.append(Protocol.TakeDue(iNow));
            iNextDue = std::min(Protocol.NextDueMs(), Vanish.NextDueMs());
        }
        if (Output.size() > kMaxOutput)
            Output.remove(0, Output.size() - kMaxOutput);
        if (!Output.isEmpty() && iMaster >= 0) {
            const ssize_t iWritten = ::write(iMaster, Output.constData(), size_t(Output.size()));
            if (iWritten > 0)
                Output.remove(0, iWritten);
        }
        const qint64 iWait = std::clamp<qint64>(
            iNextDue == TSimMeterProtocol::kNever ? kIdlePollMs : iNextDue - iNow, 0, kIdlePollMs);
        // While the meter has vanished there is no device: poll passes over a negative descriptor.
        pollfd aFds[2] = {{iMaster, short(POLLIN | (Output.isEmpty() ? 0 : POLLOUT)), 0},
                          {aWakePipe[0], POLLIN, 0}};
        const int iReady = ::poll(aFds, 2, int(iWait));
        if (iReady < 0 && errno != EINTR)
            return true;
        if (iReady <= 0)
            continue;
        if (aFds[1].revents & POLLIN)
            return true;
        if (aFds[0].revents & POLLIN) {
            char aChunk[kReadChunk];
            const ssize_t iRead = ::read(iMaster, aChunk, sizeof aChunk);
            if (iRead > 0) {
                const qint64 iArrived = SimNowMs();
                std::lock_guard<std::mutex> Guard(Lock);
                const int iStartsBefore = Protocol.ReportStarts();
                Protocol.Feed(QByteArray(aChunk, qsizetype(iRead)), iArrived);
                if (Protocol.ReportStarts() != iStartsBefore)
                    Vanish.ReportingStarted(iArrived);
                if (Protocol.Misbehaviour().bVanishOnReopen && Protocol.CommandModeExits() > 0 &&
                    !sLink.isEmpty())
                    RemoveLink();
            }
        } else if (aFds[0].revents & (POLLHUP | POLLERR)) {
            // Nobody has the device open; we keep the slave open, so this is rare. Do not spin on it.
            ::poll(aFds + 1, 1, int(std::max<qint64>(iWait, 10)));
        }
    }
}

void TSimSerialLink::RequestStop() {
    if (aWakePipe[1] >= 0) {
        const char c = 'q';
        [[maybe_unused]] const ssize_t iIgnored = ::write(aWakePipe[1], &c, 1);
    }
}

void TSimSerialLink::Start() {
    if (!Worker.joinable())
        Worker = std::thread([this] { Serve(); });
}

void TSimSerialLink::Stop() {
    if (!Worker.joinable())
        return;
    RequestStop();
    Worker.join();
    // Empty the wake pipe so that Serve can run again.
    char aDrain[16];
    while (::read(aWakePipe[0], aDrain, sizeof aDrain) > 0) {
    }
}

void TSimSerialLink::WithProtocol(const std::function<void(TSimMeterProtocol&)>& fn) {
    std::lock_guard<std::mutex> Guard(Lock);
    fn(Protocol);
}

QByteArray TSimSerialLink::Received() {
    std::lock_guard<std::mutex> Guard(Lock);
    // A copy of its own: the serving thread goes on appending to the original.
    const QByteArray& Log = Protocol.Received();
    return QByteArray(Log.constData(), Log.size());
}

void TSimSerialLink::ClearReceived() {
    std::lock_guard<std::mutex> Guard(Lock);
    Protocol.ClearReceived();
}
