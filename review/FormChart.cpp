#include "review/FormChart.h"

#include "core/Settings.h"
#include "core/TextTable.h"

TfrmChart::TfrmChart(QWidget* parent) : QDialog(parent) {
    setObjectName("frmChart");
    UpdateCaption(kLanguageEnglish);
}

void TfrmChart::UpdateCaption(int iLNG) {
    setWindowTitle(GetText(kTxtChartCaption, iLNG) + " - " + sCaption);
}

void TfrmChart::ApplyPlacement(const TWindowPlacement& rPlace) {
    setGeometry(rPlace.X, rPlace.Y, rPlace.Width, rPlace.Height);
    setWindowState(rPlace.Maximized ? (windowState() | Qt::WindowMaximized)
                                    : (windowState() & ~Qt::WindowMaximized));
}

void TfrmChart::StorePlacement(TWindowPlacement& rPlace) const {
    rPlace.Maximized = windowState().testFlag(Qt::WindowMaximized);
    if (rPlace.Maximized)
        return;
    const QRect rGeometry = geometry();
    rPlace.X = rGeometry.x();
    rPlace.Y = rGeometry.y();
    rPlace.Width = rGeometry.width();
    rPlace.Height = rGeometry.height();
}
