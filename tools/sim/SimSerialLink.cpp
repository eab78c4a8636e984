#include "tools/sim/SimSerialLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <chrono>
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

qint64 NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void CloseFd(int& iFd) {
    if (iFd >= 0)
        ::close(iFd);
    iFd = -1;
}

} // namespace

TSimSerialLink::TSimSerialLink(const TSimMeterConfig& rConfig, TSimMemoryImage Image)
    : Protocol(rConfig, std::move(Image)) {}

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
    char aName[256] = {};
    if (::openpty(&iMaster, &iSlave, aName, nullptr, nullptr) != 0) {
        sError = QStringLiteral("cannot create a pseudo-terminal");
        CloseAll();
        return false;
    }
    sSlaveName = QString::fromLocal8Bit(aName);
    // Raw: no echo, no line editing, no CR/LF translation; every byte passes as it is.
    termios Settings{};
    ::tcgetattr(iSlave, &Settings);
    ::cfmakeraw(&Settings);
    ::tcsetattr(iSlave, TCSANOW, &Settings);
    ::fcntl(iMaster, F_SETFL, ::fcntl(iMaster, F_GETFL) | O_NONBLOCK);
    ::fcntl(iMaster, F_SETFD, FD_CLOEXEC);
    ::fcntl(iSlave, F_SETFD, FD_CLOEXEC);

    const QFileInfo Existing(sLinkPath);
    if (Existing.isSymLink()) {
        QFile::remove(sLinkPath);
    } else if (Existing.exists()) {
        sError = QStringLiteral("%1 exists and is not a link").arg(sLinkPath);
        CloseAll();
        return false;
    }
    QDir().mkpath(Existing.absolutePath());
    if (!QFile::link(sSlaveName, sLinkPath)) {
        sError = QStringLiteral("cannot link %1 to %2").arg(sLinkPath, sSlaveName);
        CloseAll();
        return false;
    }
    sLink = sLinkPath;
    return true;
}

void TSimSerialLink::RemoveLink() {
    // The link goes only when it still points at our device.
    if (!sLink.isEmpty() && QFileInfo(sLink).symLinkTarget() == QFileInfo(sSlaveName).absoluteFilePath())
        QFile::remove(sLink);
    sLink.clear();
}

void TSimSerialLink::CloseAll() {
    RemoveLink();
    CloseFd(iMaster);
    CloseFd(iSlave);
    CloseFd(aWakePipe[0]);
    CloseFd(aWakePipe[1]);
}

void TSimSerialLink::Serve() {
    QByteArray Output;
    for (;;) {
        const qint64 iNow = NowMs();
        qint64 iNextDue = TSimMeterProtocol::kNever;
        {
            std::lock_guard<std::mutex> Guard(Lock);
            Output.append(Protocol.TakeDue(iNow));
            iNextDue = Protocol.NextDueMs();
        }
        if (Output.size() > kMaxOutput)
            Output.remove(0, Output.size() - kMaxOutput);
        if (!Output.isEmpty()) {
            const ssize_t iWritten = ::write(iMaster, Output.constData(), size_t(Output.size()));
            if (iWritten > 0)
                Output.remove(0, iWritten);
        }
        const qint64 iWait = std::clamp<qint64>(
            iNextDue == TSimMeterProtocol::kNever ? kIdlePollMs : iNextDue - iNow, 0, kIdlePollMs);
        pollfd aFds[2] = {{iMaster, short(POLLIN | (Output.isEmpty() ? 0 : POLLOUT)), 0},
                          {aWakePipe[0], POLLIN, 0}};
        const int iReady = ::poll(aFds, 2, int(iWait));
        if (iReady < 0 && errno != EINTR)
            return;
        if (iReady <= 0)
            continue;
        if (aFds[1].revents & POLLIN)
            return;
        if (aFds[0].revents & POLLIN) {
            char aChunk[kReadChunk];
            const ssize_t iRead = ::read(iMaster, aChunk, sizeof aChunk);
            if (iRead > 0) {
                std::lock_guard<std::mutex> Guard(Lock);
                Protocol.Feed(QByteArray(aChunk, qsizetype(iRead)), NowMs());
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
