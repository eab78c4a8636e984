// The review chart's mouse and keys: zoom, pan, range selection, the readout, cursor dragging and
// double-clicks on points.

#include "review/ReviewChart.h"

#include "core/TextTable.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

// One wheel notch, in the eighths of a degree a wheel event counts.
constexpr double kWheelNotch = 120.0;
// Left and Right pan by this share of the visible span.
constexpr double kKeyPanShare = 0.1;
// A zoomed level axis spans no fewer and no more decibels than these.
constexpr double kMinLevelSpan = 0.5;
constexpr double kMaxLevelSpan = 500.0;

// fLevel to a tenth, within Range: the nearest tenth inside it.
double CursorLevelIn(double fLevel, const QCPRange& Range) {
    const double fTenths = std::clamp(fLevel, Range.lower, Range.upper) * 10.0;
    double fRounded = std::round(fTenths);
    if (fRounded < Range.lower * 10.0)
        fRounded = std::ceil(fTenths);
    else if (fRounded > Range.upper * 10.0)
        fRounded = std::floor(fTenths);
    return fRounded / 10.0;
}

} // namespace

bool TReviewChart::OnPlot(const QPointF& Pos) const {
    // The last row's key lies on the plot's right edge: the edges belong to the plot.
    return QRectF(axisRect()->rect()).contains(Pos);
}

double TReviewChart::PlotX(double fX) const {
    const QRect Plot = axisRect()->rect();
    return std::clamp(fX, double(Plot.left()), double(Plot.left() + Plot.width()));
}

double TReviewChart::CursorLevel(int iCursor) const {
    return iCursor >= 0 && size_t(iCursor) < aCursorLevels.size() ? aCursorLevels[size_t(iCursor)]
                                                                  : std::nan("");
}

void TReviewChart::ShowTimeAxis() {
    xAxis->setRange(rTimeAxis.Lower(), rTimeAxis.Upper());
    replot(QCustomPlot::rpQueuedReplot);
}

void TReviewChart::ShowHome() {
    ResetLevelZoom();
    ShowWholeSession();
}

int TReviewChart::RowAt(double fX) const {
    if (PointCount() == 0)
        return -1;
    const double fKey = std::round(xAxis->pixelToCoord(fX));
    return int(std::clamp(fKey, double(rTimeAxis.FirstVisibleRow()), double(rTimeAxis.LastVisibleRow())));
}

int TReviewChart::CursorAt(const QPointF& Pos) const {
    if (!OnPlot(Pos))
        return -1;
    int iFound = -1;
    double fNearest = kCursorReachPx;
    for (size_t i = 0; i < aCursorLevels.size(); ++i) {
        const QCPGraph* Cursor = graph(kFirstCursorSeries + int(i));
        if (!Cursor || !Cursor->visible())
            continue;
        const double fDistance = std::abs(Cursor->valueAxis()->coordToPixel(aCursorLevels[i]) - Pos.y());
        if (fDistance <= fNearest) {
            fNearest = fDistance;
            iFound = int(i);
        }
    }
    return iFound;
}

int TReviewChart::PointAt(const QPointF& Pos) const {
    if (RowAt(Pos.x()) < 0)
        return -1;
    // A spike of a long session is one pixel wide: every row drawn within reach of the pointer counts, and
    // where many rows share a pixel column the envelope draws their extremes, so any of them can be hit.
    const double fLeft = xAxis->pixelToCoord(Pos.x() - kPointReachPx);
    const double fRight = xAxis->pixelToCoord(Pos.x() + kPointReachPx);
    const int iFirst = std::max(int(std::ceil(std::min(fLeft, fRight))), rTimeAxis.FirstVisibleRow());
    const int iLast = std::min(int(std::floor(std::max(fLeft, fRight))), rTimeAxis.LastVisibleRow());
    int iFound = -1;
    double fNearest = kPointReachPx;
    for (int iSeries = kSeriesPeak; iSeries <= kSeriesSTMax && size_t(iSeries) < aSeriesLevels.size();
         ++iSeries) {
        const QCPGraph* Series = graph(iSeries);
        if (!Series->visible())
            continue;
        const TSeriesLevels& aLevels = aSeriesLevels[size_t(iSeries)];
        for (int i = iFirst; i <= iLast; ++i) {
            const double fLevel = aLevels[i];
            if (!std::isfinite(fLevel))
                continue;
            // Rows of the pointer's own pixel column lie at no horizontal distance.
            const double fDx = std::max(std::abs(xAxis->coordToPixel(i) - Pos.x()) - 0.5, 0.0);
            const double fDy = Series->valueAxis()->coordToPixel(fLevel) - Pos.y();
            const double fDistance = std::hypot(fDx, fDy);
            if (fDistance < fNearest || (fDistance == fNearest && iFound < 0)) {
                fNearest = fDistance;
                iFound = i;
            }
        }
    }
    return iFound;
}

