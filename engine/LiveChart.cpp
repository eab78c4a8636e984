#include "engine/LiveChart.h"

#include "core/Drawing.h"

#include "core/TextTable.h"

#include <QWindow>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Space kept free at each end of an automatic level axis.
constexpr double kAxisEndOffsetPx = 10.0;

// A series with more points than this per pixel column is drawn without antialiasing: adaptive sampling
// turns it into a vertical bar per column, which looks the same aliased, while antialiased strokes of those
// bars would make each repaint grow with the session.
constexpr double kDensePointsPerPixel = 1.0;

// Labels wanted on the bottom axis across the chart.
constexpr int kBottomTickCount = 8;

// Steps between labelled points, in points (one point a second): seconds, minutes, hours.
constexpr double kTickSteps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600};
constexpr double kSecondsPerHour = 3600;

// Properties of a level axis read by the live chart.
constexpr const char* kPropAutoScale = "qxAutoScale";
constexpr const char* kPropMin = "qxAxisMin";
constexpr const char* kPropMax = "qxAxisMax";

bool IsShown(QCustomPlot& Chart, int iSeries) {
    return iSeries < Chart.graphCount() && Chart.graph(iSeries)->visible();
}

void ColourAxis(QCPAxis* Axis, const QColor& cl) {
    Axis->setLabelColor(cl);
    Axis->setTickLabelColor(cl);
}

} // namespace

double TTimecodeTicker::getTickStep(const QCPRange& range) {
    const double fRaw = range.size() / kBottomTickCount;
    for (double fStep : kTickSteps)
        if (fStep >= fRaw)
            return fStep;
    return std::ceil(fRaw / kSecondsPerHour) * kSecondsPerHour;
}

int TTimecodeTicker::getSubTickCount(double) {
    return 0;
}

QString TTimecodeTicker::getTickLabel(double tick, const QLocale&, QChar, int) {
    const double fIndex = std::round(tick);
    if (fIndex < 0 || fIndex >= double(aLabels.size()))
        return QString();
    return aLabels[size_t(fIndex)];
}

void SetLevelAxisScale(QCPAxis* Axis, double fMin, double fMax, bool bAutoScale) {
    Axis->setProperty(kPropAutoScale, bAutoScale);
    Axis->setProperty(kPropMin, fMin);
    Axis->setProperty(kPropMax, fMax);
    if (!bAutoScale)
        Axis->setRange(std::min(fMin, fMax), std::max(fMin, fMax));
}

TLiveChart::TLiveChart(QWidget* parent) : QCustomPlot(parent) {
    setNoAntialiasingOnDrag(true);
    setPlottingHints(QCP::phCacheLabels);
    // Nothing is drawn on the overlay layer (no selection rectangle, no items): painting it into the main
    // buffer saves clearing and blending a second window-sized picture on every repaint.
    layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
    Ticker = QSharedPointer<TTimecodeTicker>::create();
    xAxis->setTicker(Ticker);
    xAxis->setRange(0, 1);
    for (QCPAxis* Axis : {xAxis, yAxis, yAxis2}) {
        Axis->setVisible(false);
        Axis->grid()->setPen(QPen(QColor(0xD8, 0xDE, 0xE6), 0, Qt::DotLine));
    }
    yAxis2->grid()->setVisible(false);
    for (int i = 0; i < 3; ++i) {
        QCPGraph* Series = addGraph(xAxis, i == kSeriesPeak ? yAxis2 : yAxis);
        Series->setAdaptiveSampling(true);
        Series->setLineStyle(QCPGraph::lsLine);
    }
    aMin.fill(std::numeric_limits<double>::infinity());
    aMax.fill(-std::numeric_limits<double>::infinity());

    legend->setVisible(false);
    PlaceLegendBelowPlot(*this);

    tmrReplot.setSingleShot(true);
    tmrReplot.setInterval(kReplotIntervalMs);
    connect(&tmrReplot, &QTimer::timeout, this, &TLiveChart::RefreshNow);
    connect(this, &QCustomPlot::legendClick, this, &TLiveChart::ChartLegendClick);
}

void TLiveChart::AddPoint(const QString& sLabel, double fPeak, double fIntegrating, double fSTMax) {
    const double fKey = double(Ticker->aLabels.size());
    Ticker->aLabels.push_back(sLabel);
    const double aValues[3] = {fPeak, fIntegrating, fSTMax};
    for (int i = 0; i < 3; ++i) {
        graph(i)->addData(fKey, aValues[i]);
        if (std::isfinite(aValues[i])) {
            aMin[size_t(i)] = std::min(aMin[size_t(i)], aValues[i]);
            aMax[size_t(i)] = std::max(aMax[size_t(i)], aValues[i]);
        }
    }
    if (!tmrReplot.isActive())
        tmrReplot.start();
}

