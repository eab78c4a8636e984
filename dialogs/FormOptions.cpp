#include "dialogs/FormOptions.h"

TfrmOptions::TfrmOptions(QWidget* parent) : QDialog(parent) {
    setObjectName("frmOptions");
    setWindowTitle("Options");
}
