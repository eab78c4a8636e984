#pragma once

#include "meter/ComPorts.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TimingPresets.h"
#include "tools/sim/SimSerialLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace qxtest {

// A simulated serial meter linked as COM iPort in sDataFolder's ports folder, answering from now on.
inline void StartSimMeter(std::unique_ptr<TSimSerialLink>& rSim, const QString& sDataFolder, int iPort,
                          const TSimMeterConfig& rConfig, TSimMemoryImage Image = {}) {
    rSim = std::make_unique<TSimSerialLink>(rConfig, std::move(Image));
    QString sError;
    ASSERT_TRUE(rSim->Open(ComPortLinkPath(sDataFolder, iPort), sError)) << sError.toStdString();
    rSim->Start();
}

// The simulator program serving a serial meter at sLink with slOptions, running once its link is there.
inline void StartSimProgram(QProcess& rProgram, const QString& sLink, const QStringList& slOptions = {}) {
    rProgram.start(QStringLiteral(QX_BIN_DIR "/qxmeter-sim"),
                   QStringList{"serial", "--link", sLink} + slOptions);
    ASSERT_TRUE(rProgram.waitForStarted(10000));
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(sLink).isSymLink(); }, 15000));
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
        std::unique_ptr<TSimSerialLink> pSim;
        ASSERT_NO_FATAL_FAILURE(StartSimMeter(pSim, sDataFolder, iPort, rConfig));
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
