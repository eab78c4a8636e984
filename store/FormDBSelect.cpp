#include "store/FormDBSelect.h"

TfrmDBSelect::TfrmDBSelect(QWidget* parent) : QDialog(parent) {
    setObjectName("frmDBSelect");
    setWindowTitle("Manage Databases");
}
