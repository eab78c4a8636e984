#include "review/ReviewChart.h"

#include "compliance/SessionLevels.h"
#include "compliance/Standards.h"
#include "core/Drawing.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "review/ChartEnvelope.h"

#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The system colour of inactive captions, by its platform index.
constexpr TColorValue kInactiveCaptionIndex = 3;

constexpr QColor clGradientTop(0xDA, 0xDA, 0xDA);
constexpr QColor clShadow(0x80, 0x80, 0x80, 0x60);
// A gap's band: pale enough to leave the target band and the grid readable, its edges a thin line that
// still shows where a week's chart gives the gap less than a pixel.
constexpr QColor clGapMark(0x90, 0x90, 0x90, 0x40);
constexpr QColor clGapMarkLine(0x80, 0x80, 0x80, 0xA0);
constexpr int kAxisTitlePointSize = 10;
// Before its first layout the plot's width is not known: the envelope is made for at least this many
// columns, which a chart of a few hundred rows draws point by point.
constexpr int kMinEnvelopeColumns = 512;

// Legend check box: side, and the gap to the series' line sample.
constexpr int kCheckBoxSize = 11;
constexpr int kCheckBoxGap = 4;

// A line series with a shadow 1 pixel right and down, drawn under the line from the same points.
class TShadowGraph : public QCPGraph {
public:
    using QCPGraph::QCPGraph;

protected:
    void drawLinePlot(QCPPainter* painter, const QVector<QPointF>& lines) const override {
        const QPen LinePen = painter->pen();
        QPen ShadowPen = LinePen;
        ShadowPen.setColor(clShadow);
        painter->save();
        painter->setPen(ShadowPen);
        // Under the line a plain shadow looks the same and draws in half the time.
        painter->setAntialiasing(false);
        painter->translate(1, 1);
        QCPGraph::drawLinePlot(painter, lines);
        painter->restore();
        painter->setPen(LinePen);
        QCPGraph::drawLinePlot(painter, lines);
    }
};

// A legend entry with a check box that shows whether its series is shown; the box is left out while
// bCheckBoxes is off (the PDF picture).
class TCheckLegendItem : public QCPPlottableLegendItem {
public:
    TCheckLegendItem(QCPLegend* parent, QCPAbstractPlottable* plottable, const bool& bShowCheckBoxes)
        : QCPPlottableLegendItem(parent, plottable), bCheckBoxes(bShowCheckBoxes) {}

protected:
    void draw(QCPPainter* painter) override {
        if (!mPlottable)
            return;
        if (!bCheckBoxes) {
            QCPPlottableLegendItem::draw(painter);
            return;
        }
        const QSize IconSize = mParentLegend->iconSize();
        painter->setFont(getFont());
        const int iHeight = std::max(painter->fontMetrics().height(), IconSize.height());
        const QRect Box(mRect.x(), mRect.y() + (iHeight - kCheckBoxSize) / 2, kCheckBoxSize, kCheckBoxSize);
        painter->setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
        painter->setBrush(Qt::white);
        painter->drawRect(Box);
        if (mPlottable->visible()) {
            painter->setPen(QPen(Qt::black, 2));
            const QPointF aTick[] = {Box.topLeft() + QPointF(2.5, 5.5), Box.topLeft() + QPointF(4.5, 8.5),
                                     Box.topLeft() + QPointF(8.5, 2.5)};
            painter->drawPolyline(aTick, 3);
        }
        // The line sample and the title follow the box.
        painter->save();
        painter->translate(kCheckBoxSize + kCheckBoxGap, 0);
        QCPPlottableLegendItem::draw(painter);
        painter->restore();
    }

    QSize minimumOuterSizeHint() const override {
        const QSize Base = QCPPlottableLegendItem::minimumOuterSizeHint();
        return bCheckBoxes ? QSize(Base.width() + kCheckBoxSize + kCheckBoxGap, Base.height()) : Base;
    }

private:
    const bool& bCheckBoxes;
};

