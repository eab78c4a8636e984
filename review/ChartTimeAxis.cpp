#include "review/ChartTimeAxis.h"

#include <algorithm>
#include <cmath>

double TChartTimeAxis::WholeUpper() const {
    return std::max(double(iPointCount - 1), 1.0);
}

void TChartTimeAxis::SetPointCount(int iPoints) {
    const bool bWhole = IsWhole();
    iPointCount = std::max(iPoints, 0);
    if (bWhole || fUpper > WholeUpper())
        ShowWhole();
}

bool TChartTimeAxis::IsWhole() const {
    return fLower <= 0.0 && fUpper >= WholeUpper();
}

int TChartTimeAxis::FirstVisibleRow() const {
    return std::clamp(int(std::ceil(fLower)), 0, std::max(iPointCount - 1, 0));
}

int TChartTimeAxis::LastVisibleRow() const {
    return std::clamp(int(std::floor(fUpper)), FirstVisibleRow(), std::max(iPointCount - 1, 0));
}

void TChartTimeAxis::ZoomAround(double fKey, double fFactor) {
    if (!std::isfinite(fKey) || !std::isfinite(fFactor) || fFactor <= 0.0)
        return;
    fKey = std::clamp(fKey, fLower, fUpper);
    Place(fKey - (fKey - fLower) * fFactor, fKey + (fUpper - fKey) * fFactor);
}

void TChartTimeAxis::PanBy(double fDelta) {
    if (std::isfinite(fDelta))
        Place(fLower + fDelta, fUpper + fDelta);
}

void TChartTimeAxis::ZoomTo(double fFrom, double fTo) {
    if (std::isfinite(fFrom) && std::isfinite(fTo))
        Place(std::min(fFrom, fTo), std::max(fFrom, fTo));
}

void TChartTimeAxis::ShowWhole() {
    fLower = 0.0;
    fUpper = WholeUpper();
}

void TChartTimeAxis::Place(double fLow, double fHigh) {
    const double fWhole = WholeUpper();
    double fSpan = std::clamp(fHigh - fLow, std::min(kMinSpan, fWhole), fWhole);
    // A span grown to the minimum grows around its middle.
    if (fHigh - fLow < fSpan) {
        const double fMiddle = (fLow + fHigh) / 2;
        fLow = fMiddle - fSpan / 2;
    }
    fLow = std::clamp(fLow, 0.0, fWhole - fSpan);
    fLower = fLow;
    fUpper = fLow + fSpan;
}
