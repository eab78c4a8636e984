#pragma once

// The part of a session a review chart shows on its time axis, in row indices: zooming around a row,
// panning and zooming to a range, always within the session's rows and never narrower than kMinSpan rows
// (a session of fewer rows is shown whole). A new chart shows the whole session.
class TChartTimeAxis {
public:
    // The narrowest span a zoom reaches, in rows between the first and the last visible key.
    static constexpr double kMinSpan = 10.0;

    // The rows the axis covers: keys 0 to iPoints - 1. The visible range is kept where it still fits (a
    // zoomed chart stays zoomed when rows are added), else the whole session is shown.
    void SetPointCount(int iPoints);

    double Lower() const { return fLower; }
    double Upper() const { return fUpper; }
    // Whether the whole session is visible.
    bool IsWhole() const;
    // The first and last row with a key in the visible range.
    int FirstVisibleRow() const;
    int LastVisibleRow() const;

    // Zooms by fFactor (below 1 zooms in) keeping fKey where it is on the axis.
    void ZoomAround(double fKey, double fFactor);
    // Moves the visible range by fDelta rows, stopping at the session's ends.
    void PanBy(double fDelta);
    // Shows the rows between the keys fFrom and fTo (in either order).
    void ZoomTo(double fFrom, double fTo);
    void ShowWhole();

private:
    // The whole session's range: 0 to the last row, at least 1 wide so that the axis has a span.
    double WholeUpper() const;
    // Brings [fLow, fHigh] into the session keeping its span where it fits, and no narrower than kMinSpan.
    void Place(double fLow, double fHigh);

    int iPointCount = 0;
    double fLower = 0.0;
    double fUpper = 1.0;
};
