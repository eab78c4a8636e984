#include "review/FormSortSessions.h"

TfrmFilterSessions::TfrmFilterSessions(QWidget* parent) : QDialog(parent) {
    setObjectName("frmFilterSessions");
    setWindowTitle("Filter Sessions");
}
