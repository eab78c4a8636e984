#include "compliance/Violations.h"
#include "compliance/Standards.h"
#include "tests/compliance/LevelRows.h"

#include <gtest/gtest.h>

namespace {

using qxtest::LevelRows;
using qxtest::MeasuringSetup;

// Rows against EBU R128 (-23 ± 0.5, peak limit -1.0): rows 1 and 4 peak over the limit, rows 2 and 4 have
// a short-term maximum over -22.5, row 3 sits exactly at both limits, row 5 was not sent.
const std::vector<qxtest::TRow> kRows = {
    {"10:00:00:00", -3.0, -23.0, -26.0, -23.0}, {"10:00:01:00", -0.9, -23.0, -26.0, -23.0},
    {"10:00:02:00", -2.0, -22.0, -26.0, -23.0}, {"10:00:03:00", -1.0, -22.5, -26.0, -23.0},
    {"10:00:04:00", 0.5, -20.0, -26.0, -23.0},  {"10:00:05:00", -999.0, -999.0, -999.0, -999.0},
};

TEST(Violations, MarksPeaksAndShortTermWarningsAndStepsThroughThem) {
    const TViolations v(LevelRows(kRows), MeasuringSetup(), StandardOf(TStandardId::EbuR128, {}));
    const quint8 aExpected[] = {
        0, kViolationPeak, kViolationShortTerm, 0, kViolationPeak | kViolationShortTerm, 0};
    for (int i = 0; i < int(std::size(aExpected)); ++i)
        EXPECT_EQ(v.FlagsOf(i), aExpected[i]) << "row " << i;
    EXPECT_EQ(v.Count(), 3);

    struct TStep {
        int iFrom;
        int iNext;
        int iPrevious;
    };
    const TStep aSteps[] = {{-1, 1, -1}, {0, 1, -1}, {1, 2, -1}, {2, 4, 1},
                            {3, 4, 2},   {4, -1, 2}, {5, -1, 4}};
    for (const TStep& s : aSteps) {
        EXPECT_EQ(v.Next(s.iFrom), s.iNext) << "from " << s.iFrom;
        EXPECT_EQ(v.Previous(s.iFrom), s.iPrevious) << "from " << s.iFrom;
    }
}

TEST(Violations, ShortTermInLUIsConvertedAndNeedsComparableLoudness) {
    TLoudnessSetup rLU = MeasuringSetup();
    rLU.iScaleMode = kScaleModeLU;
    rLU.fReferenceLevel = -23.0;
    // 0.4 LU is -22.6 LUFS, within; 0.6 LU is -22.4 LUFS, over.
    const TLevelData rData =
        LevelRows({{"10:00:00:00", -3.0, 0.4, -2.0, 0.0}, {"10:00:01:00", -3.0, 0.6, -2.0, 0.0}});
    const TLoudnessStandard rEbu = StandardOf(TStandardId::EbuR128, {});
    const TViolations v(rData, rLU, rEbu);
    EXPECT_EQ(v.FlagsOf(0), 0);
    EXPECT_EQ(v.FlagsOf(1), kViolationShortTerm);

    // LEQM values are no LUFS: no warnings from them, while the peaks still count.
    TLoudnessSetup rLeqm = MeasuringSetup();
    rLeqm.iFilter = 2;
    const TViolations vLeqm(LevelRows(kRows), rLeqm, rEbu);
    EXPECT_EQ(vLeqm.Count(), 2);
    EXPECT_EQ(vLeqm.FlagsOf(4), kViolationPeak);
    EXPECT_EQ(vLeqm.FlagsOf(2), 0);

    const TViolations vNone(TLevelData(), MeasuringSetup(), rEbu);
    EXPECT_EQ(vNone.Count(), 0);
    EXPECT_EQ(vNone.Next(-1), -1);
    EXPECT_EQ(vNone.Previous(0), -1);
}

} // namespace
