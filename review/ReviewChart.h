#pragma once

#include "core/LoudnessStandard.h"
#include "core/SessionTypes.h"
#include "core/Settings.h"
#include "engine/LiveChart.h"
#include "review/ChartEnvelope.h"
#include "review/ChartReadout.h"
#include "review/ChartTimeAxis.h"
#include "review/LevelData.h"
#include "review/SessionGaps.h"

#include <optional>
#include <vector>

// A review chart's description of the charted session.
struct TReviewChartSetup {
    // Scale mode of the session (carried by series 1) and the unit the grids show for it.
    int iScaleMode = 0;
    QString sUnit;
    // The meter's configuration of the session, and the target the session is judged against (its own or
    // the program's default); without a target the chart shows none.
    TLoudnessSetup rLoudnessSetup;
    std::optional<TLoudnessStandard> rTarget;
};

// Where a chart draws a session's target, in the chart's units: the band of the target loudness ± its
// tolerance on the loudness axis (relative to the reference level when the session's scale is LU), and the
// peak limit on the peak axis. No band when the session's loudness cannot be compared with the target.
struct TChartTarget {
    bool bBand = false;
    double fBandLow = 0.0;
    double fBandHigh = 0.0;
    double fPeakLimit = 0.0;
};
TChartTarget ChartTargetOf(const TLoudnessSetup& rSetup, const TLoudnessStandard& rTarget);

// A stored session's levels over its rows: series 0 instantaneous peak (right axis), 1 integrated loudness,
// 2 short-term maximum, then a horizontal line for each enabled cursor, on the axis of its unit: a peak
// cursor on the peak series' axis, a loudness cursor on the left axis. The horizontal position
// is the row's index; the bottom axis names the visible ticks by their rows' timecodes. The legend has a
// check box per series: a click switches the series and applies the legend rule, which records the choice
// in the chart options for later charts.
//
// The mouse and keys read the chart: the wheel zooms the time axis around the pointer (with Ctrl the level
// axis under it), dragging pans, dragging with Shift zooms to the keys dragged over, Home or a double-click
// off the points shows the whole session with the level axes as the options set them, Left and Right pan
// by a tenth, + and - zoom around the middle, Escape takes back a drag under way. A readout beside the
// pointer names the row under it and the levels of the shown series there. A cursor line is dragged up and
// down its own axis; the level it is dropped at (to a tenth) is kept in the chart options. A double-click
// on a point reports its row.
class TReviewChart : public QCustomPlot {
    Q_OBJECT
public:
    static constexpr int kSeriesPeak = 0;
    static constexpr int kSeriesIntegrating = 1;
    static constexpr int kSeriesSTMax = 2;
    static constexpr int kFirstCursorSeries = 3;
    // The share of the visible span one wheel notch zooms in to; a notch back zooms out by its inverse.
    static constexpr double kWheelZoomFactor = 0.8;
    // How near the pointer must be to a cursor line to take it, and to a point to double-click it (pixels).
    static constexpr double kCursorReachPx = 4.0;
    static constexpr double kPointReachPx = 5.0;
    // A Shift-drag narrower than this zooms nothing (pixels).
    static constexpr int kMinSelectionPx = 4;

    TReviewChart(const TReviewChartSetup& rSetup, TChartOptions& rOptions, const int& iLNG,
                 QWidget* parent = nullptr);

    // Puts one point per row on every series, labelled with the row's timecode; the chart keeps the rows.
    // rGaps: the session's gaps and their places among the rows (PlaceGaps); at each place every level
    // line breaks, and a pale band between the rows on either side marks it.
    void SetRows(TLevelData&& rRows, TPlacedGaps&& rGaps = {});
    int PointCount() const { return Rows.RowCount(); }
    QString PointLabel(int iPoint) const;

    // Switches series iSeries as a click on its legend entry does.
    void ClickLegend(int iSeries);
    // Brings the axes up to the shown series and repaints.
    void RefreshNow();

    // The rows the time axis shows; a new chart shows the whole session, and stays where the user zoomed
    // it while series are switched or rows reloaded.
    const TChartTimeAxis& TimeAxis() const { return rTimeAxis; }
    // Shows the rows between the keys fFrom and fTo (row indices), within the session's rows.
    void ZoomTo(double fFrom, double fTo);
    // Shows every row again.
    void ShowWholeSession();

    // The session's gaps and where they lie among the charted rows.
    const TPlacedGaps& Gaps() const { return FGaps; }
    // The gaps placed among the rows the time axis shows now, in the order of the rows.
    QList<TSessionGap> GapsShown() const;
    // The marks of the placed gaps, in the order of the rows.
    const std::vector<QCPItemRect*>& GapMarks() const { return aGapMarks; }

    // The readout's text while it is shown, else empty.
    QString ReadoutText() const { return Readout.Text(); }
    // The level cursor iCursor (0 the first of the enabled cursors) is drawn at.
    double CursorLevel(int iCursor) const;

Q_SIGNALS:
    // The user double-clicked the point of row iPoint (an index into the charted rows).
    void PointDoubleClicked(int iPoint);

public:
    // The chart as the screen shows it (without the export button), in 24-bit colour, its legend without
    // check boxes.
    QImage ChartPicture();

    // The chart as the PDF documents print it, Size pixels in 24-bit colour: black frame, white
    // background and back wall, legend without check boxes below the chart, bottom labels at 90°, hidden
    // series hidden and the axes as they are now. The chart on screen is left as it was.
    QImage PDFPicture(const QSize& Size);

