#include "core/TextFormat.h"

#include <gtest/gtest.h>
#include <limits>

TEST(TextFormat, FillsPlaceholdersInOrderAndNeverShowsThemRaw) {
    struct Case {
        QString sTemplate;
        QStringList slArgs;
        QString sExpected;
    };
    const Case cases[] = {
        {"Could not open COM%d.", {"7"}, "Could not open COM7."},
        {"A %s was detected on COM%d.", {"QX 25", "3"}, "A QX 25 was detected on COM3."},
        {"Could not connect to %s.", {}, "Could not connect to ."},
        {"100% sure %x", {"a"}, "100% sure %x"},
        {"ends with %", {"a"}, "ends with %"},
        {"%s", {"%d"}, "%d"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatText(c.sTemplate, c.slArgs), c.sExpected) << c.sTemplate.toStdString();
}

// A level beyond any meter's range (about -999 to +30 dB) comes from a damaged row or a foreign datagram:
// it must not fill a grid cell with hundreds of digits, yet still say what the value is.
TEST(TextFormat, LevelsShowFixedWithinTheMetersRangeAndBoundedBeyondIt) {
    const double kInf = std::numeric_limits<double>::infinity();
    struct Case {
        double fLevel;
        const char* sDecimalPoint;
        QString sExpected;
    };
    const Case cases[] = {
        {-23.04, ".", "-23.0"},
        {0.0, ".", "0.0"},
        {30.0, ".", "30.0"},
        {-999.0, ".", "-999.0"},
        {-999.94, ".", "-999.9"},
        {999.95, ".", "1.0e+03"},
        {-1234.5, ".", "-1.2e+03"},
        {1e308, ".", "1.0e+308"},
        {-1.7976931348623157e308, ".", "-1.8e+308"},
        {-1e308, ",", "-1,0e+308"},
        {-23.04, ",", "-23,0"},
        {kInf, ".", "inf"},
        {-kInf, ".", "-inf"},
        {std::numeric_limits<double>::quiet_NaN(), ".", ""},
    };
    for (const Case& c : cases) {
        const QString s = LevelText(c.fLevel, QString::fromLatin1(c.sDecimalPoint));
        EXPECT_EQ(s, c.sExpected) << c.fLevel;
        EXPECT_LE(s.size(), 9) << c.fLevel;
    }
}

// A tooltip shows a stored title as it is, markup and all.
TEST(TextFormat, ToolTipsNeverReadTextAsMarkup) {
    EXPECT_EQ(PlainToolTip("Evening & News"), "Evening & News");
    const QString sMarked = PlainToolTip("<b>Bold</b> <img src=\"/etc/passwd\">");
    EXPECT_FALSE(sMarked.contains("<b>"));
    EXPECT_FALSE(sMarked.contains("<img"));
    EXPECT_TRUE(sMarked.contains("&lt;b&gt;Bold&lt;/b&gt;"));
}
