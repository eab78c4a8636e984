#include "core/IniCodecs.h"
#include "core/SettingsFile.h"

#include <QDir>
#include <QLocale>
#include <climits>
#include <gtest/gtest.h>

namespace {

TEST(IniCodecs, IntegerTable) {
    struct TCase {
        const char* sText;
        int iExpected;
    };
    const int iDef = 77;
    const TCase aCases[] = {
        {"0x1F", 31},
        {"0X1f", 31},
        {"$1F", 31},
        {"-5", -5},
        {"+12", 12},
        {" 42 ", 42},
        {"abc", iDef},
        {"", iDef},
        {"12abc", iDef},
        {"1.5", iDef},
        {"0x", iDef},
        {"$", iDef},
        {"-", iDef},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        // One past the range must not wrap round to a small number.
        {"2147483648", iDef},
        {"99999999999999999999", iDef},
        {"$FFFFFFFF", -1},
        {"$100000000", iDef},
        {"-$10", -16},
    };
    for (const TCase& c : aCases)
        EXPECT_EQ(IniToInteger(QString::fromLatin1(c.sText), iDef), c.iExpected) << c.sText;
    EXPECT_EQ(IntegerToIni(-5), "-5");
}

TEST(IniCodecs, BooleanReadsAsIntegerNonZeroIsTrue) {
    struct TCase {
        const char* sText;
        bool bDefault;
        bool bExpected;
    };
    const TCase aCases[] = {
        {"1", false, true},  {"0", true, false},  {"2", false, true},    {"-1", false, true},
        {"$0", true, false}, {"abc", true, true}, {"abc", false, false}, {"", true, true},
    };
    for (const TCase& c : aCases)
        EXPECT_EQ(IniToBool(QString::fromLatin1(c.sText), c.bDefault), c.bExpected) << c.sText;
    EXPECT_EQ(BoolToIni(true), "1");
    EXPECT_EQ(BoolToIni(false), "0");
}

TEST(IniCodecs, ColorNameRead) {
    struct TCase {
        const char* sText;
        std::optional<TColorValue> clExpected;
    };
    const TCase aCases[] = {
        {"clsilver", clSilver},
        {"CLSILVER", clSilver},
        {"clSilver", clSilver},
        {"$00FF00FF", clFuchsia},
        {"12632256", clSilver},
        {"0x000000FF", clRed},
        {"clBtnFace", clSystemColor + 15},
        {"clMenuBar", clSystemColor + 30},
        {"clNone", clNone},
        {"cldefault", clDefault},
        {"notacolour", std::nullopt},
        {"", std::nullopt},
        {"clSilverish", std::nullopt},
    };
    for (const TCase& c : aCases)
        EXPECT_EQ(IniToColor(QString::fromLatin1(c.sText)), c.clExpected) << c.sText;
}

TEST(IniCodecs, ColorNameWrite) {
    struct TCase {
        TColorValue clValue;
        const char* sExpected;
    };
    const TCase aCases[] = {
        {clSilver, "clSilver"},
        {clFuchsia, "clFuchsia"},
        {clMoneyGreen, "clMoneyGreen"},
        {clSystemColor + 15, "clBtnFace"},
        {clNone, "clNone"},
        {0x00123456, "$00123456"},
        {0x00ABCDEF, "$00ABCDEF"},
        // Index 25 is no system colour: written as a number.
        {clSystemColor + 25, "$FF000019"},
    };
    for (const TCase& c : aCases) {
        EXPECT_EQ(ColorToIni(c.clValue), QString::fromLatin1(c.sExpected));
        EXPECT_EQ(IniToColor(ColorToIni(c.clValue)), c.clValue) << c.sExpected;
    }
}

TEST(IniCodecs, ColorNumber) {
    EXPECT_EQ(IniToColorNumber("16711680", clRed), clBlue);
    EXPECT_EQ(IniToColorNumber("-16777201", clRed), clSystemColor + 15);
    EXPECT_EQ(IniToColorNumber("4278190095", clRed), clSystemColor + 15);
    EXPECT_EQ(IniToColorNumber("clRed", clGreen), clGreen);
    EXPECT_EQ(IniToColorNumber("", clGreen), clGreen);
    EXPECT_EQ(ColorNumberToIni(33023), "33023");
    EXPECT_EQ(ColorNumberToIni(clSystemColor + 15), "-16777201");
}

// Float keys follow the default locale; each case runs under its own and restores the old one.
class IniFloat : public ::testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(locSaved); }
    QLocale locSaved;
};

TEST_F(IniFloat, CommaLocale) {
    QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
    EXPECT_EQ(IniToFloat("-6,5", 1.0), -6.5);
    EXPECT_EQ(IniToFloat("-80", 1.0), -80.0);
    EXPECT_EQ(FloatToIni(-6.5), "-6,5");
    EXPECT_EQ(FloatToIni(-80.0), "-80");
    // No thousands separator is written, or read back as a value.
    EXPECT_EQ(FloatToIni(12345.25), "12345,25");
    EXPECT_EQ(IniToFloat("1.000", 3.0), 3.0);
}

