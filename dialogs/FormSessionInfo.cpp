#include "dialogs/FormSessionInfo.h"

TfrmSessionInfo::TfrmSessionInfo(QWidget* parent) : QDialog(parent) {
    setObjectName("frmSessionInfo");
    setWindowTitle("Session Information");
}
