#include "core/FileVersion.h"
#include "dialogs/AboutTexts.h"
#include "dialogs/SplashShape.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kMagenta = 0xFFFF00FF;
constexpr QRgb kGrey = 0xFF808080;

QImage Picture(int iWidth, int iHeight, QRgb clFill) {
    QImage Image(iWidth, iHeight, QImage::Format_RGB32);
    Image.fill(clFill);
    return Image;
}

// Same area, whatever the rectangles a region is kept as.
bool SameArea(const QRegion& a, const QRegion& b) {
    return a.xored(b).isEmpty();
}

} // namespace

TEST(FileVersion, FormatFillsMajorMinorReleaseBuildInOrder) {
    const TFileVersion rVersion{2, 1, 0, 57};
    EXPECT_EQ(FormatFileVersion(rVersion, "%d.%d"), "2.1");
    EXPECT_EQ(FormatFileVersion(rVersion, "%d.%d.%d.%d"), "2.1.0.57");
    EXPECT_EQ(FormatFileVersion(rVersion, " v.%d.%d.%d.%d."), " v.2.1.0.57.");
    EXPECT_EQ(GetFmtFileVersion("%d.%d"), "1.0");
    EXPECT_EQ(GetFmtFileVersion("%d.%d.%d.%d"), "1.0.0.1");
}

TEST(AboutTexts, NoLinesBeforeAMeterWasIdentified) {
    const TAboutInstrumentLines r = AboutInstrumentLines(TUDPInstrumentInfo{});
    EXPECT_EQ(r.slLeft, (QStringList{"", ""}));
    EXPECT_EQ(r.slRight, (QStringList{"", "", ""}));
}

TEST(AboutTexts, IdentifiedMeterLinesLineUpAtTheirColons) {
    TUDPInstrumentInfo rInfo;
    rInfo.sTypeName = "qxMeter Q5 Desk";
    rInfo.iSerialNo = 12345;
    rInfo.iSoftwarePackage = 14;
    rInfo.iRunVerMajor = 2;
    rInfo.iRunVerMinor = 5;
    rInfo.iFPGAVersion = 7;
    rInfo.bValid = true;
    const TAboutInstrumentLines r = AboutInstrumentLines(rInfo);
    EXPECT_EQ(r.slLeft,
              (QStringList{"      Instrument Type: qxMeter Q5 Desk", "        Serial Number: 12345"}));
    EXPECT_EQ(r.slRight, (QStringList{"  Package ID: 14", " MCU Version: 2,5", "FPGA Version: 7"}));
    for (const QStringList& sl : {r.slLeft, r.slRight})
        for (const QString& s : sl)
            EXPECT_EQ(s.indexOf(':'), sl.first().indexOf(':')) << s.toStdString();
}

TEST(SplashShape, OnlyPixelsWithinKeyAndToleranceAreCutAway) {
    struct TCase {
        QRgb clPixel;
        QRgb clKey;
        QRgb clTolerance;
        bool bCut;
    };
    const TCase aCases[] = {
        {0xFF00FF, kSplashKeyColor, kSplashKeyColor, true},
        {0xFE00FF, kSplashKeyColor, kSplashKeyColor, false},
        {0xFF01FF, kSplashKeyColor, kSplashKeyColor, false},
        {0xFF00FE, kSplashKeyColor, kSplashKeyColor, false},
        {0x000000, kSplashKeyColor, kSplashKeyColor, false},
        // A tolerance reaches up from the key, never down, and stops at 255.
        {0x102030, 0x102030, 0x050505, true},
        {0x152535, 0x102030, 0x050505, true},
        {0x162535, 0x102030, 0x050505, false},
        {0x0F2030, 0x102030, 0x050505, false},
        {0xFFFFFF, 0xF0F0F0, 0x808080, true},
    };
    for (const TCase& c : aCases)
        EXPECT_EQ(IsKeyPixel(c.clPixel, c.clKey, c.clTolerance), c.bCut) << std::hex << c.clPixel;
}

