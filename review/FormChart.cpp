#include "review/FormChart.h"

TfrmChart::TfrmChart(QWidget* parent) : QDialog(parent) {
    setObjectName("frmChart");
    setWindowTitle("Chart");
}