TEST_F(IniFloat, PointLocale) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    struct TCase {
        const char* sText;
        double fExpected;
    };
    const double fDef = -99.0;
    const TCase aCases[] = {
        {"-6.5", -6.5}, {"-6,5", fDef}, {"1,000", fDef}, {"", fDef},     {"abc", fDef},
        {"nan", fDef},  {"inf", fDef},  {"1e3", 1000.0}, {" 2.5 ", 2.5}, {"0", 0.0},
    };
    for (const TCase& c : aCases)
        EXPECT_EQ(IniToFloat(QString::fromLatin1(c.sText), fDef), c.fExpected) << c.sText;
    EXPECT_EQ(FloatToIni(12345.25), "12345.25");
    EXPECT_EQ(FloatToIni(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FloatToIni(0.1 + 0.2), "0.3");
}

TEST(TruncateString, Table) {
    const QString sSep = QDir::separator();
    const QString sPath = QStringLiteral("/home/user/recordings/loudness/Session2024.DB3");
    EXPECT_EQ(TruncateString(sPath, 100, true), sPath);
    EXPECT_EQ(TruncateString(sPath, 30, true), "/home/..." + sSep + "..." + sSep + "Session2024.DB3");
    EXPECT_EQ(TruncateString(sPath, 10, false), "/home/user...");
    EXPECT_EQ(TruncateString("abc", 3, false), "abc");
    EXPECT_EQ(TruncateString("abcd", 0, false), "...");
    EXPECT_EQ(TruncateString("abcd", -3, false), "...");
    // The file name is kept whole, however long.
    const QString sLong = QStringLiteral("/d/") + QString(50, QLatin1Char('n'));
    EXPECT_EQ(TruncateString(sLong, 10, true),
              "/d/nnn..." + sSep + "..." + sSep + QString(50, QLatin1Char('n')));
}

TEST(PlacementForMonitors, ResetsOnlyWhenTheMonitorCountChanged) {
    TWindowPlacement rStored;
    rStored.X = 2000;
    rStored.Y = 50;
    rStored.Width = 1000;
    rStored.Height = 700;
    rStored.Maximized = true;
    rStored.ActivePage = 1;

    rStored.MonitorCount = 2;
    const TWindowPlacement rReset = PlacementForMonitors(rStored, 1);
    EXPECT_EQ(rReset.X, 10);
    EXPECT_EQ(rReset.Y, 10);
    EXPECT_EQ(rReset.Width, 800);
    EXPECT_EQ(rReset.Height, 600);
    EXPECT_TRUE(rReset.Maximized);
    EXPECT_EQ(rReset.ActivePage, 1);

    EXPECT_EQ(PlacementForMonitors(rStored, 2), rStored);
    rStored.MonitorCount = 0;
    EXPECT_EQ(PlacementForMonitors(rStored, 3), rStored);
}

// A placement stored on a larger screen, or with its title bar above the screen, must not open out of
// reach. The screen's free area here is 1024 x 740 from (0, 28) (a panel at the top); the frame above the
// window is 30 pixels.
TEST(FitPlacementToScreen, KeepsTheWindowAndItsTitleBarOnTheScreen) {
    struct TCase {
        const char* sName;
        QRect rStored;
        QRect rExpected;
    };
    const TCase aCases[] = {
        {"fits already", {10, 60, 800, 600}, {10, 60, 800, 600}},
        {"larger than the screen", {0, 58, 1920, 1200}, {0, 58, 1024, 710}},
        {"title bar above the top", {100, -20, 800, 600}, {100, 58, 800, 600}},
        {"just below the panel", {100, 40, 800, 600}, {100, 58, 800, 600}},
        {"beyond the right edge", {900, 100, 800, 600}, {224, 100, 800, 600}},
        {"beyond the bottom edge", {10, 500, 800, 600}, {10, 168, 800, 600}},
        {"far to the left", {-3000, 100, 800, 600}, {0, 100, 800, 600}},
    };
    const QRect rScreen(0, 28, 1024, 740);
    for (const TCase& c : aCases) {
        TWindowPlacement rStored;
        rStored.X = c.rStored.x();
        rStored.Y = c.rStored.y();
        rStored.Width = c.rStored.width();
        rStored.Height = c.rStored.height();
        rStored.ActivePage = 1;
        const TWindowPlacement r = FitPlacementToScreen(rStored, rScreen, 30);
        EXPECT_EQ(QRect(r.X, r.Y, r.Width, r.Height), c.rExpected) << c.sName;
        EXPECT_EQ(r.ActivePage, 1) << c.sName;
    }
}

} // namespace