// Labels the bottom axis's ticks with the timecodes of their rows.
class TLevelRowTicker : public TTimecodeTicker {
public:
    explicit TLevelRowTicker(const TLevelData& rRows) : Rows(rRows) {}

protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        const double fIndex = std::round(tick);
        if (fIndex < 0 || fIndex >= double(Rows.RowCount()))
            return QString();
        return Rows.Timecode(int(fIndex));
    }

private:
    const TLevelData& Rows;
};

// The target band: a pale green the curves stay readable over; the peak limit: a dashed red line.
const QColor clTargetBand(0x2E, 0x9E, 0x4F, 0x38);
const QColor clTargetBandEdge(0x2E, 0x9E, 0x4F, 0x90);
const QColor clPeakLimit(0xC8, 0x32, 0x32);
constexpr double kPeakLimitWidth = 1.5;

// A legend entry for the target band or the peak limit line: a sample of how it is drawn, then its text.
// Without a sample the entry is a note (why the chart has no band).
class TTargetLegendItem : public QCPAbstractLegendItem {
public:
    TTargetLegendItem(QCPLegend* parent, const QString& sText, const QBrush& Brush, const QPen& Pen)
        : QCPAbstractLegendItem(parent), sText(sText), Brush(Brush), Pen(Pen) {}

    QString Text() const { return sText; }

protected:
    void draw(QCPPainter* painter) override {
        painter->setFont(font());
        const QSize IconSize = mParentLegend->iconSize();
        const QRect TextRect =
            painter->fontMetrics().boundingRect(0, 0, 0, IconSize.height(), Qt::TextDontClip, sText);
        const int iHeight = std::max(TextRect.height(), IconSize.height());
        int iTextX = mRect.x();
        if (Brush.style() != Qt::NoBrush || Pen.style() != Qt::NoPen) {
            const QRect Icon(mRect.x(), mRect.y() + (iHeight - IconSize.height()) / 2, IconSize.width(),
                             IconSize.height());
            painter->save();
            painter->setClipRect(Icon);
            if (Brush.style() != Qt::NoBrush) {
                painter->setPen(QPen(clTargetBandEdge, 1));
                painter->setBrush(Brush);
                painter->drawRect(Icon.adjusted(0, 2, -1, -3));
            } else {
                painter->setPen(Pen);
                painter->drawLine(
                    QLineF(Icon.left(), Icon.center().y() + 0.5, Icon.right(), Icon.center().y() + 0.5));
            }
            painter->restore();
            iTextX += IconSize.width() + mParentLegend->iconTextPadding();
        }
        painter->setPen(textColor());
        painter->drawText(iTextX, mRect.y(), TextRect.width(), iHeight, Qt::TextDontClip | Qt::AlignVCenter,
                          sText);
    }

    QSize minimumOuterSizeHint() const override {
        const QFontMetrics Metrics(font());
        const QSize IconSize = mParentLegend->iconSize();
        const QRect TextRect = Metrics.boundingRect(0, 0, 0, IconSize.height(), Qt::TextDontClip, sText);
        const bool bSample = Brush.style() != Qt::NoBrush || Pen.style() != Qt::NoPen;
        QSize Size(TextRect.width() + (bSample ? IconSize.width() + mParentLegend->iconTextPadding() : 0),
                   std::max(TextRect.height(), IconSize.height()));
        return Size + QSize(mMargins.left() + mMargins.right(), mMargins.top() + mMargins.bottom());
    }

private:
    QString sText;
    QBrush Brush;
    QPen Pen;
};

void BoldTitle(QCPAxis* Axis) {
    QFont Font = Axis->labelFont();
    Font.setBold(true);
    Font.setPointSize(kAxisTitlePointSize);
    Axis->setLabelFont(Font);
}

} // namespace