void TReviewChart::UpdateReadout(const QPointF& Pos) {
    const int iRow = RowAt(Pos.x());
    if (iRow < 0 || !OnPlot(Pos)) {
        Readout.Hide();
        return;
    }
    const QString sPeakUnit = GetText(kTxtDBFS, FLanguage);
    std::vector<TReadoutLine> aLines;
    for (int iSeries = 0; iSeries < graphCount() && size_t(iSeries) < aSeriesLevels.size(); ++iSeries) {
        const QCPGraph* Series = graph(iSeries);
        if (!Series->visible())
            continue;
        const bool bPeak =
            iSeries == kSeriesPeak ||
            (iSeries >= kFirstCursorSeries && aCursorOnPeakAxis[size_t(iSeries - kFirstCursorSeries)]);
        aLines.push_back({Series->name(), aSeriesLevels[size_t(iSeries)][iRow], bPeak ? sPeakUnit : sUnit});
    }
    Readout.Show(Pos, ChartReadoutText(GetText(kTxtTimecodeHeading, FLanguage), Rows.TimecodeView(iRow),
                                       aLines, QLocale().decimalPoint()));
}

void TReviewChart::HideOverlay() {
    Readout.Hide();
    SelectionBand->setVisible(false);
}

void TReviewChart::MoveCursor(int iCursor, double fLevel) {
    aCursorLevels[size_t(iCursor)] = fLevel;
    const size_t iSeries = size_t(kFirstCursorSeries + iCursor);
    if (iSeries < aSeriesLevels.size()) {
        TSeriesLevels& aLevels = aSeriesLevels[iSeries];
        aLevels = TSeriesLevels::Level(fLevel, aLevels.size());
        if (!aLevels.empty())
            aMin[iSeries] = aMax[iSeries] = fLevel;
    }
    // The drawn line is a level at every column: its points move as they are.
    for (QCPGraphData& p : *graph(int(iSeries))->data())
        p.value = fLevel;
    replot(QCustomPlot::rpQueuedReplot);
}

void TReviewChart::ZoomLevelAxes(const QPointF& Pos, double fFactor) {
    const QRect Plot = axisRect()->rect();
    std::vector<QCPAxis*> aAxes;
    if (Pos.x() < Plot.left())
        aAxes = {yAxis};
    else if (Pos.x() > Plot.right())
        aAxes = {yAxis2};
    else
        aAxes = {yAxis, yAxis2};
    for (QCPAxis* Axis : aAxes) {
        if (!Axis->visible())
            continue;
        auto It = std::find_if(aLevelZooms.begin(), aLevelZooms.end(),
                               [Axis](const TLevelZoom& r) { return r.Axis == Axis; });
        if (It == aLevelZooms.end())
            It = aLevelZooms.insert(aLevelZooms.end(), TLevelZoom{Axis, Axis->range(), Axis->range()});
        const QCPRange& r = It->rShown;
        const double fLevel = std::clamp(Axis->pixelToCoord(Pos.y()), r.lower, r.upper);
        const QCPRange Zoomed(fLevel - (fLevel - r.lower) * fFactor, fLevel + (r.upper - fLevel) * fFactor);
        if (Zoomed.size() < kMinLevelSpan || Zoomed.size() > kMaxLevelSpan)
            continue;
        It->rShown = Zoomed;
        Axis->setRange(Zoomed);
    }
    replot(QCustomPlot::rpQueuedReplot);
}

void TReviewChart::ResetLevelZoom() {
    for (const TLevelZoom& r : aLevelZooms)
        r.Axis->setRange(r.rHome);
    aLevelZooms.clear();
}

void TReviewChart::UpdateSelectionBand(double fToX) {
    const QRect Plot = axisRect()->rect();
    const double fFrom =
        xAxis->pixelToCoord(std::clamp(DragStart.x(), double(Plot.left()), double(Plot.right())));
    const double fTo = xAxis->pixelToCoord(std::clamp(fToX, double(Plot.left()), double(Plot.right())));
    SelectionBand->topLeft->setCoords(std::min(fFrom, fTo), 0);
    SelectionBand->bottomRight->setCoords(std::max(fFrom, fTo), 1);
    SelectionBand->setVisible(true);
    SelectionBand->layer()->replot();
}

