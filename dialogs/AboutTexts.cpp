#include "dialogs/AboutTexts.h"

// Must stand outside any namespace.
void InitAboutResources() {
    Q_INIT_RESOURCE(about);
}

TAboutInstrumentLines AboutInstrumentLines(const TUDPInstrumentInfo& r) {
    if (!r.bValid)
        return {{QString(), QString()}, {QString(), QString(), QString()}};
    return {
        {"      Instrument Type: " + r.sTypeName, "        Serial Number: " + QString::number(r.iSerialNo)},
        {"  Package ID: " + QString::number(r.iSoftwarePackage),
         " MCU Version: " + QString::number(r.iRunVerMajor) + "," + QString::number(r.iRunVerMinor),
         "FPGA Version: " + QString::number(r.iFPGAVersion)}};
}
