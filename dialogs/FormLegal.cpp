#include "dialogs/FormLegal.h"

TfrmLegalInfo::TfrmLegalInfo(QWidget* parent) : QDialog(parent) {
    setObjectName("frmLegalInfo");
    setWindowTitle("Legal Information");
}
