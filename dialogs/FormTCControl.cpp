#include "dialogs/FormTCControl.h"

TfrmTCControl::TfrmTCControl(QWidget* parent) : QDialog(parent) {
    setObjectName("frmTCControl");
    setWindowTitle("Timecode Control");
}
