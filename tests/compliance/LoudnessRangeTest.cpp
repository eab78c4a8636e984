#include "compliance/LoudnessRange.h"
#include "compliance/VerdictTexts.h"
#include "core/TextTable.h"
#include "tests/compliance/LevelRows.h"

#include <gtest/gtest.h>

namespace {

using qxtest::MeasuringSetup;
using qxtest::SteppedToneReports;

// The stepped-tone cases of EBU Tech 3342 (stereo 1 kHz tones, whose loudness in LUFS equals their level
// in dBFS, 20 seconds a step), as a meter reports them once a second. The range must come out within
// 1 LU of the published value.
TEST(LoudnessRange, Tech3342SteppedTones) {
    struct TCase {
        const char* sName;
        TLevelData rData;
        double fExpected;
    };
    const TCase aCases[] = {
        {"-20/-30", SteppedToneReports({{-20.0, 20}, {-30.0, 20}}), 10.0},
        {"-20/-15", SteppedToneReports({{-20.0, 20}, {-15.0, 20}}), 5.0},
        {"-40/-20", SteppedToneReports({{-40.0, 20}, {-20.0, 20}}), 20.0},
        {"-50/-35/-20/-35/-50",
         SteppedToneReports({{-50.0, 20}, {-35.0, 20}, {-20.0, 20}, {-35.0, 20}, {-50.0, 20}}), 15.0},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const TLoudnessRange r = CalcLoudnessRange(c.rData, MeasuringSetup());
        ASSERT_TRUE(r.Valid());
        EXPECT_NEAR(r.fRange, c.fExpected, 1.0);
    }
}

// With the scale in LU the values are relative to the reference level; the absolute gate at -70 LUFS
// only gates them right once they are converted. A quiet programme, a minute at -63 LUFS and then 20 seconds
// at -80 LUFS, loses its silent end to the gate; read as LUFS the same numbers (-40 and -57) would both pass
// it and span 17 LU.
TEST(LoudnessRange, ValuesInLUAreConvertedBeforeTheAbsoluteGate) {
    const double fReference = -23.0;
    const TLevelData rStoredInLU = SteppedToneReports({{-63.0, 60}, {-80.0, 20}}, -fReference);
    TLoudnessSetup rLU = MeasuringSetup();
    rLU.iScaleMode = kScaleModeLU;
    rLU.fReferenceLevel = fReference;
    const TLoudnessRange rConverted = CalcLoudnessRange(rStoredInLU, rLU);
    ASSERT_TRUE(rConverted.Valid());
    EXPECT_LT(rConverted.fRange, 1.0);

    const TLoudnessRange rUnconverted = CalcLoudnessRange(rStoredInLU, MeasuringSetup());
    ASSERT_TRUE(rUnconverted.Valid());
    EXPECT_NEAR(rUnconverted.fRange, 17.0, 1.0);
}

TEST(LoudnessRange, GatesAndPercentiles) {
    EXPECT_FALSE(LoudnessRangeOf({}).has_value());
    // Everything at or below the absolute gate.
    EXPECT_FALSE(LoudnessRangeOf({-70.0, -80.0, -999.0}).has_value());
    EXPECT_DOUBLE_EQ(*LoudnessRangeOf({-23.0}), 0.0);
    EXPECT_DOUBLE_EQ(*LoudnessRangeOf({-23.0, -23.0, -23.0}), 0.0);
    // Values from -30 to -10 in steps of 1: nothing is gated (the relative gate lies near -35); the 10th
    // percentile is -28, the 95th -11.
    std::vector<double> aSteps;
    for (int i = -30; i <= -10; ++i)
        aSteps.push_back(double(i));
    EXPECT_DOUBLE_EQ(*LoudnessRangeOf(aSteps), 17.0);
    // A quiet stretch 20 LU below the power mean is gated away and does not widen the range.
    std::vector<double> aWithQuiet(40, -20.0);
    aWithQuiet.insert(aWithQuiet.end(), 40, -60.0);
    EXPECT_DOUBLE_EQ(*LoudnessRangeOf(aWithQuiet), 0.0);
}

TEST(LoudnessRange, NotAvailableWithTheReason) {
    struct TCase {
        const char* sName;
        void (*fnSetup)(TLoudnessSetup&);
        const char* sReason;
    };
    const TCase aCases[] = {
        {"10-second window", [](TLoudnessSetup& s) { s.iSlidingWindow = 2; },
         "The short-term window was 10 Seconds, not 3 Seconds"},
        {"0-second window", [](TLoudnessSetup& s) { s.iSlidingWindow = 0; },
         "The short-term window was 0 Seconds, not 3 Seconds"},
        {"LEQM filter", [](TLoudnessSetup& s) { s.iFilter = 2; },
         "The meter's filter was LEQM, not K-Filter"},
        {"unknown scale", [](TLoudnessSetup& s) { s.iScaleMode = 3; }, "The meter's scale was Unknown"},
    };
    const TLevelData rData = SteppedToneReports({{-20.0, 20}, {-30.0, 20}});
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        TLoudnessSetup rSetup = MeasuringSetup();
        c.fnSetup(rSetup);
        const TLoudnessRange r = CalcLoudnessRange(rData, rSetup);
        EXPECT_FALSE(r.Valid());
        EXPECT_EQ(LoudnessRangeText(r, kLanguageEnglish, u"."), "n/a");
        EXPECT_EQ(LoudnessRangeProblemText(r, kLanguageEnglish), c.sReason);
    }
    const TLoudnessRange rEmpty = CalcLoudnessRange(TLevelData(), MeasuringSetup());
    EXPECT_EQ(LoudnessRangeText(rEmpty, kLanguageEnglish, u"."), "n/a");
    EXPECT_EQ(LoudnessRangeProblemText(rEmpty, kLanguageEnglish), "No short-term loudness passed the gates");

    const TLoudnessRange rTen =
        CalcLoudnessRange(SteppedToneReports({{-20.0, 20}, {-30.0, 20}}), MeasuringSetup());
    EXPECT_EQ(LoudnessRangeText(rTen, kLanguageEnglish, u"."), QString::number(rTen.fRange, 'f', 1) + " LU");
    EXPECT_TRUE(LoudnessRangeProblemText(rTen, kLanguageEnglish).isEmpty());
}

} // namespace
