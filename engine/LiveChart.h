#pragma once

#include "core/ColorValue.h"
#include "core/Settings.h"

#include "engine/ChartLibrary.h"
#include <QTimer>
#include <array>
#include <span>
#include <vector>

// Bottom axis of the live chart: points are numbered from 0 and each tick shows the timecode of its point.
class TTimecodeTicker : public QCPAxisTicker {
public:
    std::vector<QString> aLabels;

protected:
    double getTickStep(const QCPRange& range) override;
    int getSubTickCount(double tickStep) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;
};

// The logging tab's chart: three level series over the session's timecode, series 0 instantaneous peak,
// series 1 integrated loudness, series 2 short-term maximum. Points are appended to the series' data as
// records arrive; the chart repaints on a timer, so a burst of records costs one repaint, and adaptive
// sampling keeps a repaint of a whole day's points short.
class TLiveChart : public QCustomPlot {
    Q_OBJECT
public:
    explicit TLiveChart(QWidget* parent = nullptr);

    static constexpr int kSeriesPeak = 0;
    static constexpr int kSeriesIntegrating = 1;
    static constexpr int kSeriesSTMax = 2;
    // At most 25 repaints a second.
    static constexpr int kReplotIntervalMs = 40;

    // One point on each series, labelled with the record's timecode.
    void AddPoint(const QString& sLabel, double fPeak, double fIntegrating, double fSTMax);
    void ClearSeries();
    int PointCount() const { return int(Ticker->aLabels.size()); }
    QString PointLabel(int iPoint) const;
    // Brings the axis ranges up to the data and queues one repaint.
    void RefreshNow();
    // The timer of the pending repaint, while one is pending.
    bool IsReplotPending() const { return tmrReplot.isActive(); }
    // Legend texts of shown series in black, of hidden ones in grey.
    void UpdateLegendLook();

Q_SIGNALS:
    // A legend entry of series iSeries was clicked.
    void SeriesLegendClicked(int iSeries);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateRanges();
    void ChartLegendClick(QCPLegend* Legend, QCPAbstractLegendItem* Item, QMouseEvent* Event);

    QTimer tmrReplot;
    QSharedPointer<TTimecodeTicker> Ticker;
    // Running extremes of each series, kept as points arrive so that scaling never scans the data.
    std::array<double, 3> aMin{};
    std::array<double, 3> aMax{};
};

// The legend rule of the logging and review charts, over series 0 (peak), 1 (integrating) and 2
// (short-term maximum) of Chart: lays out and titles the two level axes after the series shown, and
// records in rOptions which series are shown. Series 1 carries the scale mode index in its "Tag" property.
void ChartLoggingClickLegend(QCustomPlot& Chart, TChartOptions& rOptions, int iLNG);

// Scaling of a level axis: fixed to [fMin, fMax], or following the data with 10 pixels to spare at
// each end. Read by the chart when it brings its ranges up to date.
void SetLevelAxisScale(QCPAxis* Axis, double fMin, double fMax, bool bAutoScale);

// Brings the bottom axis over iPoints points and each automatic level axis over the extremes of the shown
// series on it (aMin[i], aMax[i] of graph i), 10 pixels to spare at each end; without data an automatic
// axis shows its configured range.
void FitChartAxes(QCustomPlot& Chart, int iPoints, std::span<const double> aMin,
                  std::span<const double> aMax);

// Largest pen width of a series.
inline constexpr int kMaxLineWidth = 9;
// The pen of a level series: its colour, its width kept within 1 to 9.
QPen SeriesPen(TColorValue clColor, int iWidth);

// Pens, titles, axes and active states of the level series 0 to 2 and of both level axes from rOptions,
// for a session of scale mode iScaleMode whose unit reads sUnit. iSTMaxTitle names series 2 in the legend;
// bAllShown shows every series (a session start), otherwise the options' enabled flags decide. The legend
// rule is applied at the end, so the axes match the series shown.
void ApplyLevelChartSettings(QCustomPlot& Chart, TChartOptions& rOptions, int iScaleMode,
                             const QString& sUnit, int iSTMaxTitle, bool bAllShown, int iLNG);

// The index of the series whose legend entry Item is; -1 for anything else.
int LegendSeriesIndex(QCustomPlot& Chart, QCPAbstractLegendItem* Item);

// The legend in one line below the plot, so it never covers the curves.
void PlaceLegendBelowPlot(QCustomPlot& Chart);
