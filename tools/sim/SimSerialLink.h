#pragma once

#include "tools/sim/SimMeterProtocol.h"
#include "tools/sim/SimVanish.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <mutex>
#include <thread>

// A simulated meter on a pseudo-terminal: the slave device, linked at a path of the caller's choice, looks
// to the program like the meter's serial port. Serve runs the meter until RequestStop; Start and Stop run
// it on a thread of its own for tests in the same process. With a vanish configured the meter's device goes
// away (link removed, pseudo-terminal closed: a reader sees a hang-up) and comes back as a new
// pseudo-terminal at the same link, where the meter answers as after a power-up.
class TSimSerialLink {
public:
    TSimSerialLink(const TSimMeterConfig& rConfig, TSimMemoryImage Image = {},
                   const TSimVanishConfig& rVanish = {});
    ~TSimSerialLink();
    TSimSerialLink(const TSimSerialLink&) = delete;
    TSimSerialLink& operator=(const TSimSerialLink&) = delete;

    // Creates the pseudo-terminal in raw mode and links its slave device at sLinkPath (an existing link
    // there is replaced; any other file is left alone and the call fails).
    bool Open(const QString& sLinkPath, QString& sError);
    QString SlaveName() const;
    // Empty while the meter has vanished.
    QString LinkPath() const;

    // Serves the meter on the calling thread until RequestStop; false when a vanished meter could not come
    // back (its link path was taken meanwhile).
    bool Serve();
    // Ends Serve; safe to call from a signal handler.
    void RequestStop();
    // The descriptor RequestStop writes to, for a signal handler that cannot hold the object.
    int StopFd() const { return aWakePipe[1]; }

    // Serve on a thread of its own; Stop ends and joins it.
    void Start();
    void Stop();

    // Works on the meter under its lock, so another thread can look at or change it while it serves.
    void WithProtocol(const std::function<void(TSimMeterProtocol&)>& fn);
    QByteArray Received();
    void ClearReceived();

private:
    // The pseudo-terminal and its link at sLinkPath.
    bool MakeDevice(const QString& sLinkPath, QString& sError);
    void CloseDevice();
    void RemoveLink();
    void CloseAll();
    // Takes the vanish step due at iNowMs; false when the meter cannot come back.
    bool StepVanish(qint64 iNowMs);

    mutable std::mutex Lock;
    TSimMeterProtocol Protocol;
    int iMaster = -1;
    int iSlave = -1;
    int aWakePipe[2] = {-1, -1};
    QString sSlaveName;
    QString sLink;
    // Where the device is linked whenever the meter is there.
    QString sWantedLink;
    TSimVanishSchedule Vanish;
    std::thread Worker;
};
