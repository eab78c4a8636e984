#pragma once

#include "engine/ChartLibrary.h"

#include <QString>
#include <QStringView>
#include <span>

// One line of a chart's readout: a series as its legend names it, its level at the row under the pointer
// and the unit of that level.
struct TReadoutLine {
    QString sName;
    double fValue = 0.0;
    QString sUnit;
};

// The readout's text: "<sTimecodeTitle> <timecode>", then "<name>  <level> <unit>" for each line, the level
// with one decimal and "-" when the row has none.
QString ChartReadoutText(const QString& sTimecodeTitle, QStringView sTimecode,
                         std::span<const TReadoutLine> aLines, QStringView sDecimalPoint);

// A small box beside the pointer that names what the chart shows under it. It lives on the chart's overlay
// layer, so following the pointer repaints only that layer, and it turns to the pointer's other side
// where it would leave the plot.
class TChartReadout {
public:
    explicit TChartReadout(QCustomPlot& Chart);

    void Show(const QPointF& Pointer, const QString& sText);
    void Hide();
    bool IsShown() const;
    // The text while the box is shown, else empty.
    QString Text() const;
    // The box's place on the chart, in pixels.
    QRectF Rect() const;

private:
    QCustomPlot& Chart;
    QCPItemText* Box = nullptr;
};
