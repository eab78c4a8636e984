#include "dialogs/SplashShape.h"

#include <algorithm>

namespace {

// Rectangles turned into a region at a time.
constexpr qsizetype kRegionBlock = 2000;

bool InRange(int iValue, int iKey, int iTolerance) {
    return iValue >= iKey && iValue <= std::min(iKey + iTolerance, 255);
}

// Rows with the same runs as the row above are merged into the band above, so a plain rectangle stays one
// rectangle; a region's rectangles must be sorted by band and then by column, and so they stay.
QVector<QRect> MergeBands(const QVector<QRect>& aRuns) {
    QVector<QRect> aBands;
    qsizetype iBandStart = 0;
    qsizetype i = 0;
    while (i < aRuns.size()) {
        const int y = aRuns[i].y();
        qsizetype iRowEnd = i;
        while (iRowEnd < aRuns.size() && aRuns[iRowEnd].y() == y)
            ++iRowEnd;
        const qsizetype iBandSize = aBands.size() - iBandStart;
        bool bSame = iBandSize == iRowEnd - i && iBandSize > 0 && aBands[iBandStart].bottom() + 1 == y;
        for (qsizetype k = 0; bSame && k < iBandSize; ++k)
            bSame = aBands[iBandStart + k].left() == aRuns[i + k].left() &&
                    aBands[iBandStart + k].width() == aRuns[i + k].width();
        if (bSame) {
            for (qsizetype k = 0; k < iBandSize; ++k)
                aBands[iBandStart + k].setBottom(y);
        } else {
            iBandStart = aBands.size();
            aBands.append(aRuns.mid(i, iRowEnd - i));
        }
        i = iRowEnd;
    }
    return aBands;
}

} // namespace

bool IsKeyPixel(QRgb clPixel, QRgb clKey, QRgb clTolerance) {
    return InRange(qRed(clPixel), qRed(clKey), qRed(clTolerance)) &&
           InRange(qGreen(clPixel), qGreen(clKey), qGreen(clTolerance)) &&
           InRange(qBlue(clPixel), qBlue(clKey), qBlue(clTolerance));
}

QVector<QRect> OpaqueRuns(const QImage& Picture, QRgb clKey, QRgb clTolerance) {
    QVector<QRect> aRuns;
    if (Picture.isNull())
        return aRuns;
    // One pixel format for every picture, whatever the file held; alpha plays no part.
    const QImage Bits = Picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < Bits.height(); ++y) {
        const auto* pRow = reinterpret_cast<const QRgb*>(Bits.constScanLine(y));
        int x = 0;
        while (x < Bits.width()) {
            while (x < Bits.width() && IsKeyPixel(pRow[x], clKey, clTolerance))
                ++x;
            const int xStart = x;
            while (x < Bits.width() && !IsKeyPixel(pRow[x], clKey, clTolerance))
                ++x;
            if (x > xStart)
                aRuns.append(QRect(xStart, y, x - xStart, 1));
        }
    }
    return aRuns;
}

QRegion RegionFromPicture(const QImage& Picture, QRgb clKey, QRgb clTolerance) {
    const QVector<QRect> aRuns = MergeBands(OpaqueRuns(Picture, clKey, clTolerance));
    QRegion Shape;
    for (qsizetype i = 0; i < aRuns.size(); i += kRegionBlock) {
        QRegion Block;
        const qsizetype iCount = std::min(kRegionBlock, aRuns.size() - i);
        Block.setRects(aRuns.constData() + i, int(iCount));
        Shape = Shape.united(Block);
    }
    return Shape;
}

bool TSplashFade::Tick() {
    ++iTicks;
    if (iTicks >= kProgressFromTick)
        iProgress = std::min(iProgress + kProgressStep, kProgressMax);
    if (iTicks >= kFadeFromTick)
        iOpacity -= kFadeStep;
    return iOpacity >= kGoneBelowOpacity;
}