void TReviewChart::mousePressEvent(QMouseEvent* event) {
    const QPointF Pos = event->position();
    if (event->button() != Qt::LeftButton || eDrag != TDrag::None || !OnPlot(Pos)) {
        QCustomPlot::mousePressEvent(event);
        return;
    }
    DragStart = Pos;
    iDragCursor = CursorAt(Pos);
    if (iDragCursor >= 0) {
        eDrag = TDrag::Cursor;
        rDragCursorRange = graph(kFirstCursorSeries + iDragCursor)->valueAxis()->range();
        fDragCursorStart = aCursorLevels[size_t(iDragCursor)];
    } else if (event->modifiers() & Qt::ShiftModifier) {
        eDrag = TDrag::Select;
        UpdateSelectionBand(Pos.x());
    } else {
        eDrag = TDrag::Pan;
        fDragLower = rTimeAxis.Lower();
        fDragKeysPerPixel = (rTimeAxis.Upper() - rTimeAxis.Lower()) / std::max(axisRect()->width(), 1);
        setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
}

void TReviewChart::mouseMoveEvent(QMouseEvent* event) {
    const QPointF Pos = event->position();
    switch (eDrag) {
    case TDrag::Pan:
        rTimeAxis.PanBy(fDragLower - (Pos.x() - DragStart.x()) * fDragKeysPerPixel - rTimeAxis.Lower());
        ShowTimeAxis();
        break;
    case TDrag::Select:
        UpdateSelectionBand(Pos.x());
        break;
    case TDrag::Cursor: {
        const QCPAxis* Axis = graph(kFirstCursorSeries + iDragCursor)->valueAxis();
        MoveCursor(iDragCursor, CursorLevelIn(Axis->pixelToCoord(Pos.y()), rDragCursorRange));
        break;
    }
    case TDrag::None:
        if (CursorAt(Pos) >= 0)
            setCursor(Qt::SizeVerCursor);
        else
            unsetCursor();
        QCustomPlot::mouseMoveEvent(event);
        break;
    }
    UpdateReadout(Pos);
}

void TReviewChart::mouseReleaseEvent(QMouseEvent* event) {
    if (eDrag == TDrag::None || event->button() != Qt::LeftButton) {
        QCustomPlot::mouseReleaseEvent(event);
        return;
    }
    const TDrag eEnded = eDrag;
    eDrag = TDrag::None;
    unsetCursor();
    const QPointF Pos = event->position();
    if (eEnded == TDrag::Select) {
        SelectionBand->setVisible(false);
        if (std::abs(Pos.x() - DragStart.x()) >= kMinSelectionPx) {
            ZoomTo(xAxis->pixelToCoord(PlotX(DragStart.x())), xAxis->pixelToCoord(PlotX(Pos.x())));
        } else {
            SelectionBand->layer()->replot();
        }
    } else if (eEnded == TDrag::Cursor) {
        const double fLevel = aCursorLevels[size_t(iDragCursor)];
        (aCursorOption[size_t(iDragCursor)] == 1 ? rChartOptions.fCursor1 : rChartOptions.fCursor2) = fLevel;
        RefreshNow();
    }
    UpdateReadout(Pos);
    event->accept();
}

void TReviewChart::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPointF Pos = event->position();
    if (event->button() != Qt::LeftButton || !OnPlot(Pos)) {
        QCustomPlot::mouseDoubleClickEvent(event);
        return;
    }
    const int iRow = PointAt(Pos);
    if (iRow >= 0)
        Q_EMIT PointDoubleClicked(iRow);
    else
        ShowHome();
    event->accept();
}

void TReviewChart::wheelEvent(QWheelEvent* event) {
    // A touchpad sends parts of a notch: each zooms its part.
    const int iDelta = event->angleDelta().y();
    if (iDelta == 0) {
        event->ignore();
        return;
    }
    const double fFactor = std::pow(kWheelZoomFactor, iDelta / kWheelNotch);
    const QPointF Pos = event->position();
    if (event->modifiers() & Qt::ControlModifier) {
        ZoomLevelAxes(Pos, fFactor);
    } else {
        rTimeAxis.ZoomAround(xAxis->pixelToCoord(Pos.x()), fFactor);
        ShowTimeAxis();
    }
    UpdateReadout(Pos);
    event->accept();
}

void TReviewChart::keyPressEvent(QKeyEvent* event) {
    const double fSpan = rTimeAxis.Upper() - rTimeAxis.Lower();
    const double fMiddle = (rTimeAxis.Upper() + rTimeAxis.Lower()) / 2;
    if (eDrag != TDrag::None) {
        // Escape takes back the drag under way; other keys wait until it ends.
        if (event->key() == Qt::Key_Escape)
            CancelDrag();
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Home:
        ShowHome();
        break;
    case Qt::Key_Left:
        rTimeAxis.PanBy(-fSpan * kKeyPanShare);
        ShowTimeAxis();
        break;
    case Qt::Key_Right:
        rTimeAxis.PanBy(fSpan * kKeyPanShare);
        ShowTimeAxis();
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        rTimeAxis.ZoomAround(fMiddle, kWheelZoomFactor);
        ShowTimeAxis();
        break;
    case Qt::Key_Minus:
        rTimeAxis.ZoomAround(fMiddle, 1.0 / kWheelZoomFactor);
        ShowTimeAxis();
        break;
    default:
        QCustomPlot::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TReviewChart::CancelDrag() {
    switch (eDrag) {
    case TDrag::Pan:
        rTimeAxis.PanBy(fDragLower - rTimeAxis.Lower());
        ShowTimeAxis();
        break;
    case TDrag::Select:
        SelectionBand->setVisible(false);
        SelectionBand->layer()->replot();
        break;
    case TDrag::Cursor:
        MoveCursor(iDragCursor, fDragCursorStart);
        break;
    case TDrag::None:
        break;
    }
    eDrag = TDrag::None;
    unsetCursor();
}

void TReviewChart::leaveEvent(QEvent* event) {
    Readout.Hide();
    if (eDrag == TDrag::None)
        unsetCursor();
    QCustomPlot::leaveEvent(event);
}