TReviewChart::TReviewChart(const TReviewChartSetup& rSetup, TChartOptions& rOptions, const int& iLNG,
                           QWidget* parent)
    : QCustomPlot(parent), rChartOptions(rOptions), FLanguage(iLNG), sUnit(rSetup.sUnit), Readout(*this),
      clBorder(ColorValueToQColor(clSystemColor + kInactiveCaptionIndex)) {
    setPlottingHints(QCP::phCacheLabels);
    QLinearGradient Gradient(0, 0, 0, 1);
    Gradient.setCoordinateMode(QGradient::ObjectMode);
    Gradient.setColorAt(0, clGradientTop);
    Gradient.setColorAt(1, Qt::white);
    ScreenBackground = QBrush(Gradient);
    setBackground(ScreenBackground);

    xAxis->setTicker(QSharedPointer<TLevelRowTicker>::create(Rows));
    xAxis->setTickLabelRotation(90);
    for (QCPAxis* Axis : {xAxis, yAxis, yAxis2}) {
        Axis->grid()->setPen(QPen(QColor(0xC8, 0xCE, 0xD6), 0, Qt::DotLine));
        BoldTitle(Axis);
    }
    yAxis2->grid()->setVisible(false);

    setAutoAddPlottableToLegend(false);
    legend->setVisible(true);
    PlaceLegendBelowPlot(*this);

    AddSeries(yAxis2);
    AddSeries(yAxis);
    AddSeries(yAxis);
    const TChartOptions& r = rChartOptions;
    if (r.bCursor1Enable)
        AddCursorSeries(1, r.fCursor1, r.clCursor1Color, r.iCursor1LineWidth, r.bCursor1Visible,
                        r.sCursor1Name, r.bCursor1PeakAxis);
    if (r.bCursor2Enable)
        AddCursorSeries(2, r.fCursor2, r.clCursor2Color, r.iCursor2LineWidth, r.bCursor2Visible,
                        r.sCursor2Name, r.bCursor2PeakAxis);
    aMin.assign(size_t(graphCount()), std::numeric_limits<double>::infinity());
    aMax.assign(size_t(graphCount()), -std::numeric_limits<double>::infinity());

    ApplyLevelChartSettings(*this, rChartOptions, rSetup.iScaleMode, rSetup.sUnit, kTxtShortTermHeading,
                            false, FLanguage);
    AddTarget(rSetup);
    PlaceCursors();
    FitAxes();
    connect(this, &QCustomPlot::legendClick, this, &TReviewChart::ChartLegendClick);
    // Every repaint, on screen or into a picture of another size, lays the plot out first: the envelope
    // then follows the width and the visible rows it is drawn for.
    connect(this, &QCustomPlot::afterLayout, this, &TReviewChart::DrawEnvelope);

    SelectionBand = new QCPItemRect(this);
    SelectionBand->setLayer(QStringLiteral("overlay"));
    SelectionBand->setPen(QPen(QColor(0x30, 0x60, 0xC0), 1, Qt::DashLine));
    SelectionBand->setBrush(QColor(0x30, 0x60, 0xC0, 0x30));
    for (QCPItemPosition* Corner : {SelectionBand->topLeft, SelectionBand->bottomRight}) {
        Corner->setAxisRect(axisRect());
        Corner->setAxes(xAxis, yAxis);
        Corner->setTypeY(QCPItemPosition::ptAxisRectRatio);
    }
    SelectionBand->setSelectable(false);
    SelectionBand->setVisible(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setWhatsThis(GetText(kTxtChartMouseHint, FLanguage));
    setAccessibleDescription(whatsThis());
}

TChartTarget ChartTargetOf(const TLoudnessSetup& rSetup, const TLoudnessStandard& rTarget) {
    TChartTarget r;
    r.fPeakLimit = rTarget.fMaxTruePeak;
    if (LoudnessProblemOf(rSetup) != TLoudnessProblem::None)
        return r;
    // The chart shows the stored values; with the scale in LU they lie relative to the reference level, so
    // the band moves there instead of every value being converted.
    const double fCentre =
        LoudnessInLU(rSetup) ? rTarget.fTargetLoudness - rSetup.fReferenceLevel : rTarget.fTargetLoudness;
    r.bBand = true;
    r.fBandLow = fCentre - rTarget.fTolerance;
    r.fBandHigh = fCentre + rTarget.fTolerance;
    return r;
}

void TReviewChart::AddTarget(const TReviewChartSetup& rSetup) {
    if (!rSetup.rTarget)
        return;
    const TLoudnessStandard& rTarget = *rSetup.rTarget;
    const TChartTarget rPlace = ChartTargetOf(rSetup.rLoudnessSetup, rTarget);
    const QString sDecimalPoint = QLocale().decimalPoint();
    const auto T = [this](int iEntry) { return GetText(iEntry, FLanguage); };
    // The target's entries start a row of their own under the series.
    legend->setWrap(graphCount());
    sTargetText = StandardName(rTarget.eId, FLanguage) + QLatin1Char(' ') +
                  StandardFigures(rTarget, FLanguage, sDecimalPoint);
    if (rPlace.bBand) {
        TargetBand = new QCPItemRect(this);
        TargetBand->setLayer(QStringLiteral("grid"));
        TargetBand->setPen(Qt::NoPen);
        TargetBand->setBrush(clTargetBand);
        for (QCPItemPosition* Corner : {TargetBand->topLeft, TargetBand->bottomRight}) {
            Corner->setAxisRect(axisRect());
            Corner->setAxes(xAxis, yAxis);
            Corner->setTypeX(QCPItemPosition::ptAxisRectRatio);
            Corner->setTypeY(QCPItemPosition::ptPlotCoords);
        }
        TargetBand->topLeft->setCoords(0, rPlace.fBandHigh);
        TargetBand->bottomRight->setCoords(1, rPlace.fBandLow);
        const double fCentre = (rPlace.fBandLow + rPlace.fBandHigh) / 2;
        legend->addItem(new TTargetLegendItem(
            legend,
            FormatText(T(kTxtChartTargetBand),
                       {StandardName(rTarget.eId, FLanguage), FormatLevel(fCentre, sDecimalPoint),
                        FormatLevel(rTarget.fTolerance, sDecimalPoint), rSetup.sUnit}),
            QBrush(clTargetBand), Qt::NoPen));
    } else {
        const TLoudnessSetup& s = rSetup.rLoudnessSetup;
        const QString sWhy = LoudnessProblemOf(s) == TLoudnessProblem::FilterNotK
                                 ? FormatText(T(kTxtChartNoTargetBand), {FilterName(s.iFilter)})
                                 : FormatText(T(kTxtReasonUnknownScale), {ScaleModeName(s.iScaleMode)});
        legend->addItem(new TTargetLegendItem(legend, sWhy, Qt::NoBrush, Qt::NoPen));
        sTargetText += QStringLiteral("; ") + sWhy;
    }
    const QPen LimitPen(clPeakLimit, kPeakLimitWidth, Qt::DashLine);
    PeakLimitLine = new QCPItemStraightLine(this);
    PeakLimitLine->setPen(LimitPen);
    PeakLimitLine->point1->setCoords(0, rPlace.fPeakLimit);
    PeakLimitLine->point2->setCoords(1, rPlace.fPeakLimit);
    legend->addItem(new TTargetLegendItem(
        legend, FormatText(T(kTxtChartPeakLimit), {FormatLevel(rPlace.fPeakLimit, sDecimalPoint)}),
        Qt::NoBrush, LimitPen));
    PlaceTarget();
}

void TReviewChart::PlaceTarget() {
    if (graphCount() <= kSeriesSTMax)
        return;
    if (TargetBand) {
        // The legend rule gives the left axis to the peak series when no loudness series is shown.
        TargetBand->setVisible(graph(kSeriesIntegrating)->visible() || graph(kSeriesSTMax)->visible());
    }
    if (PeakLimitLine) {
        QCPAxis* PeakAxis = graph(kSeriesPeak)->valueAxis();
        for (QCPItemPosition* Point : {PeakLimitLine->point1, PeakLimitLine->point2})
            Point->setAxes(xAxis, PeakAxis);
        PeakLimitLine->setVisible(graph(kSeriesPeak)->visible());
    }
}

void TReviewChart::FitAxes() {
    // An automatic axis keeps the target in view as well as the data: a band or limit outside the
    // programme's levels shows how far it missed them.
    std::vector<double> aLow = aMin;
    std::vector<double> aHigh = aMax;
    const auto Include = [&](size_t iSeries, double fLow, double fHigh) {
        if (iSeries < aLow.size() && std::isfinite(aLow[iSeries]) && std::isfinite(aHigh[iSeries])) {
            aLow[iSeries] = std::min(aLow[iSeries], fLow);
            aHigh[iSeries] = std::max(aHigh[iSeries], fHigh);
        }
    };
    if (TargetBand) {
        const double fLow = TargetBand->bottomRight->coords().y();
        const double fHigh = TargetBand->topLeft->coords().y();
        Include(kSeriesIntegrating, fLow, fHigh);
        Include(kSeriesSTMax, fLow, fHigh);
    }
    if (PeakLimitLine) {
        const double fLimit = PeakLimitLine->point1->coords().y();
        Include(kSeriesPeak, fLimit, fLimit);
    }
    FitChartAxes(*this, PointCount(), aLow, aHigh);
    xAxis->setRange(rTimeAxis.Lower(), rTimeAxis.Upper());
    for (const TLevelZoom& r : aLevelZooms)
        r.Axis->setRange(r.rShown);
}

void TReviewChart::ZoomTo(double fFrom, double fTo) {
    rTimeAxis.ZoomTo(fFrom, fTo);
    RefreshNow();
}

void TReviewChart::ShowWholeSession() {
    rTimeAxis.ShowWhole();
    RefreshNow();
}

QStringList TReviewChart::TargetLegendTexts() const {
    QStringList sl;
    for (int i = 0; i < legend->itemCount(); ++i) {
        if (const auto* Item = dynamic_cast<const TTargetLegendItem*>(legend->item(i)))
            sl << Item->Text();
    }
    return sl;
}

void TReviewChart::AddSeries(QCPAxis* ValueAxis) {
    auto* Series = new TShadowGraph(xAxis, ValueAxis);
    Series->setAdaptiveSampling(true);
    Series->setLineStyle(QCPGraph::lsLine);
    legend->addItem(new TCheckLegendItem(legend, Series, bCheckBoxes));
}

void TReviewChart::AddCursorSeries(int iOption, double fLevel, TColorValue clColor, int iWidth, bool bVisible,
                                   const QString& sName, bool bPeakAxis) {
    AddSeries(yAxis);
    QCPGraph* Cursor = graph(graphCount() - 1);
    Cursor->setPen(SeriesPen(clColor, iWidth));
    Cursor->setVisible(bVisible);
    Cursor->setName(sName);
    aCursorLevels.push_back(fLevel);
    aCursorOnPeakAxis.push_back(bPeakAxis);
    aCursorOption.push_back(iOption);
}

void TReviewChart::PlaceCursors() {
    if (graphCount() <= kSeriesSTMax)
        return;
    QCPAxis* PeakAxis = graph(kSeriesPeak)->valueAxis();
    for (size_t i = 0; i < aCursorOnPeakAxis.size(); ++i) {
        const int iSeries = kFirstCursorSeries + int(i);
        if (iSeries < graphCount())
            graph(iSeries)->setValueAxis(aCursorOnPeakAxis[i] ? PeakAxis : yAxis);
    }
}

void TReviewChart::SetRows(TLevelData&& rRows, TPlacedGaps&& rGaps) {
    Rows = std::move(rRows);
    FGaps = std::move(rGaps);
    aBreakRows.clear();
    for (const TGapPlace& r : FGaps.aPlaces)
        aBreakRows.push_back(r.iRow);
    MarkGaps();
    const int iPoints = Rows.RowCount();
    // The series read their levels from the rows themselves: a week of rows is held once, not once more
    // for each series.
    const auto Member = [&](double TLevelRow::*pLevel) {
        return iPoints > 0 ? TSeriesLevels::Member(&(Rows.Row(0).*pLevel), sizeof(TLevelRow), iPoints)
                           : TSeriesLevels();
    };
    aSeriesLevels.assign(size_t(graphCount()), {});
    for (int iSeries = 0; iSeries < graphCount(); ++iSeries) {
        TSeriesLevels& aValues = aSeriesLevels[size_t(iSeries)];
        double fLow = std::numeric_limits<double>::infinity();
        double fHigh = -fLow;
        if (iSeries < kFirstCursorSeries) {
            aValues = Member(iSeries == kSeriesPeak          ? &TLevelRow::fInstantaneousPeak
                             : iSeries == kSeriesIntegrating ? &TLevelRow::fLoudnessInt
                                                             : &TLevelRow::fLoudnessHi);
            for (int i = 0; i < iPoints; ++i) {
                const double f = aValues[i];
                if (std::isfinite(f)) {
                    fLow = std::min(fLow, f);
                    fHigh = std::max(fHigh, f);
                }
            }
        } else {
            const double fLevel = aCursorLevels[size_t(iSeries - kFirstCursorSeries)];
            aValues = TSeriesLevels::Level(fLevel, iPoints);
            if (iPoints > 0 && std::isfinite(fLevel))
                fLow = fHigh = fLevel;
        }
        aMin[size_t(iSeries)] = fLow;
        aMax[size_t(iSeries)] = fHigh;
    }
    rTimeAxis.SetPointCount(iPoints);
    iEnvelopeColumns = 0;
    RefreshNow();
}

void TReviewChart::DrawEnvelope() {
    const int iColumns =
        std::max(int(std::ceil(axisRect()->width() * bufferDevicePixelRatio())), kMinEnvelopeColumns);
    const QCPRange Visible = xAxis->range();
    const int iLast = PointCount() - 1;
    const int iFirst = int(std::clamp(std::floor(Visible.lower), 0.0, double(std::max(iLast, 0))));
    const int iVisibleLast =
        int(std::clamp(std::ceil(Visible.upper), double(iFirst), double(std::max(iLast, 0))));
    if (iColumns == iEnvelopeColumns && iFirst == iEnvelopeFirst && iVisibleLast == iEnvelopeLast)
        return;
    iEnvelopeColumns = iColumns;
    iEnvelopeFirst = iFirst;
    iEnvelopeLast = iVisibleLast;
    // An envelope is a comb of upright strokes a pixel apart: without antialiasing it looks the same and
    // costs far less to fill.
    const bool bEnvelope = iVisibleLast - iFirst + 1 > iColumns;
    const int iSeriesCount = std::min(graphCount(), int(aSeriesLevels.size()));
    // The levels break at the gaps; a cursor is a level to read them against and runs on.
    for (int iSeries = 0; iSeries < iSeriesCount; ++iSeries) {
        graph(iSeries)->setAntialiased(!bEnvelope);
        const std::vector<TEnvelopePoint> aPoints = ChartEnvelope(
            aSeriesLevels[size_t(iSeries)], iFirst, iVisibleLast, iColumns,
            iSeries < kFirstCursorSeries ? std::span<const int>(aBreakRows) : std::span<const int>());
        QVector<QCPGraphData> aData;
        aData.reserve(qsizetype(aPoints.size()));
        for (const TEnvelopePoint& p : aPoints)
            aData.append(QCPGraphData(p.fKey, p.fValue));
        graph(iSeries)->data()->set(aData, true);
    }
}

void TReviewChart::MarkGaps() {
    for (QCPItemRect* Mark : aGapMarks)
        removeItem(Mark);
    aGapMarks.clear();
    for (const TGapPlace& r : FGaps.aPlaces) {
        auto* Mark = new QCPItemRect(this);
        // Under the series, like the target band: a mark, not a level.
        Mark->setLayer(QStringLiteral("grid"));
        Mark->setPen(QPen(clGapMarkLine, 1));
        Mark->setBrush(clGapMark);
        Mark->setSelectable(false);
        for (QCPItemPosition* Corner : {Mark->topLeft, Mark->bottomRight}) {
            Corner->setAxisRect(axisRect());
            Corner->setAxes(xAxis, yAxis);
            Corner->setTypeX(QCPItemPosition::ptPlotCoords);
            Corner->setTypeY(QCPItemPosition::ptAxisRectRatio);
        }
        Mark->topLeft->setCoords(r.iRow - 1, 0);
        Mark->bottomRight->setCoords(r.iRow, 1);
        aGapMarks.push_back(Mark);
    }
}

QList<TSessionGap> TReviewChart::GapsShown() const {
    QList<TSessionGap> a;
    if (PointCount() == 0)
        return a;
    const int iFirst = rTimeAxis.FirstVisibleRow();
    const int iLast = rTimeAxis.LastVisibleRow();
    for (const TGapPlace& r : FGaps.aPlaces)
        if (r.iRow > iFirst && r.iRow <= iLast)
            a.append(FGaps.aGaps[r.iGap]);
    return a;
}

QString TReviewChart::PointLabel(int iPoint) const {
    if (iPoint < 0 || iPoint >= PointCount())
        return QString();
    return Rows.Timecode(iPoint);
}

void TReviewChart::RefreshNow() {
    PlaceTarget();
    PlaceCursors();
    FitAxes();
    DrawEnvelope();
    replot(QCustomPlot::rpQueuedReplot);
}

void TReviewChart::ClickLegend(int iSeries) {
    if (iSeries < 0 || iSeries >= graphCount())
        return;
    QCPGraph* Series = graph(iSeries);
    Series->setVisible(!Series->visible());
    // The legend rule may give an axis to other series: a zoom of the level axes would no longer fit them.
    ResetLevelZoom();
    ChartLoggingClickLegend(*this, rChartOptions, FLanguage);
    RefreshNow();
}

void TReviewChart::ChartLegendClick(QCPLegend*, QCPAbstractLegendItem* Item, QMouseEvent*) {
    ClickLegend(LegendSeriesIndex(*this, Item));
}

QImage TReviewChart::ChartPicture() {
    HideOverlay();
    FitAxes();
    // A picture's legend names the series; check boxes are for the screen.
    bCheckBoxes = false;
    const QImage Picture = toPixmap(width(), height()).toImage().convertToFormat(QImage::Format_RGB888);
    bCheckBoxes = true;
    // The picture laid the legend out without its boxes.
    replot(QCustomPlot::rpQueuedReplot);
    return Picture;
}

QImage TReviewChart::PDFPicture(const QSize& Size) {
    // The printed look: black frame, white background and back wall, a legend without check boxes. The
    // series, their visibility and the axes stay as the user left them; the screen's look is put back
    // before the chart is painted again.
    HideOverlay();
    const QColor clScreenBorder = clBorder;
    const QBrush ScreenWall = axisRect()->backgroundBrush();
    const double fScreenRotation = xAxis->tickLabelRotation();
    clBorder = Qt::black;
    bCheckBoxes = false;
    setBackground(QBrush(Qt::white));
    axisRect()->setBackground(QBrush(Qt::white));
    xAxis->setTickLabelRotation(90);

    const QImage Picture =
        toPixmap(Size.width(), Size.height()).toImage().convertToFormat(QImage::Format_RGB888);

    xAxis->setTickLabelRotation(fScreenRotation);
    axisRect()->setBackground(ScreenWall);
    setBackground(ScreenBackground);
    bCheckBoxes = true;
    clBorder = clScreenBorder;
    // The picture laid the chart out at its own size.
    replot(QCustomPlot::rpQueuedReplot);
    return Picture;
}

void TReviewChart::draw(QCPPainter* painter) {
    QCustomPlot::draw(painter);
    DrawBorder(*painter);
}

void TReviewChart::paintEvent(QPaintEvent* event) {
    QCustomPlot::paintEvent(event);
    QPainter Painter(this);
    DrawBorder(Painter);
}

void TReviewChart::DrawBorder(QPainter& Painter) const {
    if (!clBorder.isValid())
        return;
    Painter.setPen(QPen(clBorder, 1));
    Painter.setBrush(Qt::NoBrush);
    Painter.drawRect(viewport().adjusted(0, 0, -1, -1));
}
