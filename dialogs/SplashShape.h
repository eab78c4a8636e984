#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QVector>

// The splash window's shape and its timer, without a window.

// Magenta: the colour cut away from the splash picture, passed as both key and tolerance.
inline constexpr QRgb kSplashKeyColor = 0xFF00FF;

// A pixel is cut away when each of its red, green and blue values lies from the key's value up to the
// key's value plus the tolerance's value, capped at 255. With magenta as both, exactly the pure magenta
// pixels are cut away.
bool IsKeyPixel(QRgb clPixel, QRgb clKey, QRgb clTolerance);

// The pixels that stay, rows from top to bottom, each row from left to right: every maximal run of pixels
// that are not cut away becomes a rectangle one pixel high.
QVector<QRect> OpaqueRuns(const QImage& Picture, QRgb clKey, QRgb clTolerance);

// The window shape of a picture: its runs, with rows of the same runs merged, united into one region a
// block of 2000 rectangles at a time.
// A null picture gives an empty region; the caller then leaves the window rectangular.
QRegion RegionFromPicture(const QImage& Picture, QRgb clKey, QRgb clTolerance);

// The splash window's timer. The progress bar starts moving at the 21st tick, the window starts fading at
// the 81st, and it is gone once its opacity is below 20: from 255, after the 128th tick.
class TSplashFade {
public:
    static constexpr int kProgressMax = 2047;
    static constexpr int kProgressStep = 128;
    static constexpr int kProgressFromTick = 21;
    static constexpr int kFadeFromTick = 81;
    static constexpr int kFadeStep = 5;
    static constexpr int kGoneBelowOpacity = 20;
    static constexpr int kOpaque = 255;

    // Counts one tick; false once the window is to go.
    bool Tick();

    int Ticks() const { return iTicks; }
    int Progress() const { return iProgress; }
    int Opacity() const { return iOpacity; }

private:
    int iTicks = 0;
    int iProgress = 0;
    int iOpacity = kOpaque;
};