    // The target band and the peak limit line with their legend entries; none when the chart has no target
    // (the band also when the session's loudness cannot be compared with it).
    QCPItemRect* TargetBand = nullptr;
    QCPItemStraightLine* PeakLimitLine = nullptr;
    // The legend's text for the target: what the band and the line show, or why there is no band; empty
    // without a target.
    QStringList TargetLegendTexts() const;
    // The target the session is judged against with its figures, and why the chart has no band when it
    // has none; empty without a target.
    const QString& TargetText() const { return sTargetText; }

    // Colour of the chart's frame; the screen's is the system colour of inactive captions.
    void SetBorderColor(const QColor& cl) { clBorder = cl; }

protected:
    void draw(QCPPainter* painter) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // What a left-button drag started on the plot does.
    enum class TDrag { None, Pan, Select, Cursor };
    // A level axis the user zoomed: the range to go back to and the one shown.
    struct TLevelZoom {
        QCPAxis* Axis;
        QCPRange rHome;
        QCPRange rShown;
    };

    // Puts the time axis where rTimeAxis is and queues a repaint (the envelope follows at the repaint).
    void ShowTimeAxis();
    // The whole session, the level axes as the options set them.
    void ShowHome();
    // Whether the pixel Pos is on the plot, its edges included.
    bool OnPlot(const QPointF& Pos) const;
    // The pixel column fX, within the plot.
    double PlotX(double fX) const;
    // The cursor whose line is within reach of the pixel Pos on the plot; -1 for none.
    int CursorAt(const QPointF& Pos) const;
    // The row of the shown level point nearest to Pos within reach, among the rows of its pixel column; -1
    // for none.
    int PointAt(const QPointF& Pos) const;
    // The row whose key is nearest to the pixel column fX, within the session; -1 without rows.
    int RowAt(double fX) const;
    void UpdateReadout(const QPointF& Pos);
    void HideOverlay();
    // Draws cursor iCursor at fLevel, without fitting the axes to it.
    void MoveCursor(int iCursor, double fLevel);
    // Zooms the level axis under Pos (both shown ones over the plot) by fFactor around the level there.
    void ZoomLevelAxes(const QPointF& Pos, double fFactor);
    void ResetLevelZoom();
    void UpdateSelectionBand(double fToX);
    // Puts back what the drag under way changed and ends it.
    void CancelDrag();

    void AddSeries(QCPAxis* ValueAxis);
    void AddCursorSeries(int iOption, double fLevel, TColorValue clColor, int iWidth, bool bVisible,
                         const QString& sName, bool bPeakAxis);
    // Each cursor against the axis its unit is drawn on now (the legend rule moves the peak series).
    void PlaceCursors();
    void ChartLegendClick(QCPLegend* Legend, QCPAbstractLegendItem* Item, QMouseEvent* Event);
    void DrawBorder(QPainter& Painter) const;
    void AddTarget(const TReviewChartSetup& rSetup);
    // The band on the loudness axis while a loudness series is shown, the line on the axis of the peak
    // series while it is shown.
    void PlaceTarget();
    // Brings the axes over the shown series' points and the target they are shown against.
    void FitAxes();
    // Gives each series the envelope of its levels in the visible rows for the plot's pixel columns (see
    // ChartEnvelope), when the plot's width, the visible rows or the levels changed since the last time.
    void DrawEnvelope();

    TChartOptions& rChartOptions;
    const int& FLanguage;
    // The charted rows; the bottom axis reads the timecodes of its visible ticks from them.
    TLevelData Rows;
    // The level of each cursor series, from series kFirstCursorSeries on.
    std::vector<double> aCursorLevels;
    // Whether each cursor's level is a peak level.
    std::vector<bool> aCursorOnPeakAxis;
    // The number of each cursor in the chart options (1 or 2): a dragged cursor's level is kept there.
    std::vector<int> aCursorOption;
    // Marks each placed gap with a band from the row before it to the row after it.
    void MarkGaps();

    TPlacedGaps FGaps;
    // The rows a gap lies before, ascending: the envelope breaks every line there.
    std::vector<int> aBreakRows;
    std::vector<QCPItemRect*> aGapMarks;
    // Every row's level of each series, read from Rows (a cursor: its level); the series themselves hold
    // the envelope that is drawn.
    std::vector<TSeriesLevels> aSeriesLevels;
    // What the drawn envelope was made for: pixel columns and first and last visible row; iEnvelopeColumns
    // 0 when the levels changed since.
    int iEnvelopeColumns = 0;
    int iEnvelopeFirst = 0;
    int iEnvelopeLast = -1;
    // Extremes of each series, for the automatic level axes.
    std::vector<double> aMin;
    std::vector<double> aMax;
    TChartTimeAxis rTimeAxis;
    // The unit of the session's loudness levels, for the readout.
    QString sUnit;
    TChartReadout Readout;
    // The Shift-drag's band over the keys dragged across.
    QCPItemRect* SelectionBand = nullptr;
    std::vector<TLevelZoom> aLevelZooms;
    // The drag under way: where it started, the time axis then, and the cursor dragged and the range of its
    // axis (the drag stays in it).
    TDrag eDrag = TDrag::None;
    QPointF DragStart;
    double fDragLower = 0.0;
    double fDragKeysPerPixel = 0.0;
    int iDragCursor = -1;
    double fDragCursorStart = 0.0;
    QCPRange rDragCursorRange;
    QString sTargetText;
    QColor clBorder;
    QBrush ScreenBackground;
    // The legend entries draw their check boxes.
    bool bCheckBoxes = true;
};
