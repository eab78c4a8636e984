#pragma once

#include "core/Timing.h"
#include "meter/ComPorts.h"
#include "tests/support/TestSupport.h"
#include "tools/sim/SimSerialLink.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace qxtest {

// Waits that end as soon as a simulated meter answers, and are long enough for a loaded machine.
inline TTimingSettings ProbeTiming() {
    TTimingSettings Timing;
    Timing.iComTimeoutTicks = 200;
    Timing.iModeTries = 2;
    Timing.iModeAckTicks = 100;
    Timing.iAckTicks = 100;
    Timing.iStatusTicks = 100;
    Timing.iVersionTicks = 100;
    Timing.iEEPROMTicks = 100;
    return Timing;
}

// Simulated meters and dead links under the ports folder of a fresh data folder.
class TSimPorts {
public:
    explicit TSimPorts(const TFreshConfigHome& rHome) : sDataFolder(rHome.DataFolder()) {
        QDir().mkpath(sDataFolder + "/ports");
    }
    ~TSimPorts() {
        for (auto& [iPort, pSim] : Meters)
            pSim->Stop();
    }

    void AddMeter(int iPort, const TSimMeterConfig& rConfig = DefaultSimMeterConfig(TSimMeterKind::Pool)) {
        auto pSim = std::make_unique<TSimSerialLink>(rConfig);
        QString sError;
        ASSERT_TRUE(pSim->Open(ComPortLinkPath(sDataFolder, iPort), sError)) << sError.toStdString();
        pSim->Start();
        Meters[iPort] = std::move(pSim);
    }
    // A port whose device is gone: it is listed, and opening it fails.
    void AddDeadLink(int iPort) {
        ASSERT_TRUE(QFile::link(sDataFolder + "/ports/no-such-device", ComPortLinkPath(sDataFolder, iPort)));
    }
    TSimSerialLink& Meter(int iPort) { return *Meters.at(iPort); }

    QString sDataFolder;

private:
    std::map<int, std::unique_ptr<TSimSerialLink>> Meters;
};

} // namespace qxtest
