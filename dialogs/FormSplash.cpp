#include "dialogs/FormSplash.h"

TfrmSplash::TfrmSplash(QWidget* parent) : QDialog(parent) {
    setObjectName("frmSplash");
    setWindowTitle("Splash");
}
