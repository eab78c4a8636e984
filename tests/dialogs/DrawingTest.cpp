#include "core/Drawing.h"

#include <gtest/gtest.h>

namespace {

struct TOpacityCase {
    const char* sName;
    TColorValue clNew;
    TColorValue clOld;
    double fAlpha;
    TColorValue clExpected;
};

class CalcOpacityTest : public ::testing::TestWithParam<TOpacityCase> {};

TEST_P(CalcOpacityTest, BlendsEachChannel) {
    const TOpacityCase& c = GetParam();
    EXPECT_EQ(CalcOpacity(c.clNew, c.clOld, c.fAlpha), c.clExpected)
        << std::hex << CalcOpacity(c.clNew, c.clOld, c.fAlpha);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CalcOpacityTest,
    ::testing::Values(
        // The menu stripe: 0.8 × 255 + 0.2 × 192 = 242.4 in every channel.
        TOpacityCase{"StripeTint", clWhite, clSilver, 0.8, 0xF2F2F2},
        // The hot item: red and green 229.5 (even 230), blue 229.5 + 12.8 = 242.3.
        TOpacityCase{"HotFill", clWhite, clNavy, 0.9, 0xF2E6E6},
        // The hot frame: 127.5 to 128 (even), blue 191.5 to 192 (even).
        TOpacityCase{"HotFrame", clWhite, clNavy, 0.5, 0xC08080},
        // 128.5 goes down to the even 128, not up to 129.
        TOpacityCase{"HalfToEvenDown", clWhite, RGBToColor(2, 2, 2), 0.5, 0x808080},
        // 0.5, 1.5, 2.5: 0, 2, 2.
        TOpacityCase{"HalvesPerChannel", RGBToColor(1, 3, 5), clBlack, 0.5, RGBToColor(0, 2, 2)},
        TOpacityCase{"AlphaZeroKeepsOld", clWhite, 0x123456, 0.0, 0x123456},
        TOpacityCase{"AlphaOneTakesNew", 0x654321, 0x123456, 1.0, 0x654321},
        // Out of range factors must not wrap a channel outside its byte.
        TOpacityCase{"AlphaAboveOne", clWhite, clBlack, 1.5, clWhite},
        TOpacityCase{"AlphaBelowZero", clWhite, clBlack, -0.5, clBlack},
        // A system colour is resolved first: button shadow is grey 128 without a GUI application.
        TOpacityCase{"SystemColour", clWhite, clSystemColor + 16, 0.5, 0xC0C0C0},
        // The high byte of a special value takes no part in the blend.
        TOpacityCase{"SpecialValue", clBlack, clNone, 0.0, 0xFFFFFF}),
    [](const auto& info) { return std::string(info.param.sName); });

TEST(RGBToColor, PacksRedInTheLowByte) {
    EXPECT_EQ(RGBToColor(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(RGBToColor(255, 0, 0), clRed);
    EXPECT_EQ(RGBToColor(0, 0, 255), clBlue);
    EXPECT_EQ(RGBToColor(0, 128, 0), clGreen);
    EXPECT_EQ(RGBToColor(192, 192, 192), clSilver);
    EXPECT_EQ(RGBToColor(255, 255, 255), clWhite);
}

TEST(ColorConversion, QtColoursKeepTheirChannels) {
    EXPECT_EQ(ColorValueToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ColorValueToQColor(0x563412), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(QColorToColorValue(QColor(0x12, 0x34, 0x56)), 0x563412u);
    EXPECT_EQ(QColorToColorValue(ColorValueToQColor(clSkyBlue)), clSkyBlue);
    EXPECT_EQ(ColorValueToQColor(clSystemColor + 5), QColor(255, 255, 255));
}

struct TAllignCase {
    const char* sName;
    int iHAllign;
    int iVAllign;
    QRect rRect;
    QSize szText;
    QPoint ptExpected;
};

class AllignTextTest : public ::testing::TestWithParam<TAllignCase> {};

TEST_P(AllignTextTest, PlacesTheText) {
    const TAllignCase& c = GetParam();
    EXPECT_EQ(AllignText(c.iHAllign, c.szText, c.rRect, c.iVAllign), c.ptExpected);
}

// A cell at (10, 20), 100 × 40, with a text of 30 × 12.
const QRect kCell(10, 20, 100, 40);
const QSize kText(30, 12);

INSTANTIATE_TEST_SUITE_P(
    Cases, AllignTextTest,
    ::testing::Values(TAllignCase{"LeftTop", 0, 0, kCell, kText, {15, 23}},
                      TAllignCase{"CentreCentre", 1, 1, kCell, kText, {45, 34}},
                      // right − text width − 3, with the right edge at left + width.
                      TAllignCase{"RightBottom", 2, 2, kCell, kText, {77, 45}},
                      TAllignCase{"LeftBottom", 0, 2, kCell, kText, {15, 45}},
                      TAllignCase{"RightTop", 2, 0, kCell, kText, {77, 23}},
                      // 71 / 2 and 29 / 2 are cut to 35 and 14.
                      TAllignCase{"CentreOddSpare", 1, 1, QRect(10, 20, 101, 41), kText, {45, 34}},
                      // A text larger than its cell: −11 / 2 is −5 (toward zero), not −6.
                      TAllignCase{"CentreTextTooWide", 1, 1, QRect(0, 0, 20, 1), QSize(31, 12), {-5, -5}},
                      TAllignCase{"UnknownCodeIsLeftTop", 7, -1, kCell, kText, {15, 23}}),
    [](const auto& info) { return std::string(info.param.sName); });

TEST(CentreOver, CutsTheQuotientTowardZero) {
    EXPECT_EQ(CentreOver(QRect(100, 50, 800, 600), QSize(336, 56)), QPoint(332, 322));
    EXPECT_EQ(CentreOver(QRect(100, 50, 801, 601), QSize(336, 56)), QPoint(332, 322));
    // An owner smaller than the window: −36 / 2 and −15 / 2 give −18 and −7.
    EXPECT_EQ(CentreOver(QRect(0, 0, 300, 41), QSize(336, 56)), QPoint(-18, -7));
}

TEST(MenuCaptionText, RemovesEveryAmpersand) {
    EXPECT_EQ(MenuCaptionText("&File"), "File");
    EXPECT_EQ(MenuCaptionText("Save && E&xit"), "Save  Exit");
    EXPECT_EQ(MenuCaptionText("Plain"), "Plain");
}

} // namespace