void TLiveChart::resizeEvent(QResizeEvent* event) {
    // While the window cannot be seen, sizes change several times as it is laid out (start-up, placement
    // from the settings): one repaint once they have settled is enough. A visible chart repaints at once,
    // so it never shows a picture of its old size.
    const QWindow* Window = window()->windowHandle();
    if (Window && Window->isExposed()) {
        QCustomPlot::resizeEvent(event);
        return;
    }
    setViewport(rect());
    replot(rpQueuedReplot);
}

void TLiveChart::ClearSeries() {
    for (int i = 0; i < 3; ++i)
        graph(i)->data()->clear();
    Ticker->aLabels.clear();
    aMin.fill(std::numeric_limits<double>::infinity());
    aMax.fill(-std::numeric_limits<double>::infinity());
    if (!tmrReplot.isActive())
        tmrReplot.start();
}

QString TLiveChart::PointLabel(int iPoint) const {
    if (iPoint < 0 || iPoint >= PointCount())
        return QString();
    return Ticker->aLabels[size_t(iPoint)];
}

void TLiveChart::RefreshNow() {
    tmrReplot.stop();
    UpdateRanges();
    replot(QCustomPlot::rpQueuedReplot);
}

void TLiveChart::UpdateRanges() {
    const int iPoints = PointCount();
    // Dense live series are drawn without antialiasing: a repaint then costs little more at a day's points.
    const bool bDense = iPoints > kDensePointsPerPixel * std::max(axisRect()->width(), 1);
    for (int i = 0; i < graphCount(); ++i)
        graph(i)->setAntialiased(!bDense);
    FitChartAxes(*this, iPoints, aMin, aMax);
}

void FitChartAxes(QCustomPlot& Chart, int iPoints, std::span<const double> aMin,
                  std::span<const double> aMax) {
    Chart.xAxis->setRange(0, std::max(iPoints - 1, 1));
    const int iSeries = std::min({Chart.graphCount(), int(aMin.size()), int(aMax.size())});
    for (QCPAxis* Axis : {Chart.yAxis, Chart.yAxis2}) {
        if (!Axis->property(kPropAutoScale).toBool())
            continue;
        double fLow = std::numeric_limits<double>::infinity();
        double fHigh = -fLow;
        for (int i = 0; i < iSeries; ++i) {
            if (Chart.graph(i)->visible() && Chart.graph(i)->valueAxis() == Axis) {
                fLow = std::min(fLow, aMin[size_t(i)]);
                fHigh = std::max(fHigh, aMax[size_t(i)]);
            }
        }
        if (!std::isfinite(fLow) || !std::isfinite(fHigh)) {
            // Nothing to follow yet: the configured range.
            fLow = Axis->property(kPropMin).toDouble();
            fHigh = Axis->property(kPropMax).toDouble();
        }
        if (fHigh - fLow < 1e-9) {
            fLow -= 1;
            fHigh += 1;
        }
        // Before the first layout the axis has no length yet: a twentieth of the span stands in.
        const double fPixels = double(Axis->axisRect()->height()) - 2 * kAxisEndOffsetPx;
        const double fPad =
            fPixels > kAxisEndOffsetPx ? (fHigh - fLow) * kAxisEndOffsetPx / fPixels : (fHigh - fLow) / 20;
        Axis->setRange(fLow - fPad, fHigh + fPad);
    }
}

QPen SeriesPen(TColorValue clColor, int iWidth) {
    return QPen(ColorValueToQColor(clColor), std::clamp(iWidth, 1, kMaxLineWidth));
}

void ApplyLevelChartSettings(QCustomPlot& c, TChartOptions& r, int iScaleMode, const QString& sUnit,
                             int iSTMaxTitle, bool bAllShown, int iLNG) {
    if (c.graphCount() < 3)
        return;
    const auto T = [iLNG](int iEntry) { return GetText(iEntry, iLNG); };
    QCPGraph* Peak = c.graph(0);
    Peak->setPen(SeriesPen(r.clPeakColor, r.iPeakLineWidth));
    Peak->setVisible(bAllShown || r.bPeakEnabled);
    Peak->setValueAxis(c.yAxis2);
    Peak->setName(T(kTxtPeakLevelHeading) + " ( " + T(kTxtDBFS) + " ).");
    QCPGraph* Integrating = c.graph(1);
    Integrating->setPen(SeriesPen(r.clIntColor, r.iIntLineWidth));
    Integrating->setVisible(bAllShown || r.bIntEnabled);
    Integrating->setValueAxis(c.yAxis);
    Integrating->setName(T(kTxtIntegratingHeading) + " ( " + sUnit + " ).");
    Integrating->setProperty("Tag", iScaleMode);
    QCPGraph* STMax = c.graph(2);
    STMax->setPen(SeriesPen(r.clSTMaxColor, r.iSTMaxLineWidth));
    STMax->setVisible(bAllShown || r.bSTMaxEnabled);
    STMax->setValueAxis(c.yAxis);
    STMax->setName(T(iSTMaxTitle) + " ( " + sUnit + " ).");

    SetLevelAxisScale(c.yAxis, r.fLeftAxisMin, r.fLeftAxisMax, r.bLeftAxisAutoScale);
    ColourAxis(c.yAxis, ColorValueToQColor(r.clIntColor));
    c.yAxis->setLabel(T(kTxtIntegratingHeading) + "\n" + sUnit);
    SetLevelAxisScale(c.yAxis2, r.fRightAxisMin, r.fRightAxisMax, r.bRightAxisAutoScale);
    ColourAxis(c.yAxis2, ColorValueToQColor(r.clPeakColor));
    c.yAxis2->setLabel(T(kTxtPeakLevelHeading) + "\n" + T(kTxtDBFS));
    ChartLoggingClickLegend(c, r, iLNG);
}

