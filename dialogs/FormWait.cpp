#include "dialogs/FormWait.h"

TfrmWait::TfrmWait(QWidget* parent) : QDialog(parent) {
    setObjectName("frmWait");
    setWindowTitle("Please wait");
}
