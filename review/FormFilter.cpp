#include "review/FormFilter.h"

TfrmFilter::TfrmFilter(QWidget* parent) : QDialog(parent) {
    setObjectName("frmFilter");
    setWindowTitle("Filter Data");
}
