#include "app/FormMain.h"

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("QX-Logging");
}