void PlaceLegendBelowPlot(QCustomPlot& Chart) {
    QCPLegend* Legend = Chart.legend;
    Legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    Legend->setBorderPen(Qt::NoPen);
    Legend->setBrush(Qt::NoBrush);
    auto* LegendRow = new QCPLayoutGrid;
    Chart.plotLayout()->addElement(1, 0, LegendRow);
    LegendRow->setMargins(QMargins(0, 0, 0, 4));
    LegendRow->addElement(0, 0, Legend);
    Chart.plotLayout()->setRowStretchFactor(1, 0.001);
}

void TLiveChart::UpdateLegendLook() {
    for (int i = 0; i < graphCount(); ++i) {
        if (QCPPlottableLegendItem* Item = legend->itemWithPlottable(graph(i)))
            Item->setTextColor(graph(i)->visible() ? QColor(Qt::black) : QColor(0xA0, 0xA0, 0xA0));
    }
}

void TLiveChart::ChartLegendClick(QCPLegend*, QCPAbstractLegendItem* Item, QMouseEvent*) {
    const int iSeries = LegendSeriesIndex(*this, Item);
    if (iSeries >= 0)
        Q_EMIT SeriesLegendClicked(iSeries);
}

int LegendSeriesIndex(QCustomPlot& Chart, QCPAbstractLegendItem* Item) {
    auto* PlottableItem = qobject_cast<QCPPlottableLegendItem*>(Item);
    if (!PlottableItem)
        return -1;
    for (int i = 0; i < Chart.graphCount(); ++i)
        if (Chart.graph(i) == PlottableItem->plottable())
            return i;
    return -1;
}

void ChartLoggingClickLegend(QCustomPlot& Chart, TChartOptions& r, int iLNG) {
    if (Chart.graphCount() < 3)
        return;
    const bool bPeak = IsShown(Chart, 0);
    const bool bInt = IsShown(Chart, 1);
    const bool bSTMax = IsShown(Chart, 2);
    QCPAxis* Left = Chart.yAxis;
    QCPAxis* Right = Chart.yAxis2;

    if (bInt || bSTMax) {
        SetLevelAxisScale(Left, r.fLeftAxisMin, r.fLeftAxisMax, r.bLeftAxisAutoScale);
        ColourAxis(Left, ColorValueToQColor(bInt ? r.clIntColor : r.clSTMaxColor));
        QString sTitle;
        if (bInt)
            sTitle = GetText(kTxtIntegratingHeading, iLNG) +
                     (bSTMax ? " / " + GetText(kTxtShortTermMaxHeading, iLNG) : QString());
        else
            sTitle = GetText(kTxtShortTermMaxHeading, iLNG);
        Left->setLabel(sTitle + "\n" + ScaleModeName(Chart.graph(1)->property("Tag").toInt()));
        Left->setVisible(true);
        Right->setVisible(bPeak || bInt);
        Chart.graph(0)->setValueAxis(Right);
    } else if (bPeak) {
        // The peak curve alone takes the left side with the right axis's scale and title.
        SetLevelAxisScale(Left, r.fRightAxisMin, r.fRightAxisMax, r.bRightAxisAutoScale);
        ColourAxis(Left, ColorValueToQColor(r.clPeakColor));
        Left->setLabel(Right->label());
        Left->setVisible(true);
        Right->setVisible(false);
        Chart.graph(0)->setValueAxis(Left);
    } else {
        Left->setVisible(false);
        Right->setVisible(false);
    }
    r.bIntEnabled = bInt;
    r.bPeakEnabled = bPeak;
    r.bSTMaxEnabled = bSTMax;
}
