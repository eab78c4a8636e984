// qx_port_open open DATAFOLDER PORT: opens COM<PORT> as the program does and prints what a failure says:
//   cause=<number>, log=<engine log line>, en=<English text>, da=<Danish text> (carriage returns as "\r").
// qx_port_open hold DATAFOLDER PORT: opens COM<PORT> through the serial port library, prints "held" and
// keeps it open until its standard input ends.
#include "meter/ComPorts.h"
#include "meter/PortOpenError.h"
#include "meter/qxMeterCOM.h"

#include <QCoreApplication>
#include <QSerialPort>
#include <cstdio>

namespace {

void PrintLine(const char* sKey, QString sValue) {
    sValue.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    std::printf("%s=%s\n", sKey, sValue.toUtf8().constData());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    const QStringList slArgs = App.arguments();
    if (slArgs.size() != 4)
        return 2;
    const QString& sDataFolder = slArgs.at(2);
    const int iPort = slArgs.at(3).toInt();
    if (slArgs.at(1) == QLatin1String("hold")) {
        QSerialPort Port(ComPortDevicePath(iPort, sDataFolder));
        if (!Port.open(QIODevice::ReadWrite))
            return 1;
        std::printf("held\n");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    }
    TqxMeterCom Com;
    Com.SetDataFolder(sDataFolder);
    Com.SetPort(iPort);
    if (Com.Open()) {
        std::printf("opened\n");
        return 0;
    }
    const TPortOpenFailure& r = Com.OpenFailure();
    std::printf("cause=%d\n", int(r.Cause));
    PrintLine("log", PortOpenFailureLog(r));
    PrintLine("en", PortOpenFailureText(r, 0));
    PrintLine("da", PortOpenFailureText(r, 1));
    return 0;
}
