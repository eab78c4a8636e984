#pragma once

#include "core/InstrumentInfo.h"
#include "tests/support/TimingPresets.h"
#include "tools/sim/SimNetworkMeter.h"

#include <QTcpServer>
#include <gtest/gtest.h>
#include <memory>

namespace qxtest {

// A simulated network meter on its own thread and an instrument record pointing at it.
class TNetworkMeterFixture {
public:
    void StartMeter(const TSimNetworkConfig& rConfig) {
        Meter = std::make_unique<TSimNetworkMeterThread>(rConfig);
        QString sError;
        ASSERT_TRUE(Meter->Start(sError)) << sError.toStdString();
        rInstrument.sHostName = QStringLiteral("127.0.0.1");
        rInstrument.iPort = Meter->Port();
        rInstrument.sUserName = rConfig.sUserName;
        rInstrument.sPassword = rConfig.sPassword;
        rInstrument.bComPort = false;
    }

    // A port nobody listens on: the system's choice, released again.
    static int ClosedPort() {
        QTcpServer Server;
        if (!Server.listen(QHostAddress::LocalHost, 0))
            return 0;
        const int iPort = Server.serverPort();
        Server.close();
        return iPort;
    }

    std::unique_ptr<TSimNetworkMeterThread> Meter;
    TInstrumentInfo rInstrument;
};

} // namespace qxtest
