#include "meter/FormAddNetworkInstrument.h"

TfrmAddNetworkInstrument::TfrmAddNetworkInstrument(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAddNetworkInstrument");
    setWindowTitle("Network Instrument");
}