TEST(SplashShape, PictureWithoutMagentaIsOneRectangle) {
    const QImage Image = Picture(568, 465, kGrey);
    EXPECT_EQ(OpaqueRuns(Image, kSplashKeyColor, kSplashKeyColor).size(), 465);
    const QRegion Shape = RegionFromPicture(Image, kSplashKeyColor, kSplashKeyColor);
    EXPECT_EQ(Shape.rectCount(), 1);
    EXPECT_EQ(Shape.boundingRect(), QRect(0, 0, 568, 465));
}

TEST(SplashShape, MagentaFrameAndHoleGiveRowsOfRuns) {
    // 8 × 6, a magenta frame one pixel wide and one magenta pixel at (4, 2).
    QImage Image = Picture(8, 6, kMagenta);
    {
        QPainter p(&Image);
        p.fillRect(1, 1, 6, 4, QColor(kGrey));
    }
    Image.setPixel(4, 2, kMagenta);
    const QVector<QRect> aRuns = OpaqueRuns(Image, kSplashKeyColor, kSplashKeyColor);
    EXPECT_EQ(aRuns, (QVector<QRect>{QRect(1, 1, 6, 1), QRect(1, 2, 3, 1), QRect(5, 2, 2, 1),
                                     QRect(1, 3, 6, 1), QRect(1, 4, 6, 1)}));
    const QRegion Shape = RegionFromPicture(Image, kSplashKeyColor, kSplashKeyColor);
    EXPECT_TRUE(SameArea(Shape, QRegion(1, 1, 6, 4).subtracted(QRegion(4, 2, 1, 1))));
    EXPECT_FALSE(Shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(Shape.contains(QPoint(4, 2)));
    EXPECT_TRUE(Shape.contains(QPoint(3, 2)));
}

TEST(SplashShape, AllMagentaOrNoPictureGivesNoShape) {
    EXPECT_TRUE(OpaqueRuns(Picture(5, 5, kMagenta), kSplashKeyColor, kSplashKeyColor).isEmpty());
    EXPECT_TRUE(RegionFromPicture(Picture(5, 5, kMagenta), kSplashKeyColor, kSplashKeyColor).isEmpty());
    EXPECT_TRUE(RegionFromPicture(QImage(), kSplashKeyColor, kSplashKeyColor).isEmpty());
}

// More runs than one block of rectangles: every block is part of the shape.
TEST(SplashShape, RunsBeyondOneBlockAreAllKept) {
    QImage Image = Picture(101, 100, kGrey);
    for (int y = 0; y < Image.height(); ++y)
        for (int x = (y % 2); x < Image.width(); x += 2)
            Image.setPixel(x, y, kMagenta);
    const QVector<QRect> aRuns = OpaqueRuns(Image, kSplashKeyColor, kSplashKeyColor);
    ASSERT_GT(aRuns.size(), 4000);
    QRegion Expected;
    for (const QRect& r : aRuns)
        Expected += r;
    const QRegion Shape = RegionFromPicture(Image, kSplashKeyColor, kSplashKeyColor);
    EXPECT_TRUE(SameArea(Shape, Expected));
    // Odd rows are cut at odd columns, even rows at even ones.
    EXPECT_TRUE(Shape.contains(QPoint(100, 99)));
    EXPECT_FALSE(Shape.contains(QPoint(99, 99)));
    EXPECT_TRUE(Shape.contains(QPoint(99, 98)));
}

TEST(SplashFade, ProgressFromTick21FadeFromTick81GoneAfterTick128) {
    TSplashFade Fade;
    std::vector<int> aProgress{0}, aOpacity{255};
    while (Fade.Tick()) {
        aProgress.push_back(Fade.Progress());
        aOpacity.push_back(Fade.Opacity());
        ASSERT_LT(Fade.Ticks(), 1000);
    }
    EXPECT_EQ(Fade.Ticks(), 128);
    EXPECT_EQ(Fade.Opacity(), 15);
    EXPECT_EQ(aProgress[20], 0);
    EXPECT_EQ(aProgress[21], 128);
    EXPECT_EQ(aProgress[36], 2047) << "the bar stops at its maximum";
    EXPECT_EQ(aOpacity[80], 255);
    EXPECT_EQ(aOpacity[81], 250);
    EXPECT_EQ(aOpacity[127], 20);
}
