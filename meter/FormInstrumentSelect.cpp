#include "meter/FormInstrumentSelect.h"

TfrmInstrumentSelect::TfrmInstrumentSelect(QWidget* parent) : QDialog(parent) {
    setObjectName("frmInstrumentSelect");
    setWindowTitle("Manage Instruments");
}
